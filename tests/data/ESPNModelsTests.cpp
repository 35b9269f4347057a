// SPDX-License-Identifier: MIT
#include "data/ESPNModels.hpp"
#include "data/InternetDateTime.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace fixtora;

namespace {

constexpr Instant k20250816T1400Z = 1755352800;

ESPNStatusType statusType(std::string name, std::optional<std::string> shortDetail,
                          bool completed = false) {
    return ESPNStatusType{std::move(name), completed, std::move(shortDetail)};
}

ESPNCompetitor competitor(std::string homeAway, std::string id, std::string name) {
    return ESPNCompetitor{std::move(homeAway),
                          ESPNTeam{id, id + "X", std::move(name), std::nullopt}, std::nullopt,
                          std::nullopt};
}

ESPNDetail detail(std::optional<bool> scoringPlay, std::optional<bool> ownGoal = std::nullopt) {
    ESPNDetail d;
    d.scoringPlay = scoringPlay;
    d.ownGoal = ownGoal;
    return d;
}

ESPNEvent eventWith(std::vector<ESPNCompetitor> competitors, std::vector<ESPNDetail> details = {}) {
    ESPNEvent e{"1", "2025-08-16T14:00Z", std::nullopt, {}};
    e.competitions.push_back(ESPNCompetition{
        std::move(competitors), {statusType("STATUS_SCHEDULED", {})}, std::move(details)});
    return e;
}

}  // namespace

struct ClockCase {
    const char* name;
    std::optional<const char*> shortDetail;
    bool live;
    std::optional<const char*> label;
};

class ClockLabelTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockLabelTest, FollowsTheStatusCodeAndShortDetail) {
    const auto& c = GetParam();
    const auto type = statusType(
        c.name, c.shortDetail ? std::optional<std::string>(*c.shortDetail) : std::nullopt);
    EXPECT_EQ(type.isLive(), c.live);
    EXPECT_EQ(type.clockLabel(), c.label ? std::optional<std::string>(*c.label) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, ClockLabelTest,
    ::testing::Values(ClockCase{"STATUS_HALFTIME", "Halftime", true, "HT"},
                      ClockCase{"STATUS_IN_PROGRESS", "IN PROGRESS", true, "HT"},
                      ClockCase{"STATUS_SECOND_HALF", "45'+2'", true, "45'+2'"},
                      ClockCase{"STATUS_EXTRA_TIME", "", true, std::nullopt},
                      ClockCase{"STATUS_SHOOTOUT", std::nullopt, true, std::nullopt},
                      ClockCase{"STATUS_FULL_TIME", "Halftime", false, std::nullopt},
                      ClockCase{"STATUS_POSTPONED", "Postponed", false, std::nullopt},
                      ClockCase{"STATUS_OVERTIME", "118'", false, std::nullopt},
                      ClockCase{"status_halftime", "Halftime", false, std::nullopt}));

struct DateCase {
    const char* text;
    std::optional<Instant> expected;
};

class LocalDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(LocalDateTest, ParsesWholeSecondInternetDateTimes) {
    const ESPNEvent e{"1", GetParam().text, std::nullopt, {}};
    EXPECT_EQ(e.localDate(), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Dates, LocalDateTest,
                         ::testing::Values(DateCase{"2025-08-16T14:00Z", k20250816T1400Z},
                                           DateCase{"2025-08-16T14:00:00Z", k20250816T1400Z},
                                           DateCase{"2025-08-16T16:00:00+02:00", k20250816T1400Z},
                                           DateCase{"2025-08-16T09:30:00-04:30", k20250816T1400Z},
                                           DateCase{"2024-02-29T00:00:00Z", 1709164800},
                                           DateCase{"1970-01-01T00:00:00Z", 0},
                                           DateCase{"2025-08-16", std::nullopt},
                                           DateCase{"2025-08-16T14:00:00.000Z", std::nullopt},
                                           DateCase{"2025-08-16T14:00", std::nullopt},
                                           DateCase{"2025-08-16T14:00:00", std::nullopt},
                                           DateCase{"2025-08-16 14:00:00Z", std::nullopt},
                                           DateCase{"2025-08-16t14:00:00z", std::nullopt},
                                           DateCase{"2025-02-29T14:00:00Z", std::nullopt},
                                           DateCase{"2025-13-01T14:00:00Z", std::nullopt},
                                           DateCase{"2025-08-16T24:00:00Z", std::nullopt},
                                           DateCase{"2025-08-16T14:00:60Z", std::nullopt},
                                           DateCase{"2025-08-16T14:00:00+0200", std::nullopt},
                                           DateCase{"2025-08-16T14:00Z\n", std::nullopt},
                                           DateCase{"2025-08-16T1:00Z", std::nullopt},
                                           DateCase{"", std::nullopt}));

TEST(InternetDateTime, FormatsUtcWithWholeSeconds) {
    EXPECT_EQ(formatInternetDateTime(k20250816T1400Z), "2025-08-16T14:00:00Z");
    EXPECT_EQ(formatInternetDateTime(k20250816T1400Z + 59.9), "2025-08-16T14:00:59Z");
    EXPECT_EQ(formatInternetDateTime(-1), "1969-12-31T23:59:59Z");
    EXPECT_EQ(parseInternetDateTime(formatInternetDateTime(4102444799)),
              4102444799);  // 2099-12-31T23:59:59Z
}

TEST(EventDerivedValues, SidesAreTheFirstMatchingCompetitor) {
    const auto e = eventWith({competitor("away", "2", "Away"), competitor("home", "1", "First"),
                              competitor("home", "3", "Second"), competitor("Home", "4", "Case")});
    ASSERT_TRUE(e.home() && e.away());
    EXPECT_EQ(e.home()->team.id, "1");
    EXPECT_EQ(e.away()->team.id, "2");
    EXPECT_EQ(e.teamName("3"), "Second");
    EXPECT_EQ(e.teamName("9"), "");
    EXPECT_FALSE(eventWith({competitor("home", "1", "Only")}).away());
}

TEST(EventDerivedValues, GoalsKeepScoringPlaysInOrder) {
    const auto e =
        eventWith({}, {detail(true), detail(std::nullopt), detail(false), detail(true, true)});
    const auto goals = e.goals();
    ASSERT_EQ(goals.size(), 2u);
    EXPECT_FALSE(goals[0].ownGoal);
    EXPECT_EQ(goals[1].ownGoal, true);

    auto noDetails = eventWith({});
    noDetails.competitions.front().details.reset();
    EXPECT_TRUE(noDetails.goals().empty());
}

TEST(EventDerivedValues, OnlyTheFirstCompetitionCounts) {
    auto e = eventWith({competitor("home", "1", "One")}, {detail(true)});
    e.competitions.push_back(
        ESPNCompetition{{competitor("away", "2", "Two")}, {}, std::vector{detail(true)}});
    EXPECT_FALSE(e.away());
    EXPECT_EQ(e.teamName("2"), "");
    EXPECT_EQ(e.goals().size(), 1u);
}

TEST(EventDerivedValues, EmptyCompetitionsListGivesEmptyValues) {
    const ESPNEvent e{"1", "2025-08-16T14:00Z", ESPNWeek{}, {}};
    EXPECT_FALSE(e.home());
    EXPECT_FALSE(e.away());
    EXPECT_TRUE(e.goals().empty());
    EXPECT_EQ(e.teamName("1"), "");
    EXPECT_EQ(e.localDate(), k20250816T1400Z);
}
