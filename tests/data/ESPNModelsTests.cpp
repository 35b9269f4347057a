// SPDX-License-Identifier: MIT
#include "data/ESPNModels.hpp"
#include "data/InternetDateTime.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace fixtora;

namespace {

constexpr Instant k20250816T1400Z = 1755352800;

ESPNCompetitor competitor(std::string homeAway, std::string id) {
    return ESPNCompetitor{std::move(homeAway), ESPNTeam{id, id + "X", "Club " + id, std::nullopt},
                          std::nullopt, std::nullopt};
}

ESPNDetail detail(std::optional<bool> scoringPlay, std::optional<bool> ownGoal = std::nullopt) {
    ESPNDetail d;
    d.scoringPlay = scoringPlay;
    d.ownGoal = ownGoal;
    return d;
}

ESPNCompetition competition(std::vector<ESPNCompetitor> competitors,
                            std::vector<ESPNDetail> details = {}) {
    return ESPNCompetition{
        std::move(competitors), {ESPNStatusType{"STATUS_SCHEDULED", false, {}}}, details};
}

}  // namespace

TEST(ESPNStatusType, LiveAndClockLabelFollowTheStatusCodeAndShortDetail) {
    const std::nullopt_t none = std::nullopt;
    const struct {
        const char* name;
        std::optional<std::string> shortDetail;
        bool live;
        std::optional<std::string> label;
    } cases[] = {
        {"STATUS_HALFTIME", "Halftime", true, "HT"},
        {"STATUS_IN_PROGRESS", "IN PROGRESS", true, "HT"},
        {"STATUS_SECOND_HALF", "45'+2'", true, "45'+2'"},
        {"STATUS_EXTRA_TIME", "", true, none},
        {"STATUS_FULL_TIME", "Halftime", false, none},
        {"STATUS_OVERTIME", "118'", false, none},
        {"status_halftime", "Halftime", false, none},
    };
    for (const auto& c : cases) {
        const ESPNStatusType type{c.name, false, c.shortDetail};
        EXPECT_EQ(type.isLive(), c.live) << c.name;
        EXPECT_EQ(type.clockLabel(), c.label) << c.name;
    }
}

TEST(InternetDateTime, ParsesOnlyWholeSecondDatesAndFormatsUtc) {
    const std::pair<const char*, Instant> valid[] = {{"2025-08-16T14:00Z", k20250816T1400Z},
                                                     {"2025-08-16T14:00:00Z", k20250816T1400Z},
                                                     {"2025-08-16T16:00:00+02:00", k20250816T1400Z},
                                                     {"2025-08-16T09:30:00-04:30", k20250816T1400Z},
                                                     {"2024-02-29T00:00:00Z", 1709164800},
                                                     {"1970-01-01T00:00:00Z", 0}};
    for (const auto& [text, expected] : valid)
        EXPECT_EQ((ESPNEvent{"1", text, std::nullopt, {}}.localDate()), expected) << text;
    for (const char* text :
         {"2025-08-16", "2025-08-16T14:00:00.000Z", "2025-08-16T14:00", "2025-08-16T14:00:00",
          "2025-08-16 14:00:00Z", "2025-08-16t14:00:00z", "2025-02-29T14:00:00Z",
          "2025-13-01T14:00:00Z", "2026-10-32T14:00:00Z", "2026-04-31T14:00:00Z",
          "2025-08-16T24:00:00Z", "2025-08-16T14:00:60Z", "2025-08-16T14:00:00+0200",
          "2025-08-16T14:00Z\n", "2025-08-16T1:00Z", ""})
        EXPECT_FALSE((ESPNEvent{"1", text, std::nullopt, {}}.localDate())) << text;

    EXPECT_EQ(formatInternetDateTime(k20250816T1400Z + 59.9), "2025-08-16T14:00:59Z");
    EXPECT_EQ(formatInternetDateTime(-1), "1969-12-31T23:59:59Z");
    EXPECT_EQ(parseInternetDateTime(formatInternetDateTime(4102444799)), 4102444799);
}

TEST(EventDerivedValues, SidesNamesAndGoalsComeFromTheFirstCompetition) {
    ESPNEvent e{"1", "2025-08-16T14:00Z", std::nullopt, {}};
    EXPECT_FALSE(e.home() || e.away() || !e.goals().empty() || !e.teamName("1").empty());
    e.competitions = {competition({competitor("away", "2"), competitor("home", "1"),
                                   competitor("home", "3"), competitor("Home", "4")}),
                      competition({competitor("away", "5")})};
    ASSERT_TRUE(e.home() && e.away());
    EXPECT_EQ(std::tuple(e.home()->team.id, e.away()->team.id, e.teamName("3"), e.teamName("5")),
              std::tuple("1", "2", "Club 3", ""));
    e.competitions.front().competitors.erase(e.competitions.front().competitors.begin());
    EXPECT_FALSE(e.away());
    // Goals are the scoring plays of the first competition, in order.
    e.competitions = {
        competition({}, {detail(true), detail(std::nullopt), detail(false), detail(true, true)}),
        competition({}, {detail(true)})};
    const auto goals = e.goals();
    ASSERT_EQ(goals.size(), 2u);
    EXPECT_EQ(std::tuple(goals[0].ownGoal, goals[1].ownGoal), std::tuple(std::nullopt, true));
    e.competitions.front().details.reset();
    EXPECT_TRUE(e.goals().empty());
}
