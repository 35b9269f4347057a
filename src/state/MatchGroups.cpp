// SPDX-License-Identifier: MIT
#include "state/MatchGroups.hpp"

#include <algorithm>
#include <set>

namespace fixtora {

std::vector<DayGroup> groupByDay(const std::vector<ESPNEvent>& events, const DateContext& dates) {
    std::vector<DayGroup> groups;
    for (const auto& event : events) {
        const auto kickOff = event.localDate();
        if (!kickOff) continue;  // not shown without a kick-off
        auto label = formatDate(*kickOff, "EEEE,  d MMM", dates);
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const DayGroup& g) { return g.label == label; });
        if (it != groups.end()) {
            it->events.push_back(event);
        } else {
            groups.push_back(DayGroup{label, label, {event}});
        }
    }
    return groups;
}

std::vector<ESPNTeam> collectKnownTeams(const MatchCache& cache) {
    std::vector<ESPNTeam> teams;
    std::set<std::string> seen;
    auto add = [&](const std::optional<ESPNCompetitor>& side) {
        if (side && seen.insert(side->team.id).second) teams.push_back(side->team);
    };
    for (const auto& [gw, list] : cache) {
        for (const auto& event : list) {
            add(event.home());
            add(event.away());
        }
    }
    // Plain byte order, no locale rules; equal names keep their order.
    std::stable_sort(teams.begin(), teams.end(), [](const ESPNTeam& a, const ESPNTeam& b) {
        return a.shortDisplayName < b.shortDisplayName;
    });
    return teams;
}

std::string formatWeekRange(Instant start, Instant end, const DateContext& dates) {
    return formatDate(start, "d MMM", dates) + " \u2013 " + formatDate(end, "d MMM yyyy", dates);
}

}  // namespace fixtora
