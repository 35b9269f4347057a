// SPDX-License-Identifier: MIT
#include "Days.hpp"

#include <cstdio>
#include <optional>

namespace fixtora::server {

namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

/// Reads `count` ASCII digits (bytes of other scripts' digits are refused).
std::optional<int> digits(std::string_view s, std::size_t at, std::size_t count) {
    if (at + count > s.size()) return std::nullopt;
    int v = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

std::optional<std::int64_t> validDay(int y, int m, int d) {
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return std::nullopt;
    return daysFromCivil(y, m, d);
}

}  // namespace

std::optional<std::int64_t> parseCompactDay(std::string_view s) {
    if (s.size() != 8) return std::nullopt;
    const auto y = digits(s, 0, 4), m = digits(s, 4, 2), d = digits(s, 6, 2);
    if (!y || !m || !d) return std::nullopt;
    return validDay(*y, *m, *d);
}

std::int64_t daysFromCivil(int year, int month, int day) {
    // Howard Hinnant's days_from_civil.
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string formatDay(std::int64_t days) {
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char out[64];
    std::snprintf(out, sizeof out, "%04lld%02lld%02lld", static_cast<long long>(y),
                  static_cast<long long>(m), static_cast<long long>(d));
    return out;
}

std::variant<DayRange, std::string> parseDayRange(std::string_view text) {
    if (text.empty())
        return std::string("missing query parameter \"dates\" (expected YYYYMMDD-YYYYMMDD)");
    if (text.size() != 17 || text[8] != '-')
        return std::string("\"dates\" must be two days written YYYYMMDD-YYYYMMDD");
    const auto first = parseCompactDay(text.substr(0, 8));
    const auto last = parseCompactDay(text.substr(9));
    if (!first || !last) return std::string("\"dates\" names a day that is not in the calendar");
    if (*last < *first) return std::string("\"dates\" ends before it starts");
    if (*last - *first > kMaxRangeDays)
        return "\"dates\" spans more than " + std::to_string(kMaxRangeDays) + " days";
    return DayRange{*first, *last};
}

std::int64_t dayOfIsoDate(std::string_view text) {
    const auto y = digits(text, 0, 4), m = digits(text, 5, 2), d = digits(text, 8, 2);
    if (!y || !m || !d || text[4] != '-' || text[7] != '-') return -1;
    const auto day = validDay(*y, *m, *d);
    return day ? *day : -1;
}

}  // namespace fixtora::server
