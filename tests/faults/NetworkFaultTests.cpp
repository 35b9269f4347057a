// SPDX-License-Identifier: MIT
// The application against a backend that is down, failing, stalling or
// answering broken, huge or wrong bodies: what the title and the popup show,
// how often it asks again, and that it recovers once the backend is well.
#include "FaultRig.hpp"

#include "data/ImageCache.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "platform/CurlHttpClient.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchStatus.hpp"
#include "views/FixturesView.hpp"
#include "views/SymbolButton.hpp"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <future>

using namespace fixtora;
using namespace fixtora::test;
using demo::Endpoint;
using demo::Fault;

namespace {

// ---------------------------------------------------------------------------
// The backend is down when the application starts, then comes back.

struct DownAtStart {
    const char* name;
    bool listening;          // false: nobody listens on the port
    Fault scheduleFault;     // when listening
    const char* textStart;   // the transport's own description
};

class BackendDownAtStartTest : public ::testing::TestWithParam<DownAtStart> {};

TEST_P(BackendDownAtStartTest, ShowsTheTransportTextUntilTheNextStart) {
    const auto& c = GetParam();
    FaultRig rig;
    if (c.listening)
        rig.backend().setFault(Endpoint::Schedule, c.scheduleFault);
    else
        rig.stopBackend();

    auto& app = rig.launch();
    ASSERT_TRUE(app.settle([&] { return !app.model().isLoadingSchedule(); }));
    const auto error = app.model().scheduleError().value_or("");
    EXPECT_TRUE(startsWith(error, c.textStart)) << error;
    EXPECT_EQ(app.popupMessage(), kWarning + error);
    EXPECT_EQ(app.title().toStdString(), kBall);
    EXPECT_EQ(app.model().currentGW(), 1);
    EXPECT_FALSE(std::filesystem::exists(rig.scheduleCacheFile()));

    // Still down ten minutes later: the text stays and nothing is fetched.
    app.advance(600);
    EXPECT_EQ(app.popupMessage(), kWarning + error);
    EXPECT_EQ(app.model().scheduleError(), error);
    EXPECT_EQ(app.title().toStdString(), kBall);
    if (c.listening) {
        EXPECT_EQ(rig.backend().requestCount(Endpoint::Schedule), 1u);
        EXPECT_EQ(rig.backend().requestCount(Endpoint::Scoreboard), 0u);
    }

    if (c.listening)
        rig.backend().clearFaults();
    else
        rig.startBackend();
    auto& next = recoverAfterFault(rig, true);
    waitUntilShown(next);
    expectHealthy(next);
    EXPECT_TRUE(std::filesystem::exists(rig.scheduleCacheFile()));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BackendDownAtStartTest,
    ::testing::Values(DownAtStart{"NobodyListens", false, {}, "Couldn't connect to server"},
                      DownAtStart{"ConnectionDropped", true, droppedFault(), "Server returned nothing"}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// ---------------------------------------------------------------------------
// The scoreboard answers 503 for an hour.

struct Outage {
    const char* name;
    bool fromLaunch;           // failing before anything was shown
    std::size_t maxRequests;   // scoreboard requests in the hour
};

class ScoreboardOutageTest : public ::testing::TestWithParam<Outage> {};

TEST_P(ScoreboardOutageTest, ShowsTheStatusRetriesAtTheRefreshPaceAndRecovers) {
    const auto& c = GetParam();
    FaultRig rig;
    std::size_t before = 0;
    if (c.fromLaunch) rig.backend().setFault(Endpoint::Scoreboard, statusFault(503));
    auto& app = rig.launch();
    if (c.fromLaunch) {
        ASSERT_TRUE(app.settle([&] { return app.model().matchError().has_value(); }));
    } else {
        waitUntilShown(app);
        expectHealthy(app);
        before = rig.backend().requestCount(Endpoint::Scoreboard);
        rig.backend().setFault(Endpoint::Scoreboard, statusFault(503));
    }

    app.advance(3600);
    // The other endpoints see no storm either: the table once per start,
    // the update feed once a day.
    EXPECT_EQ(rig.backend().requestCount(Endpoint::Schedule), 1u);
    EXPECT_EQ(rig.backend().requestCount(Endpoint::UpdateFeed), 1u);
    const auto requests = rig.backend().requestCount(Endpoint::Scoreboard) - before;
    EXPECT_GE(requests, 3600u / FixturesViewModel::kSlowRefreshSeconds);
    EXPECT_LE(requests, c.maxRequests);
    EXPECT_EQ(app.model().matchError(), "Server returned HTTP 503");
    if (c.fromLaunch) {
        EXPECT_EQ(app.popupMessage(), kWarning + "Server returned HTTP 503");
        EXPECT_EQ(app.title().toStdString(), kBall);
    } else {
        // What was shown stays on screen.
        EXPECT_TRUE(app.showsMatchList());
        EXPECT_TRUE(startsWith(app.title().toStdString(), kBallAndBlanks)) << app.title().toStdString();
    }

    rig.backend().clearFaults();
    app.advance(FixturesViewModel::kSlowRefreshSeconds);
    waitUntilShown(app);
    expectHealthy(app);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ScoreboardOutageTest,
    // Nothing shown: every five minutes. Live matches shown: every minute.
    ::testing::Values(Outage{"FromLaunch", true, 1 + 3600 / FixturesViewModel::kSlowRefreshSeconds + 1},
                      Outage{"WhileShowingLiveMatches", false, 3600 / FixturesViewModel::kFastRefreshSeconds + 2}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// The favourite plays live when the backend starts failing. The failed
// reload leaves the shown matchweek out of the cache until a reload
// succeeds, so the title moves on to the favourite's next cached match (or
// the ball alone) while the list stays on screen; the live score returns
// with the backend.
TEST(ScoreboardOutage, TheFavouritesLiveScoreReturnsWithTheBackend) {
    FaultRig rig;
    auto& app = rig.launch();
    waitUntilShown(app);
    const auto& events = app.model().events();
    const auto live = std::find_if(events.begin(), events.end(), isLiveEvent);
    ASSERT_NE(live, events.end());
    const ESPNTeam favourite = live->home()->team;
    app.model().toggleFavourite(favourite);
    const auto liveTitle = app.title().toStdString();
    EXPECT_TRUE(startsWith(liveTitle, kBallAndBlanks + favourite.abbreviation + " ")) << liveTitle;

    rig.backend().setFault(Endpoint::Scoreboard, statusFault(503));
    app.advance(*app.model().autoRefreshInterval());
    ASSERT_TRUE(app.settle([&] { return app.model().matchError().has_value(); }));
    EXPECT_EQ(app.model().matchError(), "Server returned HTTP 503");
    EXPECT_TRUE(app.showsMatchList());
    app.advance(60);  // the title's own minute
    const auto failingTitle = app.title().toStdString();
    EXPECT_NE(failingTitle, liveTitle);
    EXPECT_TRUE(failingTitle == kBall || startsWith(failingTitle, kBallAndBlanks + favourite.abbreviation + " vs "))
        << failingTitle;

    rig.backend().clearFaults();
    app.advance(*app.model().autoRefreshInterval());
    waitUntilShown(app);
    EXPECT_EQ(app.model().matchError(), std::nullopt);
    EXPECT_TRUE(startsWith(app.title().toStdString(), kBallAndBlanks + favourite.abbreviation + " "))
        << app.title().toStdString();
    EXPECT_NE(app.title().toStdString().find("–"), std::string::npos) << "a score again";
}

// ---------------------------------------------------------------------------
// Answers that stall past the time-outs (the real ones of curl, scaled down).

struct Stall {
    const char* name;
    Endpoint endpoint;
    const char* path;
    double productionTimeout;
};

class StallTest : public ::testing::TestWithParam<Stall> {};

TEST_P(StallTest, TimesOutWithTheTransportTextAndRecovers) {
    const auto& c = GetParam();
    FaultRig rig;
    // Longer than the scaled time-out (production ÷ 15), well under 3 s.
    rig.backend().setFault(c.endpoint, delayedFault(c.productionTimeout / FaultRig::kTimeoutDivisor + 1.5));
    auto& app = rig.launch();
    const bool schedule = c.endpoint == Endpoint::Schedule;
    const auto& error = schedule ? app.model().scheduleError() : app.model().matchError();
    ASSERT_TRUE(app.settle([&] { return error.has_value(); }));
    EXPECT_TRUE(startsWith(*error, "Timeout was reached")) << *error;
    EXPECT_EQ(app.popupMessage(), kWarning + *error);
    EXPECT_EQ(app.title().toStdString(), kBall);
    const auto asked = app.http().requestedTimeouts(c.path);
    ASSERT_FALSE(asked.empty());
    for (double timeout : asked) EXPECT_EQ(timeout, c.productionTimeout);

    rig.backend().clearFaults();
    auto& next = recoverAfterFault(rig, schedule);
    waitUntilShown(next);
    expectHealthy(next);
}

INSTANTIATE_TEST_SUITE_P(Faults, StallTest,
                         ::testing::Values(Stall{"Schedule", Endpoint::Schedule, "/api/epl/schedule", 20},
                                           Stall{"Scoreboard", Endpoint::Scoreboard, "/api/epl/scoreboard", 15}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// ---------------------------------------------------------------------------
// Broken, wrong and huge bodies.

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct BadBody {
    const char* name;
    Endpoint endpoint;
    Fault fault;
    /// The exact text, or the start of the transport's text when `prefixOnly`.
    const char* text;
    bool prefixOnly;
};

class BadBodyTest : public ::testing::TestWithParam<BadBody> {};

TEST_P(BadBodyTest, ShowsAClearErrorCachesNothingAndRecovers) {
    const auto& c = GetParam();
    FaultRig rig;
    std::string expected = c.text;
    if (c.endpoint == Endpoint::Scoreboard && c.fault.malformed) {
        // The decoder's own description of the backend's broken answer.
        CurlHttpClient client;
        std::promise<Result<HttpResponse>> answer;
        rig.backend().setFault(c.endpoint, c.fault);
        client.send({"GET", rig.url() + "/api/epl/scoreboard?dates=20260101", {}, {}, 10},
                    [&](Result<HttpResponse> r) { answer.set_value(std::move(r)); });
        const auto body = answer.get_future().get();
        ASSERT_TRUE(body.ok());
        const auto decoded = decodeScoreboard(body.value().body);
        ASSERT_FALSE(decoded.ok());
        expected = decoded.error().description;
    }
    rig.backend().setFault(c.endpoint, c.fault);
    if (c.fault.hugeBodyMegabytes > 0) rig.setTimeoutDivisor(1);  // the production time-outs
    const long peakBefore = peakResidentKilobytes();

    auto& app = rig.launch();
    const bool schedule = c.endpoint == Endpoint::Schedule;
    const auto& error = schedule ? app.model().scheduleError() : app.model().matchError();
    ASSERT_TRUE(app.settle([&] { return error.has_value(); }));
    if (c.prefixOnly) {
        EXPECT_TRUE(startsWith(*error, expected)) << *error;
    } else {
        EXPECT_EQ(*error, expected);
    }
    EXPECT_EQ(app.popupMessage(), kWarning + *error);
    EXPECT_EQ(app.title().toStdString(), kBall);
    if (schedule) {
        EXPECT_FALSE(std::filesystem::exists(rig.scheduleCacheFile())) << "no table from a bad answer";
    }
    // A body over the limit is dropped as it comes, not held whole. (The
    // address sanitizer keeps freed blocks aside, so its figure says nothing.)
    if (c.fault.hugeBodyMegabytes > 0 && !kAddressSanitizer) {
        EXPECT_LT(peakResidentKilobytes() - peakBefore, 96L * 1024) << "kilobytes more at the peak";
    }

    rig.backend().clearFaults();
    auto& next = recoverAfterFault(rig, schedule);
    waitUntilShown(next);
    expectHealthy(next);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BadBodyTest,
    ::testing::Values(
        BadBody{"ScheduleTruncated", Endpoint::Schedule, truncatedFault(), "Transferred a partial file", true},
        BadBody{"ScheduleMalformed", Endpoint::Schedule, malformedFault(), "No season data from ESPN", false},
        BadBody{"ScheduleHtmlError", Endpoint::Schedule, statusFault(502), "No season data from ESPN", false},
        BadBody{"ScheduleHundredMegabytes", Endpoint::Schedule, hugeFault(100),
                "The response body is larger than the limit of 33554432 bytes", false},
        BadBody{"ScoreboardTruncated", Endpoint::Scoreboard, truncatedFault(), "Transferred a partial file", true},
        BadBody{"ScoreboardMalformed", Endpoint::Scoreboard, malformedFault(), "", false},
        BadBody{"ScoreboardHundredMegabytes", Endpoint::Scoreboard, hugeFault(100),
                "The response body is larger than the limit of 33554432 bytes", false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// ---------------------------------------------------------------------------
// Crest URLs that answer a web page instead of an image.

TEST(CrestFaults, AWebPageIsNeverStoredAsACrestAndTheCrestIsFetchedLater) {
    FaultRig rig;
    rig.backend().setFault(Endpoint::Crest, malformedFault());
    auto& app = rig.launch();
    waitUntilShown(app);
    expectHealthy(app);
    const auto logo = app.model().events().front().home()->team.logo.value_or("");
    ASSERT_FALSE(logo.empty());
    // The crest queue is serial: once this lookup is answered, the
    // prefetches before it are done.
    auto lookUp = [&] {
        std::optional<bool> found;
        app.images().load(logo, [&](std::shared_ptr<const Image> image) { found = image != nullptr; });
        EXPECT_TRUE(app.settle([&] { return found.has_value(); }));
        return found.value_or(false);
    };
    EXPECT_FALSE(lookUp());
    EXPECT_GE(rig.backend().requestCount(Endpoint::Crest), 20u);
    EXPECT_TRUE(app.images().mem().empty()) << "the rows keep their placeholders";
    std::size_t files = 0;
    if (std::filesystem::is_directory(rig.crestDir()))
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(rig.crestDir())) ++files;
    EXPECT_EQ(files, 0u) << "no page is written as a crest";

    // The next refresh asks for the crests again.
    rig.backend().clearFaults();
    app.advance(*app.model().autoRefreshInterval());
    EXPECT_TRUE(lookUp());
    EXPECT_TRUE(app.settle([&] { return app.images().mem().size() >= 20; }));
    EXPECT_GE(std::distance(std::filesystem::directory_iterator(rig.crestDir()), std::filesystem::directory_iterator()),
              20);
}

}  // namespace
