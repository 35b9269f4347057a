// SPDX-License-Identifier: MIT
// A morning of matches as the clock moves, and a system clock that jumps a
// day back and a day forward while the application runs: its timers run on
// the monotonic clock and keep their pace, the matchweek stays, the title
// stays well formed and no request storm starts.
#include "FaultRig.hpp"

#include "analytics/SessionManager.hpp"
#include "data/ImageCache.hpp"
#include "state/FixturesViewModel.hpp"

#include <gtest/gtest.h>

using namespace fixtora;
using namespace fixtora::test;
using demo::Endpoint;

namespace {

/// "⚽" alone, or "⚽  " and a score line or a countdown: never a negative
/// number of minutes or hours.
void expectWellFormedTitle(const std::string& title) {
    EXPECT_TRUE(title == kBall || startsWith(title, kBallAndBlanks)) << title;
    EXPECT_EQ(title.find('-'), std::string::npos) << title;
}

constexpr Instant kSaturday = 1796428800;  // 2026-12-05T00:00:00Z

std::size_t scoreboardRequestsDuring(RunningApp& app, FaultRig& rig, double seconds) {
    const auto before = rig.backend().requestCount(Endpoint::Scoreboard);
    app.advance(seconds);
    return rig.backend().requestCount(Endpoint::Scoreboard) - before;
}

// Placed at noon, the season's current round has matches kicking off on the
// Saturday at 09:00 and 09:50 (and later ones); the morning starts at 08:40.
TEST(MatchDay, TheRefreshHurriesBeforeKickOffTheTitleFollowsTheMatchesAndCycles) {
    FaultRig rig(kSaturday + 8 * 3600 + 40 * 60, kSaturday + 12 * 3600);
    auto& app = rig.launch();
    waitUntilShown(app);
    const int week = app.model().liveGW();
    auto title = [&] { return app.title().toStdString(); };
    EXPECT_TRUE(startsWith(title(), kBallAndBlanks) && title().find(" vs ") != std::string::npos &&
                title().ends_with("  20m"))
        << title();
    // Five minutes apart until ten minutes before the kick-off, then every
    // minute while it is near or live.
    EXPECT_LE(scoreboardRequestsDuring(app, rig, 600), 2u);
    EXPECT_GE(scoreboardRequestsDuring(app, rig, 600), 9u);
    EXPECT_GE(scoreboardRequestsDuring(app, rig, 20 * 60), 19u);
    EXPECT_TRUE(title().ends_with("  20'") && title().find("\u2013") != std::string::npos)
        << title();
    // At 09:50 the first match is at half-time as the second kicks off:
    // the title shows each in turn for ten seconds.
    app.advance(30 * 60);
    const auto first = title();
    app.advance(10);
    EXPECT_NE(title(), first);
    app.advance(10);
    EXPECT_EQ(title(), first);
    EXPECT_EQ(app.model().liveGW(), week);
    EXPECT_EQ(app.model().currentGW(), week);
    // Each crest is fetched once; only the shown matchweek and its
    // neighbours are held.
    EXPECT_LE(rig.backend().requestCount(Endpoint::Crest), 20u);
    EXPECT_EQ(app.images().mem().size(), 20u);
    for (const auto& [gw, events] : app.model().matchCache())
        EXPECT_LE(std::abs(gw - week), 1) << "matchweek " << gw;
    EXPECT_LE(app.model().knownTeams().size(), 20u);
    // Title, refresh, cycling, analytics send, session and the update check:
    // no timer is left behind by the refreshes.
    EXPECT_LE(app.main().timerCount(), 6u);
}

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

    struct Jump {
        const char* name;
        double seconds;
    };
    // A day back, then a day ahead of the true time.
    for (const Jump& jump : {Jump{"a day back", -86400}, Jump{"a day forward", 2 * 86400}}) {
        SCOPED_TRACE(jump.name);
        rig.wall()->advance(jump.seconds);
        const auto scoreboard = rig.backend().requestCount(Endpoint::Scoreboard);
        const auto ingest = rig.backend().requestCount(Endpoint::Ingest);
        std::vector<std::string> titles;
        for (int minute = 0; minute < 20; ++minute) {
            app.advance(60);
            running += 60;
            titles.push_back(app.title().toStdString());
            expectWellFormedTitle(titles.back());
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
}

}  // namespace
