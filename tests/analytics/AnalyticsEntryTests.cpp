// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "DemoBackend.hpp"
#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsManager.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/SignalManager.hpp"

#include <gtest/gtest.h>

using namespace analytics;
using fixtora::test::readFile;
using test::kv;
using Level = LogHandler::LogLevel;
using Params = std::map<std::string, std::string>;

namespace {

constexpr const char* kAppID = "7D3C1F0A-52B4-4E8B-9A61-2C0F5E8D4B19";

class AnalyticsEntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_backend.start();
        Analytics::setDefaultEnvironment(m_env.environment());
        SessionManager::setShared(SessionManager::create(ClientServices::production()));
    }
    void TearDown() override {
        Analytics::terminate();
        SessionManager::setShared(nullptr);
        Analytics::setDefaultEnvironment({});
    }

    std::shared_ptr<AnalyticsConfiguration> initialize(const std::string& salt = "") {
        auto config = std::make_shared<AnalyticsConfiguration>(kAppID, salt, m_backend.url());
        config->setLogHandler(m_log.handler());
        config->setEnvironment(m_env.environment());
        Analytics::initialize(config);
        return config;
    }

    // Runs what is due after `seconds` and waits for the answers of batches posted.
    void advance(double seconds) {
        m_env.scheduler->advance(seconds);
        ASSERT_TRUE(m_env.scheduler->runUntil([] {
            return !AnalyticsManager::isInitialized() ||
                   AnalyticsManager::shared()->signalManager()->batchesInFlight() == 0;
        }));
    }

    // The signals queued so far, taken out of the current manager's cache.
    std::vector<SignalPostBody> takeQueued() {
        m_env.scheduler->runUntilIdle();
        std::vector<SignalPostBody> out;
        const auto cache = AnalyticsManager::shared()->signalManager()->signalCache();
        for (auto batch = cache->pop(); !batch.empty(); batch = cache->pop())
            out.insert(out.end(), batch.begin(), batch.end());
        return out;
    }

    fixtora::demo::DemoBackend m_backend{fixtora::demo::DemoBackend::Options{}};
    test::VirtualEnvironment m_env;
    test::RecordingLog m_log;
};

}  // namespace

TEST_F(AnalyticsEntryTest, TheFirstSessionStartsHalfASecondAfterInitialisation) {
    const auto config = initialize();
    const std::string first = config->sessionID();
    Analytics::signal("app.launched");
    advance(0.49);
    EXPECT_EQ(std::pair(m_backend.ingestPostCount(), config->sessionID()), std::pair(0ul, first));
    advance(0.01);
    const std::string second = config->sessionID();
    advance(SignalManager::kSendInterval - 0.5);
    // Only one session per start: nothing more happens later on.
    Analytics::signal("later");
    advance(SignalManager::kSendInterval);
    std::vector<std::string> seen;
    for (const auto& s : m_backend.receivedSignals())
        seen.push_back(s["type"].get<std::string>() + (s["sessionID"] == first    ? " 1"
                                                       : s["sessionID"] == second ? " 2"
                                                                                  : " ?"));
    EXPECT_EQ(seen, (std::vector<std::string>{"app.launched 1",
                                              "Analytics.Acquisition.newInstallDetected 2",
                                              "Analytics.Session.started 2", "later 2"}));
}

TEST_F(AnalyticsEntryTest, NewSessionsSendTheStartSignalOnlyWhenAskedTo) {
    const auto config = initialize();
    advance(0.5);
    takeQueued();
    config->setSessionStatsEnabled(false);
    Analytics::generateNewSession();
    auto queued = takeQueued();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].type + " " + queued[0].sessionID,
              "Analytics.Session.started " + config->sessionID());
    config->setSendNewSessionBeganSignal(false);
    Analytics::generateNewSession();
    EXPECT_TRUE(takeQueued().empty());
}

TEST_F(AnalyticsEntryTest, ImmediateSyncIsThrottledToOnceEveryTenSeconds) {
    initialize();
    const auto attempts = [this] {
        return m_log.count(Level::debug, "Current signal cache count: ", true);
    };
    const auto atStart = attempts();
    // Seconds to wait before asking, and the attempts made so far after it.
    const std::pair<double, std::size_t> steps[] = {{1, 1}, {3.1, 1}, {7.3, 3}};
    for (const auto& [wait, made] : steps) {
        advance(wait);  // the send timer fires on the way, at 10 s
        Analytics::requestImmediateSync();
        advance(0.1);
        EXPECT_EQ(attempts(), atStart + made) << wait;
    }
}

