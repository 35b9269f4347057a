// SPDX-License-Identifier: MIT
#pragma once

// What the desktop's bars show beside the title: the favourite club's state
// and the live scores of the displayed matchweek.

#include "data/ESPNModels.hpp"
#include "platform/Clock.hpp"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {

enum class FavouriteState { none, upcoming, live };

/// "live", "upcoming" or "none".
const char* favouriteStateName(FavouriteState state);

/// Live when one of the favourite's cached matches is live, upcoming when
/// one is still to kick off after `now`, none otherwise (or without a
/// favourite).
FavouriteState favouriteState(const std::map<std::int64_t, std::vector<ESPNEvent>>& cache,
                              const std::optional<ESPNTeam>& favourite, Instant now);

/// The score lines of the live matches of `events`, in order, from the home
/// side's point of view as the title writes them: "ARS 2–1 CHE  67'".
std::vector<std::string> liveScoreLines(const std::vector<ESPNEvent>& events);

}  // namespace fixtora
