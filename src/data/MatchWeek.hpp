// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora {

/// Matchweeks of a season: twenty clubs each playing the nineteen others at
/// home and away. Also the most a date-derived table may have.
inline constexpr std::size_t kMaxMatchWeeks = 38;

/// One numbered matchweek: the instants from `startDate` to `endDate`, both
/// inclusive.
struct MatchWeek {
    std::int64_t number = 0;
    Instant startDate = 0;
    Instant endDate = 0;

    friend bool operator==(const MatchWeek&, const MatchWeek&) = default;
};

/// The stored form of a matchweek table: a JSON array of objects with
/// "number" (integer), "startDate" and "endDate" (seconds with fraction since
/// 2001-01-01T00:00:00Z).
std::string encodeMatchWeeks(const std::vector<MatchWeek>& weeks);

/// Reads the stored form back. Absent when the text is not such an array:
/// not JSON, truncated, an element that is not an object, a missing key, a
/// "number" that is not a 64-bit integer or a date that is not a number.
std::optional<std::vector<MatchWeek>> decodeMatchWeeks(std::string_view json);

}  // namespace fixtora
