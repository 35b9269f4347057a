// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "DemoBackend.hpp"
#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsEncoder.hpp"
#include "analytics/AnalyticsManager.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/SignalCache.hpp"
#include "platform/WorkerScheduler.hpp"
#include "support/LoopbackServer.hpp"  // unusedLoopbackPort

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <regex>
#include <thread>

using namespace analytics;
using fixtora::test::readFile;
using test::kv;
using Level = LogHandler::LogLevel;
using Params = std::map<std::string, std::string>;
using fixtora::demo::Endpoint;
using fixtora::demo::Fault;
using nlohmann::json;
using Types = std::vector<std::string>;
using fixtora::demo::DemoBackend;
using fixtora::test::writeFile;

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
    const auto port = std::to_string(fixtora::test::unusedLoopbackPort());
    for (const std::string& base : {"http://127.0.0.1:" + port, std::string("not a url")}) {
        start(base);
        queue("kept");
        tick();
        EXPECT_EQ(cached(), 1u) << base;
    }
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

TEST(CryptoHashing, DigestsStringThenSaltAndMakesVersion4UUIDs) {
    EXPECT_EQ(CryptoHashing::sha256("a", "bc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
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
    const std::pair<int, std::optional<Level>> raw[] = {
        {-1, std::nullopt}, {0, Level::debug}, {2, Level::error}, {3, std::nullopt}};
    for (const auto& [value, level] : raw) EXPECT_EQ(LogHandler::levelFromRawValue(value), level);
}

TEST(SignalManager, StatusesAndEndpoints) {
    const std::pair<int, std::optional<std::string>> statuses[] = {{200, std::nullopt},
                                                                   {299, std::nullopt},
                                                                   {301, "Invalid status code 301"},
                                                                   {401, "Unauthorized (401)"},
                                                                   {403, "Forbidden (403)"}};
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
        {std::nan(""), ""},
    };
    for (const auto& [instant, text] : cases)
        EXPECT_EQ(AnalyticsEncoder::formatDate(instant), text) << instant;
}

// Batch sizes and the order of batches put back are pinned through the signal
// manager's tests; these cover the cache file.
namespace {

SignalPostBody signal(int i) {
    SignalPostBody s;
    s.receivedAt = test::kStart + i + 0.25, s.appID = "APP", s.clientUser = "u", s.sessionID = "S";
    s.type = "s" + std::to_string(i), s.payload = test::kv("i=" + s.type), s.isTestMode = "false";
    if (i % 2) s.floatValue = i * 0.5;
    return s;
}

class SignalCacheTest : public ::testing::Test {
  protected:
    auto makeCache() { return std::make_unique<SignalCache>(std::nullopt, m_file); }

    fixtora::test::TempDir m_dir;
    std::filesystem::path m_file = m_dir / "Fixtora" / "analyticssignalcache";
};

}  // namespace

TEST_F(SignalCacheTest, ABackupIsLoadedAndDeletedByTheNextCacheAndAFailedOneKeepsTheQueue) {
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

    SCOPED_TRACE("a failed backup keeps the queue");
    std::filesystem::remove_all(m_file.parent_path());
    writeFile(m_file.parent_path(), "a file where the folder should be");
    cache->push(signal(0));
    EXPECT_FALSE(cache->backupCache());
    EXPECT_EQ(cache->count(), 1u);
}

TEST_F(SignalCacheTest, UnreadableFilesAreDeletedAndTheCacheStartsEmpty) {
    const std::string valid = nlohmann::json(signal(1)).dump();
    const std::string fields = R"("appID": "A", "clientUser": "u", "sessionID": "s", "type": "t")";
    const std::string contents[] = {
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

// Threads signal while batches are taken, refused (500) and put back, and
// while the configuration changes: every signal arrives exactly once.
TEST(SignalManagerConcurrency,
     ManyThreadsSignallingWhileBatchesFailAndRequeueLoseAndDuplicateNothing) {
    DemoBackend backend{DemoBackend::Options{}};
    backend.start();
    fixtora::test::TempDir dir;
    auto main = std::make_shared<fixtora::WorkerScheduler>("main");
    auto utility = std::make_shared<fixtora::WorkerScheduler>("utility");
    const Environment environment{std::make_shared<fixtora::SystemClock>(),
                                  main,
                                  utility,
                                  std::make_shared<fixtora::WorkerScheduler>("timer"),
                                  std::make_shared<fixtora::CurlHttpClient>(),
                                  std::make_shared<fixtora::InMemoryPreferencesStore>(),
                                  std::make_shared<fixtora::FixedPaths>(dir.path())};
    auto config = std::make_shared<AnalyticsConfiguration>("APP", std::nullopt, backend.url());
    config->setLogHandler(std::nullopt);
    auto manager = SignalManager::create(config, environment, std::nullopt);

    constexpr int kThreads = 4, kPerThread = 150;
    std::atomic<int> signallersLeft{kThreads};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                manager->processSignal(
                    "t" + std::to_string(t) + "-" + std::to_string(i), {{"i", std::to_string(i)}},
                    i % 3 ? std::optional(i * 0.25) : std::nullopt, std::nullopt, config);
                if (i % 50 == 0)
                    config->setDefaultUser(i % 100 ? std::optional<std::string>("u")
                                                   : std::nullopt);
            }
            --signallersLeft;
        });
    std::thread sender([&] {
        for (int round = 0; signallersLeft > 0; ++round) {
            backend.setFault(Endpoint::Ingest, round % 2 ? Fault{} : Fault{500});
            manager->attemptToSendNextBatchOfCachedSignals();
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    for (auto& t : threads) t.join();
    sender.join();

    backend.clearFaults();
    main->drain();
    utility->drain();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while ((manager->signalCache()->count() > 0 || manager->batchesInFlight() > 0) &&
           std::chrono::steady_clock::now() < deadline) {
        manager->attemptToSendNextBatchOfCachedSignals();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    std::map<std::string, int> seen;
    for (const auto& signal : backend.receivedSignals()) ++seen[signal["type"].get<std::string>()];
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kPerThread));
    for (const auto& [type, count] : seen) EXPECT_EQ(count, 1) << type;
    manager.reset();
}
