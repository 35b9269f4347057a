// SPDX-License-Identifier: MIT
#include "Days.hpp"

#include "data/CivilDays.hpp"

#include <cstdio>
#include <optional>

namespace fixtora::server {

namespace {

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
    if (y < 1 || m < 1 || d < 1) return std::nullopt;
    return calendarDay(y, static_cast<unsigned>(m), static_cast<unsigned>(d));
}

}  // namespace

std::optional<std::int64_t> parseCompactDay(std::string_view s) {
    if (s.size() != 8) return std::nullopt;
    const auto y = digits(s, 0, 4), m = digits(s, 4, 2), d = digits(s, 6, 2);
    if (!y || !m || !d) return std::nullopt;
    return validDay(*y, *m, *d);
}

std::string formatDay(std::int64_t days) {
    const CivilDate date = civilFromDays(days);
    char out[64];
    std::snprintf(out, sizeof out, "%04lld%02u%02u", static_cast<long long>(date.year), date.month,
                  date.day);
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
