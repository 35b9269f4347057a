// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace fixtora::server {

/// "YYYYMMDD" of a day counted from 1970-01-01.
std::string formatDay(std::int64_t days);

/// An inclusive range of whole days.
struct DayRange {
    std::int64_t first = 0;
    std::int64_t last = 0;
    /// "YYYYMMDD-YYYYMMDD", the one spelling used for cache keys and upstream.
    std::string text() const { return formatDay(first) + "-" + formatDay(last); }
};

/// The longest range the scoreboard answers: wider ones are refused so that
/// one request never turns into a season's worth of upstream traffic.
inline constexpr std::int64_t kMaxRangeDays = 62;

/// Days since 1970-01-01 of "YYYYMMDD", a real calendar day in ASCII digits.
std::optional<std::int64_t> parseCompactDay(std::string_view text);

/// Parses "YYYYMMDD-YYYYMMDD": two real calendar days in ASCII digits, the
/// first not after the second, at most `kMaxRangeDays` apart. Gives the
/// range, or a text naming the problem.
std::variant<DayRange, std::string> parseDayRange(std::string_view text);

/// The day of an ISO 8601 text that starts with "YYYY-MM-DD", or -1.
std::int64_t dayOfIsoDate(std::string_view text);

}  // namespace fixtora::server
