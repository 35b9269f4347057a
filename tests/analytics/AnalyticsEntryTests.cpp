// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "DemoBackend.hpp"
#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsManager.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "analytics/ClientServices.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/SignalManager.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace analytics;
using analytics::test::RecordingLog;
using analytics::test::VirtualEnvironment;
using fixtora::demo::DemoBackend;
using nlohmann::json;
using Level = LogHandler::LogLevel;

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

    std::shared_ptr<AnalyticsConfiguration> makeConfiguration(const std::string& salt = "") {
        auto config = std::make_shared<AnalyticsConfiguration>(kAppID, salt, m_backend.url());
        config->setLogHandler(m_log.handler());
        config->setEnvironment(m_env.environment());
        return config;
    }

    std::shared_ptr<AnalyticsConfiguration> initialize() {
        auto config = makeConfiguration();
        Analytics::initialize(config);
        return config;
    }

    // Runs everything due now and waits for the answers of batches posted.
    void settle() {
        ASSERT_TRUE(m_env.scheduler->runUntil([] {
            const auto manager =
                AnalyticsManager::isInitialized() ? AnalyticsManager::shared() : nullptr;
            return !manager || manager->signalManager()->batchesInFlight() == 0;
        }));
    }

    void advance(double seconds) {
        m_env.scheduler->advance(seconds);
        settle();
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

    static const SignalPostBody* find(const std::vector<SignalPostBody>& signals,
                                      const std::string& type) {
        for (const auto& s : signals)
            if (s.type == type) return &s;
        return nullptr;
    }

    std::vector<std::string> receivedTypes() const {
        std::vector<std::string> out;
        for (const auto& s : m_backend.receivedSignals()) out.push_back(s["type"]);
        return out;
    }

    DemoBackend m_backend{DemoBackend::Options{}};
    VirtualEnvironment m_env;
    RecordingLog m_log;
};

}  // namespace

TEST_F(AnalyticsEntryTest, TheFirstSessionStartsHalfASecondAfterInitialisation) {
    const auto config = initialize();
    const std::string firstSession = config->sessionID();
    Analytics::signal("app.launched");
    advance(0.49);
    EXPECT_EQ(m_backend.ingestPostCount(), 0u);  // queued until the 10-second tick
    EXPECT_EQ(config->sessionID(), firstSession);
    advance(0.01);
    const std::string newSession = config->sessionID();
    EXPECT_NE(newSession, firstSession);

    advance(SignalManager::kSendInterval - 0.5);
    const auto received = m_backend.receivedSignals();
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0]["type"], "app.launched");
    EXPECT_EQ(received[0]["sessionID"], firstSession);
    const auto types = receivedTypes();
    const auto started = std::find(types.begin(), types.end(), "Analytics.Session.started");
    ASSERT_NE(started, types.end());
    EXPECT_EQ(received[static_cast<std::size_t>(started - types.begin())]["sessionID"], newSession);

    // Only one session per start: nothing more happens later on.
    const auto count = received.size();
    Analytics::signal("later");
    advance(SignalManager::kSendInterval);
    EXPECT_EQ(m_backend.receivedSignals().size(), count + 1);
    EXPECT_EQ(m_backend.receivedSignals().back()["sessionID"], newSession);
}

TEST_F(AnalyticsEntryTest, NewSessionsSendTheStartSignalOnlyWhenAskedTo) {
    const auto config = initialize();
    advance(0.5);
    takeQueued();
    config->setSessionStatsEnabled(false);
    Analytics::generateNewSession();
    auto queued = takeQueued();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].type, "Analytics.Session.started");
    EXPECT_EQ(queued[0].sessionID, config->sessionID());

    config->setSendNewSessionBeganSignal(false);
    Analytics::generateNewSession();
    EXPECT_TRUE(takeQueued().empty());
}

TEST_F(AnalyticsEntryTest, ImmediateSyncIsThrottledToOnceEveryTenSeconds) {
    initialize();
    const auto attempts = [this] {
        return m_log.countStartingWith(Level::debug, "Current signal cache count: ");
    };
    const auto atStart = attempts();
    advance(1);
    Analytics::requestImmediateSync();
    advance(0.1);
    EXPECT_EQ(attempts(), atStart + 1);
    advance(3);
    Analytics::requestImmediateSync();  // 4.1 s after the first: ignored
    advance(0.1);
    EXPECT_EQ(attempts(), atStart + 1);
    advance(11.5 - 4.2);  // the send timer fires on the way, at 10 s
    EXPECT_EQ(attempts(), atStart + 2);
    Analytics::requestImmediateSync();  // 10.5 s after the first
    advance(0.1);
    EXPECT_EQ(attempts(), atStart + 3);
}

