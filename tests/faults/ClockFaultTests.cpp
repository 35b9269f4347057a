// SPDX-License-Identifier: MIT
// A system clock that jumps a day back and a day forward while the
// application runs: its timers run on the monotonic clock and keep their
// pace, the matchweek stays, the title stays well formed, no request storm
// starts and nothing piles up.
#include "FaultRig.hpp"

#include "analytics/SessionManager.hpp"
#include "data/ImageCache.hpp"
#include "state/FixturesViewModel.hpp"

#include <gtest/gtest.h>

using namespace fixtora;
using namespace fixtora::test;
using demo::Endpoint;

namespace {

TEST(ClockJumps, KeepTheMatchweekTheTitleAndThePaceOfRequests) {
    FaultRig rig;
    auto& app = rig.launch();
    waitUntilShown(app);
    expectHealthy(app);
    const int matchweek = app.model().currentGW();
    const int current = app.model().liveGW();
    const auto schedule = rig.backend().requestCount(Endpoint::Schedule);
    app.advance(60);  // the analytics session is under way
    double running = 60;

    // A day back, then a day ahead of the true time.
    for (const double jump : {-86400.0, 2 * 86400.0}) {
        SCOPED_TRACE(jump);
        rig.wall()->advance(jump);
        const auto scoreboard = rig.backend().requestCount(Endpoint::Scoreboard);
        const auto ingest = rig.backend().requestCount(Endpoint::Ingest);
        for (int minute = 0; minute < 20; ++minute) {
            app.advance(60);
            running += 60;
            // "⚽" alone, or "⚽  " and a score line or a countdown: never a
            // negative number of minutes or hours.
            const auto title = app.title().toStdString();
            EXPECT_TRUE(title == kBall || title.starts_with(kBallAndBlanks)) << title;
            EXPECT_EQ(title.find('-'), std::string::npos) << title;
        }
        EXPECT_EQ(app.model().currentGW(), matchweek);
        EXPECT_EQ(app.model().liveGW(), current);
        EXPECT_EQ(app.model().matchError(), std::nullopt);
        EXPECT_TRUE(app.showsMatchList());
        // The refresh timer keeps its pace: between one request every five
        // minutes and one a minute (plus the neighbours' prefetches).
        const auto requests = rig.backend().requestCount(Endpoint::Scoreboard) - scoreboard;
        EXPECT_GE(requests, 20u * 60 / FixturesViewModel::kSlowRefreshSeconds);
        EXPECT_LE(requests, 20u * 60 / FixturesViewModel::kFastRefreshSeconds + 4);
        // The analytics client posts at most once per 10-second tick.
        EXPECT_LE(rig.backend().requestCount(Endpoint::Ingest) - ingest, 20u * 6 + 1);
        // The session keeps counting the time the application runs. (A
        // clock set forward cannot be told from a machine that slept, and
        // counts.)
        const auto sessions = analytics::SessionManager::shared()->recentSessions();
        ASSERT_FALSE(sessions.empty());
        EXPECT_GE(static_cast<double>(sessions.back().durationInSeconds), running - 2);
    }
    EXPECT_EQ(rig.backend().requestCount(Endpoint::Schedule), schedule)
        << "the table is loaded once per start";
    // Each crest is fetched once; only the shown matchweek and its
    // neighbours are held; no timer is left behind by the refreshes (title,
    // refresh, cycling, analytics send, session and the update check).
    EXPECT_LE(rig.backend().requestCount(Endpoint::Crest), 20u);
    EXPECT_EQ(app.images().mem().size(), 20u);
    for (const auto& [gw, events] : app.model().matchCache())
        EXPECT_LE(std::abs(gw - matchweek), 1) << "matchweek " << gw;
    EXPECT_LE(app.main().timerCount(), 6u);
}

}  // namespace
