// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "DemoBackend.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AnalyticsEncoder.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SignalManager.hpp"
#include "support/LoopbackServer.hpp"  // unusedLoopbackPort

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

using namespace analytics;
using analytics::test::RecordingLog;
using analytics::test::VirtualEnvironment;
using fixtora::demo::DemoBackend;
using fixtora::demo::Endpoint;
using fixtora::demo::Fault;
using nlohmann::json;
using Level = LogHandler::LogLevel;

namespace {

constexpr const char* kAppID = "7D3C1F0A-52B4-4E8B-9A61-2C0F5E8D4B19";

class SignalManagerTest : public ::testing::Test {
protected:
    void SetUp() override { m_backend.start(); }
    void TearDown() override { m_manager.reset(); }

    std::shared_ptr<AnalyticsConfiguration> configuration(std::optional<std::string> baseURL = std::nullopt,
                                                          std::optional<std::string> ns = std::nullopt,
                                                          std::optional<std::string> salt = std::nullopt) {
        auto config = std::make_shared<AnalyticsConfiguration>(kAppID, salt, baseURL ? baseURL : m_backend.url(), ns);
        config->setLogHandler(m_log.handler());
        return config;
    }

    SignalManager& start(std::shared_ptr<AnalyticsConfiguration> config = nullptr, bool withFile = true) {
        m_config = config ? config : configuration();
        m_manager = SignalManager::create(m_config, m_env.environment(),
                                          withFile ? std::optional(m_env.cacheFile()) : std::nullopt);
        settle();
        return *m_manager;
    }

    void queue(const std::string& type, std::map<std::string, std::string> parameters = {},
               std::optional<double> floatValue = std::nullopt, std::optional<std::string> customUser = std::nullopt) {
        m_manager->processSignal(type, std::move(parameters), floatValue, std::move(customUser), m_config);
    }

    // Runs queued work and waits (real time) for every posted batch's answer.
    void settle() {
        ASSERT_TRUE(m_env.scheduler->runUntil([this] { return !m_manager || m_manager->batchesInFlight() == 0; }));
    }

    // One tick of the send timer, and its answer.
    void tick() {
        m_env.scheduler->advance(SignalManager::kSendInterval);
        settle();
    }

    std::vector<std::string> receivedTypes() const {
        std::vector<std::string> out;
        for (const auto& s : m_backend.receivedSignals()) out.push_back(s["type"].get<std::string>());
        return out;
    }

    DemoBackend m_backend{DemoBackend::Options{}};
    VirtualEnvironment m_env;
    RecordingLog m_log;
    std::shared_ptr<AnalyticsConfiguration> m_config;
    std::shared_ptr<SignalManager> m_manager;
};

std::vector<std::string> numbered(int from, int to) {
    std::vector<std::string> out;
    for (int i = from; i < to; ++i) out.push_back("s" + std::to_string(i));
    return out;
}

}  // namespace

TEST_F(SignalManagerTest, PostsEveryMemberInTheWireFormat) {
    // The demo ingest refuses anything but a JSON array of well-formed
    // signals sent as "application/json".
    auto config = configuration(std::nullopt, "fixtora", "pepper");
    config->setDefaultUser("default-user");
    start(config);
    queue("plain", {{"screen", "fixtures"}});
    queue("measured", {}, 0.5, "custom-user");
    m_env.scheduler->runUntilIdle();
    config->setTestMode(true);
    queue("in test mode");
    tick();

    const auto received = m_backend.receivedSignals();
    ASSERT_EQ(received.size(), 3u);
    const json& plain = received[0];
    std::set<std::string> members;
    for (const auto& [key, value] : plain.items()) members.insert(key);
    members.erase("_namespace");  // added by the demo ingest: the path it was posted to
    EXPECT_EQ(plain["_namespace"], "fixtora");
    EXPECT_EQ(members, (std::set<std::string>{"receivedAt", "appID", "clientUser", "sessionID", "type", "payload",
                                              "isTestMode"}));
    EXPECT_EQ(plain["receivedAt"], AnalyticsEncoder::formatDate(analytics::test::kStart));
    EXPECT_EQ(plain["receivedAt"], "2026-06-01T12:00:00+0000");
    EXPECT_EQ(plain["appID"], kAppID);
    EXPECT_EQ(plain["clientUser"], CryptoHashing::sha256("default-user", "pepper"));
    EXPECT_EQ(plain["sessionID"], config->sessionID());
    EXPECT_EQ(plain["type"], "plain");
    EXPECT_EQ(plain["payload"]["screen"], "fixtures");
    EXPECT_EQ(plain["isTestMode"], "false");

    const json& measured = received[1];
    EXPECT_EQ(measured["floatValue"], 0.5);
    EXPECT_EQ(measured["clientUser"], CryptoHashing::sha256("custom-user", "pepper"));

    EXPECT_EQ(received[2]["isTestMode"], "true");
    EXPECT_FALSE(received[2].contains("floatValue"));
}

