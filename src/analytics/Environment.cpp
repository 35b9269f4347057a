// SPDX-License-Identifier: MIT
#include "analytics/Environment.hpp"

#include "platform/Clock.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/WorkerScheduler.hpp"
#include "platform/linux/LinuxSystemInfo.hpp"

namespace analytics {
namespace {

// Each production adapter is made on first use, on its own: a program that
// brings some of its own (the desktop shell brings its main loop, its HTTP
// client and its system readings) starts no thread it would never use.
std::shared_ptr<const fixtora::SystemInfo> productionSystemInfo() {
    // The desktop shell passes its own, which also knows the screen.
    static const std::shared_ptr<const fixtora::SystemInfo> info =
        std::make_shared<fixtora::LinuxSystemInfo>();
    return info;
}

std::shared_ptr<const fixtora::Clock> productionClock() {
    static const std::shared_ptr<const fixtora::Clock> clock =
        std::make_shared<fixtora::SystemClock>();
    return clock;
}

// A plain program has no main loop of its own to lend: the "main queue" is a
// worker thread of the client's. The desktop shell passes its own.
std::shared_ptr<fixtora::Scheduler> productionMain() {
    static const auto queue =
        std::make_shared<fixtora::WorkerScheduler>("com.fixtora.analytics.main");
    return queue;
}

std::shared_ptr<fixtora::Scheduler> productionUtility() {
    static const auto queue =
        std::make_shared<fixtora::WorkerScheduler>("com.fixtora.analytics.utility");
    return queue;
}

std::shared_ptr<fixtora::Scheduler> productionTimer() {
    return sharedSerialQueue();
}

std::shared_ptr<fixtora::HttpClient> productionHttp() {
    static const auto client = std::make_shared<fixtora::CurlHttpClient>();
    return client;
}

std::shared_ptr<fixtora::PreferencesStore> productionPreferences() {
    static const auto store = std::make_shared<fixtora::InMemoryPreferencesStore>();
    return store;
}

std::shared_ptr<const fixtora::Paths> productionPaths() {
    static const auto paths = std::make_shared<fixtora::XdgPaths>();
    return paths;
}

}  // namespace

std::shared_ptr<fixtora::Scheduler> sharedSerialQueue() {
    static const auto queue =
        std::make_shared<fixtora::WorkerScheduler>("com.fixtora.analytics.serial");
    return queue;
}

Environment Environment::filledFrom(const Environment& fallback) const {
    Environment e = *this;
    if (!e.clock) e.clock = fallback.clock;
    if (!e.mainScheduler) e.mainScheduler = fallback.mainScheduler;
    if (!e.utilityScheduler) e.utilityScheduler = fallback.utilityScheduler;
    if (!e.timerScheduler) e.timerScheduler = fallback.timerScheduler;
    if (!e.httpClient) e.httpClient = fallback.httpClient;
    if (!e.preferencesStore) e.preferencesStore = fallback.preferencesStore;
    if (!e.paths) e.paths = fallback.paths;
    if (!e.systemInfo) e.systemInfo = fallback.systemInfo;
    return e;
}

Environment Environment::filledFromProduction() const {
    Environment e = *this;
    if (!e.clock) e.clock = productionClock();
    if (!e.mainScheduler) e.mainScheduler = productionMain();
    if (!e.utilityScheduler) e.utilityScheduler = productionUtility();
    if (!e.timerScheduler) e.timerScheduler = productionTimer();
    if (!e.httpClient) e.httpClient = productionHttp();
    if (!e.preferencesStore) e.preferencesStore = productionPreferences();
    if (!e.paths) e.paths = productionPaths();
    if (!e.systemInfo) e.systemInfo = productionSystemInfo();
    return e;
}

const Environment& Environment::production() {
    static const Environment environment = Environment{}.filledFromProduction();
    return environment;
}

}  // namespace analytics
