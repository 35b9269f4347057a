// SPDX-License-Identifier: MIT
// A plain C++ program using the analytics client: it starts the client
// against an ingest base URL, sends "app.launched", waits until the queued
// signals (with the client's own session-start signal) are posted, then
// quits cleanly.
//
//   analytics-example [BASE_URL]     default: the build's analytics URL

#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsManager.hpp"
#include "analytics/SignalManager.hpp"

#include <fixtora/BuildConfig.hpp>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

using Level = analytics::LogHandler::LogLevel;
using Clock = std::chrono::steady_clock;

constexpr auto kSendTimeout = std::chrono::seconds(20);

// Waits (in real time) until `done` holds or `timeout` passes.
template <typename Predicate>
bool waitFor(Predicate done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 ||
        (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0))) {
        std::fprintf(stderr,
                     "usage: %s [BASE_URL]\n  BASE_URL  analytics ingest base URL (default %s)\n",
                     argv[0], fixtora::build::kAnalyticsUrl);
        return argc > 2 ? 2 : 0;
    }
    const std::string baseURL = argc == 2 ? argv[1] : fixtora::build::kAnalyticsUrl;
    const auto endpoint = analytics::SignalManager::getServiceUrl(baseURL, std::nullopt);
    if (!endpoint) {
        std::fprintf(stderr, "analytics-example: \"%s\" is not an http or https URL\n",
                     baseURL.c_str());
        return 2;
    }

    // The standard sink prints the client's own account of what it does;
    // errors are counted to report the outcome.
    auto errors = std::make_shared<std::atomic<int>>(0);
    const auto standard = analytics::LogHandler::standard(Level::info);
    auto config = std::make_shared<analytics::AnalyticsConfiguration>(
        fixtora::build::kAnalyticsAppId, std::nullopt, baseURL);
    config->setLogHandler(
        analytics::LogHandler(Level::info, [standard, errors](Level level, const std::string& m) {
            if (level == Level::error) ++*errors;
            standard.log(level, m);
        }));

    std::printf("Initialising the analytics client for %s\n", endpoint->c_str());
    analytics::Analytics::initialize(config);
    const auto manager = analytics::AnalyticsManager::shared();
    const auto signalManager = manager->signalManager();
    const std::string firstSession = config->sessionID();

    analytics::Analytics::signal("app.launched");
    std::printf("Sent \"app.launched\" in session %s\n", firstSession.c_str());

    // The client starts a new session half a second after initialisation.
    waitFor([&] { return config->sessionID() != firstSession; }, std::chrono::seconds(5));
    std::printf("New session %s started\n", config->sessionID().c_str());

    // Ask for the queued signals to go out now rather than at the next
    // 10-second tick, and wait for the answer.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    analytics::Analytics::requestImmediateSync();
    // Done when the batch is answered: delivered (nothing left) or refused.
    const bool answered = waitFor(
        [&] {
            return signalManager->batchesInFlight() == 0 &&
                   (signalManager->signalCache()->count() == 0 || errors->load() > 0);
        },
        kSendTimeout);

    const auto unsent = signalManager->signalCache()->count();
    analytics::Analytics::applicationWillTerminate();
    analytics::Analytics::terminate();

    if (!answered || errors->load() > 0) {
        std::printf("Not delivered: %zu signals kept for the next start\n", unsent);
        return 1;
    }
    std::printf("Delivered every queued signal to %s\n", endpoint->c_str());
    return 0;
}
