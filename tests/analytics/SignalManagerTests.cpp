// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "DemoBackend.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SignalManager.hpp"
#include "support/LoopbackServer.hpp"  // unusedLoopbackPort

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <limits>

using namespace analytics;
using fixtora::demo::Endpoint;
using fixtora::demo::Fault;
using fixtora::test::readFile;
using nlohmann::json;
using Level = LogHandler::LogLevel;
using Types = std::vector<std::string>;

namespace {

class SignalManagerTest : public ::testing::Test {
  protected:
    void SetUp() override { m_backend.start(); }

    std::shared_ptr<AnalyticsConfiguration> configuration(
        std::optional<std::string> baseURL = std::nullopt,
        std::optional<std::string> ns = std::nullopt) {
        auto config = std::make_shared<AnalyticsConfiguration>(
            "7D3C1F0A", "pepper", baseURL ? baseURL : m_backend.url(), ns);
        config->setLogHandler(m_log.handler());
        return config;
    }

    void start(std::shared_ptr<AnalyticsConfiguration> config = nullptr) {
        m_config = config ? config : configuration();
        m_manager = SignalManager::create(m_config, m_env.environment(), m_env.cacheFile());
        settle();
    }

    void queue(const std::string& type, std::map<std::string, std::string> parameters = {},
               std::optional<double> floatValue = std::nullopt,
               std::optional<std::string> user = std::nullopt) {
        m_manager->processSignal(type, std::move(parameters), floatValue, std::move(user),
                                 m_config);
    }
    void queueNumbered(int count) {
        for (int i = 0; i < count; ++i) queue("s" + std::to_string(i));
        m_env.scheduler->runUntilIdle();
    }

    // Runs queued work and waits (real time) for every posted batch's answer.
    void settle() {
        ASSERT_TRUE(m_env.scheduler->runUntil(
            [this] { return !m_manager || m_manager->batchesInFlight() == 0; }));
    }

    // One tick of the send timer, and its answer.
    void tick() {
        m_env.scheduler->advance(SignalManager::kSendInterval);
        settle();
    }

    Types receivedTypes() const {
        Types out;
        for (const auto& s : m_backend.receivedSignals()) out.push_back(s["type"]);
        return out;
    }
    json stored() const { return json::parse(readFile(m_env.cacheFile())); }

    fixtora::demo::DemoBackend m_backend{fixtora::demo::DemoBackend::Options{}};
    analytics::test::VirtualEnvironment m_env;
    analytics::test::RecordingLog m_log;
    std::shared_ptr<AnalyticsConfiguration> m_config;
    std::shared_ptr<SignalManager> m_manager;
};

Types numbered(int from, int to) {
    Types out;
    for (int i = from; i < to; ++i) out.push_back("s" + std::to_string(i));
    return out;
}

}  // namespace

TEST_F(SignalManagerTest, PostsEveryMemberInTheWireFormat) {
    // The demo ingest refuses anything but a JSON array of well-formed
    // signals sent as "application/json".
    auto config = configuration(std::nullopt, "fixtora");
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
    json plain = received[0];
    EXPECT_EQ(plain["_namespace"], "fixtora");  // the path the demo ingest was posted to
    plain.erase("_namespace");
    plain["payload"] = plain["payload"]["screen"];
    EXPECT_EQ(plain, json({{"receivedAt", "2026-06-01T12:00:00+0000"},
                           {"appID", "7D3C1F0A"},
                           {"clientUser", CryptoHashing::sha256("default-user", "pepper")},
                           {"sessionID", config->sessionID()},
                           {"type", "plain"},
                           {"payload", "fixtures"},
                           {"isTestMode", "false"}}));
    EXPECT_EQ(received[1]["floatValue"], 0.5);
    EXPECT_EQ(received[1]["clientUser"], CryptoHashing::sha256("custom-user", "pepper"));
    EXPECT_EQ(received[2]["isTestMode"], "true");
    EXPECT_FALSE(received[2].contains("floatValue"));
}

TEST_F(SignalManagerTest, SendsAtMostAHundredSignalsPerTick) {
    start();
    queueNumbered(250);
    EXPECT_EQ(m_backend.ingestPostCount(), 0u);
    for (const std::size_t total : {100, 200, 250, 250}) {
        tick();
        EXPECT_EQ(m_backend.receivedSignals().size(), total);
    }
    EXPECT_EQ(m_backend.ingestPostCount(), 3u);
    EXPECT_EQ(receivedTypes(), numbered(0, 250));
    EXPECT_EQ(m_log.count(Level::info, "Sending 100 signals leaving a cache of 150 signals"), 1u);
}

TEST_F(SignalManagerTest, AFailedBatchGoesBackAtTheEndOfTheQueue) {
    start();
    queueNumbered(150);
    m_backend.setFault(Endpoint::Ingest, Fault{500});
    tick();
    EXPECT_EQ(m_manager->signalCache()->count(), 150u);
    m_backend.clearFaults();
    tick();
    auto expected = numbered(100, 150);
    const auto head = numbered(0, 50);
    expected.insert(expected.end(), head.begin(), head.end());
    EXPECT_EQ(receivedTypes(), expected);
}

