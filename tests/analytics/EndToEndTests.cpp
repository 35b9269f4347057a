// SPDX-License-Identifier: MIT
#include "RecordingServices.hpp"

#include "DemoBackend.hpp"
#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AnalyticsManager.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "analytics/DefaultSignalPayload.hpp"
#include "analytics/DurationSignalTracker.hpp"
#include "analytics/NavigationStatus.hpp"
#include "analytics/PresetSignals.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/SignalManager.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/Paths.hpp"
#include "support/TempDir.hpp"

#include <fixtora/BuildConfig.hpp>
#include <gtest/gtest.h>

namespace analytics::test {
namespace {

/// Real HTTP whose completions are handed to the test's scheduler.
class ScheduledHttp final : public fixtora::HttpClient {
public:
    explicit ScheduledHttp(std::shared_ptr<fixtora::Scheduler> scheduler) : m_scheduler(std::move(scheduler)) {}
    void send(fixtora::HttpRequest request, Completion completion) override {
        m_client.send(std::move(request), [scheduler = m_scheduler, completion = std::move(completion)](
                                              fixtora::Result<fixtora::HttpResponse> result) mutable {
            scheduler->post([completion = std::move(completion), result = std::move(result)]() mutable {
                completion(std::move(result));
            });
        });
    }

private:
    std::shared_ptr<fixtora::Scheduler> m_scheduler;
    fixtora::CurlHttpClient m_client;
};

class DemoIngestTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend.start();
        fixtora::FixedSystemInfo::Values v;
        v.timeZoneIdentifier = "America/New_York";
        v.mainScreen = fixtora::ScreenInfo{1512, 982, 2};
        r.system->setValues(v);

        Environment environment;
        environment.clock = r.clock;
        environment.mainScheduler = r.scheduler;
        environment.utilityScheduler = r.scheduler;
        environment.timerScheduler = r.scheduler;
        environment.httpClient = std::make_shared<ScheduledHttp>(r.scheduler);
        environment.preferencesStore = std::make_shared<fixtora::InMemoryPreferencesStore>();
        environment.paths = std::make_shared<fixtora::FixedPaths>(dir.path());
        environment.systemInfo = r.system;

        config = std::make_shared<AnalyticsConfiguration>("E2E-APP", std::nullopt, backend.url());
        config->setEnvironment(environment);
        config->setLogHandler(std::nullopt);
        // This test starts the session itself, at a known moment.
        config->setSessionStatsEnabled(false);
        Analytics::initialize(config);

        // The session manager the default parameters read, on the client's suite.
        ClientServices services = r.services();
        services.customDefaults = [] { return Analytics::customDefaults(); };
        services.internalSignal = [](const std::string& type, const ClientServices::Parameters& parameters,
                                     std::optional<double> floatValue, const std::optional<std::string>& user) {
            Analytics::internalSignal(type, parameters, floatValue, user);
        };
        sessions = SessionManager::create(services, r.scheduler);
        SessionManager::setShared(sessions);
        NavigationStatus::setShared(std::make_shared<NavigationStatus>(services));
    }

    void TearDown() override {
        Analytics::terminate();
        SessionManager::setShared(nullptr);
        NavigationStatus::setShared(nullptr);
        DurationSignalTracker::setShared(nullptr);
    }

    /// Lets the send timer post what is queued and waits for the answers.
    void deliver(std::size_t posts) {
        r.scheduler->advance(10);
        // Until the answers are back too, so that no completion is left behind.
        const auto signalManager = AnalyticsManager::shared()->signalManager();
        ASSERT_TRUE(r.scheduler->runUntil(
            [&] { return backend.ingestPostCount() >= posts && signalManager->batchesInFlight() == 0; }));
        r.scheduler->runUntilIdle();
    }

    nlohmann::json received(const std::string& type) const {
        for (const auto& signal : backend.receivedSignals())
            if (signal["type"] == type) return signal;
        return nullptr;
    }

    fixtora::demo::DemoBackend backend{{}};
    // Monday 2026-06-01 12:00 UTC, 08:00 in New York.
    RecordingServices r{1780315200};
    fixtora::test::TempDir dir;
    std::shared_ptr<AnalyticsConfiguration> config;
    std::shared_ptr<SessionManager> sessions;
};