TEST_F(SignalManagerTest, SendsAtMostAHundredSignalsPerTick) {
    start();
    for (int i = 0; i < 250; ++i) queue("s" + std::to_string(i));
    m_env.scheduler->runUntilIdle();
    EXPECT_EQ(m_backend.ingestPostCount(), 0u);

    const std::size_t expected[] = {100, 200, 250, 250};
    for (const auto total : expected) {
        tick();
        EXPECT_EQ(m_backend.receivedSignals().size(), total);
    }
    EXPECT_EQ(m_backend.ingestPostCount(), 3u);
    EXPECT_EQ(receivedTypes(), numbered(0, 250));
    EXPECT_EQ(m_log.count(Level::info, "Sending 100 signals leaving a cache of 150 signals"), 1u);
}

TEST_F(SignalManagerTest, AFailedBatchGoesBackAtTheEndOfTheQueue) {
    start();
    for (int i = 0; i < 150; ++i) queue("s" + std::to_string(i));
    m_env.scheduler->runUntilIdle();
    m_backend.setFault(Endpoint::Ingest, Fault{500});
    tick();
    EXPECT_EQ(m_manager->signalCache()->count(), 150u);
    EXPECT_EQ(m_log.count(Level::error, "Invalid status code 500"), 1u);

    m_backend.clearFaults();
    tick();
    auto expected = numbered(100, 150);
    const auto head = numbered(0, 50);
    expected.insert(expected.end(), head.begin(), head.end());
    EXPECT_EQ(receivedTypes(), expected);
    tick();
    EXPECT_EQ(m_backend.receivedSignals().size(), 150u);
}

TEST_F(SignalManagerTest, RejectionsAreLoggedAndKeepTheSignals) {
    const std::pair<int, const char*> cases[] = {
        {401, "Unauthorized (401)"}, {403, "Forbidden (403)"}, {413, "Payload is too large (413)"},
        {503, "Invalid status code 503"}};
    start();
    for (const auto& [status, text] : cases) {
        m_backend.setFault(Endpoint::Ingest, Fault{status});
        queue("kept");
        tick();
        EXPECT_EQ(m_log.count(Level::error, text), 1u) << status;
    }
    EXPECT_EQ(m_manager->signalCache()->count(), 4u);
    EXPECT_TRUE(m_backend.receivedSignals().empty());
}

TEST_F(SignalManagerTest, AnUnreachableOrInvalidEndpointKeepsTheSignals) {
    for (const std::string& base : {"http://127.0.0.1:" + std::to_string(fixtora::test::unusedLoopbackPort()),
                                   std::string("not a url")}) {
        m_log.clear();
        start(configuration(base));
        queue("kept");
        tick();
        EXPECT_EQ(m_manager->signalCache()->count(), 1u) << base;
        EXPECT_EQ(m_log.messages(Level::error).size(), base == "not a url" ? 2u : 1u) << base;
    }
    EXPECT_EQ(m_log.count(Level::error, "Unable to construct signal API URL for namespace nil"), 1u);
    EXPECT_EQ(m_log.count(Level::error, "Invalid endpoint URL"), 1u);
}

TEST_F(SignalManagerTest, TerminationWritesTheQueueAndTheNextStartLoadsDeletesAndPostsIt) {
    start();
    for (int i = 0; i < 3; ++i) queue("s" + std::to_string(i));
    m_env.scheduler->runUntilIdle();
    m_manager->appWillTerminate();
    ASSERT_TRUE(std::filesystem::exists(m_env.cacheFile()));
    const auto stored = json::parse(fixtora::test::readFile(m_env.cacheFile()));
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_DOUBLE_EQ(stored[0]["receivedAt"].get<double>(), analytics::test::kStart - fixtora::kSecondsFrom1970To2001);
    EXPECT_EQ(m_manager->signalCache()->count(), 0u);

    m_manager.reset();
    start();  // the first batch goes out at once
    EXPECT_FALSE(std::filesystem::exists(m_env.cacheFile()));
    EXPECT_EQ(receivedTypes(), numbered(0, 3));
    EXPECT_EQ(m_backend.receivedSignals()[0]["receivedAt"], "2026-06-01T12:00:00+0000");
}

TEST_F(SignalManagerTest, BatchesInFlightAtTerminationAreWrittenWithTheQueue) {
    start();
    for (int i = 0; i < 120; ++i) queue("s" + std::to_string(i));
    m_env.scheduler->runUntilIdle();
    m_backend.setFault(Endpoint::Ingest, Fault{0, 0.5});
    m_env.scheduler->advance(SignalManager::kSendInterval);  // posted, answer not yet in
    ASSERT_EQ(m_manager->batchesInFlight(), 1u);
    m_manager->appWillTerminate();
    const auto stored = json::parse(fixtora::test::readFile(m_env.cacheFile()));
    std::vector<std::string> storedTypes;
    for (const auto& s : stored) storedTypes.push_back(s["type"]);
    EXPECT_EQ(storedTypes, numbered(0, 120));
    settle();
    EXPECT_EQ(m_manager->signalCache()->count(), 0u);  // saved, not queued a second time
}

