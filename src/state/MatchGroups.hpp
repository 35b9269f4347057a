// SPDX-License-Identifier: MIT
#pragma once

// How the matches of the cache are listed: by day, by week, by club.

#include "data/ESPNModels.hpp"
#include "platform/Clock.hpp"
#include "state/DateText.hpp"
#include "state/StatusTitle.hpp"

#include <string>
#include <vector>

namespace fixtora {

/// The matches of one calendar day of the user's time zone.
struct DayGroup {
    std::string id;  // equal to `label`
    std::string label;
    std::vector<ESPNEvent> events;
};

/// Groups `events` by the local day of their kick-off ("EEEE,  d MMM"), in
/// order of first appearance; matches without a parsable kick-off are left
/// out.
std::vector<DayGroup> groupByDay(const std::vector<ESPNEvent>& events, const DateContext& dates);

/// "d MMM – d MMM yyyy" for a week from `start` to `end`.
std::string formatWeekRange(Instant start, Instant end, const DateContext& dates);

/// Every team of `cache` (home then away side of each event, matchweeks in
/// ascending order), each id once, sorted by short name in byte order.
std::vector<ESPNTeam> collectKnownTeams(const MatchCache& cache);

}  // namespace fixtora
