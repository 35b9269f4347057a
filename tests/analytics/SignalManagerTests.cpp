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
using nlohmann::json;
using Level = LogHandler::LogLevel;
using Types = std::vector<std::string>;

namespace {

class SignalManagerTest : public ::testing::Test {
  protected:
    void SetUp() override { m_backend.start(); }

    void start(std::optional<std::string> base = {}, std::optional<std::string> ns = {}) {
        m_config = std::make_shared<AnalyticsConfiguration>("7D3C1F0A", "pepper",
                                                            base ? base : m_backend.url(), ns);
        m_config->setLogHandler(m_log.handler());
        m_manager = SignalManager::create(m_config, m_env.environment(), m_env.cacheFile());
        settle();
    }
    void queue(const std::string& type, std::map<std::string, std::string> parameters = {},
               std::optional<double> value = {}, std::optional<std::string> user = {}) {
        m_manager->processSignal(type, std::move(parameters), value, std::move(user), m_config);
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
    void tick() {
        m_env.scheduler->advance(SignalManager::kSendInterval);
        settle();
    }
    Types types(const json& signals) const {
        Types out;
        for (const auto& s : signals) out.push_back(s["type"]);
        return out;
    }
    Types received() const { return types(m_backend.receivedSignals()); }
    std::size_t cached() const { return m_manager->signalCache()->count(); }

    fixtora::demo::DemoBackend m_backend{fixtora::demo::DemoBackend::Options{}};
    analytics::test::VirtualEnvironment m_env;
    analytics::test::RecordingLog m_log;
    std::shared_ptr<AnalyticsConfiguration> m_config;
    std::shared_ptr<SignalManager> m_manager;
};

Types numbered(int from, int to, Types out = {}) {
    for (int i = from; i < to; ++i) out.push_back("s" + std::to_string(i));
    return out;
}

}  // namespace

TEST_F(SignalManagerTest, PostsEveryMemberInTheWireFormat) {
    // The demo ingest refuses anything but a JSON array of well-formed
    // signals sent as "application/json".
    start(std::nullopt, "fixtora");
    m_config->setDefaultUser("default-user");
    queue("plain", {{"screen", "fixtures"}});
    queue("measured", {}, 0.5, "custom-user");
    m_env.scheduler->runUntilIdle();
    m_config->setTestMode(true);
    queue("in test mode");
    tick();
    const auto got = m_backend.receivedSignals();
    ASSERT_EQ(got.size(), 3u);
    json plain = got[0];
    plain["payload"] = plain["payload"]["screen"];
    EXPECT_EQ(plain, json({{"_namespace", "fixtora"},  // the path the demo ingest was posted to
                           {"receivedAt", "2026-06-01T12:00:00+0000"},
                           {"appID", "7D3C1F0A"},
                           {"clientUser", CryptoHashing::sha256("default-user", "pepper")},
                           {"sessionID", m_config->sessionID()},
                           {"type", "plain"},
                           {"payload", "fixtures"},
                           {"isTestMode", "false"}}));
    EXPECT_EQ(json::array({got[1]["floatValue"], got[1]["clientUser"], got[2]["isTestMode"],
                           got[2].contains("floatValue")}),
              json::array({0.5, CryptoHashing::sha256("custom-user", "pepper"), "true", false}));
}

TEST_F(SignalManagerTest, SendsAtMostAHundredSignalsPerTickAndPutsFailedBatchesLast) {
    start();
    queueNumbered(250);
    for (const std::size_t total : {0, 100, 200, 250, 250}) {
        EXPECT_EQ(m_backend.receivedSignals().size(), total);
        tick();
    }
    EXPECT_EQ(std::pair(m_backend.ingestPostCount(), received()), std::pair(3ul, numbered(0, 250)));
    EXPECT_EQ(m_log.count(Level::info, "Sending 100 signals leaving a cache of 150 signals"), 1u);

    queueNumbered(150);
    m_backend.setFault(Endpoint::Ingest, Fault{500});
    tick();
    EXPECT_EQ(cached(), 150u);
    m_backend.clearFaults();
    tick();
    EXPECT_EQ(received(), numbered(0, 50, numbered(100, 150, numbered(0, 250))));
}

TEST_F(SignalManagerTest, RejectionsAndUnreachableEndpointsAreLoggedAndKeepTheSignals) {
    const std::pair<int, const char*> cases[] = {{413, "Payload is too large (413)"},
                                                 {500, "Invalid status code 500"}};
    start();
    for (const auto& [status, text] : cases) {
        m_backend.setFault(Endpoint::Ingest, Fault{status});
        queue("kept");
        tick();
        EXPECT_EQ(m_log.count(Level::error, text), 1u) << status;
    }
    EXPECT_EQ(std::pair(cached(), received()), std::pair(2ul, Types{}));
    m_log.clear();
    const auto port = std::to_string(fixtora::test::unusedLoopbackPort());
    for (const std::string& base : {"http://127.0.0.1:" + port, std::string("not a url")}) {
        start(base);
        queue("kept");
        tick();
        EXPECT_EQ(cached(), 1u) << base;
    }
    EXPECT_EQ(m_log.messages(Level::error).size(), 3u);
    const auto once = [&](const char* text) { return m_log.count(Level::error, text) == 1; };
    EXPECT_TRUE(once("Unable to construct signal API URL for namespace nil"));
    EXPECT_TRUE(once("Invalid endpoint URL"));
}

TEST_F(SignalManagerTest, BatchesInFlightAtTerminationAreWrittenWithTheQueue) {
    start();
    queueNumbered(120);
    m_backend.setFault(Endpoint::Ingest, Fault{0, 0.5});
    m_env.scheduler->advance(SignalManager::kSendInterval);  // posted, answer not yet in
    ASSERT_EQ(m_manager->batchesInFlight(), 1u);
    m_manager->appWillTerminate();
    EXPECT_EQ(types(json::parse(fixtora::test::readFile(m_env.cacheFile()))), numbered(0, 120));
    settle();
    EXPECT_EQ(cached(), 0u);  // saved, not queued a second time
}

TEST_F(SignalManagerTest, AwkwardTextsArriveIntact) {
    const std::string control("control \x01\t\n\r \0 \" \\ \xc3\xa9\xf0\x9f\x8f\x86", 25);
    start();
    queue(control, {{control, std::string(200000, 'x')}});
    queue("bad \xff byte", {{"k\xc3", "v"}});  // not UTF-8: replaced, not fatal to the batch
    tick();
    EXPECT_EQ(received(), (Types{control, "bad \xef\xbf\xbd byte"}));
    EXPECT_EQ(m_backend.receivedSignals()[0]["payload"][control], std::string(200000, 'x'));
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
    json values;
    for (const auto& s : m_backend.receivedSignals()) values.push_back(s.value("floatValue", -1.0));
    EXPECT_EQ(values, json({1.5, -1.0, -1.0}));
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
    start();
    m_config->setMetadataEnrichers(
        {std::make_shared<Enricher>("first"), std::make_shared<Enricher>("second")});
    queue("layered", {{"own", "1"}});
    queue("overridden", {{"shared", "mine"}}, 2.0, "u");
    tick();
    std::string seen;
    for (const auto& s : m_backend.receivedSignals())
        for (const char* key : {"shared", "own", "layered", "overridden"})
            seen += s["payload"].value(key, "-") + " ";
    EXPECT_EQ(seen, "second 1 0.000000 - mine - - u2.000000 ");
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
    EXPECT_EQ(std::pair(m_backend.ingestPostCount(), cached()), std::pair(0ul, 0ul));
    m_manager->appWillTerminate();
    EXPECT_FALSE(std::filesystem::exists(m_env.cacheFile()));

    m_config->setAnalyticsDisabled(false);
    queue("back");
    tick();
    EXPECT_EQ(received(), Types{"back"});
}
