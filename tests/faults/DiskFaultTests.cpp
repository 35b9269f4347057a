// SPDX-License-Identifier: MIT
// Broken cache folders and files, and restarts: the application still
// starts and shows the season, and loses neither unsent analytics signals
// nor the favourite.
#include "FaultRig.hpp"

#include "platform/qt/QtPreferencesStore.hpp"
#include "state/FixturesViewModel.hpp"

#include <gtest/gtest.h>

#include <filesystem>

using namespace fixtora;
using namespace fixtora::test;
using demo::Endpoint;
namespace fs = std::filesystem;

namespace {

struct BrokenCache {
    const char* name;
    void (*breakIt)(FaultRig&);
    bool crestsOnDisk;    // whether the crests can still be written
    bool scheduleOnDisk;  // whether the table can still be written
    /// Whether signals unsent at quitting reach the next run: they cannot
    /// when the application's cache folder cannot be made.
    bool unsentSignalsKept;
};

class BrokenCacheTest : public ::testing::TestWithParam<BrokenCache> {};

TEST_P(BrokenCacheTest, TheApplicationStartsAndShowsTheSeasonFromTheNetwork) {
    const auto& c = GetParam();
    FaultRig rig;
    c.breakIt(rig);
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        auto& app = rig.launch();
        waitUntilShown(app);
        expectHealthy(app);
        waitForCrests(app);
        EXPECT_EQ(filesIn(rig.crestDir()) >= 20, c.crestsOnDisk);
        EXPECT_EQ(fs::is_regular_file(rig.scheduleCacheFile()), c.scheduleOnDisk);
        rig.quit();
    }
    // Each run quit before its first send: its launch signal reaches the
    // backend from the next run, when it could be saved.
    rig.launch().advance(10);
    EXPECT_EQ(signalsOfType(rig.backend().receivedSignals(), "app.launched"),
              c.unsentSignalsKept ? 3u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenCacheTest,
    ::testing::Values(
        BrokenCache{"FileForTheAppFolder", [](FaultRig& r) { writeFile(r.appCacheDir(), "x"); },
                    false, false, false},
        BrokenCache{"FolderForTheScheduleFile",
                    [](FaultRig& r) { writeFile(r.scheduleCacheFile() / "inside", "x"); }, true,
                    false, true},
        BrokenCache{"FileForTheCrestFolder", [](FaultRig& r) { writeFile(r.crestDir(), "x"); },
                    false, true, true}),
    [](const auto& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------------------
// Restarts lose nothing.

// Unreadable preferences and signal cache are started afresh.
TEST(Restart, UnsentSignalsAndTheFavouriteSurvive) {
    FaultRig rig;
    rig.backend().setFault(Endpoint::Ingest, {.status = 503});
    auto* store = dynamic_cast<QtPreferencesStore*>(rig.preferences().get());
    static constexpr char kGarbage[] = "\0\xff[General\nfav_id=\x01\x02\n\xfe";
    writeFile(store->fileOf(""), std::string(kGarbage, sizeof kGarbage - 1));
    writeFile(rig.signalCacheFile(), "[{\"appID\": \"A\", \"type\": ");
    ESPNTeam favourite;
    {
        auto& app = rig.launch();
        waitUntilShown(app);
        EXPECT_EQ(app.model().favouriteTeam(), std::nullopt);
        favourite = app.model().knownTeams().front();
        app.model().toggleFavourite(favourite);
        app.advance(30);  // every send fails
        EXPECT_GE(rig.backend().requestCount(Endpoint::Ingest), 3u);
        rig.quit();
    }
    EXPECT_TRUE(rig.backend().receivedSignals().empty());
    EXPECT_NE(readFile(rig.signalCacheFile()).find("app.launched"), std::string::npos);

    rig.backend().clearFaults();
    auto& app = rig.launch();
    ASSERT_TRUE(app.model().favouriteTeam().has_value());
    EXPECT_EQ(app.model().favouriteTeam()->id, favourite.id);
    waitUntilShown(app);
    EXPECT_TRUE(startsWith(app.title().toStdString(), kBallAndBlanks + favourite.abbreviation));
    app.advance(10);
    // The first run's launch signal and this one's.
    EXPECT_EQ(signalsOfType(rig.backend().receivedSignals(), "app.launched"), 2u);
    EXPECT_FALSE(fs::exists(rig.signalCacheFile()));
}

}  // namespace
