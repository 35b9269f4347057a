// SPDX-License-Identifier: MIT
#pragma once

// The status title: the favourite's live score or countdown, else the live
// matches of the displayed matchweek in turn, else the next kick-off of any
// cached matchweek, else the football sign alone.

#include "data/ESPNModels.hpp"
#include "platform/Clock.hpp"
#include "state/DateText.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {

/// Matchweek number to the events last received for it. Iterating it visits
/// the matchweeks in ascending order.
using MatchCache = std::map<std::int64_t, std::vector<ESPNEvent>>;

/// What the status title is computed from.
struct TitleInput {
    const std::vector<ESPNEvent>& displayed;  // events of the displayed matchweek
    const MatchCache& cache;                  // every cached matchweek
    const std::optional<ESPNTeam>& favourite;
    int cycleIndex = 0;
    Instant now = 0;
    DateContext dates;
};

/// The status title for that state.
std::string computeStatusBarTitle(const TitleInput& input);

/// The countdown to `kickOff` for `seconds` > 0 left: "45m", "2h 5m",
/// "EEE HH:mm" from a day on, "EEE d MMM" from a week on.
std::string countdownText(Instant kickOff, long long seconds, const DateContext& dates);

}  // namespace fixtora
