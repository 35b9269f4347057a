// SPDX-License-Identifier: MIT
#include "state/MatchDisplay.hpp"
#include "state/StatusTitle.hpp"
#include "support/MatchBuilders.hpp"

#include <gtest/gtest.h>

using namespace fixtora;

namespace {

constexpr Instant kNow = 1755345600;  // Sat 16 Aug 2025 12:00 UTC, 13:00 in London
const DateContext kLondon{"en_GB", "Europe/London"};

// ARS 2–1 CHE, kicking off at 14:00 London time.
ESPNEvent event(const char* status, std::optional<std::string> clock = {}) {
    auto e = test::match("e", kNow + 3600, status, "ARS", "CHE", "2", "1", std::move(clock));
    e.competitions[0].status.type.completed = false;  // the status name alone decides
    return e;
}
ESPNCompetitor home(const std::string& abbreviation, std::optional<std::string> score) {
    return {"home", test::club(abbreviation), std::move(score), {}};
}

TEST(MatchDisplay, SymbolCentreAndTerminalColumnByPhase) {
    const char* const scores = "2  \u2013  1";
    auto undated = event("X"), completed = event("STATUS_POSTPONED");
    undated.date = "2025-08-16";
    completed.competitions[0].status.type.completed = true;
    // name, match, symbol, centre text, the terminal view's column
    const std::tuple<const char*, ESPNEvent, const char*, const char*, const char*> cases[] = {
        {"Scheduled", event("STATUS_SCHEDULED"), "\U0001F550", "14:00", "14:00"},
        {"NoKickOff", undated, "\U0001F550", "TBD", "--:--"},
        {"Live", event("STATUS_SECOND_HALF", "67'"), "\U0001F534", scores, "67'"},
        {"LiveWithoutClock", event("STATUS_SHOOTOUT"), "\U0001F534", scores, "LIVE"},
        {"Final", event("STATUS_FINAL"), "\u2705", scores, "FT"},
        {"CompletedFlag", completed, "\u2705", scores, "FT"},
        {"Postponed", event("STATUS_POSTPONED"), "\u26A0\uFE0F", "Postponed", "PP"},
        {"Cancelled", event("STATUS_CANCELLED"), "\u274C", "Cancelled", "CANC"},
        {"Suspended", event("STATUS_SUSPENDED"), "\u274C", "Cancelled", "SUSP"},
        {"NoCompetition", ESPNEvent{}, "\U0001F550", "TBD", "--:--"}};
    for (const auto& [name, e, symbol, centre, column] : cases) {
        EXPECT_EQ(std::tuple(statusSymbol(e), centreText(e, kLondon), statusColumn(e, kLondon)),
                  std::tuple(symbol, centre, column))
            << name;
    }
}

// The row and the title share the fallbacks for a home side against CHE, who have scored once.
// An empty text is a value the backend sent: shown as it is, never replaced.
TEST(MatchDisplay, RowAndTitleShareTheFallbacks) {
    // name, home side, abbreviation, score, title
    const std::tuple<const char*, std::optional<ESPNCompetitor>, const char*, const char*,
                     const char*>
        cases[] = {{"Absent", std::nullopt, "?", "0", "\u26BD  ? 0\u20131 CHE"},
                   {"NoScore", home("ARS", std::nullopt), "ARS", "0", "\u26BD  ARS 0\u20131 CHE"},
                   {"Empty", home("", ""), "", "", "\u26BD   \u20131 CHE"}};
    for (const auto& [name, home, abbreviation, score, title] : cases) {
        SCOPED_TRACE(name);
        auto live = event("STATUS_SECOND_HALF");
        auto& sides = live.competitions.front().competitors;
        sides.erase(sides.begin());
        if (home) sides.push_back(*home);
        EXPECT_EQ(std::tuple(sideAbbreviation(live.home()), centreText(live, kLondon),
                             computeStatusBarTitle({{live}, {}, std::nullopt, 0, kNow, kLondon})),
                  std::tuple(abbreviation, std::string(score) + "  \u2013  1", title));
    }
}

TEST(MatchDisplay, FavouritesEmptyAbbreviationIsKept) {
    const MatchCache cache{{1, {event("STATUS_SCHEDULED")}}};
    const std::optional<ESPNTeam> favourite = ESPNTeam{"id-ARS", "", "Arsenal", {}};
    EXPECT_EQ(computeStatusBarTitle({{}, cache, favourite, 0, kNow, kLondon}),
              "\u26BD   vs CHE  1h 0m");
}

}  // namespace
