// SPDX-License-Identifier: MIT
#include "DemoBackend.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/SignalManager.hpp"
#include "platform/Clock.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/WorkerScheduler.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

using namespace analytics;
using fixtora::demo::DemoBackend;
using fixtora::demo::Endpoint;
using fixtora::demo::Fault;

// Threads signal while batches are taken, refused (500) and put back, and
// while the configuration changes: every signal arrives exactly once.
TEST(SignalManagerConcurrency,
     ManyThreadsSignallingWhileBatchesFailAndRequeueLoseAndDuplicateNothing) {
    DemoBackend backend{DemoBackend::Options{}};
    backend.start();
    fixtora::test::TempDir dir;
    auto main = std::make_shared<fixtora::WorkerScheduler>("main");
    auto utility = std::make_shared<fixtora::WorkerScheduler>("utility");
    Environment environment;
    environment.clock = std::make_shared<fixtora::SystemClock>();
    environment.mainScheduler = main;
    environment.utilityScheduler = utility;
    environment.timerScheduler = std::make_shared<fixtora::WorkerScheduler>("timer");
    environment.httpClient = std::make_shared<fixtora::CurlHttpClient>();
    environment.preferencesStore = std::make_shared<fixtora::InMemoryPreferencesStore>();
    environment.paths = std::make_shared<fixtora::FixedPaths>(dir.path());
    auto config = std::make_shared<AnalyticsConfiguration>("APP", std::nullopt, backend.url());
    config->setLogHandler(std::nullopt);
    auto manager = SignalManager::create(config, environment, std::nullopt);

    constexpr int kThreads = 4;
    constexpr int kPerThread = 150;
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
