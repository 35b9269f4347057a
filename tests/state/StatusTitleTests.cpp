// SPDX-License-Identifier: MIT
// The pure computations behind the view model: status title, countdowns,
// auto-refresh interval, day groups, week range and known teams.
#include "StateTestSupport.hpp"

#include "state/FixturesViewModel.hpp"

#include <gtest/gtest.h>

#include <functional>
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

std::string title(const std::vector<ESPNEvent>& displayed, const VM::MatchCache& cache,
                  const std::optional<ESPNTeam>& favourite = std::nullopt, int cycle = 0,
                  const DateContext& dates = kLondon) {
    return computeStatusBarTitle({displayed, cache, favourite, cycle, kNow, dates});
}

struct TitleCase {
    std::string name;
    std::vector<ESPNEvent> displayed;            // also matchweek 1 of the cache
    std::vector<ESPNEvent> otherWeek;            // matchweek 2 of the cache
    std::optional<ESPNTeam> favourite;
    int cycle = 0;
    std::string expected;
};

// Names the case in test output; gtest's fallback dumps the raw bytes,
// padding included.
void PrintTo(const TitleCase& c, std::ostream* os) {
    *os << c.name;
}

const ESPNTeam kChelsea = club("CHE");

std::vector<TitleCase> titleCases() {
    const auto live = [](const std::string& id, const std::string& h, const std::string& a, std::string hs,
                         std::string as, std::optional<std::string> clock) {
        return match(id, kNow - 30 * kMin, "STATUS_SECOND_HALF", h, a, hs, as, std::move(clock));
    };
    const auto at = [](const std::string& id, Instant kickOff, const std::string& h, const std::string& a,
                       const std::string& status = "STATUS_SCHEDULED") {
        return match(id, kickOff, status, h, a);
    };
    ESPNEvent noCompetition;
    noCompetition.id = "bare";
    noCompetition.date = "2025-08-16T14:00Z";
    ESPNEvent missingSides = match("ms", kNow - kMin, "STATUS_FIRST_HALF", "ARS", "CHE", std::nullopt, "1", "12'");
    missingSides.competitions[0].competitors.erase(missingSides.competitions[0].competitors.begin());
    ESPNTeam storedChelsea = kChelsea;
    storedChelsea.abbreviation = "CFC";

    return {
        {"NothingCached", {}, {}, {}, 0, "\u26BD"},
        {"LiveHomeLeads", {live("1", "ARS", "CHE", "2", "1", "67'")}, {}, {}, 0, "\u26BD  ARS 2\u20131 CHE  67'"},
        {"HalfTimeText",
         {match("1", kNow - kHour, "STATUS_HALFTIME", "LIV", "MCI", "0", "0", "Halftime")}, {}, {}, 0,
         "\u26BD  LIV 0\u20130 MCI  HT"},
        {"LiveWithoutClockOrScores", {match("1", kNow - 30 * kMin, "STATUS_SECOND_HALF", "ARS", "CHE")}, {}, {}, 0,
         "\u26BD  ARS 0\u20130 CHE"},
        {"LiveWithMissingHomeSide", {missingSides}, {}, {}, 0, "\u26BD  ? 0\u20131 CHE  12'"},
        {"UpcomingCountdown", {at("1", kNow + 2 * kHour + 5 * kMin, "ARS", "CHE")}, {}, {}, 0,
         "\u26BD  ARS vs CHE  2h 5m"},
        {"CycleIndexPicksLiveMatch",
         {live("1", "ARS", "CHE", "1", "0", "50'"), at("x", kNow + kHour, "EVE", "FUL"),
          live("2", "LIV", "MCI", "0", "2", "51'")},
         {}, {}, 1, "\u26BD  LIV 0\u20132 MCI  51'"},
        {"CycleIndexOutOfRangeFallsBackToFirst",
         {live("1", "ARS", "CHE", "1", "0", "50'"), live("2", "LIV", "MCI", "0", "2", "51'")}, {}, {}, 5,
         "\u26BD  ARS 1\u20130 CHE  50'"},
        {"LiveElsewhereIsNotShownButNextKickOffIs", {at("1", kNow + 3 * kHour, "EVE", "FUL")},
         {live("9", "ARS", "CHE", "1", "0", "50'"), at("8", kNow + kHour, "BOU", "BRE")}, {}, 0,
         "\u26BD  BOU vs BRE  1h 0m"},
        {"KickOffPassedButNotLiveMovesOn",
         {at("1", kNow - 2 * kMin, "ARS", "CHE"), at("2", kNow + 45 * kMin, "EVE", "FUL")}, {}, {}, 0,
         "\u26BD  EVE vs FUL  45m"},
        {"KickOffPassedAndNothingLater", {at("1", kNow - 2 * kMin, "ARS", "CHE")}, {}, {}, 0, "\u26BD"},
        {"EventWithoutCompetition", {noCompetition}, {}, {}, 0, "\u26BD"},
        {"FavouriteLiveAway", {live("1", "ARS", "CHE", "2", "1", "67'")}, {}, kChelsea, 0,
         "\u26BD  CHE 1\u20132 ARS  67'"},
        {"FavouriteLiveAtHome", {live("1", "CHE", "ARS", "3", "1", "80'")}, {}, kChelsea, 0,
         "\u26BD  CHE 3\u20131 ARS  80'"},
        {"FavouriteUsesItsStoredAbbreviation", {live("1", "CHE", "ARS", "3", "1", "80'")}, {}, storedChelsea, 0,
         "\u26BD  CFC 3\u20131 ARS  80'"},
        {"FavouriteLiveInAnotherWeekWins", {at("1", kNow + kHour, "CHE", "ARS")},
         {live("2", "LIV", "CHE", "0", "0", "5'")}, kChelsea, 0, "\u26BD  CHE 0\u20130 LIV  5'"},
        {"FavouriteIn59Seconds", {at("1", kNow + 59, "ARS", "CHE")}, {}, kChelsea, 0, "\u26BD  CHE vs ARS  0m"},
        {"FavouriteInOneHour", {at("1", kNow + kHour, "CHE", "ARS")}, {}, kChelsea, 0, "\u26BD  CHE vs ARS  1h 0m"},
        {"FavouriteNextByKickOffAcrossWeeks", {at("1", kNow + 5 * kHour, "CHE", "ARS")},
         {at("2", kNow + 3 * kHour, "LIV", "CHE")}, kChelsea, 0, "\u26BD  CHE vs LIV  3h 0m"},
        {"FavouriteOnlyFinishedOrPostponed",
         {match("1", kNow - kDay, "STATUS_FULL_TIME", "CHE", "ARS", "1", "1"),
          at("2", kNow + kDay, "CHE", "LIV", "STATUS_POSTPONED"), at("3", kNow + kDay, "CHE", "EVE", "STATUS_CANCELLED"),
          at("4", kNow + kDay, "MCI", "CHE", "STATUS_SUSPENDED")},
         {}, kChelsea, 0, "\u26BD"},
        {"FavouriteWithoutMatchesIgnoresOthers", {live("1", "ARS", "LIV", "1", "0", "50'")}, {}, kChelsea, 0,
         "\u26BD"},
        {"FavouriteKickOffPassedNotLive",
         {at("1", kNow - kMin, "CHE", "ARS"), at("2", kNow + 2 * kDay, "EVE", "CHE")}, {}, kChelsea, 0,
         "\u26BD  CHE vs EVE  Mon 13:00"},
    };
}

class StatusTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(StatusTitle, ReadsAsExpected) {
    const auto& c = GetParam();
    VM::MatchCache cache{{1, c.displayed}};
    if (!c.otherWeek.empty()) cache[2] = c.otherWeek;
    EXPECT_EQ(title(c.displayed, cache, c.favourite, c.cycle), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, StatusTitle, ::testing::ValuesIn(titleCases()),
                         [](const auto& testInfo) { return testInfo.param.name; });

// The countdown forms in two locales and a zone west of UTC.
struct CountdownCase {
    DateContext dates;
    long long seconds;
    std::string expected;
};

void PrintTo(const CountdownCase& c, std::ostream* os) {
    *os << c.seconds << " s in " << c.dates.locale << ", " << c.dates.timeZone;
}

class Countdown : public ::testing::TestWithParam<CountdownCase> {};

TEST_P(Countdown, Formats) {
    const auto& c = GetParam();
    EXPECT_EQ(countdownText(kNow + static_cast<double>(c.seconds), c.seconds, c.dates), c.expected);
}

const DateContext kBerlinInNewYork{"de_DE", "America/New_York"};

INSTANTIATE_TEST_SUITE_P(
    Forms, Countdown,
    ::testing::Values(CountdownCase{kLondon, 1, "0m"}, CountdownCase{kLondon, 59, "0m"},
                      CountdownCase{kLondon, 45 * 60 + 59, "45m"}, CountdownCase{kLondon, 3600, "1h 0m"},
                      CountdownCase{kLondon, 2 * 3600 + 5 * 60 + 30, "2h 5m"},
                      CountdownCase{kLondon, 86399, "23h 59m"},
                      // 24 hours: Sun 17 Aug 12:00 UTC is 13:00 in London, 08:00 in New York.
                      CountdownCase{kLondon, 86400, "Sun 13:00"},
                      CountdownCase{kBerlinInNewYork, 86400, "So. 08:00"},
                      CountdownCase{kLondon, 604799, "Sat 12:59"},
                      // 7 days: Sat 23 Aug.
                      CountdownCase{kLondon, 604800, "Sat 23 Aug"},
                      CountdownCase{kBerlinInNewYork, 604800, "Sa. 23 Aug."},
                      CountdownCase{kBerlinInNewYork, 3600, "1h 0m"}));

// Interval of the next auto-refresh from the displayed matches.
struct RefreshCase {
    std::string name;
    std::vector<ESPNEvent> events;
    int expected;
};

void PrintTo(const RefreshCase& c, std::ostream* os) {
    *os << c.name;
}

class AutoRefreshInterval : public ::testing::TestWithParam<RefreshCase> {};

TEST_P(AutoRefreshInterval, FollowsLiveAndKickOffWindow) {
    EXPECT_EQ(VM::autoRefreshSeconds(GetParam().events, kNow), GetParam().expected);
}

RefreshCase scheduledIn(const std::string& name, Instant delta, int expected) {
    return {name,
            {match("f", kNow - kDay, "STATUS_FULL_TIME", "EVE", "FUL"),
             match("1", kNow + delta, "STATUS_SCHEDULED", "ARS", "CHE")},
            expected};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AutoRefreshInterval,
    ::testing::Values(
        RefreshCase{"NoMatches", {}, 300}, scheduledIn("KickOffIn9Minutes", 9 * kMin, 60),
        scheduledIn("KickOffIn10Minutes", 600, 60), scheduledIn("KickOffIn10MinutesAnd1Second", 601, 300),
        scheduledIn("KickOffIn11Minutes", 11 * kMin, 300), scheduledIn("KickOff2MinutesAgo", -120, 60),
        scheduledIn("KickOff121SecondsAgo", -121, 300), scheduledIn("KickOff3MinutesAgo", -3 * kMin, 300),
        RefreshCase{"AnyLive", {match("1", kNow - kDay, "STATUS_HALFTIME", "ARS", "CHE")}, 60},
        RefreshCase{"FinishedInsideWindow", {match("1", kNow - kMin, "STATUS_FINAL", "ARS", "CHE")}, 300},
        RefreshCase{"WithoutKickOff",
                    {[] {
                        auto e = match("1", kNow, "STATUS_SCHEDULED", "ARS", "CHE");
                        e.date = "soon";
                        return e;
                    }()},
                    300}),
    [](const auto& testInfo) { return testInfo.param.name; });

// Day groups and week range labels in two locales and two zones.
struct LabelCase {
    std::string name;
    DateContext dates;
    std::vector<std::pair<std::string, std::vector<std::string>>> groups;
    std::string weekRange;
};

void PrintTo(const LabelCase& c, std::ostream* os) {
    *os << c.name;
}

class DayLabels : public ::testing::TestWithParam<LabelCase> {};

TEST_P(DayLabels, GroupInBackendOrderWithLocalLabels) {
    const auto& c = GetParam();
    ESPNEvent undated = match("undated", kNow, "STATUS_SCHEDULED", "BOU", "BRE");
    undated.date = "2025-08-17";
    const std::vector<ESPNEvent> events = {
        match("A", 1755439200, "STATUS_SCHEDULED", "ARS", "CHE"),  // Sun 17 Aug 14:00 UTC
        match("B", 1755448200, "STATUS_SCHEDULED", "LIV", "MCI"),  // Sun 17 Aug 16:30 UTC
        undated,
        match("C", 1755370800, "STATUS_FULL_TIME", "EVE", "FUL"),  // Sat 16 Aug 19:00 UTC
        match("D", 1755396000, "STATUS_FULL_TIME", "TOT", "WHU"),  // Sun 17 Aug 02:00 UTC
    };
    const auto groups = groupByDay(events, c.dates);
    std::vector<std::pair<std::string, std::vector<std::string>>> got;
    for (const auto& group : groups) {
        EXPECT_EQ(group.id, group.label);
        std::vector<std::string> ids;
        for (const auto& e : group.events) ids.push_back(e.id);
        got.emplace_back(group.label, ids);
    }
    EXPECT_EQ(got, c.groups);
    EXPECT_TRUE(groupByDay({}, c.dates).empty());
    // 16 Aug 2024 11:30 UTC to 20 Aug 2024 02:00 UTC.
    EXPECT_EQ(formatWeekRange(1723807800, 1724119200, c.dates), c.weekRange);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DayLabels,
    ::testing::Values(
        LabelCase{"EnglishLondon",
                  kLondon,
                  {{"Sunday,  17 Aug", {"A", "B", "D"}}, {"Saturday,  16 Aug", {"C"}}},
                  "16 Aug \u2013 20 Aug 2024"},
        LabelCase{"EnglishNewYork",
                  {"en_GB", "America/New_York"},
                  {{"Sunday,  17 Aug", {"A", "B"}}, {"Saturday,  16 Aug", {"C", "D"}}},
                  "16 Aug \u2013 19 Aug 2024"},
        LabelCase{"GermanNewYork",
                  kBerlinInNewYork,
                  {{"Sonntag,  17 Aug.", {"A", "B"}}, {"Samstag,  16 Aug.", {"C", "D"}}},
                  "16 Aug. \u2013 19 Aug. 2024"}),
    [](const auto& testInfo) { return testInfo.param.name; });

TEST(KnownTeams, EachClubOnceSortedByNameInByteOrderKeepingTies) {
    auto team = [](std::string id, std::string name) { return ESPNTeam{std::move(id), "X", std::move(name), {}}; };
    auto game = [](const std::string& id, ESPNTeam home, ESPNTeam away) {
        return match(id, kNow, "STATUS_SCHEDULED", Side{std::move(home), {}}, Side{std::move(away), {}});
    };
    ESPNEvent bare;  // no competition: no sides
    bare.id = "bare";
    VM::MatchCache cache;
    cache[10] = {game("late", team("b", "Zeta"), team("a", "alpha")), bare};
    cache[2] = {game("early", team("c", "Beta"), team("d", "Zeta")), game("again", team("a", "Alpha"), team("c", "X"))};
    std::vector<std::string> ids, names;
    for (const auto& t : collectKnownTeams(cache)) {
        ids.push_back(t.id);
        names.push_back(t.shortDisplayName);
    }
    // Matchweek 2 first: c, d, a (named "Alpha" there), then b.
    EXPECT_EQ(ids, (std::vector<std::string>{"a", "c", "d", "b"}));
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "Zeta", "Zeta"}));
    EXPECT_TRUE(collectKnownTeams({}).empty());
}

}  // namespace
