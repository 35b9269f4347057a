// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/AnalyticsEncoder.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/LogHandler.hpp"
#include "analytics/SignalCache.hpp"
#include "analytics/SignalManager.hpp"
#include "analytics/SignalPostBody.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <regex>

using namespace analytics;
using Level = LogHandler::LogLevel;
using fixtora::test::writeFile;

TEST(CryptoHashing, DigestsStringThenSaltAndMakesVersion4UUIDs) {
    EXPECT_EQ(CryptoHashing::sha256("a", "bc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(CryptoHashing::sha256("", ""),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::regex canonical(
        "[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    const auto a = randomUUID(), b = randomUUID();
    EXPECT_TRUE(std::regex_match(a, canonical)) << a;
    EXPECT_NE(a, b);
}

TEST(LogHandler, WritesMessagesAtOrAboveItsLevelOneLineEach) {
    testing::internal::CaptureStdout();
    const auto handler = LogHandler::standard(Level::info);
    for (const auto level : {Level::debug, Level::info, Level::error}) handler.log(level, "m");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[Analytics: INFO] m\n[Analytics: ERROR] m\n");
    int calls = 0;
    LogHandler(Level::error, [&](Level, const std::string&) { ++calls; }).log(Level::info, "m");
    EXPECT_EQ(calls, 0);
    const std::pair<int, std::optional<Level>> raw[] = {
        {-1, std::nullopt}, {0, Level::debug}, {2, Level::error}, {3, std::nullopt}};
    for (const auto& [value, level] : raw) EXPECT_EQ(LogHandler::levelFromRawValue(value), level);
}

TEST(SignalManager, StatusesAndEndpoints) {
    const std::pair<int, std::optional<std::string>> statuses[] = {
        {200, std::nullopt},           {299, std::nullopt},        {301, "Invalid status code 301"},
        {401, "Unauthorized (401)"}, {403, "Forbidden (403)"}};
    for (const auto& [status, text] : statuses) {
        const auto error = SignalManager::checkStatus(status);
        EXPECT_EQ(error ? std::optional(error->description()) : std::nullopt, text) << status;
    }
    struct Case {
        std::string base;
        std::optional<std::string> ns, endpoint;
    };
    const Case cases[] = {
        {"http://127.0.0.1:8765", std::nullopt, "http://127.0.0.1:8765/v2/"},
        {"http://127.0.0.1:8765/", std::nullopt, "http://127.0.0.1:8765/v2/"},
        {"https://ingest.example/base", "ns", "https://ingest.example/base/v2/namespace/ns/"},
        {"https://ingest.example/", "", "https://ingest.example/v2/"},
        {"https://ingest.example", "with space", std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"ftp://ingest.example", std::nullopt, std::nullopt},
        {"http:///nohost", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SignalManager::getServiceUrl(c.base, c.ns), c.endpoint) << c.base;
}

TEST(AnalyticsEncoder, WritesDatesInGmtAndNothingForInstantsBeyondTheCalendar) {
    // Dates come back from the signal cache file, whatever it holds.
    const std::pair<double, std::string> cases[] = {
        {0, "1970-01-01T00:00:00+0000"},
        {1780315200.75, "2026-06-01T12:00:00+0000"},
        {-0.5, "1969-12-31T23:59:59+0000"},
        {1e300, ""},
        {std::numeric_limits<double>::infinity(), ""},
        {std::nan(""), ""},
    };
    for (const auto& [instant, text] : cases)
        EXPECT_EQ(AnalyticsEncoder::formatDate(instant), text) << instant;
}

// Batch sizes and the order of batches put back are pinned through the signal
// manager's tests; these cover the cache file.
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
        "{\"type\": \"object instead of array\"}",
        "[" + valid + ", {\"type\": 3}]",
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
