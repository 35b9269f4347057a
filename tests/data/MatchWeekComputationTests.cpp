// SPDX-License-Identifier: MIT
#include "support/MatchBuilders.hpp"

#include "data/MatchWeekComputation.hpp"

#include <gtest/gtest.h>

namespace fixtora {
namespace {

using test::addMatches;
using test::at;
using test::event;

MatchWeek week(std::int64_t n, const std::string& start, const std::string& end) {
    return {n, at(start), at(end)};
}

struct TableCase {
    const char* name;
    const char* zone;
    std::vector<ESPNEvent> events;
    std::vector<MatchWeek> expected;
};

std::vector<ESPNEvent> days(std::initializer_list<std::pair<const char*, int>> perDay) {
    std::vector<ESPNEvent> events;
    for (const auto& [day, count] : perDay) addMatches(events, day, count);
    return events;
}

std::vector<TableCase> tableCases() {
    std::vector<TableCase> cases;

    // Backend numbers: ascending order whatever the input order, gaps kept,
    // each week from its first kick-off to 23:59:59 after its last one.
    cases.push_back({"WeekNumbersKeepTheBackendNumbering",
                     "Europe/London",
                     {event("2024-08-31T14:00Z", 4), event("2024-08-16T19:00Z", 1),
                      event("2024-08-17T14:00Z", 1), event("2024-08-19T19:00:00Z", 1),
                      event("2024-08-24T11:30Z", 2), event("2024-08-25T15:30Z", 2)},
                     {week(1, "2024-08-16T19:00:00Z", "2024-08-20T18:59:59Z"),
                      week(2, "2024-08-24T11:30:00Z", "2024-08-26T15:29:59Z"),
                      week(4, "2024-08-31T14:00:00Z", "2024-09-01T13:59:59Z")}});
    cases.push_back({"PostponedMatchStretchesItsWeek",
                     "Europe/London",
                     {event("2024-09-21T14:00Z", 5), event("2024-09-22T15:30Z", 5),
                      event("2025-02-12T19:30Z", 5), event("2024-09-28T14:00Z", 6)},
                     {week(5, "2024-09-21T14:00:00Z", "2025-02-13T19:29:59Z"),
                      week(6, "2024-09-28T14:00:00Z", "2024-09-29T13:59:59Z")}});

    // Date clusters: a day joins when it is at most one day after the previous.
    cases.push_back({"WeekendAndNextDayMidweekFormOneCluster",
                     "Europe/London",
                     days({{"2024-08-17", 3},
                           {"2024-08-18", 2},
                           {"2024-08-19", 1},
                           {"2024-08-20", 2},
                           {"2024-08-21", 2},
                           {"2024-08-24", 5}}),
                     {week(1, "2024-08-17T00:00:00Z", "2024-08-21T23:59:59Z"),
                      week(2, "2024-08-24T00:00:00Z", "2024-08-24T23:59:59Z")}});
    cases.push_back({"MidweekFromWednesdayIsItsOwnCluster",
                     "Europe/London",
                     days({{"2024-08-17", 3},
                           {"2024-08-18", 2},
                           {"2024-08-19", 1},
                           {"2024-08-21", 3},
                           {"2024-08-22", 2}}),
                     {week(1, "2024-08-17T00:00:00Z", "2024-08-19T23:59:59Z"),
                      week(2, "2024-08-21T00:00:00Z", "2024-08-22T23:59:59Z")}});

    // Folding of clusters with fewer than 3 matches.
    cases.push_back(
        {"LoneMidweekMatchJoinsTheNearerWeekend",
         "Europe/London",
         days({{"2024-08-17", 5}, {"2024-08-18", 5}, {"2024-08-22", 1}, {"2024-08-24", 10}}),
         {week(1, "2024-08-17T00:00:00Z", "2024-08-18T23:59:59Z"),
          week(2, "2024-08-22T00:00:00Z", "2024-08-24T23:59:59Z")}});
    cases.push_back(
        {"LoneMidweekMatchAtEqualDistanceJoinsTheEarlier",
         "Europe/London",
         days({{"2024-08-17", 5}, {"2024-08-18", 5}, {"2024-08-21", 1}, {"2024-08-24", 10}}),
         {week(1, "2024-08-17T00:00:00Z", "2024-08-21T23:59:59Z"),
          week(2, "2024-08-24T00:00:00Z", "2024-08-24T23:59:59Z")}});
    cases.push_back({"SmallFirstClusterAbsorbsTheNextEvenFarAway",
                     "Europe/London",
                     days({{"2024-08-16", 2}, {"2024-09-14", 10}, {"2024-09-21", 10}}),
                     {week(1, "2024-08-16T00:00:00Z", "2024-09-14T23:59:59Z"),
                      week(2, "2024-09-21T00:00:00Z", "2024-09-21T23:59:59Z")}});
    cases.push_back({"SmallLastClusterJoinsThePrevious",
                     "Europe/London",
                     days({{"2025-05-18", 10}, {"2025-05-25", 2}}),
                     {week(1, "2025-05-18T00:00:00Z", "2025-05-25T23:59:59Z")}});
    cases.push_back(
        {"FoldingRestartsFromTheFirstCluster",
         "Europe/London",
         days({{"2024-08-17", 1}, {"2024-08-24", 1}, {"2024-08-31", 5}, {"2024-09-14", 5}}),
         {week(1, "2024-08-17T00:00:00Z", "2024-08-31T23:59:59Z"),
          week(2, "2024-09-14T00:00:00Z", "2024-09-14T23:59:59Z")}});
    cases.push_back({"LoneClusterStaysHoweverSmall",
                     "Europe/London",
                     days({{"2024-08-17", 1}}),
                     {week(1, "2024-08-17T00:00:00Z", "2024-08-17T23:59:59Z")}});
    cases.push_back({"UnreadableDaysAreLeftOut",
                     "Europe/London",
                     {event("2024-08-17T15:00Z"), event("2024-08-17T17:30Z"),
                      event("2024-08-18T14:00Z"), event("TBD"), event("2024-13-40T15:00Z")},
                     {week(1, "2024-08-17T00:00:00Z", "2024-08-18T23:59:59Z")}});

    // Days are the UTC days of `date`: a 00:30 kick-off on Friday is Friday
    // even where it is still Thursday (or already Friday afternoon).
    for (const char* zone : {"America/Los_Angeles", "Pacific/Kiritimati", "Asia/Kolkata"}) {
        auto events = days({{"2024-08-21", 3}, {"2024-08-23", 2}, {"2024-08-24", 3}});
        events.push_back(event("2024-08-23T00:30Z"));
        cases.push_back({"AfterMidnightKickOffCountsForItsUtcDay",
                         zone,
                         events,
                         {week(1, "2024-08-21T00:00:00Z", "2024-08-21T23:59:59Z"),
                          week(2, "2024-08-23T00:00:00Z", "2024-08-24T23:59:59Z")}});
    }
    // Sunday to Tuesday across the end of summer time is still two days
    // apart; counted in local days it would shrink to one and merge rounds.
    for (const char* zone : {"Europe/London", "Europe/Berlin"}) {
        cases.push_back(
            {"EndOfSummerTimeKeepsRoundsApart",
             zone,
             days({{"2024-10-26", 5}, {"2024-10-27", 5}, {"2024-10-29", 5}, {"2024-10-30", 5}}),
             {week(1, "2024-10-26T00:00:00Z", "2024-10-27T23:59:59Z"),
              week(2, "2024-10-29T00:00:00Z", "2024-10-30T23:59:59Z")}});
    }
    return cases;
}

class MatchWeekTable : public testing::TestWithParam<TableCase> {};

TEST_P(MatchWeekTable, Computes) {
    test::ScopedTimeZone zone(GetParam().zone);
    EXPECT_EQ(computeMatchWeeks(GetParam().events), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MatchWeekTable, testing::ValuesIn(tableCases()),
                         [](const auto& param) {
                             return std::string(param.param.name) + "_" +
                                    std::to_string(param.index);
                         });

struct MethodCase {
    int events;
    int numbered;
    MatchWeekMethod expected;
};

class MatchWeekMethodChoice : public testing::TestWithParam<MethodCase> {};

// The backend's numbers win when at least half (rounded down) of the events
// carry one with a readable kick-off, and at least one does.
TEST_P(MatchWeekMethodChoice, FollowsTheShareOfNumberedEvents) {
    std::vector<ESPNEvent> events;
    for (int i = 0; i < GetParam().events; ++i) {
        std::optional<std::int64_t> number;
        if (i < GetParam().numbered) number = i / 10 + 1;
        events.push_back(event("2024-08-" + std::to_string(10 + i % 20) + "T15:00Z", number));
    }
    EXPECT_EQ(matchWeekMethod(events), GetParam().expected);
    EXPECT_FALSE(computeMatchWeeks(events).empty());
}

INSTANTIATE_TEST_SUITE_P(Shares, MatchWeekMethodChoice,
                         testing::Values(MethodCase{380, 190, MatchWeekMethod::WeekNumber},
                                         MethodCase{380, 189, MatchWeekMethod::DateCluster},
                                         MethodCase{7, 3, MatchWeekMethod::WeekNumber},
                                         MethodCase{7, 2, MatchWeekMethod::DateCluster},
                                         MethodCase{1, 1, MatchWeekMethod::WeekNumber},
                                         MethodCase{1, 0, MatchWeekMethod::DateCluster}));

// Weekly rounds of 3 matches on `rounds` Saturdays; round `shortAfter` (if
// any) is followed by a midweek round three days later.
std::vector<ESPNEvent> weeklyRounds(int rounds, int shortAfter) {
    std::vector<ESPNEvent> events;
    Instant day = at("2024-08-17T00:00:00Z");
    for (int r = 0; r < rounds; ++r) {
        addMatches(events, formatInternetDateTime(day).substr(0, 10), 3);
        day += (r == shortAfter ? 3 : 7) * 86400.0;
    }
    return events;
}

// A document of thousands of lone match days, each two days after the
// last, folds into one week (and quickly: counting every cluster again on
// every fold once made this take minutes).
TEST(MatchWeekFolding, ThousandsOfLoneMatchDaysFoldIntoOneWeek) {
    std::vector<ESPNEvent> events;
    const Instant first = at("1990-01-01T00:00:00Z");
    Instant day = first;
    for (int i = 0; i < 20000; ++i, day += 2 * 86400.0)
        addMatches(events, formatInternetDateTime(day).substr(0, 10), 1);
    const auto weeks = computeMatchWeeks(events);
    ASSERT_EQ(weeks.size(), 1u);
    EXPECT_EQ(weeks[0].startDate, first);
    EXPECT_EQ(weeks[0].endDate, day - 2 * 86400.0 + 86399);
}

TEST(MatchWeekCap, ThirtyEightClustersStayAsTheyAre) {
    const auto weeks = computeMatchWeeks(weeklyRounds(38, -1));
    ASSERT_EQ(weeks.size(), 38u);
    for (std::size_t k = 0; k < weeks.size(); ++k) {
        EXPECT_EQ(weeks[k].number, static_cast<std::int64_t>(k) + 1);
        EXPECT_EQ(weeks[k].endDate - weeks[k].startDate, 86399);
    }
}

TEST(MatchWeekCap, ThirtyNineClustersMergeTheClosestPair) {
    const auto weeks = computeMatchWeeks(weeklyRounds(39, 9));
    ASSERT_EQ(weeks.size(), 38u);
    // Rounds 10 (Saturday) and 11 (Tuesday) merge; the merged end gains one
    // more 23:59:59 on top of the last day's end.
    EXPECT_EQ(weeks[9], week(10, "2024-10-19T00:00:00Z", "2024-10-23T23:59:58Z"));
    EXPECT_EQ(weeks[10].startDate, at("2024-10-29T00:00:00Z"));
    for (std::size_t k = 0; k < weeks.size(); ++k)
        EXPECT_EQ(weeks[k].number, static_cast<std::int64_t>(k) + 1);
}

TEST(MatchWeekCap, EqualGapsMergeTheEarliestPair) {
    const auto cal = makeSeasonCalendar();
    std::vector<MatchWeek> weeks;
    for (int k = 0; k < 40; ++k) {
        const Instant start = at("2024-08-17T00:00:00Z") + k * 7 * 86400.0;
        weeks.push_back({100 + k, start, start + 86399});
    }
    const auto capped = enforcing38(weeks, *cal);
    ASSERT_EQ(capped.size(), 38u);
    // Pair (0, 1) merges first; the merged week is then closest to week 2.
    EXPECT_EQ(capped[0].startDate, weeks[0].startDate);
    EXPECT_EQ(capped[0].endDate, weeks[2].endDate + 86399);
    EXPECT_EQ(capped[1], (MatchWeek{2, weeks[3].startDate, weeks[3].endDate}));
}

TEST(DayGap, CountsWholeUtcDays) {
    test::ScopedTimeZone zone("Europe/London");
    const DayParser parser;
    EXPECT_EQ(gap(parser, "2024-08-17", "2024-08-20"), 3);
    EXPECT_EQ(gap(parser, "2024-10-27", "2024-10-29"), 2);  // summer time ends on the 27th
    EXPECT_EQ(gap(parser, "2024-03-30", "2024-03-31"), 1);  // and starts on the 31st
    EXPECT_EQ(gap(parser, "2024-08-17", "not a day"), kUnknownGap);
    EXPECT_EQ(gap(parser, "2024-02-30", "2024-03-01"), kUnknownGap);
}

}  // namespace
}  // namespace fixtora
