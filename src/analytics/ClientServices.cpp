// SPDX-License-Identifier: MIT
#include "analytics/ClientServices.hpp"

#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AnalyticsManager.hpp"
#include "analytics/AnalyticsManagerStorage.hpp"
#include "analytics/AppNotificationCenter.hpp"

namespace analytics {

ClientServices ClientServices::production() {
    // The stored manager's collaborators (the shell's main loop, its system
    // readings); the defaults before there is one.
    const auto manager = AnalyticsManagerStorage::shared().manager();
    const Environment environment =
        manager ? manager->environment() : Analytics::defaultEnvironment();
    ClientServices services;
    services.clock = environment.clock;
    services.mainScheduler = environment.mainScheduler;
    services.systemInfo =
        environment.systemInfo ? environment.systemInfo : Environment::production().systemInfo;
    services.customDefaults = [] { return Analytics::customDefaults(); };
    services.internalSignal = [](const std::string& signalType, const Parameters& parameters,
                                 std::optional<double> floatValue,
                                 const std::optional<std::string>& customUserID) {
        Analytics::internalSignal(signalType, parameters, floatValue, customUserID);
    };
    services.log = [](LogHandler::LogLevel level, const std::string& message) {
        // Only a stored manager has a configuration worth logging through.
        if (const auto stored = AnalyticsManagerStorage::shared().manager())
            stored->configuration()->log(level, message);
    };
    services.notifications = AppNotificationCenter::defaultCenter();
    return services;
}

}  // namespace analytics
