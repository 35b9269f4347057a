// SPDX-License-Identifier: MIT
#include "state/MatchStatus.hpp"

namespace fixtora {

const ESPNStatusType* eventStatus(const ESPNEvent& event) {
    if (event.competitions.empty()) return nullptr;
    return &event.competitions.front().status.type;
}

bool isLiveEvent(const ESPNEvent& event) {
    const auto* status = eventStatus(event);
    return status != nullptr && status->isLive();
}

bool isFinishedEvent(const ESPNEvent& event) {
    const auto* status = eventStatus(event);
    if (status == nullptr) return false;
    return status->completed || status->phase() == MatchPhase::finished;
}

bool isUpcomingEvent(const ESPNEvent& event, Instant now) {
    const auto* status = eventStatus(event);
    if (status == nullptr || status->completed) return false;
    // Over, or never to be played at that time.
    const auto phase = status->phase();
    if (phase != MatchPhase::scheduled && phase != MatchPhase::live) return false;
    const auto kickOff = event.localDate();
    return kickOff && *kickOff > now;
}

bool involvesTeam(const ESPNEvent& event, std::string_view teamId) {
    if (const auto home = event.home(); home && home->team.id == teamId) return true;
    const auto away = event.away();
    return away && away->team.id == teamId;
}

}  // namespace fixtora
