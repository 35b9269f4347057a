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

std::shared_ptr<const fixtora::SystemInfo> productionSystemInfo() {
    // The desktop shell passes its own, which also knows the screen.
    return std::make_shared<fixtora::LinuxSystemInfo>();
}

}  // namespace

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

const Environment& Environment::production() {
    // A plain program has no main loop of its own to lend: the "main queue"
    // is a worker thread of the client's. The desktop shell passes its own.
    static const Environment environment{
        std::make_shared<fixtora::SystemClock>(),
        std::make_shared<fixtora::WorkerScheduler>("com.fixtora.analytics.main"),
        std::make_shared<fixtora::WorkerScheduler>("com.fixtora.analytics.utility"),
        std::make_shared<fixtora::WorkerScheduler>("com.fixtora.analytics.SignalTimer"),
        std::make_shared<fixtora::CurlHttpClient>(),
        std::make_shared<fixtora::InMemoryPreferencesStore>(),
        std::make_shared<fixtora::XdgPaths>(),
        productionSystemInfo(),
    };
    return environment;
}

}  // namespace analytics
