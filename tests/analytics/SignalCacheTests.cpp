// SPDX-License-Identifier: MIT
// Batch sizes and the order of batches put back are pinned through the signal
// manager's tests; these cover the cache file.
#include "AnalyticsTestSupport.hpp"

#include "analytics/SignalCache.hpp"
#include "analytics/SignalPostBody.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace analytics;
using fixtora::test::writeFile;

namespace {

SignalPostBody signal(int i) {
    return {analytics::test::kStart + i + 0.25,
            "APP",
            "user",
            "SESSION",
            "s" + std::to_string(i),
            i % 2 ? std::optional(i * 0.5) : std::nullopt,
            {{"i", std::to_string(i)}},
            "false"};
}

class SignalCacheTest : public ::testing::Test {
  protected:
    std::unique_ptr<SignalCache> makeCache() {
        return std::make_unique<SignalCache>(m_log.handler(), m_file);
    }

    fixtora::test::TempDir m_dir;
    std::filesystem::path m_file = m_dir / "Fixtora" / "analyticssignalcache";
    analytics::test::RecordingLog m_log;
};

}  // namespace

TEST_F(SignalCacheTest, BackupWritesEveryElementAndTheNextCacheLoadsThemAndDeletesTheFile) {
    std::vector<SignalPostBody> written;
    auto cache = makeCache();
    for (int i = 0; i < 5; ++i) {
        written.push_back(signal(i));
        cache->push(signal(i));
    }
    ASSERT_TRUE(cache->backupCache());
    EXPECT_EQ(cache->count(), 0u);
    EXPECT_FALSE(std::filesystem::exists(m_file.string() + ".tmp" + std::to_string(::getpid())));
    // Instants are stored as seconds since 2001.
    EXPECT_DOUBLE_EQ(nlohmann::json::parse(fixtora::test::readFile(m_file))[0]["receivedAt"],
                     written[0].receivedAt - fixtora::kSecondsFrom1970To2001);

    auto reloaded = makeCache();
    EXPECT_FALSE(std::filesystem::exists(m_file));
    EXPECT_EQ(reloaded->pop(), written);
}

TEST_F(SignalCacheTest, AFailedBackupKeepsTheQueue) {
    writeFile(m_dir / "Fixtora", "a file where the folder should be");
    auto cache = makeCache();
    cache->push(signal(0));
    EXPECT_FALSE(cache->backupCache());
    EXPECT_EQ(cache->count(), 1u);
    EXPECT_EQ(m_log.count(LogHandler::LogLevel::error, "Error saving Analytics cache"), 1u);
}

TEST_F(SignalCacheTest, UnreadableFilesAreDeletedAndTheCacheStartsEmpty) {
    const std::string valid = nlohmann::json(signal(1)).dump();
    const std::string fields = R"("appID": "A", "clientUser": "u", "sessionID": "s", "type": "t")";
    const std::string contents[] = {
        "not json at all",
        "",
        "{\"type\": \"object instead of array\"}",
        "[1, 2, 3]",
        "[" + valid + ", {\"type\": 3}]",
        "[{\"appID\": \"A\"}]",
        "[" + valid.substr(0, valid.size() / 2),
        R"([{"receivedAt": "2026-01-01", "payload": {}, "isTestMode": "false", )" + fields + "}]",
        R"([{"receivedAt": 1, "payload": {"k": 1}, "isTestMode": "false", )" + fields + "}]",
    };
    for (const auto& text : contents) {
        std::filesystem::create_directories(m_file.parent_path());
        writeFile(m_file, text);
        EXPECT_EQ(makeCache()->count(), 0u) << text;
        EXPECT_FALSE(std::filesystem::exists(m_file)) << text;
    }
}