TEST_F(AnalyticsEntryTest, PrefixesNamesAndKeysAndWarnsAboutReservedOnes) {
    // Signal name or parameters, prefix, what is sent, whether a warning is logged.
    using Row = std::tuple<std::string, std::string, std::string, bool>;
    const std::vector<Row> names = {
        {"TYPE", "", "TYPE", true},
        {"analytics.Custom", "", "analytics.Custom", true},
        {"Analytics.Foo", "App.", "App.Analytics.Foo", false},
    };
    const std::vector<Row> keys = {
        {"platform=x", "", "platform=x", true},
        {"screen=a Analytics.Foo=b", "MyApp.", "MyApp.screen=a Analytics.Foo=b", true},
        // Two keys meet after prefixing: the one written in its final form wins.
        {"screen=x Analytics.screen=final", "Analytics.", "Analytics.screen=final", true},
        {"Analytics.screen=final lytics.screen=x", "Ana", "Analytics.screen=final", true},
    };
    const auto config = initialize();
    advance(0.5);
    Params baseline;
    const auto send = [&](bool warnings, const std::string& type, const Params& parameters) {
        takeQueued();
        m_log.clear();
        config->setReservedParameterWarningsEnabled(warnings);
        Analytics::signal(type, parameters);
        auto queued = takeQueued();
        if (queued.size() != 1) return SignalPostBody{};
        // Only what the signal adds to the default payload.
        for (const auto& [k, v] : baseline)
            if (queued[0].payload[k] == v) queued[0].payload.erase(k);
        return queued[0];
    };
    baseline = send(false, "s", {}).payload;
    const auto optional = [](const std::string& s) {
        return s.empty() ? std::nullopt : std::optional(s);
    };
    for (const bool warnings : {true, false})
        for (const bool forKeys : {false, true})
            for (const auto& [in, prefix, sent, warned] : forKeys ? keys : names) {
                config->setDefaultSignalPrefix(forKeys ? std::nullopt : optional(prefix));
                config->setDefaultParameterPrefix(forKeys ? optional(prefix) : std::nullopt);
                const auto got = send(warnings, forKeys ? "s" : in, forKeys ? kv(in) : Params{});
                EXPECT_EQ(std::pair(got.type, got.payload),
                          std::pair(forKeys ? "s" : sent, forKeys ? kv(sent) : Params{}));
                EXPECT_EQ(m_log.messages(Level::error).size(), warnings && warned) << in;
            }

    // Default parameters go under the signal's own and are always checked.
    config->setDefaultParameterPrefix("App.");
    config->setDefaultParameters([&] { return kv("theme=dark shared=default Analytics.x=1"); });
    EXPECT_EQ(send(false, "s", {{"shared", "own"}}).payload,
              kv("App.theme=dark App.shared=own Analytics.x=1"));
    EXPECT_EQ(m_log.messages(Level::error).size(), 1u);
}

TEST_F(AnalyticsEntryTest, DisabledOrPreviewConfigurationsRecordAndLogNothing) {
    const auto config = initialize();
    advance(0.5);
    takeQueued();
    for (const bool disabled : {true, false}) {
        config->setAnalyticsDisabled(disabled);
        config->setSwiftUIPreviewMode(!disabled);
        m_log.clear();
        Analytics::signal("type", {{"platform", "x"}});
        Analytics::internalSignal("Analytics.internal");
        EXPECT_TRUE(takeQueued().empty()) << disabled;
        EXPECT_TRUE(m_log.messages(Level::error).empty()) << disabled;
    }
}

TEST_F(AnalyticsEntryTest, ATemporaryManagerLeavesTheDiskCacheAlone) {
    const std::string saved =
        R"([{"receivedAt":800000000,"appID":"A","clientUser":"u","sessionID":"S","type":"saved","payload":{},"isTestMode":"false"}])";
    std::filesystem::create_directories(m_env.cacheFile().parent_path());
    fixtora::test::writeFile(m_env.cacheFile(), saved);

    Analytics::signal("before initialize");
    Analytics::requestImmediateSync();
    advance(SignalManager::kSendInterval * 2);
    EXPECT_EQ(m_env.scheduler->timerCount(), 0u);  // no timer outlives the temporary managers
    Analytics::generateNewSession();
    advance(SignalManager::kSendInterval * 2);
    EXPECT_FALSE(AnalyticsManager::isInitialized());
    EXPECT_EQ(readFile(m_env.cacheFile()), saved);

    initialize();
    advance(0);
    EXPECT_FALSE(std::filesystem::exists(m_env.cacheFile()));
    EXPECT_EQ(m_backend.receivedSignals().at(0)["type"], "saved");

    Analytics::terminate();
    fixtora::test::writeFile(m_env.cacheFile(), saved);
    Analytics::signal("after terminate");
    advance(1);
    EXPECT_EQ(readFile(m_env.cacheFile()), saved);
    // Only while previews run ("1", nothing else) is the temporary manager kept.
    for (const char* previews : {"0", "1"}) {
        setenv("XCODE_RUNNING_FOR_PREVIEWS", previews, 1);
        Analytics::signal("in a preview");
        EXPECT_EQ(AnalyticsManager::isInitialized(), *previews == '1') << previews;
    }
    unsetenv("XCODE_RUNNING_FOR_PREVIEWS");
}

TEST_F(AnalyticsEntryTest, TheUserIdentifierLivesInTheClientsOwnSuite) {
    initialize("salt");
    const auto hash = CryptoHashing::sha256(kAppID, "");
    const auto suite = m_env.preferences->suite("com.fixtora.analytics." + hash.substr(52));
    EXPECT_EQ(Analytics::customDefaults(), suite);
    const auto hashed = [](const std::string& user) { return CryptoHashing::sha256(user, "salt"); };
    std::vector<std::string> users;
    const auto take = [&] {
        for (const auto& s : takeQueued()) users.push_back(s.clientUser);
    };
    Analytics::signal("first");
    take();
    const auto stored = hashed(suite->string("defaultUserIdentifier").value_or("none"));
    EXPECT_EQ(AnalyticsManager::shared()->hashedDefaultUser(), stored);
    // A new start keeps the identifier; a changed default user applies to later signals.
    initialize("salt");
    Analytics::signal("second");
    take();
    Analytics::updateDefaultUserID("someone");
    Analytics::signal("third", {}, std::nullopt, "custom");
    Analytics::signal("fourth");
    take();
    EXPECT_EQ(users, (std::vector{stored, stored, hashed("custom"), hashed("someone")}));
}
