// SPDX-License-Identifier: MIT
#include "state/StatusTitle.hpp"

#include "platform/AppLook.hpp"
#include "state/MatchDisplay.hpp"
#include "state/MatchStatus.hpp"

#include <cmath>
#include <string>

namespace fixtora {

namespace {

const std::string kFootball(kFootballSign);
const std::string kPrefix(kTitlePrefix);
const std::string kDash(kScoreDash);

constexpr long long kMinute = 60;
constexpr long long kHour = 3600;
constexpr long long kDay = 86400;
constexpr long long kWeek = 604800;

/// "  " and the clock text of a live match, or nothing.
std::string clockPart(const ESPNEvent& event) {
    const auto* status = eventStatus(event);
    if (status == nullptr) return {};
    const auto label = status->clockLabel();
    return label ? "  " + *label : std::string{};
}

/// Every event of every cached matchweek, matchweeks in ascending order.
std::vector<const ESPNEvent*> allCached(const MatchCache& cache) {
    std::vector<const ESPNEvent*> all;
    for (const auto& [gw, list] : cache)
        for (const auto& event : list) all.push_back(&event);
    return all;
}

/// The first in kick-off order of the events upcoming at `now` (equal
/// kick-offs keep their order), or null.
const ESPNEvent* nextUpcoming(const std::vector<const ESPNEvent*>& events, Instant now) {
    const ESPNEvent* best = nullptr;
    Instant bestKickOff = 0;
    for (const auto* event : events) {
        if (!isUpcomingEvent(*event, now)) continue;
        const Instant kickOff = *event->localDate();
        if (best == nullptr || kickOff < bestKickOff) {
            best = event;
            bestKickOff = kickOff;
        }
    }
    return best;
}

/// Whole seconds from `now` to the kick-off of `event`, truncated towards
/// zero; absent without a kick-off.
std::optional<long long> secondsUntil(const ESPNEvent& event, Instant now) {
    const auto kickOff = event.localDate();
    if (!kickOff) return std::nullopt;
    return static_cast<long long>(std::trunc(*kickOff - now));
}

/// The favourite's live match if it has one (first in cache order), else its
/// next upcoming one.
const ESPNEvent* nextFavouriteEvent(const MatchCache& cache, const std::string& teamId,
                                    Instant now) {
    std::vector<const ESPNEvent*> mine;
    for (const auto* event : allCached(cache))
        if (involvesTeam(*event, teamId)) mine.push_back(event);
    for (const auto* event : mine)
        if (isLiveEvent(*event)) return event;
    return nextUpcoming(mine, now);
}

std::string favouriteTitle(const TitleInput& input, const ESPNTeam& favourite) {
    const ESPNEvent* event = nextFavouriteEvent(input.cache, favourite.id, input.now);
    if (event == nullptr) return kFootball;
    const auto home = event->home();
    const auto away = event->away();
    const bool atHome = home && home->team.id == favourite.id;
    const auto& own = atHome ? home : away;
    const auto& opponent = atHome ? away : home;
    const std::string& ownAbbreviation = favourite.abbreviation;
    if (isLiveEvent(*event)) {
        // The favourite's score comes first, at home or away.
        return kPrefix + ownAbbreviation + " " + sideScore(own) + kDash + sideScore(opponent) +
               " " + sideAbbreviation(opponent) + clockPart(*event);
    }
    const auto seconds = secondsUntil(*event, input.now);
    if (!seconds || *seconds <= 0) return kFootball;
    return kPrefix + ownAbbreviation + " vs " + sideAbbreviation(opponent) + "  " +
           countdownText(*event->localDate(), *seconds, input.dates);
}

std::string noFavouriteTitle(const TitleInput& input) {
    std::vector<const ESPNEvent*> live;
    for (const auto& event : input.displayed)
        if (isLiveEvent(event)) live.push_back(&event);
    if (!live.empty()) {
        const auto count = static_cast<int>(live.size());
        const ESPNEvent& event =
            *live[input.cycleIndex >= 0 && input.cycleIndex < count ? input.cycleIndex : 0];
        const auto home = event.home();
        const auto away = event.away();
        return kPrefix + sideAbbreviation(home) + " " + sideScore(home) + kDash + sideScore(away) +
               " " + sideAbbreviation(away) + clockPart(event);
    }
    const ESPNEvent* next = nextUpcoming(allCached(input.cache), input.now);
    if (next == nullptr) return kFootball;
    const auto seconds = secondsUntil(*next, input.now);
    if (!seconds || *seconds <= 0) return kFootball;
    return kPrefix + sideAbbreviation(next->home()) + " vs " + sideAbbreviation(next->away()) +
           "  " + countdownText(*next->localDate(), *seconds, input.dates);
}

}  // namespace

std::string countdownText(Instant kickOff, long long seconds, const DateContext& dates) {
    if (seconds >= kWeek) return formatDate(kickOff, "EEE d MMM", dates);
    if (seconds >= kDay) return formatDate(kickOff, "EEE HH:mm", dates);
    if (seconds < kHour) return std::to_string(seconds / kMinute) + "m";
    return std::to_string(seconds / kHour) + "h " + std::to_string((seconds / kMinute) % 60) + "m";
}

std::string computeStatusBarTitle(const TitleInput& input) {
    if (input.favourite) return favouriteTitle(input, *input.favourite);
    return noFavouriteTitle(input);
}

}  // namespace fixtora
