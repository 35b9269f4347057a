// SPDX-License-Identifier: MIT
// The real view model, schedule, backend client and crest cache against the
// demo backend over loopback HTTP.
#include "DemoBackend.hpp"
#include "data/APIClient.hpp"
#include "data/ImageCache.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/WorkerScheduler.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchesFetcher.hpp"
#include "support/FakeImageDecoder.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <chrono>

using namespace fixtora;

namespace {

constexpr auto kPatience = std::chrono::seconds(30);

TEST(FixturesViewModelEndToEnd, ShowsTheCurrentMatchweekTitleAndTeamsFromTheDemoBackend) {
    test::TempDir dir;
    auto clock = std::make_shared<SettableClock>(SystemClock().now());
    auto main = std::make_shared<ManualScheduler>(clock);
    auto io = std::make_shared<WorkerScheduler>("crests");
    demo::DemoBackend backend(demo::DemoBackend::Options{}, clock);
    backend.start();
    auto http = std::make_shared<CurlHttpClient>();
    auto paths = std::make_shared<FixedPaths>(dir.path());
    auto schedule = std::make_shared<MatchWeekSchedule>(http, backend.url(), paths, clock, main);
    auto images = std::make_shared<ImageCache>(
        http, paths, std::make_shared<test::FakeImageDecoder>(), main, io);
    auto fetcher = MatchesFetcher::fromClient(std::make_shared<APIClient>(http, backend.url()));
    auto prefs = std::make_shared<InMemoryPreferences>();
    auto vm = FixturesViewModel::create(schedule, fetcher, images, prefs, clock, main,
                                        {"en_GB", "Europe/London"});

    ASSERT_TRUE(main->runUntil(
        [&] { return !vm->events().empty() && vm->knownTeams().size() == 20; }, kPatience))
        << "schedule error: " << vm->scheduleError().value_or("none")
        << ", match error: " << vm->matchError().value_or("none");
    EXPECT_EQ(std::tuple(vm->totalGWs(), vm->currentGW()), std::tuple(38, vm->liveGW()));
    // The demo season has matches live in the current matchweek.
    EXPECT_EQ(vm->statusBarTitle().rfind("\u26BD  ", 0), 0u) << vm->statusBarTitle();
    EXPECT_EQ(std::tuple(vm->isCycling(), vm->autoRefreshInterval()), std::tuple(true, 60));
    EXPECT_TRUE(main->runUntil([&] { return !images->mem().empty(); }, kPatience))
        << "crests were prefetched";

    // A favourite takes over the title.
    const auto team = vm->knownTeams().front();
    vm->toggleFavourite(team);
    EXPECT_EQ(std::tuple(vm->isCycling(), prefs->string("fav_id")), std::tuple(false, team.id));

    vm.reset();
}

}  // namespace
