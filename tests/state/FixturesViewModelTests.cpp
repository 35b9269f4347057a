// SPDX-License-Identifier: MIT
// The view model in virtual time: a manual scheduler, a settable clock, a
// real schedule read from its cache file and a matches source that holds
// every answer until the test releases it.
#include "StateTestSupport.hpp"

#include "data/MatchWeek.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "state/FixturesViewModel.hpp"
#include "support/LoopbackServer.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

using namespace fixtora;
using namespace fixtora::test;

namespace {

constexpr Instant kSeasonStart = 1754611200;  // Fri 8 Aug 2025 00:00 UTC
constexpr Instant kWeek = 7 * 86400;
const DateContext kLondon{"en_GB", "Europe/London"};
const std::string kBall = "\u26BD";

MatchWeek weekNumber(std::int64_t n) {
    const Instant start = kSeasonStart + static_cast<double>(n - 1) * kWeek;
    return MatchWeek{n, start, start + kWeek - 1};
}

std::vector<MatchWeek> season(int count) {
    std::vector<MatchWeek> weeks;
    for (int n = 1; n <= count; ++n) weeks.push_back(weekNumber(n));
    return weeks;
}

const auto middleOf = [](std::int64_t n) { return weekNumber(n).startDate + 3.5 * 86400; };
const auto failure = [](int status) -> Result<std::vector<ESPNEvent>> {
    return Error{kAPIClientErrorDomain, status, "Server returned HTTP " + std::to_string(status)};
};

class FixturesViewModelTest : public ::testing::Test {
  protected:
    void givenSeason(const std::vector<MatchWeek>& weeks, Instant now) {
        clock->set(now);
        schedule = std::make_shared<MatchWeekSchedule>(
            http, "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()), paths, clock, main);
        std::filesystem::create_directories(schedule->cacheFile().parent_path());
        writeFile(schedule->cacheFile(), encodeMatchWeeks(weeks));
        // Written "now" by the virtual clock, so that the schedule trusts it.
        const auto written = std::chrono::sys_seconds(std::chrono::seconds(std::int64_t(now)));
        std::filesystem::last_write_time(schedule->cacheFile(),
                                         std::chrono::file_clock::from_sys(written));
    }
    void start(int weeks = 38, std::int64_t now = 12) {
        if (!schedule) givenSeason(season(weeks), middleOf(now));
        vm = FixturesViewModel::create(schedule, fetcher, nullptr, prefs, clock, main, kLondon);
        main->runUntilIdle();
    }

    /// The newest unanswered request for matchweek `gw`.
    std::size_t pending(std::int64_t gw) {
        const auto found = fetcher->pendingFrom(weekNumber(gw).startDate);
        EXPECT_FALSE(found.empty()) << "no pending request for matchweek " << gw;
        return found.empty() ? 0 : found.back();
    }
    std::size_t pendingCount(std::int64_t gw) {
        return fetcher->pendingFrom(weekNumber(gw).startDate).size();
    }
    void answer(std::int64_t gw, Result<std::vector<ESPNEvent>> result) {
        fetcher->answer(pending(gw), std::move(result));
        main->runUntilIdle();
    }
    void answer(std::int64_t gw, std::vector<ESPNEvent> events) {
        answer(gw, Result(std::move(events)));
    }

    /// Two scheduled matches one and two hours after the middle of
    /// matchweek `gw`, by clubs named after the week.
    static std::vector<ESPNEvent> fixtures(std::int64_t gw) {
        const auto n = std::to_string(gw);
        return {match(n + "a", middleOf(gw) + 3600, "STATUS_SCHEDULED", "H" + n, "A" + n),
                match(n + "b", middleOf(gw) + 7200, "STATUS_SCHEDULED", "X" + n, "Y" + n)};
    }
    ESPNEvent at(Instant offset, const char* status, const char* home, const char* away,
                 std::optional<std::string> hs = {}, std::optional<std::string> as = {},
                 std::optional<std::string> detail = {}, const char* id = "1") {
        return match(id, clock->now() + offset, status, home, away, hs, as, detail);
    }

    TempDir dir;
    std::shared_ptr<SettableClock> clock = std::make_shared<SettableClock>(0);
    std::shared_ptr<ManualScheduler> main = std::make_shared<ManualScheduler>(clock);
    std::shared_ptr<HttpClient> http = std::make_shared<CurlHttpClient>();
    std::shared_ptr<const Paths> paths = std::make_shared<FixedPaths>(dir.path());
    std::shared_ptr<ScriptedFetcher> fetcher = std::make_shared<ScriptedFetcher>();
    std::shared_ptr<InMemoryPreferences> prefs = std::make_shared<InMemoryPreferences>();
    std::shared_ptr<MatchWeekSchedule> schedule;
    std::shared_ptr<FixturesViewModel> vm;
};

TEST_F(FixturesViewModelTest, LoadsTheScheduleThenTheCurrentWeekAndItsNeighbours) {
    start();
    EXPECT_EQ(std::tuple(vm->isLoadingSchedule(), vm->scheduleError(), vm->totalGWs(), vm->liveGW(),
                         vm->currentGW(), vm->isFetchingMatches(), vm->activeFetch()),
              std::tuple(false, std::nullopt, 38, 12, 12, true, 12));
    ASSERT_EQ(fetcher->count(), 1u);
    EXPECT_EQ(std::tuple(fetcher->request(0).from, fetcher->request(0).to),
              std::tuple(weekNumber(12).startDate, weekNumber(12).endDate));
    vm->fetchMatches();  // already under way: no second request
    EXPECT_EQ(std::tuple(vm->weekRangeLabel(), fetcher->count()),
              std::tuple("24 Oct \u2013 30 Oct 2025", 1u));

    answer(12, fixtures(12));
    EXPECT_EQ(std::tuple(vm->events().size(), vm->isFetchingMatches(), vm->activeFetch(),
                         vm->knownTeams().size(), vm->autoRefreshInterval()),
              std::tuple(2u, false, std::nullopt, 4u, 300));
    EXPECT_EQ(std::tuple(pendingCount(11), pendingCount(13), vm->statusBarTitle()),
              std::tuple(1u, 1u, kBall + "  H12 vs A12  1h 0m"));
}

TEST_F(FixturesViewModelTest, ATableWithGapsKeepsItsLastWeekReachable) {
    givenSeason({weekNumber(1), weekNumber(2), weekNumber(5)}, middleOf(1));
    start();
    EXPECT_EQ(vm->totalGWs(), 5);
    answer(1, fixtures(1));
    answer(2, fixtures(2));
    for (int i = 0; i < 5; ++i) vm->nextGW();
    // Unknown matchweeks are never requested.
    EXPECT_EQ(std::tuple(vm->currentGW(), pendingCount(5), pendingCount(3) + pendingCount(4)),
              std::tuple(5, 1u, 0u));
}

TEST_F(FixturesViewModelTest, NavigationGuardsChangeNothing) {
    givenSeason(season(3), kSeasonStart - 86400);  // before the season: matchweek 1
    start();
    answer(1, failure(503));
    ASSERT_EQ(vm->matchError(), "Server returned HTTP 503");
    using VM = FixturesViewModel;
    const std::tuple<void (VM::*)(), int, bool> steps[] = {
        {&VM::prevGW, 1, false},      {&VM::goToCurrentGW, 1, false}, {&VM::nextGW, 2, true},
        {&VM::nextGW, 3, true},       {&VM::nextGW, 3, false},  // at the last week
        {&VM::goToCurrentGW, 1, true}};
    for (const auto& [move, expectedGW, moves] : steps) {
        SCOPED_TRACE(expectedGW);
        const auto before = fetcher->count();
        const auto error = vm->matchError();
        ((*vm).*move)();
        main->runUntilIdle();
        EXPECT_EQ(std::tuple(vm->currentGW(), vm->matchError(), fetcher->count() > before),
                  std::tuple(expectedGW, moves ? std::nullopt : error, moves));
        for (std::size_t i = 0; i < fetcher->count(); ++i)
            if (!fetcher->request(i).answered) fetcher->answer(i, failure(500));
        main->runUntilIdle();
    }
}

TEST_F(FixturesViewModelTest, AnswersForALeftWeekAreCachedButNotShown) {
    start(38, 5);
    vm->nextGW();  // 5 still loading
    EXPECT_EQ(vm->activeFetch(), 6);
    answer(5, fixtures(5));
    // The fetching flag is cleared by any answer, though 6 still loads.
    EXPECT_EQ(std::tuple(vm->matchCache().count(5), vm->events().size(), vm->activeFetch(),
                         vm->isFetchingMatches()),
              std::tuple(1u, 0u, 6, false));

    vm->prevGW();  // a cached week shows at once, and reloads
    EXPECT_EQ(std::tuple(vm->events()[0].id, pendingCount(5)), std::tuple("5a", 1u));
    vm->nextGW();
    answer(5, failure(503));
    EXPECT_EQ(vm->matchError(), std::nullopt) << "a failure for a left week sets no text";
    answer(6, fixtures(6));
    EXPECT_EQ(vm->events()[0].id, "6a");
}

TEST_F(FixturesViewModelTest, PrefetchesOnlyUncachedNeighboursInsideTheSeason) {
    givenSeason(season(3), kSeasonStart);
    start();
    answer(1, fixtures(1));
    EXPECT_EQ(std::tuple(pendingCount(2), fetcher->count()), std::tuple(1u, 2u)) << "none before 1";
    answer(2, fixtures(2));
    vm->nextGW();
    answer(2, fixtures(2));
    EXPECT_EQ(std::tuple(pendingCount(3), fetcher->count()), std::tuple(1u, 4u)) << "1 is cached";
    vm->nextGW();
    for (auto i : fetcher->pendingFrom(weekNumber(3).startDate)) fetcher->answer(i, fixtures(3));
    main->runUntilIdle();
    EXPECT_EQ(fetcher->count(), 5u) << "nothing after the last matchweek";
}

TEST_F(FixturesViewModelTest, AnOlderAnswerNeverRollsAWeekBack) {
    start();
    answer(12, fixtures(12));
    vm->refresh();
    vm->refresh();
    const auto found = fetcher->pendingFrom(weekNumber(12).startDate);
    ASSERT_EQ(found.size(), 2u);
    auto newer = fixtures(12);
    newer[0] = match("12a", middleOf(12), "STATUS_FULL_TIME", "H12", "A12", "3", "0");
    fetcher->answer(found[1], newer);
    fetcher->answer(found[0], fixtures(12));
    main->runUntilIdle();
    for (const auto& e : {vm->events()[0], vm->matchCache().at(12)[0]})
        EXPECT_EQ(e.competitions[0].competitors[0].score, "3");
}

TEST_F(FixturesViewModelTest, RefreshQuietlyReloadsOtherCachedWeeksWithLiveMatches) {
    givenSeason(season(38), middleOf(12));
    prefs->setString("fav_id", "id-L13");
    prefs->setString("fav_abbr", "L13");
    prefs->setString("fav_name", "Club L13");
    start();
    answer(12, fixtures(12));
    auto liveThere = fixtures(13);
    liveThere.push_back(at(-1800, "STATUS_SECOND_HALF", "L13", "M13", "2", "2", "75'", "13c"));
    answer(13, liveThere);
    answer(11, fixtures(11));
    EXPECT_EQ(vm->statusBarTitle(), kBall + "  L13 2\u20132 M13  75'");

    vm->refresh();  // the week holding a live match is reloaded too
    EXPECT_EQ(std::tuple(pendingCount(12), pendingCount(13), pendingCount(11)),
              std::tuple(1u, 1u, 0u));
    liveThere.back() = at(-5400, "STATUS_FULL_TIME", "L13", "M13", "2", "3", {}, "13c");
    answer(13, liveThere);
    // The ended match no longer shows as live; the quiet reload never reaches the list.
    EXPECT_EQ(std::tuple(vm->statusBarTitle(), vm->matchError(), vm->events()[0].id),
              std::tuple(kBall, std::nullopt, "12a"));
}

// The order of the cycle is the title's; here: two live matches cycle, one does not.
TEST_F(FixturesViewModelTest, TitleCyclesThroughLiveMatchesWithoutAFavourite) {
    start();
    std::vector<ESPNEvent> live = {
        at(-600, "STATUS_FIRST_HALF", "ARS", "CHE", "1", "0", "10'", "1"),
        at(-900, "STATUS_HALFTIME", "LIV", "MCI", "0", "0", "Halftime", "3")};
    answer(12, live);
    main->advance(10);
    EXPECT_EQ(std::tuple(vm->isCycling(), vm->statusBarTitle()),
              std::tuple(true, kBall + "  LIV 0\u20130 MCI  HT"));
    vm->refresh();
    live[1].competitions[0].status.type.name = "STATUS_FULL_TIME";
    answer(12, live);
    EXPECT_FALSE(vm->isCycling());
}

TEST_F(FixturesViewModelTest, AStoredFavouriteIsRestoredOnlyWhenWhole) {
    givenSeason(season(38), middleOf(12));
    prefs->setString("fav_id", "id-CHE");
    prefs->setString("fav_abbr", "CHE");
    start();
    EXPECT_EQ(std::tuple(vm->favouriteTeam(), prefs->string("fav_id"), prefs->string("fav_abbr")),
              std::tuple(std::nullopt, "id-CHE", "CHE"))
        << "a partial favourite is none, and left alone";
    prefs->setString("fav_name", "Club CHE");
    vm.reset();
    start();
    ASSERT_TRUE(vm->favouriteTeam());
    EXPECT_EQ(std::tuple(vm->favouriteTeam()->logo, vm->statusBarTitle()),
              std::tuple(std::nullopt, kBall));
    answer(12, {at(7200, "STATUS_SCHEDULED", "ARS", "CHE")});
    EXPECT_EQ(vm->statusBarTitle(), kBall + "  CHE vs ARS  2h 0m");
}

TEST_F(FixturesViewModelTest, SubscribersHearOfChangesUntilTheyUnsubscribe) {
    start();
    std::vector<std::string> titles;
    int changes = 0;
    auto titleSubscription = vm->subscribeTitle([&](const std::string& t) { titles.push_back(t); });
    auto changeSubscription = vm->subscribe([&] { ++changes; });
    answer(12, {at(3 * 60 + 30, "STATUS_SCHEDULED", "ARS", "CHE")});
    main->advance(60);  // the sixty-second tick keeps the countdown current
    vm->nextGW();
    // The current title at once, then each change; one notification per answer, tick and move.
    EXPECT_EQ(std::tuple(titles, changes),
              std::tuple(std::vector<std::string>{kBall, kBall + "  ARS vs CHE  3m",
                                                  kBall + "  ARS vs CHE  2m"},
                         3));
    titleSubscription.reset();
    changeSubscription = Subscription{};
    vm->prevGW();
    main->advance(300);
    EXPECT_EQ(std::tuple(titles.size(), changes), std::tuple(3u, 3));
}

TEST_F(FixturesViewModelTest, AnswersAndTimersAfterDestructionDoNothing) {
    start();
    answer(12, {at(-60, "STATUS_FIRST_HALF", "ARS", "CHE", "0", "0", "1'", "1"),
                at(-60, "STATUS_FIRST_HALF", "LIV", "MCI", "0", "0", "1'", "2")});
    auto title = vm->subscribeTitle([](const std::string&) {});
    std::weak_ptr<FixturesViewModel> weak = vm;
    vm.reset();
    EXPECT_TRUE(weak.expired());
    fetcher->answer(pending(11), fixtures(11));
    fetcher->answer(pending(13), failure(500));
    main->runUntilIdle();
    main->advance(600);
    EXPECT_EQ(main->timerCount(), 0u) << "the model's timers went with it";
    title.reset();
}

TEST_F(FixturesViewModelTest, MalformedMatchesFallBackInsteadOfFailing) {
    start();
    ESPNEvent bare;  // no competition at all
    bare.id = "bare";
    bare.date = "not a date";
    auto oneSided = at(-60, "STATUS_FIRST_HALF", "ARS", "CHE", std::nullopt, "2", "2'", "one");
    oneSided.competitions[0].competitors.pop_back();  // no away side
    auto undated = at(0, "STATUS_SCHEDULED", "LIV", "MCI", {}, {}, {}, "undated");
    undated.date = "2025-10-31";
    auto noLogo =
        match("nologo", clock->now() + 3600, "STATUS_SCHEDULED", Side{club("EVE", "not a url"), {}},
              Side{club("FUL", "https://crests.example/ful.png"), {}});
    answer(12, {bare, oneSided, undated, noLogo});
    EXPECT_EQ(std::tuple(vm->statusBarTitle(), vm->isCycling()),
              std::tuple(kBall + "  ARS 0\u20130 ?  2'", false));
    std::vector<std::string> grouped;
    for (const auto& group : vm->groupedEvents())
        for (const auto& e : group.events) grouped.push_back(e.id);
    EXPECT_EQ(grouped, (std::vector<std::string>{"one", "nologo"}));
    EXPECT_EQ(vm->knownTeams().size(), 5u);
    answer(11, Error{"JSON", 1, "unexpected end of input"});  // a failed prefetch is dropped
    EXPECT_EQ(vm->matchError(), std::nullopt);
}

}  // namespace
