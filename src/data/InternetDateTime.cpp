// SPDX-License-Identifier: MIT
#include "data/InternetDateTime.hpp"

#include "data/CivilDays.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace fixtora {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

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
    const auto days = calendarDay(year, month, day);
    if (!days) return std::nullopt;
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
    const std::int64_t local = *days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
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
    const CivilDate c = civilFromDays(days);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(c.year), c.month, c.day,
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
    return buf;
}

}  // namespace fixtora
