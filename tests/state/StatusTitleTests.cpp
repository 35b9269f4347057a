// SPDX-License-Identifier: MIT
// The pure computations behind the view model: status title, countdowns,
// auto-refresh interval, day groups, week range and known teams.
#include "StateTestSupport.hpp"

#include "state/FixturesViewModel.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fixtora;
using namespace fixtora::test;

namespace {

using VM = FixturesViewModel;

constexpr Instant kNow = 1755345600;  // Sat 16 Aug 2025 12:00:00 UTC
constexpr Instant kMin = 60;
constexpr Instant kHour = 3600;
constexpr Instant kDay = 86400;

const DateContext kLondon{"en_GB", "Europe/London"};
const DateContext kBerlinInNewYork{"de_DE", "America/New_York"};

// Live in the second half, home against away.
ESPNEvent live(const char* h, const char* a, const char* hs, const char* as, const char* clock) {
    return match("L", kNow - 30 * kMin, "STATUS_SECOND_HALF", h, a, hs, as, clock);
}
ESPNEvent at(Instant kickOff, const char* h, const char* a,
             const char* status = "STATUS_SCHEDULED") {
    return match("S", kickOff, status, h, a);
}

// The title after the ball: for the shown matches (also matchweek 1 of the cache), the
// favourite, matchweek 2 of the cache and the cycle index.
std::string title(std::vector<ESPNEvent> shown, std::optional<ESPNTeam> favourite = {},
                  std::vector<ESPNEvent> other = {}, int cycle = 0) {
    VM::MatchCache cache{{1, shown}};
    if (!other.empty()) cache[2] = other;
    const auto got = computeStatusBarTitle({shown, cache, favourite, cycle, kNow, kLondon});
    return got.starts_with("\u26BD") ? got.substr(3) : "no ball: " + got;
}

TEST(StatusTitle, ReadsAsExpected) {
    const auto che = std::optional(club("CHE"));
    const auto ars = live("ARS", "CHE", "1", "0", "50'"), liv = live("LIV", "MCI", "0", "2", "51'");
    const auto later = [](Instant in, const char* h, const char* a) { return at(kNow + in, h, a); };
    EXPECT_EQ(title({}), "");  // nothing cached
    EXPECT_EQ(title({later(2 * kHour + 5 * kMin, "ARS", "CHE")}), "  ARS vs CHE  2h 5m");
    // The cycle index picks a live match; out of range it falls back to the first.
    EXPECT_EQ(title({ars, later(kHour, "EVE", "FUL"), liv}, {}, {}, 1), "  LIV 0\u20132 MCI  51'");
    EXPECT_EQ(title({ars, liv}, {}, {}, 5), "  ARS 1\u20130 CHE  50'");
    // Live elsewhere is not shown, but the next kick-off is.
    EXPECT_EQ(title({later(3 * kHour, "EVE", "FUL")}, {}, {ars, later(kHour, "BOU", "BRE")}),
              "  BOU vs BRE  1h 0m");
    // A kick-off passed but not live moves on.
    EXPECT_EQ(title({later(-2 * kMin, "ARS", "CHE"), later(45 * kMin, "EVE", "FUL")}),
              "  EVE vs FUL  45m");
    // The favourite: live away, live in another week, next by kick-off across weeks.
    EXPECT_EQ(title({live("ARS", "CHE", "2", "1", "67'")}, che), "  CHE 1\u20132 ARS  67'");
    EXPECT_EQ(title({later(kHour, "CHE", "ARS")}, che, {live("LIV", "CHE", "0", "0", "5'")}),
              "  CHE 0\u20130 LIV  5'");
    EXPECT_EQ(title({later(5 * kHour, "CHE", "ARS")}, che, {later(3 * kHour, "LIV", "CHE")}),
              "  CHE vs LIV  3h 0m");
    // The favourite's matches only finished or postponed; none; kick-off passed, not live.
    EXPECT_EQ(title({match("1", kNow - kDay, "STATUS_FULL_TIME", "CHE", "ARS", "1", "1"),
                     at(kNow + kDay, "CHE", "LIV", "STATUS_POSTPONED"),
                     at(kNow + kDay, "MCI", "CHE", "STATUS_SUSPENDED")},
                    che),
              "");
    EXPECT_EQ(title({ars}, club("EVE")), "");
    EXPECT_EQ(title({later(-kMin, "CHE", "ARS"), later(2 * kDay, "EVE", "CHE")}, che),
              "  CHE vs EVE  Mon 13:00");
}

// The countdown forms in two locales and a zone west of UTC: 24 hours ahead
// is Sun 17 Aug 12:00 UTC, 13:00 in London and 08:00 in New York; 7 days is
// Sat 23 Aug.
TEST(Countdown, Formats) {
    const std::tuple<bool, long long, const char*> cases[] = {{false, 59, "0m"},
                                                              {false, 3600, "1h 0m"},
                                                              {false, 86399, "23h 59m"},
                                                              {false, 86400, "Sun 13:00"},
                                                              {true, 86400, "So. 08:00"},
                                                              {false, 604799, "Sat 12:59"},
                                                              {false, 604800, "Sat 23 Aug"}};
    for (const auto& [german, seconds, expected] : cases)
        EXPECT_EQ(countdownText(kNow + static_cast<double>(seconds), seconds,
                                german ? kBerlinInNewYork : kLondon),
                  expected)
            << seconds << (german ? " de_DE" : "");
}

// Interval of the next auto-refresh from the displayed matches: a minute
// while a match is live or within ten minutes before to two after a kick-off.
TEST(AutoRefreshInterval, FollowsLiveAndKickOffWindow) {
    const auto scheduledIn = [](Instant delta) {
        return std::vector<ESPNEvent>{match("f", kNow - kDay, "STATUS_FULL_TIME", "EVE", "FUL"),
                                      match("1", kNow + delta, "STATUS_SCHEDULED", "ARS", "CHE")};
    };
    auto undated = match("1", kNow, "STATUS_SCHEDULED", "ARS", "CHE");
    undated.date = "soon";
    const std::pair<std::vector<ESPNEvent>, int> cases[] = {
        {scheduledIn(600), 60},
        {scheduledIn(601), 300},
        {scheduledIn(-120), 60},
        {scheduledIn(-121), 300},
        {{match("1", kNow - kDay, "STATUS_HALFTIME", "ARS", "CHE")}, 60},
        {{match("1", kNow - kMin, "STATUS_FINAL", "ARS", "CHE")}, 300},
        {{undated}, 300}};
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(VM::autoRefreshSeconds(cases[i].first, kNow), cases[i].second) << "case " << i;
}

// Day groups and week range labels in two locales and two zones.
TEST(DayLabels, GroupInBackendOrderWithLocalLabels) {
    ESPNEvent undated = match("undated", kNow, "STATUS_SCHEDULED", "BOU", "BRE");
    undated.date = "2025-08-17";
    const std::vector<ESPNEvent> events = {
        match("A", 1755439200, "STATUS_SCHEDULED", "ARS", "CHE"),  // Sun 17 Aug 14:00 UTC
        match("B", 1755448200, "STATUS_SCHEDULED", "LIV", "MCI"),  // Sun 17 Aug 16:30 UTC
        undated,
        match("C", 1755370800, "STATUS_FULL_TIME", "EVE", "FUL"),  // Sat 16 Aug 19:00 UTC
        match("D", 1755396000, "STATUS_FULL_TIME", "TOT", "WHU"),  // Sun 17 Aug 02:00 UTC
    };
    const std::pair<DateContext, const char*> cases[] = {
        {kLondon, "Sunday,  17 Aug:ABD|Saturday,  16 Aug:C|16 Aug \u2013 20 Aug 2024"},
        {kBerlinInNewYork,
         "Sonntag,  17 Aug.:AB|Samstag,  16 Aug.:CD|16 Aug. \u2013 19 Aug. 2024"}};
    for (const auto& [dates, expected] : cases) {
        std::string got;
        for (const auto& group : groupByDay(events, dates)) {
            EXPECT_EQ(group.id, group.label);
            got += group.label + ":";
            for (const auto& e : group.events) got += e.id;
            got += "|";
        }
        // 16 Aug 2024 11:30 UTC to 20 Aug 2024 02:00 UTC.
        EXPECT_EQ(got + formatWeekRange(1723807800, 1724119200, dates), expected) << dates.locale;
    }
}

TEST(KnownTeams, EachClubOnceSortedByNameInByteOrderKeepingTies) {
    const auto game = [](const char* h, const char* hn, const char* a, const char* an) {
        return match("m", kNow, "STATUS_SCHEDULED", Side{{h, "X", hn, {}}, {}},
                     Side{{a, "X", an, {}}, {}});
    };
    ESPNEvent bare;  // no competition: no sides
    bare.id = "bare";
    VM::MatchCache cache;
    cache[10] = {game("b", "Zeta", "a", "alpha"), bare};
    cache[2] = {game("c", "Beta", "d", "Zeta"), game("a", "Alpha", "c", "X")};
    std::string got;
    for (const auto& t : collectKnownTeams(cache)) got += t.id + " " + t.shortDisplayName + ",";
    // Matchweek 2 first: c, d, a (named "Alpha" there), then b.
    EXPECT_EQ(got, "a Alpha,c Beta,d Zeta,b Zeta,");
}

}  // namespace