TEST_F(AnalyticsEntryTest, PrefixesNamesAndKeysAndWarnsAboutReservedOnes) {
    struct Case {
        std::string name;
        std::map<std::string, std::string> parameters;
        std::optional<std::string> signalPrefix, parameterPrefix;
        bool warnings;
        std::string sentName;
        std::map<std::string, std::string> sent;  // present in the payload
        std::vector<std::string> absent;          // keys rewritten away
        std::vector<std::string> errors;
    };
    const std::string reservedKeyPrefix =
        "Sending parameter with reserved key prefix 'Analytics.' will cause unexpected behavior. "
        "Please use another "
        "prefix instead.";
    const auto reservedName = [](const std::string& name) {
        return "Sending signal with reserved name '" + name +
               "' will cause unexpected behavior. Please use another name instead.";
    };
    const Case cases[] = {
        {"type", {}, {}, {}, true, "type", {}, {}, {reservedName("type")}},
        {"TYPE", {}, {}, {}, true, "TYPE", {}, {}, {reservedName("TYPE")}},
        {"analytics.Custom",
         {},
         {},
         {},
         true,
         "analytics.Custom",
         {},
         {},
         {"Sending signal with reserved prefix 'Analytics.' will cause unexpected behavior. Please "
          "use another prefix "
          "instead."}},
        {"launched", {}, "App.", {}, true, "App.launched", {}, {}, {}},
        {"Analytics.Foo", {}, "App.", {}, true, "App.Analytics.Foo", {}, {}, {}},
        {"s",
         {{"platform", "x"}},
         {},
         {},
         true,
         "s",
         {{"platform", "x"}},
         {},
         {"Sending parameter with reserved key 'platform' will cause unexpected behavior. Please "
          "use another key "
          "instead."}},
        {"s",
         {{"screen", "a"}, {"Analytics.Foo", "b"}},
         {},
         "MyApp.",
         true,
         "s",
         {{"MyApp.screen", "a"}, {"Analytics.Foo", "b"}},
         {"screen"},
         {reservedKeyPrefix}},
        {"s",
         {{"MyApp.screen", "v"}},
         {},
         "MyApp.",
         true,
         "s",
         {{"MyApp.MyApp.screen", "v"}},
         {"MyApp.screen"},
         {}},
        // Two keys meet after prefixing: the one written in its final form wins.
        {"s",
         {{"screen", "rewritten"}, {"Analytics.screen", "final"}},
         {},
         "Analytics.",
         true,
         "s",
         {{"Analytics.screen", "final"}},
         {"screen"},
         {reservedKeyPrefix}},
        {"s",
         {{"Analytics.screen", "final"}, {"lytics.screen", "rewritten"}},
         {},
         "Ana",
         true,
         "s",
         {{"Analytics.screen", "final"}},
         {"lytics.screen"},
         {reservedKeyPrefix}},
        {"type", {{"platform", "x"}}, {}, {}, false, "type", {{"platform", "x"}}, {}, {}},
    };
    const auto config = initialize();
    advance(0.5);
    for (const auto& c : cases) {
        takeQueued();
        m_log.clear();
        config->setDefaultSignalPrefix(c.signalPrefix);
        config->setDefaultParameterPrefix(c.parameterPrefix);
        config->setReservedParameterWarningsEnabled(c.warnings);
        Analytics::signal(c.name, c.parameters);
        const auto queued = takeQueued();
        ASSERT_EQ(queued.size(), 1u) << c.name;
        EXPECT_EQ(queued[0].type, c.sentName);
        for (const auto& [key, value] : c.sent) {
            ASSERT_EQ(queued[0].payload.count(key), 1u) << c.name << " " << key;
            EXPECT_EQ(queued[0].payload.at(key), value) << c.name << " " << key;
        }
        for (const auto& key : c.absent)
            EXPECT_EQ(queued[0].payload.count(key), 0u) << c.name << " " << key;
        EXPECT_EQ(m_log.messages(Level::error), c.errors) << c.name;
    }
}

