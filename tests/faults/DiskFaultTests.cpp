// SPDX-License-Identifier: MIT
// Broken cache folders and files, and restarts: the application still
// starts and shows the season, never trades a good schedule cache for a bad
// answer, and loses neither unsent analytics signals nor the favourite.
#include "FaultRig.hpp"

#include "data/ImageCache.hpp"
#include "data/MatchWeek.hpp"
#include "platform/qt/QtPreferencesStore.hpp"
#include "state/FixturesViewModel.hpp"
#include "views/FixturesView.hpp"
#include "views/SymbolButton.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

using namespace fixtora;
using namespace fixtora::test;
using demo::Endpoint;
namespace fs = std::filesystem;

namespace {

std::size_t filesIn(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return 0;
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) ++n;
    return n;
}

std::size_t signalsOfType(const nlohmann::json& received, const std::string& type) {
    std::size_t n = 0;
    for (const auto& one : received) n += one.value("type", "") == type ? 1 : 0;
    return n;
}

/// Runs the application until the crests it asked for are in memory.
void waitForCrests(RunningApp& app) {
    EXPECT_TRUE(app.settle([&] { return app.images().mem().size() >= 20; })) << app.images().mem().size();
}

// ---------------------------------------------------------------------------
// Cache folders and files that cannot be used.

