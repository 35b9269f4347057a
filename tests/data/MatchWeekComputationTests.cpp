// SPDX-License-Identifier: MIT
#include "support/MatchBuilders.hpp"

#include "data/MatchWeekComputation.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace fixtora {
namespace {

using test::addMatches;
using test::at;
using test::event;

// "2024-08-17*3": three matches that day; "2024-08-31T14:00Z#4": one match
// in backend week 4; "2024-08-17T15:00Z": one match without a week.
std::vector<ESPNEvent> events(const std::string& days) {
    std::vector<ESPNEvent> out;
    std::istringstream in(days);
    for (std::string token; in >> token;) {
        const auto star = token.find('*'), hash = token.find('#');
        if (star != std::string::npos) {
            addMatches(out, token.substr(0, star), std::stoi(token.substr(star + 1)));
        } else if (hash != std::string::npos) {
            out.push_back(event(token.substr(0, hash), std::stoll(token.substr(hash + 1))));
        } else {
            out.push_back(event(token));
        }
    }
    return out;
}

// "1 08-16T19:00:00/08-20T18:59:59; ..." (UTC, the year left out).
std::string print(const std::vector<MatchWeek>& weeks) {
    std::string out;
    for (const auto& w : weeks)
        out += std::to_string(w.number) + " " + formatInternetDateTime(w.startDate).substr(5, 14) +
               "/" + formatInternetDateTime(w.endDate).substr(5, 14) + "; ";
    return out;
}

TEST(MatchWeekTable, FollowsTheBackendNumbersOrClustersOfDays) {
    struct Case {
        const char* zone;
        std::string events, weeks;
    };
    std::vector<Case> cases = {
        // Backend numbers: ascending whatever the input order, gaps kept, each
        // week from its first kick-off to 23:59:59 after its last one.
        {"Europe/London",
         "2024-08-31T14:00Z#4 2024-08-16T19:00Z#1 2024-08-17T14:00Z#1 2024-08-19T19:00:00Z#1 "
         "2024-08-24T11:30Z#2 2024-08-25T15:30Z#2",
         "1 08-16T19:00:00/08-20T18:59:59; 2 08-24T11:30:00/08-26T15:29:59; "
         "4 08-31T14:00:00/09-01T13:59:59; "},
        {"Europe/London",
         "2024-09-21T14:00Z#5 2024-09-22T15:30Z#5 2025-02-12T19:30Z#5 "
         "2024-09-28T14:00Z#6",
         "5 09-21T14:00:00/02-13T19:29:59; 6 09-28T14:00:00/09-29T13:59:59; "},
        // Date clusters: a day joins when it is at most one day after the previous.
        {"Europe/London",
         "2024-08-17*3 2024-08-18*2 2024-08-19*1 2024-08-20*2 2024-08-21*2 2024-08-24*5",
         "1 08-17T00:00:00/08-21T23:59:59; 2 08-24T00:00:00/08-24T23:59:59; "},
        {"Europe/London", "2024-08-17*3 2024-08-18*2 2024-08-19*1 2024-08-21*3 2024-08-22*2",
         "1 08-17T00:00:00/08-19T23:59:59; 2 08-21T00:00:00/08-22T23:59:59; "},
        // Clusters of fewer than 3 matches fold into the nearer neighbour, the
        // earlier one at equal distance, the first into the next however far.
        {"Europe/London", "2024-08-17*5 2024-08-18*5 2024-08-22*1 2024-08-24*10",
         "1 08-17T00:00:00/08-18T23:59:59; 2 08-22T00:00:00/08-24T23:59:59; "},
        {"Europe/London", "2024-08-17*5 2024-08-18*5 2024-08-21*1 2024-08-24*10",
         "1 08-17T00:00:00/08-21T23:59:59; 2 08-24T00:00:00/08-24T23:59:59; "},
        {"Europe/London", "2024-08-16*2 2024-09-14*10 2024-09-21*10",
         "1 08-16T00:00:00/09-14T23:59:59; 2 09-21T00:00:00/09-21T23:59:59; "},
        {"Europe/London", "2025-05-18*10 2025-05-25*2", "1 05-18T00:00:00/05-25T23:59:59; "},
        {"Europe/London", "2024-08-17*1 2024-08-24*1 2024-08-31*5 2024-09-14*5",
         "1 08-17T00:00:00/08-31T23:59:59; 2 09-14T00:00:00/09-14T23:59:59; "},
        {"Europe/London", "2024-08-17*1", "1 08-17T00:00:00/08-17T23:59:59; "},
        {"Europe/London",
         "2024-08-17T15:00Z 2024-08-17T17:30Z 2024-08-18T14:00Z TBD 2024-13-40T15:00Z",
         "1 08-17T00:00:00/08-18T23:59:59; "},
    };
    // Days are the UTC days of `date`: a 00:30 kick-off on Friday is Friday
    // even where it is still Thursday (or already Friday afternoon).
    for (const char* zone : {"America/Los_Angeles", "Pacific/Kiritimati", "Asia/Kolkata"})
        cases.push_back({zone, "2024-08-21*3 2024-08-23*2 2024-08-24*3 2024-08-23T00:30Z",
                         "1 08-21T00:00:00/08-21T23:59:59; 2 08-23T00:00:00/08-24T23:59:59; "});
    // Sunday to Tuesday across the end of summer time is still two days
    // apart; counted in local days it would shrink to one and merge rounds.
    for (const char* zone : {"Europe/London", "Europe/Berlin"})
        cases.push_back({zone, "2024-10-26*5 2024-10-27*5 2024-10-29*5 2024-10-30*5",
                         "1 10-26T00:00:00/10-27T23:59:59; 2 10-29T00:00:00/10-30T23:59:59; "});
    for (const auto& c : cases) {
        test::ScopedTimeZone zone(c.zone);
        EXPECT_EQ(print(computeMatchWeeks(events(c.events))), c.weeks) << c.zone << " " << c.events;
    }
}

// The backend's numbers win when at least half (rounded down) of the events
// carry one with a readable kick-off, and at least one does.
TEST(MatchWeekMethodChoice, FollowsTheShareOfNumberedEvents) {
    const struct {
        int events, numbered;
        MatchWeekMethod expected;
    } cases[] = {{7, 3, MatchWeekMethod::WeekNumber},
                 {7, 2, MatchWeekMethod::DateCluster},
                 {1, 1, MatchWeekMethod::WeekNumber},
                 {1, 0, MatchWeekMethod::DateCluster}};
    for (const auto& c : cases) {
        std::vector<ESPNEvent> list;
        for (int i = 0; i < c.events; ++i)
            list.push_back(
                event("2024-08-" + std::to_string(10 + i % 20) + "T15:00Z",
                      i < c.numbered ? std::optional<std::int64_t>(i / 10 + 1) : std::nullopt));
        EXPECT_EQ(matchWeekMethod(list), c.expected) << c.events << " " << c.numbered;
        EXPECT_FALSE(computeMatchWeeks(list).empty());
    }
}

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
    EXPECT_EQ(computeMatchWeeks(events), (std::vector<MatchWeek>{{1, first, day - 86400.0 - 1}}));
}

TEST(MatchWeekCap, ThirtyEightClustersStayAndThirtyNineMergeTheClosestPair) {
    const auto kept = computeMatchWeeks(weeklyRounds(38, -1));
    ASSERT_EQ(kept.size(), 38u);
    EXPECT_EQ(print({kept[37]}), "38 05-03T00:00:00/05-03T23:59:59; ");

    const auto weeks = computeMatchWeeks(weeklyRounds(39, 9));
    ASSERT_EQ(weeks.size(), 38u);
    // Rounds 10 (Saturday) and 11 (Tuesday) merge; the merged end gains one
    // more 23:59:59 on top of the last day's end.
    EXPECT_EQ(print({weeks[9], weeks[10]}),
              "10 10-19T00:00:00/10-23T23:59:58; 11 10-29T00:00:00/10-29T23:59:59; ");
    EXPECT_EQ(weeks[37].number, 38);
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
