// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/SignalCache.hpp"
#include "analytics/SignalPostBody.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>


using namespace analytics;
using analytics::test::RecordingLog;
using fixtora::test::readFile;
using fixtora::test::TempDir;
using fixtora::test::writeFile;
using Level = LogHandler::LogLevel;
using Cache = SignalCache;

namespace {

SignalPostBody signal(int i) {
    return {analytics::test::kStart + i + 0.25, "APP", "user", "SESSION", "s" + std::to_string(i),
            i % 2 ? std::optional(i * 0.5) : std::nullopt, {{"i", std::to_string(i)}}, "false"};
}

std::vector<std::string> types(const std::vector<SignalPostBody>& batch) {
    std::vector<std::string> out;
    for (const auto& b : batch) out.push_back(b.type);
    return out;
}

class SignalCacheTest : public ::testing::Test {
protected:
    std::unique_ptr<Cache> makeCache() { return std::make_unique<Cache>(m_log.handler(), m_file); }

    TempDir m_dir;
    std::filesystem::path m_file = m_dir / "Fixtora" / "analyticssignalcache";
    RecordingLog m_log;
};

}  // namespace

TEST_F(SignalCacheTest, PopsTheOldestHundredAtMost) {
    for (const auto& [queued, popped] : std::vector<std::pair<int, std::size_t>>{{0, 0}, {99, 99}, {100, 100}, {101, 100}, {250, 100}}) {
        auto cache = makeCache();
        for (int i = 0; i < queued; ++i) cache->push(signal(i));
        const auto batch = cache->pop();
        ASSERT_EQ(batch.size(), popped) << queued;
        if (!batch.empty()) {
            EXPECT_EQ(batch.front().type, "s0");
            EXPECT_EQ(batch.back().type, "s" + std::to_string(popped - 1));
        }
        EXPECT_EQ(cache->count(), static_cast<std::size_t>(queued) - popped);
    }
}

TEST_F(SignalCacheTest, ABatchPushedBackGoesAfterSignalsQueuedMeanwhile) {
    auto cache = makeCache();
    for (int i = 0; i < 3; ++i) cache->push(signal(i));
    auto batch = cache->pop();
    cache->push(signal(3));
    cache->push(std::move(batch));
    EXPECT_EQ(types(cache->pop()), (std::vector<std::string>{"s3", "s0", "s1", "s2"}));
}

TEST_F(SignalCacheTest, BackupWritesEveryElementAndTheNextCacheLoadsThemAndDeletesTheFile) {
    std::vector<SignalPostBody> written;
    {
        auto cache = makeCache();
        for (int i = 0; i < 5; ++i) {
            written.push_back(signal(i));
            cache->push(signal(i));
        }
        ASSERT_TRUE(cache->backupCache());
        EXPECT_EQ(cache->count(), 0u);
        EXPECT_EQ(m_log.countStartingWith(Level::info, "Saved Analytics cache "), 1u);
        EXPECT_EQ(m_log.messages(Level::info).back(),
                  "Saved Analytics cache " + std::to_string(readFile(m_file).size()) + " bytes of 5 signals");
    }
    const auto stored = nlohmann::json::parse(readFile(m_file));
    ASSERT_EQ(stored.size(), 5u);
    EXPECT_DOUBLE_EQ(stored[0]["receivedAt"].get<double>(), written[0].receivedAt - fixtora::kSecondsFrom1970To2001);
    EXPECT_FALSE(std::filesystem::exists(m_file.string() + ".tmp" + std::to_string(::getpid())));

    m_log.clear();
    auto reloaded = makeCache();
    EXPECT_FALSE(std::filesystem::exists(m_file));
    EXPECT_EQ(m_log.messages(Level::info),
              (std::vector<std::string>{"Loading Analytics cache from: " + m_file.string(), "Loaded 5 signals"}));
    EXPECT_EQ(reloaded->pop(), written);
}

TEST_F(SignalCacheTest, AFailedBackupKeepsTheQueue) {
    writeFile(m_dir / "Fixtora", "a file where the folder should be");
    auto cache = makeCache();
    cache->push(signal(0));
    EXPECT_FALSE(cache->backupCache());
    EXPECT_EQ(cache->count(), 1u);
    EXPECT_EQ(m_log.count(Level::error, "Error saving Analytics cache"), 1u);
}

TEST_F(SignalCacheTest, UnreadableFilesAreDeletedAndTheCacheStartsEmpty) {
    const std::string valid = nlohmann::json(signal(1)).dump();
    const std::vector<std::string> contents = {
        "not json at all",
        "",
        "{\"type\": \"object instead of array\"}",
        "[1, 2, 3]",
        "[" + valid + ", {\"type\": 3}]",
        "[{\"appID\": \"A\"}]",
        "[" + valid.substr(0, valid.size() / 2),
        R"([{"receivedAt": "2026-01-01", "appID": "A", "clientUser": "u", "sessionID": "s", "type": "t", "payload": {}, "isTestMode": "false"}])",
        R"([{"receivedAt": 1, "appID": "A", "clientUser": "u", "sessionID": "s", "type": "t", "payload": {"k": 1}, "isTestMode": "false"}])",
    };
    for (const auto& text : contents) {
        std::filesystem::create_directories(m_file.parent_path());
        writeFile(m_file, text);
        m_log.clear();
        auto cache = makeCache();
        EXPECT_EQ(cache->count(), 0u) << text;
        EXPECT_FALSE(std::filesystem::exists(m_file)) << text;
        EXPECT_EQ(m_log.countStartingWith(Level::info, "Loaded "), 0u) << text;
    }
}

TEST_F(SignalCacheTest, LoadsAHundredThousandEntries) {
    std::string text = "[";
    for (int i = 0; i < 100000; ++i) {
        if (i) text += ',';
        text += R"({"receivedAt":800000000.5,"appID":"A","clientUser":"u","sessionID":"S","type":"s)" +
                std::to_string(i) + R"(","payload":{"k":"v"},"isTestMode":"false"})";
    }
    std::filesystem::create_directories(m_file.parent_path());
    writeFile(m_file, text + "]");
    auto cache = makeCache();
    EXPECT_EQ(cache->count(), 100000u);
    EXPECT_EQ(cache->pop().front().type, "s0");
}