struct BrokenCache {
    const char* name;
    void (*breakIt)(FaultRig&);
    bool needsNonRoot;      // chmod does not stop root
    bool crestsOnDisk;      // whether the crests can still be written
    bool scheduleOnDisk;    // whether the table can still be written
    /// Whether signals unsent at quitting reach the next run: they cannot
    /// when the application's cache folder cannot be made (the loss is
    /// logged as "Error saving Analytics cache").
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
    EXPECT_EQ(signalsOfType(rig.backend().receivedSignals(), "app.launched"), c.unsentSignalsKept ? 3u : 1u);
    // The folders are left for the temporary folder's clean-up to remove.
    std::error_code ignored;
    fs::permissions(rig.cachesDir(), fs::perms::owner_all, ignored);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenCacheTest,
    ::testing::Values(
        BrokenCache{"FileWhereTheAppFolderShouldBe",
                    [](FaultRig& rig) { writeFile(rig.appCacheDir(), "not a folder"); }, false, false, false,
                    false},
        BrokenCache{"ReadOnlyCachesFolder",
                    [](FaultRig& rig) {
                        fs::create_directories(rig.cachesDir());
                        fs::permissions(rig.cachesDir(), fs::perms::owner_read | fs::perms::owner_exec);
                    },
                    true, false, false, false},
        BrokenCache{"FolderWhereTheScheduleFileShouldBe",
                    [](FaultRig& rig) { writeFile(rig.scheduleCacheFile() / "inside", "x"); }, false, true, false,
                    true},
        BrokenCache{"FileWhereTheCrestFolderShouldBe",
                    [](FaultRig& rig) { writeFile(rig.crestDir(), "not a folder"); }, false, false, true, true}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Cache files cut short or replaced by folders after a good run.
TEST(DamagedCacheFiles, AreReplacedFromTheNetwork) {
    FaultRig rig;
    {
        auto& app = rig.launch();
        waitUntilShown(app);
        waitForCrests(app);
        rig.quit();
    }
    const auto goodTable = readFile(rig.scheduleCacheFile());
    ASSERT_TRUE(decodeMatchWeeks(goodTable));
    ASSERT_GE(filesIn(rig.crestDir()), 20u);
    const auto crest = fs::directory_iterator(rig.crestDir())->path();
    const auto goodCrest = readFile(crest);
    const auto otherCrest = [&] {
        for (const auto& entry : fs::directory_iterator(rig.crestDir()))
            if (entry.path() != crest) return entry.path();
        return fs::path();
    }();

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
    EXPECT_EQ(readFile(rig.scheduleCacheFile()), goodTable) << "the table is fetched and written whole again";
    EXPECT_EQ(readFile(crest), goodCrest) << "the cut crest is fetched again";
    // The crest that cannot be written is downloaded by every prefetch that
    // asks for it before it reaches memory (one per matchweek loaded).
    EXPECT_GE(rig.backend().requestCount(Endpoint::Crest), crestRequests + 2);
    EXPECT_LE(rig.backend().requestCount(Endpoint::Crest), crestRequests + 1 + 3);
    EXPECT_TRUE(app.images().image("http://x/" + otherCrest.filename().string()) != nullptr)
        << "a crest that cannot be written is still shown";
}

// A table that is a day old is refreshed, but a bad answer never replaces it.
struct BadSeasonAnswer {
    const char* name;
    demo::Fault fault;
};

class StaleScheduleTest : public ::testing::TestWithParam<BadSeasonAnswer> {};

TEST_P(StaleScheduleTest, AGoodCacheIsNeverReplacedByABadAnswer) {
    FaultRig rig;
    rig.launch();
    waitUntilShown(rig.app());
    rig.quit();
    const auto goodTable = readFile(rig.scheduleCacheFile());
    FaultRig::setModified(rig.scheduleCacheFile(), rig.wall()->now() - 25 * 3600);

    rig.backend().setFault(Endpoint::Schedule, GetParam().fault);
    if (GetParam().fault.hugeBodyMegabytes > 0) rig.setTimeoutDivisor(1);  // the production time-outs
    auto& app = rig.launch();
    ASSERT_TRUE(app.settle([&] { return !app.model().isLoadingSchedule(); }));
    ASSERT_TRUE(app.model().scheduleError().has_value());
    EXPECT_EQ(app.popupMessage(), kWarning + *app.model().scheduleError());
    app.settleIo();
    EXPECT_EQ(readFile(rig.scheduleCacheFile()), goodTable);

    rig.backend().clearFaults();
    auto& next = recoverAfterFault(rig, true);
    waitUntilShown(next);
    expectHealthy(next);
    // Written again: fresh for another day.
    EXPECT_LT(fs::file_time_type::clock::now() - fs::last_write_time(rig.scheduleCacheFile()), std::chrono::hours(1));
}

INSTANTIATE_TEST_SUITE_P(Faults, StaleScheduleTest,
                         ::testing::Values(BadSeasonAnswer{"Malformed", malformedFault()},
                                           BadSeasonAnswer{"Truncated", truncatedFault()},
                                           BadSeasonAnswer{"ServiceUnavailable", statusFault(503)},
                                           BadSeasonAnswer{"HundredMegabytes", hugeFault(100)}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// ---------------------------------------------------------------------------
// Restarts lose nothing.

struct IngestDown {
    const char* name;
    demo::Fault fault;
};

class RestartTest : public ::testing::TestWithParam<IngestDown> {};

TEST_P(RestartTest, UnsentSignalsAndTheFavouriteSurvive) {
    FaultRig rig;
    rig.backend().setFault(Endpoint::Ingest, GetParam().fault);
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
    ASSERT_TRUE(fs::exists(rig.signalCacheFile()));
    EXPECT_NE(readFile(rig.signalCacheFile()).find("app.launched"), std::string::npos);

    rig.backend().clearFaults();
    auto& app = rig.launch();
    ASSERT_TRUE(app.model().favouriteTeam().has_value());
    EXPECT_EQ(app.model().favouriteTeam()->id, favourite.id);
    waitUntilShown(app);
    EXPECT_TRUE(startsWith(app.title().toStdString(), kBallAndBlanks + favourite.abbreviation))
        << app.title().toStdString();
    app.advance(10);
    // The first run's launch signal and this one's.
    EXPECT_EQ(signalsOfType(rig.backend().receivedSignals(), "app.launched"), 2u)
        << rig.backend().receivedSignals().dump();
    EXPECT_FALSE(fs::exists(rig.signalCacheFile()));
}

INSTANTIATE_TEST_SUITE_P(Faults, RestartTest,
                         ::testing::Values(IngestDown{"ServiceUnavailable", statusFault(503)},
                                           IngestDown{"ConnectionDropped", droppedFault()}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(Restart, UnreadablePreferencesStartWithoutAFavouriteThatCanBeChosenAgain) {
    FaultRig rig;
    auto* store = dynamic_cast<QtPreferencesStore*>(rig.preferences().get());
    ASSERT_NE(store, nullptr);
    const auto file = store->fileOf("");
    static constexpr char kGarbage[] = "\0\xff[General\nfav_id=\x01\x02\n\xfe";
    writeFile(file, std::string(kGarbage, sizeof kGarbage - 1));
    ESPNTeam favourite;
    {
        auto& app = rig.launch();
        waitUntilShown(app);
        expectHealthy(app);
        EXPECT_EQ(app.model().favouriteTeam(), std::nullopt);
        favourite = app.model().knownTeams().back();
        app.model().toggleFavourite(favourite);
        rig.quit();
    }
    auto& app = rig.launch();
    ASSERT_TRUE(app.model().favouriteTeam().has_value());
    EXPECT_EQ(app.model().favouriteTeam()->id, favourite.id);
}

TEST(Restart, ACorruptSignalCacheIsDroppedAndNewSignalsAreSent) {
    FaultRig rig;
    writeFile(rig.signalCacheFile(), "[{\"appID\": \"A\", \"type\": ");
    auto& app = rig.launch();
    EXPECT_FALSE(fs::exists(rig.signalCacheFile()));
    waitUntilShown(app);
    expectHealthy(app);
    app.advance(10);
    EXPECT_EQ(signalsOfType(rig.backend().receivedSignals(), "app.launched"), 1u);
}

}  // namespace
