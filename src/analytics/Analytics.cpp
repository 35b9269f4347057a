// SPDX-License-Identifier: MIT
#include "analytics/Analytics.hpp"

#include "analytics/AnalyticsManager.hpp"
#include "analytics/AnalyticsManagerStorage.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SignalManager.hpp"
#include "platform/Clock.hpp"
#include "platform/Preferences.hpp"
#include "platform/Scheduler.hpp"

#include <algorithm>
#include <cctype>
#include <mutex>

namespace analytics::Analytics {
namespace {

using Level = LogHandler::LogLevel;

constexpr double kImmediateSyncInterval = 10.0;
constexpr double kImmediateSyncDelay = 0.05;
constexpr const char* kReservedPrefix = "Analytics.";
constexpr const char* kReservedPrefixLowercased = "analytics.";

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Keys starting with "Analytics." stay as they are; every other key gets the
// prefix. When two keys end up the same, the one the caller already wrote in
// its final form wins over the one that was rewritten into it.
Parameters prefixedKeys(const Parameters& parameters, const std::optional<std::string>& prefix) {
    const std::string p = prefix.value_or("");
    Parameters out;
    for (const auto& [key, value] : parameters) {
        if (startsWith(key, kReservedPrefix) || p.empty()) continue;
        out[p + key] = value;
    }
    for (const auto& [key, value] : parameters) {
        if (startsWith(key, kReservedPrefix) || p.empty()) out[key] = value;
    }
    return out;
}

void checkParameterKey(const AnalyticsConfiguration& configuration, const std::string& key) {
    const auto lower = lowercased(key);
    if (startsWith(lower, kReservedPrefixLowercased)) {
        configuration.log(Level::error, "Sending parameter with reserved key prefix 'Analytics.' will cause "
                                        "unexpected behavior. Please use another prefix instead.");
    } else if (reservedKeysLowercased().count(lower)) {
        configuration.log(Level::error, "Sending parameter with reserved key '" + key +
                                            "' will cause unexpected behavior. Please use another key instead.");
    }
}

bool recordsNothing(const AnalyticsConfiguration& configuration) {
    return configuration.swiftUIPreviewMode() || configuration.analyticsDisabled();
}

void internalSignalOn(const std::shared_ptr<AnalyticsManager>& manager, const std::string& signalType,
                      const Parameters& parameters, std::optional<double> floatValue,
                      const std::optional<std::string>& customUserID) {
    const auto configuration = manager->configuration();
    if (recordsNothing(*configuration)) return;
    const auto defaults = prefixedKeys(configuration->defaultParameters()(), configuration->defaultParameterPrefix());
    Parameters merged = defaults;
    for (const auto& [key, value] : parameters) merged[key] = value;
    for (const auto& [key, value] : defaults) checkParameterKey(*configuration, key);
    manager->signalManager()->processSignal(signalType, std::move(merged), floatValue, customUserID, configuration);
}

std::mutex& environmentMutex() {
    static std::mutex mutex;
    return mutex;
}

Environment& configuredEnvironment() {
    static Environment environment;
    return environment;
}

}  // namespace

void initialize(std::shared_ptr<AnalyticsConfiguration> config) { AnalyticsManager::initialize(std::move(config)); }

void terminate() { AnalyticsManager::terminate(); }

void setSharingEnabled(bool enabled) {
    const auto manager = AnalyticsManager::shared();
    manager->configuration()->setAnalyticsDisabled(!enabled);
    if (!enabled) manager->signalManager()->discardUnsentSignals();
}

void signal(const std::string& signalType, const Parameters& parameters, std::optional<double> floatValue,
            const std::optional<std::string>& customUserID) {
    const auto manager = AnalyticsManager::shared();
    const auto configuration = manager->configuration();
    if (recordsNothing(*configuration)) return;

    const std::string name = configuration->defaultSignalPrefix().value_or("") + signalType;
    const Parameters rewritten = prefixedKeys(parameters, configuration->defaultParameterPrefix());

    if (configuration->reservedParameterWarningsEnabled()) {
        const auto lowerName = lowercased(name);
        if (startsWith(lowerName, kReservedPrefixLowercased)) {
            configuration->log(Level::error, "Sending signal with reserved prefix 'Analytics.' will cause unexpected "
                                             "behavior. Please use another prefix instead.");
        } else if (reservedKeysLowercased().count(lowerName)) {
            configuration->log(Level::error, "Sending signal with reserved name '" + name +
                                                 "' will cause unexpected behavior. Please use another name instead.");
        }
        for (const auto& [key, value] : rewritten) checkParameterKey(*configuration, key);
    }
    internalSignalOn(manager, name, rewritten, floatValue, customUserID);
}

void internalSignal(const std::string& signalType, const Parameters& parameters, std::optional<double> floatValue,
                    const std::optional<std::string>& customUserID) {
    internalSignalOn(AnalyticsManager::shared(), signalType, parameters, floatValue, customUserID);
}

void requestImmediateSync() {
    const auto manager = AnalyticsManager::shared();
    const auto& environment = manager->environment();
    if (!manager->claimImmediateSync(environment.clock->now(), kImmediateSyncInterval)) return;
    std::weak_ptr<AnalyticsManager> weak = manager;
    environment.utilityScheduler->scheduleOnce(kImmediateSyncDelay, [weak] {
        if (auto self = weak.lock()) self->signalManager()->attemptToSendNextBatchOfCachedSignals();
    });
}

void updateDefaultUserID(const std::optional<std::string>& user) {
    AnalyticsManager::shared()->configuration()->setDefaultUser(user);
}

void generateNewSession() { AnalyticsManager::shared()->configuration()->setSessionID(randomUUID()); }

std::shared_ptr<fixtora::Preferences> customDefaults() {
    const auto manager = AnalyticsManagerStorage::shared().manager();
    if (!manager) return nullptr;
    const auto hash = CryptoHashing::sha256(manager->configuration()->analyticsAppID(), "");
    const auto& store = manager->environment().preferencesStore;
    if (!store || hash.size() < 12) return nullptr;
    return store->suite("com.fixtora.analytics." + hash.substr(hash.size() - 12));
}

void applicationWillTerminate() {
    if (const auto manager = AnalyticsManagerStorage::shared().manager()) manager->signalManager()->appWillTerminate();
}

const std::set<std::string>& reservedKeysLowercased() {
    static const std::set<std::string> keys = [] {
        std::set<std::string> out;
        for (const char* name :
             {"type", "clientUser", "appID", "sessionID", "floatValue", "newSessionBegan", "platform", "systemVersion",
              "majorSystemVersion", "majorMinorSystemVersion", "appVersion", "buildNumber", "isSimulator", "isDebug",
              "isTestFlight", "isAppStore", "modelName", "architecture", "operatingSystem", "targetEnvironment",
              "locale", "region", "appLanguage", "preferredLanguage", "analyticsClientVersion"})
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
    const bool complete = environment.clock && environment.mainScheduler && environment.utilityScheduler &&
                          environment.timerScheduler && environment.httpClient && environment.preferencesStore &&
                          environment.paths;
    return complete ? environment : environment.filledFromProduction();
}

}  // namespace analytics::Analytics
