// SPDX-License-Identifier: MIT
#include "state/MatchStatus.hpp"

#include <array>

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
    return status->completed || status->name == "STATUS_FULL_TIME" || status->name == "STATUS_FINAL";
}

bool isUpcomingEvent(const ESPNEvent& event, Instant now) {
    static constexpr std::array<std::string_view, 5> kOver = {
        "STATUS_FULL_TIME", "STATUS_FINAL", "STATUS_POSTPONED", "STATUS_CANCELLED", "STATUS_SUSPENDED"};
    const auto* status = eventStatus(event);
    if (status == nullptr || status->completed) return false;
    for (auto name : kOver)
        if (status->name == name) return false;
    const auto kickOff = event.localDate();
    return kickOff && *kickOff > now;
}

bool involvesTeam(const ESPNEvent& event, std::string_view teamId) {
    if (const auto home = event.home(); home && home->team.id == teamId) return true;
    const auto away = event.away();
    return away && away->team.id == teamId;
}

}  // namespace fixtora