TEST_F(SignalManagerTest, AwkwardTextsArriveIntact) {
    const std::string longValue(200000, 'x');
    const std::vector<std::pair<std::string, std::map<std::string, std::string>>> cases = {
        {"quote \" and backslash \\", {{"key \"quoted\"", "value \\ \" '"}}},
        {std::string("control \x01\t\n\r chars", 18), {{std::string("nul\0key", 7), "bell \x07"}}},
        {"non-ASCII \xc3\xa9\xe2\x80\x93\xf0\x9f\x8f\x86", {{"\xe6\x97\xa5\xe6\x9c\xac", "\xe2\x80\xa6"}}},
        {"long", {{"value", longValue}}},
    };
    start();
    for (const auto& [type, parameters] : cases) queue(type, parameters);
    queue("bad \xff byte", {{"k\xc3", "v"}});  // not UTF-8: replaced, not fatal to the batch
    tick();
    const auto received = m_backend.receivedSignals();
    ASSERT_EQ(received.size(), cases.size() + 1);
    EXPECT_EQ(received.back()["type"], "bad \xef\xbf\xbd byte");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(received[i]["type"], cases[i].first);
        for (const auto& [key, value] : cases[i].second) EXPECT_EQ(received[i]["payload"][key], value);
    }
}

TEST_F(SignalManagerTest, ANonFiniteFloatValueIsDroppedAloneAndLogged) {
    start();
    queue("before", {}, 1.5);
    queue("nan", {}, std::numeric_limits<double>::quiet_NaN());
    queue("infinite", {}, std::numeric_limits<double>::infinity());
    m_env.scheduler->runUntilIdle();
    EXPECT_EQ(m_log.countStartingWith(Level::error, "Dropping the float value of signal 'nan'"), 1u);

    // The cache file is still written at termination...
    m_manager->appWillTerminate();
    EXPECT_EQ(json::parse(fixtora::test::readFile(m_env.cacheFile())).size(), 3u);
    m_manager.reset();
    // ...and the whole batch is posted at the next start.
    start();
    const auto received = m_backend.receivedSignals();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0]["floatValue"], 1.5);
    EXPECT_FALSE(received[1].contains("floatValue"));
    EXPECT_FALSE(received[2].contains("floatValue"));
}

TEST_F(SignalManagerTest, EnrichersAndSignalParametersLayerInOrder) {
    struct Enricher final : SignalEnricher {
        Enricher(std::string value) : m_value(std::move(value)) {}
        std::map<std::string, std::string> enrich(const std::string& type, const std::optional<std::string>& user,
                                                  std::optional<double> floatValue) override {
            return {{"shared", m_value}, {"seen", type + "|" + user.value_or("none") + "|" +
                                                      (floatValue ? std::to_string(*floatValue) : "none")}};
        }
        std::string m_value;
    };
    auto config = configuration();
    config->setMetadataEnrichers({std::make_shared<Enricher>("first"), std::make_shared<Enricher>("second")});
    start(config);
    queue("layered", {{"own", "1"}});
    queue("overridden", {{"shared", "mine"}}, 2.0, "u");
    tick();
    const auto received = m_backend.receivedSignals();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0]["payload"]["shared"], "second");
    EXPECT_EQ(received[0]["payload"]["seen"], "layered|none|none");
    EXPECT_EQ(received[0]["payload"]["own"], "1");
    EXPECT_EQ(received[1]["payload"]["shared"], "mine");
    EXPECT_EQ(received[1]["payload"]["seen"], "overridden|u|2.000000");
}

TEST_F(SignalManagerTest, OptingOutDropsTheUnsentSignalsAndSendsNothingUntilOptingIn) {
    start();
    for (const char* type : {"a", "b", "c"}) queue(type);
    m_env.scheduler->runUntilIdle();
    m_manager->appWillTerminate();  // a cache file from an earlier quit
    for (const char* type : {"d", "e"}) queue(type);
    m_env.scheduler->runUntilIdle();
    ASSERT_TRUE(std::filesystem::exists(m_env.cacheFile()));

    m_config->setAnalyticsDisabled(true);
    m_manager->discardUnsentSignals();
    queue("after");  // recorded by nobody, even if already on its way
    tick();
    tick();
    EXPECT_EQ(m_backend.ingestPostCount(), 0u);
    EXPECT_EQ(m_manager->signalCache()->count(), 0u);
    m_manager->appWillTerminate();
    EXPECT_FALSE(std::filesystem::exists(m_env.cacheFile()));

    m_config->setAnalyticsDisabled(false);
    queue("back");
    tick();
    EXPECT_EQ(receivedTypes(), std::vector<std::string>{"back"});
}
