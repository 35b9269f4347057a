// SPDX-License-Identifier: MIT
// The application against a backend that is down, failing, stalling or
// answering broken, huge or wrong bodies: what the title and the popup show,
// how often it asks again, that a good cache is never traded for a bad
// answer, and that it recovers once the backend is well.
#include "FaultRig.hpp"

#include "data/ImageCache.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "platform/CurlHttpClient.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchStatus.hpp"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <future>

using namespace fixtora;
using namespace fixtora::test;
using demo::Endpoint;
using demo::Fault;
namespace fs = std::filesystem;

namespace {

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

/// The decoder's own description of the backend's malformed scoreboard.
std::string malformedScoreboardText(FaultRig& rig) {
    rig.backend().setFault(Endpoint::Scoreboard, {.malformed = true});
    CurlHttpClient client;
    std::promise<Result<HttpResponse>> answer;
    client.send({"GET", rig.url() + "/api/epl/scoreboard?dates=20260101", {}, {}, 10},
                [&](Result<HttpResponse> r) { answer.set_value(std::move(r)); });
    const auto body = answer.get_future().get();
    const auto decoded = decodeScoreboard(body.ok() ? body.value().body : "");
    return decoded.ok() ? "decoded" : decoded.error().description;
}

constexpr const char* kTooLarge = "The response body is larger than the limit of 33554432 bytes";
constexpr const char* kNoSeason = "No season data from ESPN";
constexpr const char* kTimeout = "Timeout was reached";
constexpr const char* kPartial = "Transferred a partial file";

struct FailingAnswer {
    const char* name;
    Endpoint endpoint;
    Fault fault;
    const char* text;  // its start when `prefix`; null: whatever the decoder says
    bool prefix;
    bool nobodyListens = false;
    bool goodCacheADayOld = false;  // a table from yesterday's run is on disk
};

class FailingAnswerTest : public ::testing::TestWithParam<FailingAnswer> {};

TEST_P(FailingAnswerTest, IsShownWithItsTextAndTheAppRecovers) {
    const auto& c = GetParam();
    FaultRig rig;
    const bool schedule = c.endpoint == Endpoint::Schedule;
    std::string goodTable;
    if (c.goodCacheADayOld) {
        waitUntilShown(rig.launch());
        rig.quit();
        goodTable = readFile(rig.scheduleCacheFile());
        FaultRig::setModified(rig.scheduleCacheFile(), rig.wall()->now() - 25 * 3600);
    }
    const std::string expected = c.text ? c.text : malformedScoreboardText(rig);
    c.nobodyListens ? rig.stopBackend() : rig.backend().setFault(c.endpoint, c.fault);
    if (c.fault.hugeBodyMegabytes > 0) rig.setTimeoutDivisor(1);  // the production time-outs
    const long peakBefore = peakResidentKilobytes();

    auto& app = rig.launch();
    const auto& error = schedule ? app.model().scheduleError() : app.model().matchError();
    ASSERT_TRUE(app.settle([&] { return error.has_value(); }));
    if (c.prefix) {
        EXPECT_TRUE(startsWith(*error, expected)) << *error;
    } else {
        EXPECT_EQ(*error, expected);
    }
    EXPECT_EQ(app.popupMessage(), kWarning + *error);
    EXPECT_EQ(app.title().toStdString(), kBall);
    // The real time-outs are asked for, whatever the rig makes of them.
    if (c.fault.delaySeconds > 0) {
        const auto asked =
            app.http().requestedTimeouts(schedule ? "/api/epl/schedule" : "/api/epl/scoreboard");
        ASSERT_FALSE(asked.empty());
        for (double timeout : asked) EXPECT_EQ(timeout, schedule ? 20 : 15);
    }
    // A body over the limit is dropped as it comes, not held whole. (The
    // address sanitizer keeps freed blocks aside, so its figure says nothing.)
    if (c.fault.hugeBodyMegabytes > 0 && !kAddressSanitizer) {
        EXPECT_LT(peakResidentKilobytes() - peakBefore, 96L * 1024) << "kilobytes more at the peak";
    }
    if (schedule && !c.goodCacheADayOld) {
        EXPECT_EQ(app.model().currentGW(), 1);
        EXPECT_FALSE(fs::exists(rig.scheduleCacheFile())) << "no table from a bad answer";
        // Ten minutes later the text stays and nothing more is asked.
        app.advance(600);
        EXPECT_EQ(app.popupMessage(), kWarning + *error);
        EXPECT_EQ(app.title().toStdString(), kBall);
        if (!c.nobodyListens) {
            EXPECT_EQ(rig.backend().requestCount(Endpoint::Schedule), 1u);
            EXPECT_EQ(rig.backend().requestCount(Endpoint::Scoreboard), 0u);
        }
    }
    app.settleIo();
    if (c.goodCacheADayOld) {
        EXPECT_EQ(readFile(rig.scheduleCacheFile()), goodTable);
    }

    c.nobodyListens ? rig.startBackend() : rig.backend().clearFaults();
    auto& next = recoverAfterFault(rig, schedule);
    waitUntilShown(next);
    expectHealthy(next);
    if (schedule) {  // written again: fresh for another day
        EXPECT_LT(fs::file_time_type::clock::now() - fs::last_write_time(rig.scheduleCacheFile()),
                  std::chrono::hours(1));
    }
}

constexpr auto S = Endpoint::Schedule;
constexpr auto B = Endpoint::Scoreboard;
// Longer than the scaled time-outs (production ÷ 15), well under 3 s.
constexpr double kStall = 20 / FaultRig::kTimeoutDivisor + 1.5;

INSTANTIATE_TEST_SUITE_P(
    Faults, FailingAnswerTest,
    ::testing::Values(
        FailingAnswer{"NobodyListens", S, {}, "Couldn't connect to server", true, true},
        FailingAnswer{
            "ScheduleDropped", S, {.dropConnection = true}, "Server returned nothing", true},
        FailingAnswer{"ScheduleStalls", S, {.delaySeconds = kStall}, kTimeout, true},
        FailingAnswer{"ScheduleTruncated", S, {.truncateBody = true}, kPartial, true},
        FailingAnswer{"ScheduleMalformed", S, {.malformed = true}, kNoSeason, false},
        FailingAnswer{"ScheduleHtmlError", S, {.status = 502}, kNoSeason, false},
        FailingAnswer{"ScheduleHuge", S, {.hugeBodyMegabytes = 100}, kTooLarge, false},
        FailingAnswer{"StaleMalformed", S, {.malformed = true}, kNoSeason, false, false, true},
        FailingAnswer{"StaleTruncated", S, {.truncateBody = true}, kPartial, true, false, true},
        FailingAnswer{"StaleUnavailable", S, {.status = 503}, "", true, false, true},
        FailingAnswer{"StaleHuge", S, {.hugeBodyMegabytes = 100}, kTooLarge, false, false, true},
        FailingAnswer{"ScoreboardStalls", B, {.delaySeconds = kStall}, kTimeout, true},
        FailingAnswer{"ScoreboardTruncated", B, {.truncateBody = true}, kPartial, true},
        FailingAnswer{"ScoreboardMalformed", B, {.malformed = true}, nullptr, false},
        FailingAnswer{"ScoreboardHuge", B, {.hugeBodyMegabytes = 100}, kTooLarge, false}),
    [](const auto& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------------------
// The scoreboard answers 503 for an hour.

struct Outage {
    const char* name;
    bool fromLaunch;          // failing before anything was shown
    std::size_t maxRequests;  // scoreboard requests in the hour
};

class ScoreboardOutageTest : public ::testing::TestWithParam<Outage> {};

TEST_P(ScoreboardOutageTest, ShowsTheStatusRetriesAtTheRefreshPaceAndRecovers) {
    const auto& c = GetParam();
    FaultRig rig;
    std::size_t before = 0;
    if (c.fromLaunch) rig.backend().setFault(Endpoint::Scoreboard, {.status = 503});
    auto& app = rig.launch();
    if (c.fromLaunch) {
        ASSERT_TRUE(app.settle([&] { return app.model().matchError().has_value(); }));
    } else {
        waitUntilShown(app);
        expectHealthy(app);
        before = rig.backend().requestCount(Endpoint::Scoreboard);
        rig.backend().setFault(Endpoint::Scoreboard, {.status = 503});
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
    // What was shown stays on screen.
    EXPECT_EQ(app.showsMatchList(), !c.fromLaunch);
    if (c.fromLaunch) {
        EXPECT_EQ(app.popupMessage(), kWarning + "Server returned HTTP 503");
        EXPECT_EQ(app.title().toStdString(), kBall);
    } else {
        EXPECT_TRUE(startsWith(app.title().toStdString(), kBallAndBlanks));
    }
    rig.backend().clearFaults();
    app.advance(FixturesViewModel::kSlowRefreshSeconds);
    waitUntilShown(app);
    expectHealthy(app);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ScoreboardOutageTest,
    // Nothing shown: every five minutes. Live matches shown: every minute.
    ::testing::Values(Outage{"FromLaunch", true,
                             1 + 3600 / FixturesViewModel::kSlowRefreshSeconds + 1},
                      Outage{"WhileShowingLiveMatches", false,
                             3600 / FixturesViewModel::kFastRefreshSeconds + 2}),
    [](const auto& p) { return std::string(p.param.name); });

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
    const auto ours = kBallAndBlanks + favourite.abbreviation + " ";
    const auto liveTitle = app.title().toStdString();
    EXPECT_TRUE(startsWith(liveTitle, ours)) << liveTitle;

    rig.backend().setFault(Endpoint::Scoreboard, {.status = 503});
    app.advance(*app.model().autoRefreshInterval());
    ASSERT_TRUE(app.settle([&] { return app.model().matchError().has_value(); }));
    EXPECT_TRUE(app.showsMatchList());
    app.advance(60);  // the title's own minute
    const auto failingTitle = app.title().toStdString();
    EXPECT_NE(failingTitle, liveTitle);
    EXPECT_TRUE(failingTitle == kBall || startsWith(failingTitle, ours + "vs ")) << failingTitle;

    rig.backend().clearFaults();
    app.advance(*app.model().autoRefreshInterval());
    waitUntilShown(app);
    EXPECT_EQ(app.model().matchError(), std::nullopt);
    EXPECT_TRUE(startsWith(app.title().toStdString(), ours)) << app.title().toStdString();
    EXPECT_NE(app.title().toStdString().find("–"), std::string::npos) << "a score again";
}

// Crest URLs that answer a web page instead of an image.
TEST(CrestFaults, AWebPageIsNeverStoredAsACrestAndTheCrestIsFetchedLater) {
    FaultRig rig;
    rig.backend().setFault(Endpoint::Crest, {.malformed = true});
    auto& app = rig.launch();
    waitUntilShown(app);
    expectHealthy(app);
    const auto logo = app.model().events().front().home()->team.logo.value_or("");
    ASSERT_FALSE(logo.empty());
    // The crest queue is serial: once this lookup is answered, the
    // prefetches before it are done.
    auto lookUp = [&] {
        std::optional<bool> found;
        app.images().load(logo, [&](std::shared_ptr<const Image> i) { found = i != nullptr; });
        EXPECT_TRUE(app.settle([&] { return found.has_value(); }));
        return found.value_or(false);
    };
    EXPECT_FALSE(lookUp());
    EXPECT_GE(rig.backend().requestCount(Endpoint::Crest), 20u);
    EXPECT_TRUE(app.images().mem().empty()) << "the rows keep their placeholders";
    EXPECT_EQ(filesIn(rig.crestDir()), 0u) << "no page is written as a crest";

    // The next refresh asks for the crests again.
    rig.backend().clearFaults();
    app.advance(*app.model().autoRefreshInterval());
    EXPECT_TRUE(lookUp());
    waitForCrests(app);
    EXPECT_GE(filesIn(rig.crestDir()), 20u);
}

}  // namespace
