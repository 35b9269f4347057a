// SPDX-License-Identifier: MIT
#include "analytics/AnalyticsEncoder.hpp"
#include "analytics/AnalyticsError.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/LogHandler.hpp"
#include "analytics/SignalManager.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>

using namespace analytics;
using Level = LogHandler::LogLevel;

TEST(CryptoHashing, DigestsStringThenSaltAsLowerCaseHex) {
    EXPECT_EQ(CryptoHashing::sha256("abc", ""), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(CryptoHashing::sha256("a", "bc"), CryptoHashing::sha256("abc", ""));
    EXPECT_NE(CryptoHashing::sha256("bc", "a"), CryptoHashing::sha256("abc", ""));
    EXPECT_EQ(CryptoHashing::sha256("", ""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(CryptoHashing::sha256("\xc3\xa9t\xc3\xa9", "").size(), 64u);
}

TEST(CryptoHashing, RandomUUIDsAreCanonicalVersion4AndDistinct) {
    const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    const auto a = randomUUID(), b = randomUUID();
    EXPECT_TRUE(std::regex_match(a, canonical)) << a;
    EXPECT_NE(a, b);
}

TEST(LogHandler, DeliversMessagesAtOrAboveItsLevel) {
    struct Case {
        Level handlerLevel;
        Level messageLevel;
        bool delivered;
    };
    const Case cases[] = {
        {Level::info, Level::debug, false}, {Level::info, Level::info, true},   {Level::info, Level::error, true},
        {Level::debug, Level::debug, true}, {Level::error, Level::info, false}, {Level::error, Level::error, true},
    };
    for (const auto& c : cases) {
        int calls = 0;
        LogHandler handler(c.handlerLevel, [&](Level, const std::string&) { ++calls; });
        handler.log(c.messageLevel, "m");
        EXPECT_EQ(calls, c.delivered ? 1 : 0) << static_cast<int>(c.handlerLevel) << "/" << static_cast<int>(c.messageLevel);
    }
    EXPECT_EQ(LogHandler::levelFromRawValue(2), Level::error);
    EXPECT_EQ(LogHandler::levelFromRawValue(3), std::nullopt);
    EXPECT_EQ(LogHandler::levelFromRawValue(-1), std::nullopt);
}

TEST(LogHandler, StandardSinkWritesOneLinePerMessageToStandardOutput) {
    testing::internal::CaptureStdout();
    const auto handler = LogHandler::standard(Level::info);
    handler.log(Level::info, "Loaded 3 signals");
    handler.log(Level::debug, "hidden");
    handler.log(Level::error, "Error saving Analytics cache");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[Analytics: INFO] Loaded 3 signals\n[Analytics: ERROR] Error saving Analytics cache\n");
}

TEST(AnalyticsError, StatusesMapToTheirErrorsAndTexts) {
    struct Case {
        int status;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {200, std::nullopt},
        {204, std::nullopt},
        {299, std::nullopt},
        {401, "Unauthorized (401)"},
        {403, "Forbidden (403)"},
        {413, "Payload is too large (413)"},
        {500, "Invalid status code 500"},
        {301, "Invalid status code 301"},
        {0, "Invalid status code 0"},
    };
    for (const auto& c : cases) {
        const auto error = SignalManager::checkStatus(c.status);
        EXPECT_EQ(error ? std::optional(error->description()) : std::nullopt, c.text) << c.status;
    }
    EXPECT_EQ(AnalyticsError::invalidEndpointUrl().description(), "Invalid endpoint URL");
}

TEST(SignalManager, EndpointFollowsTheBaseAndNamespace) {
    struct Case {
        std::string base;
        std::optional<std::string> ns;
        std::optional<std::string> endpoint;
    };
    const Case cases[] = {
        {"http://127.0.0.1:8765", std::nullopt, "http://127.0.0.1:8765/v2/"},
        {"http://127.0.0.1:8765/", std::nullopt, "http://127.0.0.1:8765/v2/"},
        {"https://ingest.example/base", "ns", "https://ingest.example/base/v2/namespace/ns/"},
        {"https://ingest.example/", "", "https://ingest.example/v2/"},
        {"https://ingest.example", "with space", std::nullopt},
        {"not a url", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"ftp://ingest.example", std::nullopt, std::nullopt},
        {"http:///nohost", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SignalManager::getServiceUrl(c.base, c.ns), c.endpoint) << c.base << " " << c.ns.value_or("nil");
}


TEST(AnalyticsEncoder, WritesDatesInGmtAndNothingForInstantsBeyondTheCalendar) {
    // Dates come back from the signal cache file, whatever it holds.
    const std::pair<double, std::string> cases[] = {
        {0, "1970-01-01T00:00:00+0000"},
        {1780315200.75, "2026-06-01T12:00:00+0000"},
        {-0.5, "1969-12-31T23:59:59+0000"},
        {1e300, ""},
        {-1e300, ""},
        {std::numeric_limits<double>::infinity(), ""},
        {std::nan(""), ""},
    };
    for (const auto& [instant, text] : cases) EXPECT_EQ(AnalyticsEncoder::formatDate(instant), text) << instant;
}
