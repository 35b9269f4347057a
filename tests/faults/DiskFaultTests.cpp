// SPDX-License-Identifier: MIT
// Broken cache folders and files, and restarts: the application still
// starts and shows the season, and loses neither unsent analytics signals
// nor the favourite.
#include "FaultRig.hpp"

#include "data/ImageCache.hpp"
#include "data/MatchWeek.hpp"
#include "platform/qt/QtPreferencesStore.hpp"
#include "state/FixturesViewModel.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

using namespace fixtora;
using namespace fixtora::test;
using demo::Endpoint;
namespace fs = std::filesystem;

namespace {

struct BrokenCache {
    const char* name;
    void (*breakIt)(FaultRig&);
    bool needsNonRoot;    // chmod does not stop root
    bool crestsOnDisk;    // whether the crests can still be written
    bool scheduleOnDisk;  // whether the table can still be written
    /// Whether signals unsent at quitting reach the next run: they cannot
    /// when the application's cache folder cannot be made.
    bool unsentSignalsKept;
};

class BrokenCacheTest : public ::testing::TestWithParam<BrokenCache> {};

TEST_P(BrokenCacheTest, TheApplicationStartsAndShowsTheSeasonFromTheNetwork) {
    const auto& c = GetParam();
    if (c.needsNonRoot && ::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
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
    // The folders are left for the temporary folder's clean-up to remove.
    std::error_code ignored;
    fs::permissions(rig.cachesDir(), fs::perms::owner_all, ignored);
}

void readOnlyCaches(FaultRig& rig) {
    fs::create_directories(rig.cachesDir());
    fs::permissions(rig.cachesDir(), fs::perms::owner_read | fs::perms::owner_exec);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenCacheTest,
    ::testing::Values(
        BrokenCache{"FileForTheAppFolder", [](FaultRig& r) { writeFile(r.appCacheDir(), "x"); },
                    false, false, false, false},
        BrokenCache{"ReadOnlyCachesFolder", readOnlyCaches, true, false, false, false},
        BrokenCache{"FolderForTheScheduleFile",
                    [](FaultRig& r) { writeFile(r.scheduleCacheFile() / "inside", "x"); }, false,
                    true, false, true},
        BrokenCache{"FileForTheCrestFolder", [](FaultRig& r) { writeFile(r.crestDir(), "x"); },
                    false, false, true, true}),
    [](const auto& p) { return std::string(p.param.name); });

// Cache files cut short or replaced by folders after a good run.
TEST(DamagedCacheFiles, AreReplacedFromTheNetwork) {
    FaultRig rig;
    auto& first = rig.launch();
    waitUntilShown(first);
    waitForCrests(first);
    rig.quit();
    const auto goodTable = readFile(rig.scheduleCacheFile());
    ASSERT_TRUE(decodeMatchWeeks(goodTable));
    ASSERT_GE(filesIn(rig.crestDir()), 20u);
    auto crests = fs::directory_iterator(rig.crestDir());
    const auto crest = crests->path();
    const auto otherCrest = (++crests)->path();
    const auto goodCrest = readFile(crest);

    // The table and one crest cut short, another crest replaced by a folder.
    writeFile(rig.scheduleCacheFile(), goodTable.substr(0, goodTable.size() / 2));
    writeFile(crest, goodCrest.substr(0, goodCrest.size() / 2));
    fs::remove(otherCrest);
    fs::create_directories(otherCrest / "inside");
    const auto scheduleRequests = rig.backend().requestCount(Endpoint::Schedule);
    const auto crestRequests = rig.backend().requestCount(Endpoint::Crest);

    auto& app = rig.launch();
    waitUntilShown(app);
    expectHealthy(app);
    waitForCrests(app);
    EXPECT_EQ(rig.backend().requestCount(Endpoint::Schedule), scheduleRequests + 1);
    EXPECT_EQ(readFile(rig.scheduleCacheFile()), goodTable) << "fetched and written whole again";
    EXPECT_EQ(readFile(crest), goodCrest) << "the cut crest is fetched again";
    // The crest that cannot be written is downloaded by every prefetch that
    // asks for it before it reaches memory (one per matchweek loaded).
    EXPECT_GE(rig.backend().requestCount(Endpoint::Crest), crestRequests + 2);
    EXPECT_LE(rig.backend().requestCount(Endpoint::Crest), crestRequests + 1 + 3);
    EXPECT_NE(app.images().image("http://x/" + otherCrest.filename().string()), nullptr)
        << "a crest that cannot be written is still shown";
}

// ---------------------------------------------------------------------------
// Restarts lose nothing.

class RestartTest : public ::testing::TestWithParam<demo::Fault> {};

TEST_P(RestartTest, UnsentSignalsAndTheFavouriteSurvive) {
    FaultRig rig;
    rig.backend().setFault(Endpoint::Ingest, GetParam());
    ESPNTeam favourite;
    {
        auto& app = rig.launch();
        waitUntilShown(app);
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

INSTANTIATE_TEST_SUITE_P(Faults, RestartTest,
                         ::testing::Values(demo::Fault{.status = 503},
                                           demo::Fault{.dropConnection = true}));

TEST(Restart, UnreadablePreferencesAndSignalCacheStartAfreshAndAFavouriteCanBeChosenAgain) {
    FaultRig rig;
    auto* store = dynamic_cast<QtPreferencesStore*>(rig.preferences().get());
    ASSERT_NE(store, nullptr);
    static constexpr char kGarbage[] = "\0\xff[General\nfav_id=\x01\x02\n\xfe";
    writeFile(store->fileOf(""), std::string(kGarbage, sizeof kGarbage - 1));
    writeFile(rig.signalCacheFile(), "[{\"appID\": \"A\", \"type\": ");
    ESPNTeam favourite;
    {
        auto& app = rig.launch();
        EXPECT_FALSE(fs::exists(rig.signalCacheFile()));
        waitUntilShown(app);
        expectHealthy(app);
        EXPECT_EQ(app.model().favouriteTeam(), std::nullopt);
        app.advance(10);
        EXPECT_EQ(signalsOfType(rig.backend().receivedSignals(), "app.launched"), 1u);
        favourite = app.model().knownTeams().back();
        app.model().toggleFavourite(favourite);
        rig.quit();
    }
    auto& app = rig.launch();
    ASSERT_TRUE(app.model().favouriteTeam().has_value());
    EXPECT_EQ(app.model().favouriteTeam()->id, favourite.id);
}

}  // namespace