TEST_F(AnalyticsEntryTest, DefaultParametersGoUnderTheSignalsOwnAndAreAlwaysChecked) {
    const auto config = initialize();
    advance(0.5);
    takeQueued();
    config->setReservedParameterWarningsEnabled(false);
    config->setDefaultParameterPrefix("App.");
    config->setDefaultParameters([] {
        return std::map<std::string, std::string>{
            {"theme", "dark"}, {"shared", "default"}, {"Analytics.x", "1"}};
    });
    m_log.clear();
    Analytics::signal("s", {{"shared", "own"}});
    const auto queued = takeQueued();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].payload.at("App.theme"), "dark");
    EXPECT_EQ(queued[0].payload.at("App.shared"), "own");
    EXPECT_EQ(queued[0].payload.at("Analytics.x"), "1");
    EXPECT_EQ(
        m_log.count(Level::error,
                    "Sending parameter with reserved key prefix 'Analytics.' will cause unexpected "
                    "behavior. Please use another prefix instead."),
        1u);
}

TEST_F(AnalyticsEntryTest, DisabledOrPreviewConfigurationsRecordAndLogNothing) {
    const auto config = initialize();
    advance(0.5);
    takeQueued();
    for (const int mode : {0, 1}) {
        config->setAnalyticsDisabled(mode == 0);
        config->setSwiftUIPreviewMode(mode == 1);
        m_log.clear();
        Analytics::signal("type", {{"platform", "x"}});
        Analytics::internalSignal("Analytics.internal");
        EXPECT_TRUE(takeQueued().empty()) << mode;
        EXPECT_TRUE(m_log.messages(Level::error).empty()) << mode;
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
    EXPECT_EQ(fixtora::test::readFile(m_env.cacheFile()), saved);

    initialize();
    settle();
    EXPECT_FALSE(std::filesystem::exists(m_env.cacheFile()));
    EXPECT_EQ(receivedTypes(), std::vector<std::string>{"saved"});

    Analytics::terminate();
    fixtora::test::writeFile(m_env.cacheFile(), saved);
    Analytics::signal("after terminate");
    advance(1);
    EXPECT_EQ(fixtora::test::readFile(m_env.cacheFile()), saved);
}

TEST_F(AnalyticsEntryTest, TheUserIdentifierLivesInTheClientsOwnSuite) {
    EXPECT_EQ(Analytics::customDefaults(), nullptr);
    auto config = makeConfiguration("salt");
    Analytics::initialize(config);
    const auto hash = CryptoHashing::sha256(kAppID, "");
    const auto suite = m_env.preferences->suite("com.fixtora.analytics." + hash.substr(52));
    EXPECT_EQ(Analytics::customDefaults(), suite);

    Analytics::signal("first");
    const auto first = takeQueued();
    const auto stored = suite->string("defaultUserIdentifier");
    ASSERT_TRUE(stored);
    EXPECT_EQ(find(first, "first")->clientUser, CryptoHashing::sha256(*stored, "salt"));
    EXPECT_EQ(AnalyticsManager::shared()->hashedDefaultUser(),
              CryptoHashing::sha256(*stored, "salt"));

    // A new start keeps the identifier; a changed default user applies to later signals.
    Analytics::initialize(makeConfiguration("salt"));
    Analytics::signal("second");
    EXPECT_EQ(find(takeQueued(), "second")->clientUser, CryptoHashing::sha256(*stored, "salt"));
    Analytics::updateDefaultUserID("someone");
    Analytics::signal("third", {}, std::nullopt, "custom");
    Analytics::signal("fourth");
    const auto later = takeQueued();
    EXPECT_EQ(find(later, "third")->clientUser, CryptoHashing::sha256("custom", "salt"));
    EXPECT_EQ(find(later, "fourth")->clientUser, CryptoHashing::sha256("someone", "salt"));
}

TEST_F(AnalyticsEntryTest, QuittingWritesTheUnsentSignalsForTheNextStart) {
    initialize();
    advance(0.5);
    AppLifecycle& shell = Analytics::appLifecycle();
    Analytics::signal("unsent");
    m_env.scheduler->runUntilIdle();
    shell.applicationWillTerminate();
    const auto stored = json::parse(fixtora::test::readFile(m_env.cacheFile()));
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(stored.back()["type"], "unsent");
}
