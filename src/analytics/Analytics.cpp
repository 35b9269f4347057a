// SPDX-License-Identifier: MIT
#include "analytics/Analytics.hpp"

#include "analytics/AnalyticsManager.hpp"
#include "analytics/AnalyticsManagerStorage.hpp"

#include <algorithm>
#include <cctype>
#include <mutex>

namespace analytics::Analytics {
namespace {

std::mutex& environmentMutex() {
    static std::mutex mutex;
    return mutex;
}

Environment& configuredEnvironment() {
    static Environment environment;
    return environment;
}

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

void initialize(std::shared_ptr<AnalyticsConfiguration> config) {
    AnalyticsManager::initialize(std::move(config));
}

void terminate() {
    AnalyticsManager::terminate();
}

void setSharingEnabled(bool enabled) {
    AnalyticsManager::shared()->setSharingEnabled(enabled);
}

void signal(const std::string& signalType, const Parameters& parameters,
            std::optional<double> floatValue, const std::optional<std::string>& customUserID) {
    AnalyticsManager::shared()->signal(signalType, parameters, floatValue, customUserID);
}

void internalSignal(const std::string& signalType, const Parameters& parameters,
                    std::optional<double> floatValue,
                    const std::optional<std::string>& customUserID) {
    AnalyticsManager::shared()->internalSignal(signalType, parameters, floatValue, customUserID);
}

void requestImmediateSync() {
    AnalyticsManager::shared()->requestSync();
}

void updateDefaultUserID(const std::optional<std::string>& user) {
    AnalyticsManager::shared()->setDefaultUser(user);
}

void generateNewSession() {
    AnalyticsManager::shared()->renewSession();
}

std::shared_ptr<fixtora::Preferences> customDefaults() {
    const auto manager = AnalyticsManagerStorage::shared().manager();
    return manager ? manager->customDefaults() : nullptr;
}

void applicationWillTerminate() {
    if (const auto manager = AnalyticsManagerStorage::shared().manager())
        manager->appWillTerminate();
}

const std::set<std::string>& reservedKeysLowercased() {
    static const std::set<std::string> keys = [] {
        std::set<std::string> out;
        for (const char* name : {"type",
                                 "clientUser",
                                 "appID",
                                 "sessionID",
                                 "floatValue",
                                 "newSessionBegan",
                                 "platform",
                                 "systemVersion",
                                 "majorSystemVersion",
                                 "majorMinorSystemVersion",
                                 "appVersion",
                                 "buildNumber",
                                 "isSimulator",
                                 "isDebug",
                                 "isTestFlight",
                                 "isAppStore",
                                 "modelName",
                                 "architecture",
                                 "operatingSystem",
                                 "targetEnvironment",
                                 "locale",
                                 "region",
                                 "appLanguage",
                                 "preferredLanguage",
                                 "analyticsClientVersion"})
            out.insert(lowercased(name));
        return out;
    }();
    return keys;
}

void setDefaultEnvironment(Environment environment) {
    std::lock_guard lock(environmentMutex());
    configuredEnvironment() = std::move(environment);
}

Environment defaultEnvironment() {
    Environment environment;
    {
        std::lock_guard lock(environmentMutex());
        environment = configuredEnvironment();
    }
    const bool complete = environment.clock && environment.mainScheduler &&
                          environment.utilityScheduler && environment.timerScheduler &&
                          environment.httpClient && environment.preferencesStore &&
                          environment.paths;
    return complete ? environment : environment.filledFromProduction();
}

}  // namespace analytics::Analytics