TEST_F(DemoIngestTest, EverySignalArrivesWithTheFullDefaultPayload) {
    sessions->startNewSession();
    r.scheduler->advance(3);
    Analytics::signal("app.launched");
    PresetSignals(ClientServices::production()).paywallShown("limit", {{"Analytics.Revenue.paywallShowReason", "menu"}});
    NavigationStatus::shared()->navigationPathChanged("fixtures");
    r.scheduler->runUntilIdle();

    // What the client computes for this moment, key by key.
    DefaultSignalPayload::Sources sources{r.system, r.clock, sessions, [] { return Analytics::customDefaults(); },
                                          fixtora::build::kVersion, "0"};
    const auto expected = DefaultSignalPayload::parameters(sources);
    ASSERT_EQ(expected.at("Analytics.Device.timeZone"), "UTC-4");
    ASSERT_EQ(expected.at("Analytics.Calendar.hourOfDay"), "9");
    deliver(1);

    const auto launched = received("app.launched");
    ASSERT_FALSE(launched.is_null()) << backend.receivedSignals().dump();
    EXPECT_EQ(launched["appID"], "E2E-APP");
    EXPECT_FALSE(launched.contains("floatValue"));
    const auto& payload = launched["payload"];
    for (const auto& [key, value] : expected) {
        ASSERT_TRUE(payload.contains(key)) << key;
        EXPECT_EQ(payload[key], value) << key;
    }
    EXPECT_EQ(payload.size(), expected.size());
    EXPECT_EQ(payload["Analytics.Device.screenScaleFactor"], "2.0");
    EXPECT_EQ(payload["Analytics.Acquisition.firstSessionDate"], "2026-06-01");
    EXPECT_EQ(payload["Analytics.Retention.averageSessionSeconds"], "3");

    const auto install = received("Analytics.Acquisition.newInstallDetected");
    ASSERT_FALSE(install.is_null());
    EXPECT_EQ(install["payload"]["Analytics.Acquisition.firstSessionDate"], "2026-06-01");

    const auto paywall = received("Analytics.Revenue.paywallShown");
    ASSERT_FALSE(paywall.is_null());
    EXPECT_EQ(paywall["payload"]["Analytics.Revenue.paywallShowReason"], "menu");
    EXPECT_EQ(paywall["payload"]["platform"], "Linux");

    const auto navigation = received("Analytics.Navigation.pathChanged");
    ASSERT_FALSE(navigation.is_null());
    EXPECT_EQ(navigation["payload"]["Analytics.Navigation.identifier"], " -> fixtures");
    EXPECT_EQ(navigation["payload"]["Analytics.Device.modelName"], "Test Machine");
}

TEST_F(DemoIngestTest, TheShellsActivityReportsReachTheTrackersAndSaveUnsentSignalsOnQuit) {
    // Built on first use from the stored manager's collaborators, observing
    // the centre the shell reports to.
    DurationSignalTracker::setShared(nullptr);
    Analytics::startDurationSignal("Fixtures.viewed", {{"week", "12"}});
    r.clock->advance(4);
    AppLifecycle& shell = Analytics::appLifecycle();
    shell.applicationDidResignActive();
    r.clock->advance(60);
    shell.applicationWillBecomeActive();
    r.clock->advance(1.25);
    Analytics::stopAndSendDurationSignal("Fixtures.viewed");
    r.scheduler->runUntilIdle();
    deliver(1);
    const auto viewed = received("Fixtures.viewed");
    ASSERT_FALSE(viewed.is_null()) << backend.receivedSignals().dump();
    EXPECT_EQ(viewed["payload"]["Analytics.Signal.durationInSeconds"], "5.25");
    EXPECT_EQ(viewed["payload"]["week"], "12");
    EXPECT_EQ(viewed["payload"]["Analytics.Device.platform"], "Linux");

    // Quitting writes what has not been posted yet.
    Analytics::signal("app.quit.pending");
    r.scheduler->runUntilIdle();
    shell.applicationWillTerminate();
    const auto file = SignalManager::cacheFileIn(dir.path() / "cache");
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_NE(fixtora::test::readFile(file).find("app.quit.pending"), std::string::npos);
}

}  // namespace
}  // namespace analytics::test
