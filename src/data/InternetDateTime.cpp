// SPDX-License-Identifier: MIT
#include "data/InternetDateTime.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace fixtora {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

bool isLeap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned daysInMonth(std::int64_t y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Reads `count` ASCII digits at `pos`; false when any is not a digit.
bool readDigits(std::string_view s, std::size_t pos, std::size_t count, unsigned& out) {
    out = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') return false;
        out = out * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

}  // namespace

std::optional<Instant> parseInternetDateTime(std::string_view s) {
    // yyyy-MM-ddTHH:mm:ss then "Z" (20 characters) or "±hh:mm" (25).
    if (s.size() != 20 && s.size() != 25) return std::nullopt;
    if (s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':')
        return std::nullopt;
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readDigits(s, 0, 4, year) || !readDigits(s, 5, 2, month) || !readDigits(s, 8, 2, day) ||
        !readDigits(s, 11, 2, hour) || !readDigits(s, 14, 2, minute) ||
        !readDigits(s, 17, 2, second))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;

    std::int64_t offsetSeconds = 0;
    if (s.size() == 20) {
        if (s[19] != 'Z') return std::nullopt;
    } else {
        const char sign = s[19];
        unsigned offHours = 0, offMinutes = 0;
        if ((sign != '+' && sign != '-') || s[22] != ':' || !readDigits(s, 20, 2, offHours) ||
            !readDigits(s, 23, 2, offMinutes) || offHours > 23 || offMinutes > 59)
            return std::nullopt;
        offsetSeconds =
            (sign == '+' ? 1 : -1) * static_cast<std::int64_t>(offHours * 3600 + offMinutes * 60);
    }
    const std::int64_t local =
        daysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
    return static_cast<Instant>(local - offsetSeconds);
}

std::string formatInternetDateTime(Instant instant) {
    if (!std::isfinite(instant) || std::fabs(instant) > 1e15) return {};
    const auto total = static_cast<std::int64_t>(std::floor(instant));
    std::int64_t days = total / kSecondsPerDay;
    std::int64_t rest = total % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    const Civil c = civilFromDays(days);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(c.year), c.month, c.day,
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
    return buf;
}

}  // namespace fixtora
