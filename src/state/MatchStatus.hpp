// SPDX-License-Identifier: MIT
#pragma once

// Status predicates on matches, read from the first competition of an event.
// An event without any competition has no status: it is neither live,
// finished nor upcoming, and has no sides.

#include "data/ESPNModels.hpp"

#include <string_view>

namespace fixtora {

/// The status type of the first competition, or null.
const ESPNStatusType* eventStatus(const ESPNEvent& event);

/// One of the six live codes.
bool isLiveEvent(const ESPNEvent& event);

/// Over: "STATUS_FULL_TIME", "STATUS_FINAL" or the `completed` flag.
bool isFinishedEvent(const ESPNEvent& event);

/// Kicks off after `now`, is not completed and is none of full time, final,
/// postponed, cancelled or suspended.
bool isUpcomingEvent(const ESPNEvent& event, Instant now);

/// The home side's team is `teamId`, or else the away side's.
bool involvesTeam(const ESPNEvent& event, std::string_view teamId);

}  // namespace fixtora
