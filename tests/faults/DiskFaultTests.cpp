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

// A file where the application's cache folder should be: neither the table
// nor the crests nor the unsent signals can be written.
TEST(BrokenCache, TheApplicationStartsAndShowsTheSeasonFromTheNetwork) {
    FaultRig rig;
    writeFile(rig.appCacheDir(), "x");
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        auto& app = rig.launch();
        waitUntilShown(app);
        expectHealthy(app);
        waitForCrests(app);
        EXPECT_FALSE(fs::exists(rig.crestDir()) || fs::exists(rig.scheduleCacheFile()));
        rig.quit();
    }
    // Each run quit before its first send and could not save its launch
    // signal: only the last run's own reaches the backend.
    rig.launch().advance(10);
    EXPECT_EQ(signalsOfType(rig.backend().receivedSignals(), "app.launched"), 1u);
}

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
    EXPECT_TRUE(app.title().toStdString().starts_with(kBallAndBlanks + favourite.abbreviation));
    app.advance(10);
    // The first run's launch signal and this one's.
    EXPECT_EQ(signalsOfType(rig.backend().receivedSignals(), "app.launched"), 2u);
    EXPECT_FALSE(fs::exists(rig.signalCacheFile()));
}

}  // namespace