TEST_F(SignalManagerTest, RejectionsAreLoggedAndKeepTheSignals) {
    const std::pair<int, const char*> cases[] = {{401, "Unauthorized (401)"},
                                                 {403, "Forbidden (403)"},
                                                 {413, "Payload is too large (413)"},
                                                 {500, "Invalid status code 500"}};
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
    const auto port = std::to_string(fixtora::test::unusedLoopbackPort());
    for (const std::string& base : {"http://127.0.0.1:" + port, std::string("not a url")}) {
        start(configuration(base));
        queue("kept");
        tick();
        EXPECT_EQ(m_manager->signalCache()->count(), 1u) << base;
    }
    EXPECT_EQ(m_log.messages(Level::error).size(), 3u);
    EXPECT_EQ(m_log.count(Level::error, "Unable to construct signal API URL for namespace nil"),
              1u);
    EXPECT_EQ(m_log.count(Level::error, "Invalid endpoint URL"), 1u);
}

TEST_F(SignalManagerTest, BatchesInFlightAtTerminationAreWrittenWithTheQueue) {
    start();
    queueNumbered(120);
    m_backend.setFault(Endpoint::Ingest, Fault{0, 0.5});
    m_env.scheduler->advance(SignalManager::kSendInterval);  // posted, answer not yet in
    ASSERT_EQ(m_manager->batchesInFlight(), 1u);
    m_manager->appWillTerminate();
    Types storedTypes;
    for (const auto& s : stored()) storedTypes.push_back(s["type"]);
    EXPECT_EQ(storedTypes, numbered(0, 120));
    settle();
    EXPECT_EQ(m_manager->signalCache()->count(), 0u);  // saved, not queued a second time
}

TEST_F(SignalManagerTest, AwkwardTextsArriveIntact) {
    const std::string control("control \x01\t\n\r \0 \" \\ \xc3\xa9\xf0\x9f\x8f\x86", 25);
    start();
    queue(control, {{control, std::string(200000, 'x')}});
    queue("bad \xff byte", {{"k\xc3", "v"}});  // not UTF-8: replaced, not fatal to the batch
    tick();
    const auto received = m_backend.receivedSignals();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0]["type"], control);
    EXPECT_EQ(received[0]["payload"][control], std::string(200000, 'x'));
    EXPECT_EQ(received[1]["type"], "bad \xef\xbf\xbd byte");
}

TEST_F(SignalManagerTest, ANonFiniteFloatValueIsDroppedAloneAndLogged) {
    start();
    queue("before", {}, 1.5);
    queue("nan", {}, std::numeric_limits<double>::quiet_NaN());
    queue("infinite", {}, std::numeric_limits<double>::infinity());
    m_env.scheduler->runUntilIdle();
    EXPECT_EQ(m_log.countStartingWith(Level::error, "Dropping the float value of signal 'nan'"),
              1u);
    // The cache file is still written at termination; the next start posts it at once.
    m_manager->appWillTerminate();
    m_manager.reset();
    start();
    EXPECT_FALSE(std::filesystem::exists(m_env.cacheFile()));
    const auto received = m_backend.receivedSignals();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0]["floatValue"], 1.5);
    EXPECT_FALSE(received[1].contains("floatValue"));
    EXPECT_FALSE(received[2].contains("floatValue"));
}

TEST_F(SignalManagerTest, EnrichersAndSignalParametersLayerInOrder) {
    struct Enricher final : SignalEnricher {
        explicit Enricher(std::string value) : m_value(std::move(value)) {}
        std::map<std::string, std::string> enrich(const std::string& type,
                                                  const std::optional<std::string>& user,
                                                  std::optional<double> value) override {
            return {{"shared", m_value},
                    {type, user.value_or("") + std::to_string(value.value_or(0))}};
        }
        std::string m_value;
    };
    auto config = configuration();
    config->setMetadataEnrichers(
        {std::make_shared<Enricher>("first"), std::make_shared<Enricher>("second")});
    start(config);
    queue("layered", {{"own", "1"}});
    queue("overridden", {{"shared", "mine"}}, 2.0, "u");
    tick();
    const auto received = m_backend.receivedSignals();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0]["payload"]["shared"], "second");
    EXPECT_EQ(received[0]["payload"]["layered"], "0.000000");
    EXPECT_EQ(received[0]["payload"]["own"], "1");
    EXPECT_EQ(received[1]["payload"]["shared"], "mine");
    EXPECT_EQ(received[1]["payload"]["overridden"], "u2.000000");
}

TEST_F(SignalManagerTest, OptingOutDropsTheUnsentSignalsAndSendsNothingUntilOptingIn) {
    start();
    queueNumbered(3);
    m_manager->appWillTerminate();  // a cache file from an earlier quit
    queueNumbered(2);
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
    EXPECT_EQ(receivedTypes(), Types{"back"});
}
