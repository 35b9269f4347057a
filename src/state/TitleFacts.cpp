// SPDX-License-Identifier: MIT
#include "state/TitleFacts.hpp"

#include "platform/AppLook.hpp"
#include "state/MatchStatus.hpp"
#include "state/StatusTitle.hpp"

namespace fixtora {

const char* favouriteStateName(FavouriteState state) {
    switch (state) {
        case FavouriteState::live:
            return "live";
        case FavouriteState::upcoming:
            return "upcoming";
        case FavouriteState::none:
            break;
    }
    return "none";
}

FavouriteState favouriteState(const std::map<std::int64_t, std::vector<ESPNEvent>>& cache,
                              const std::optional<ESPNTeam>& favourite, Instant now) {
    if (!favourite) return FavouriteState::none;
    bool upcoming = false;
    for (const auto& [week, events] : cache) {
        for (const auto& event : events) {
            if (!involvesTeam(event, favourite->id)) continue;
            if (isLiveEvent(event)) return FavouriteState::live;
            upcoming = upcoming || isUpcomingEvent(event, now);
        }
    }
    return upcoming ? FavouriteState::upcoming : FavouriteState::none;
}

std::vector<std::string> liveScoreLines(const std::vector<ESPNEvent>& events) {
    const MatchCache noCache;
    const std::optional<ESPNTeam> noFavourite;
    std::vector<std::string> lines;
    for (const auto& event : events) {
        if (!isLiveEvent(event)) continue;
        // The title of a matchweek whose only live match is this one is its
        // score line: one rule for both.
        const std::vector<ESPNEvent> one{event};
        std::string title = computeStatusBarTitle({one, noCache, noFavourite, 0, 0, {}});
        if (title.rfind(kTitlePrefix, 0) == 0) title.erase(0, kTitlePrefix.size());
        lines.push_back(std::move(title));
    }
    return lines;
}

}  // namespace fixtora
