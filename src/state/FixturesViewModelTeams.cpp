// SPDX-License-Identifier: MIT
// The favourite team and its stored form, the known teams, and the grouping
// of the displayed matches by day.
#include "state/FixturesViewModel.hpp"

#include "platform/Preferences.hpp"

#include <algorithm>
#include <utility>

namespace fixtora {

void FixturesViewModel::restoreFavourite() {
    // All three required values, or no favourite (and nothing is touched).
    auto id = m_preferences->string(kFavouriteIdKey);
    if (!id) return;
    auto abbreviation = m_preferences->string(kFavouriteAbbreviationKey);
    if (!abbreviation) return;
    auto name = m_preferences->string(kFavouriteNameKey);
    if (!name) return;
    setFavouriteTeam(ESPNTeam{std::move(*id), std::move(*abbreviation), std::move(*name),
                              m_preferences->string(kFavouriteLogoKey)});
}

void FixturesViewModel::setFavouriteTeam(std::optional<ESPNTeam> team) {
    Batch batch(*this);
    m_favouriteTeam = std::move(team);
    markChanged();
    storeFavourite();
    updateStatusBar();
    startCyclingIfNeeded();
}

void FixturesViewModel::toggleFavourite(const ESPNTeam& team) {
    if (m_favouriteTeam && m_favouriteTeam->id == team.id) {
        setFavouriteTeam(std::nullopt);
    } else {
        setFavouriteTeam(team);
    }
}

void FixturesViewModel::storeFavourite() {
    // One write, at once: a crash must never leave one club's id with
    // another club's name and crest.
    const auto& team = m_favouriteTeam;
    m_preferences->commitStrings({
        {kFavouriteIdKey, team ? std::optional(team->id) : std::nullopt},
        {kFavouriteAbbreviationKey, team ? std::optional(team->abbreviation) : std::nullopt},
        {kFavouriteNameKey, team ? std::optional(team->shortDisplayName) : std::nullopt},
        {kFavouriteLogoKey, team ? team->logo : std::nullopt},
    });
}

void FixturesViewModel::updateKnownTeams() {
    auto teams = collectKnownTeams(m_matchCache);
    const bool same = std::equal(teams.begin(), teams.end(), m_knownTeams.begin(),
                                 m_knownTeams.end(), [](const ESPNTeam& a, const ESPNTeam& b) {
                                     return a.id == b.id && a.abbreviation == b.abbreviation &&
                                            a.shortDisplayName == b.shortDisplayName &&
                                            a.logo == b.logo;
                                 });
    if (same) return;
    m_knownTeams = std::move(teams);
    markChanged();
}

std::vector<FixturesViewModel::DayGroup> FixturesViewModel::groupedEvents() const {
    return groupByDay(m_events, m_dates);
}

}  // namespace fixtora
