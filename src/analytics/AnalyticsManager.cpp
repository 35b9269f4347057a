// SPDX-License-Identifier: MIT
#include "analytics/AnalyticsManager.hpp"

#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AnalyticsManagerStorage.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SignalManager.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/Scheduler.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

namespace analytics {
namespace {

using Level = LogHandler::LogLevel;

constexpr double kSessionStartDelay = 0.5;
constexpr double kImmediateSyncInterval = 10.0;
constexpr double kImmediateSyncDelay = 0.05;
constexpr const char* kReservedPrefix = "Analytics.";
constexpr const char* kReservedPrefixLowercased = "analytics.";

bool runningForPreviews() {
    const char* value = std::getenv("XCODE_RUNNING_FOR_PREVIEWS");
    return value && std::strcmp(value, "1") == 0;
}

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Keys starting with "Analytics." stay as they are; every other key gets the
// prefix. When two keys end up the same, the one the caller already wrote in
// its final form wins over the one that was rewritten into it.
AnalyticsManager::Parameters prefixedKeys(const AnalyticsManager::Parameters& parameters,
                                          const std::optional<std::string>& prefix) {
    const std::string p = prefix.value_or("");
    AnalyticsManager::Parameters out;
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
        configuration.log(Level::error,
                          "Sending parameter with reserved key prefix 'Analytics.' will cause "
                          "unexpected behavior. Please use another prefix instead.");
    } else if (Analytics::reservedKeysLowercased().count(lower)) {
        configuration.log(Level::error,
                          "Sending parameter with reserved key '" + key +
                              "' will cause unexpected behavior. Please use another key instead.");
    }
}

bool recordsNothing(const AnalyticsConfiguration& configuration) {
    return configuration.swiftUIPreviewMode() || configuration.analyticsDisabled();
}

std::shared_ptr<fixtora::Preferences> suiteFor(const AnalyticsConfiguration& configuration,
                                               fixtora::PreferencesStore& store) {
    const auto hash = CryptoHashing::sha256(configuration.analyticsAppID(), "");
    if (hash.size() < 12) return nullptr;
    return store.suite("com.fixtora.analytics." + hash.substr(hash.size() - 12));
}

}  // namespace

std::shared_ptr<AnalyticsManager> AnalyticsManager::create(
    std::shared_ptr<AnalyticsConfiguration> configuration, Kind kind) {
    auto environment = configuration->environment().filledFrom(Analytics::defaultEnvironment());
    auto manager = std::make_shared<AnalyticsManager>(Passkey{}, std::move(configuration),
                                                      std::move(environment), kind);
    if (kind == Kind::stored) {
        // The first session starts half a second after start-up, so that
        // signals sent right after `initialize` carry the first identifier.
        // A temporary manager is dropped at once and starts no session.
        std::weak_ptr<AnalyticsManager> weak = manager;
        manager->m_sessionStartTimer =
            manager->m_environment.mainScheduler->scheduleOnce(kSessionStartDelay, [weak] {
                if (auto self = weak.lock()) self->configuration()->setSessionID(randomUUID());
            });
    }
    return manager;
}

AnalyticsManager::AnalyticsManager(Passkey, std::shared_ptr<AnalyticsConfiguration> configuration,
                                   Environment environment, Kind kind)
    : m_kind(kind),
      m_environment(std::move(environment)),
      m_configuration(std::move(configuration)),
      m_lastTimeImmediateSyncRequested(std::numeric_limits<double>::lowest()) {
    // Only a stored manager owns the disk cache and the suite: a temporary
    // one would load the cache, delete the file and then lose the signals
    // when it is dropped.
    std::optional<std::filesystem::path> cacheFile;
    std::shared_ptr<AppNotificationCenter> notifications;
    if (kind == Kind::stored) {
        cacheFile = SignalManager::cacheFileIn(m_environment.paths->cachesDir());
        m_customDefaults = suiteFor(*m_configuration, *m_environment.preferencesStore);
        notifications = AppNotificationCenter::defaultCenter();
    }
    m_signalManager = SignalManager::create(m_configuration, m_environment, std::move(cacheFile),
                                            m_customDefaults, notifications.get());
}

AnalyticsManager::~AnalyticsManager() {
    if (m_sessionStartTimer) m_sessionStartTimer->invalidate();
}

std::shared_ptr<AnalyticsManager> AnalyticsManager::shared() {
    auto& storage = AnalyticsManagerStorage::shared();
    if (auto manager = storage.manager()) return manager;
    auto configuration = std::make_shared<AnalyticsConfiguration>("");
    if (runningForPreviews()) {
        storage.setManager(create(std::move(configuration), Kind::temporary));
        if (auto manager = storage.manager()) return manager;
        return shared();
    }
    return create(std::move(configuration), Kind::temporary);
}

bool AnalyticsManager::isInitialized() {
    return AnalyticsManagerStorage::shared().manager() != nullptr;
}

void AnalyticsManager::initialize(std::shared_ptr<AnalyticsConfiguration> configuration) {
    auto manager = create(std::move(configuration), Kind::stored);
    // The previous manager, if any, is released here, outside the lock.
    AnalyticsManagerStorage::shared().setManager(std::move(manager));
}

void AnalyticsManager::terminate() {
    AnalyticsManagerStorage::shared().setManager(nullptr);
}

void AnalyticsManager::signal(const std::string& signalType, const Parameters& parameters,
                              std::optional<double> floatValue,
                              const std::optional<std::string>& customUserID) {
    const auto config = configuration();
    if (recordsNothing(*config)) return;

    const std::string name = config->defaultSignalPrefix().value_or("") + signalType;
    const Parameters rewritten = prefixedKeys(parameters, config->defaultParameterPrefix());

    if (config->reservedParameterWarningsEnabled()) {
        const auto lowerName = lowercased(name);
        if (startsWith(lowerName, kReservedPrefixLowercased)) {
            config->log(Level::error,
                        "Sending signal with reserved prefix 'Analytics.' will cause unexpected "
                        "behavior. Please use another prefix instead.");
        } else if (Analytics::reservedKeysLowercased().count(lowerName)) {
            config->log(Level::error,
                        "Sending signal with reserved name '" + name +
                            "' will cause unexpected behavior. Please use another name instead.");
        }
        for (const auto& [key, value] : rewritten) checkParameterKey(*config, key);
    }
    internalSignal(name, rewritten, floatValue, customUserID);
}

void AnalyticsManager::internalSignal(const std::string& signalType, const Parameters& parameters,
                                      std::optional<double> floatValue,
                                      const std::optional<std::string>& customUserID) {
    auto config = configuration();
    if (recordsNothing(*config)) return;
    const auto defaults =
        prefixedKeys(config->defaultParameters()(), config->defaultParameterPrefix());
    Parameters merged = defaults;
    for (const auto& [key, value] : parameters) merged[key] = value;
    for (const auto& [key, value] : defaults) checkParameterKey(*config, key);
    m_signalManager->processSignal(signalType, std::move(merged), floatValue, customUserID,
                                   std::move(config));
}

void AnalyticsManager::requestSync() {
    if (!claimImmediateSync(m_environment.clock->now(), kImmediateSyncInterval)) return;
    std::weak_ptr<AnalyticsManager> weak = weak_from_this();
    m_environment.utilityScheduler->scheduleOnce(kImmediateSyncDelay, [weak] {
        if (auto self = weak.lock()) self->m_signalManager->attemptToSendNextBatchOfCachedSignals();
    });
}

void AnalyticsManager::setDefaultUser(const std::optional<std::string>& user) {
    configuration()->setDefaultUser(user);
}

void AnalyticsManager::renewSession() {
    configuration()->setSessionID(randomUUID());
}

void AnalyticsManager::setSharingEnabled(bool enabled) {
    configuration()->setAnalyticsDisabled(!enabled);
    if (!enabled) m_signalManager->discardUnsentSignals();
}

void AnalyticsManager::appWillTerminate() {
    m_signalManager->appWillTerminate();
}

std::shared_ptr<AnalyticsConfiguration> AnalyticsManager::configuration() const {
    std::shared_lock lock(m_queue);
    return m_configuration;
}

fixtora::Instant AnalyticsManager::lastTimeImmediateSyncRequested() const {
    std::shared_lock lock(m_queue);
    return m_lastTimeImmediateSyncRequested;
}

void AnalyticsManager::setLastTimeImmediateSyncRequested(fixtora::Instant instant) {
    std::unique_lock lock(m_queue);
    m_lastTimeImmediateSyncRequested = instant;
}

bool AnalyticsManager::claimImmediateSync(fixtora::Instant now, double interval) {
    std::unique_lock lock(m_queue);
    if (!(now - m_lastTimeImmediateSyncRequested > interval)) return false;
    m_lastTimeImmediateSyncRequested = now;
    return true;
}

std::string AnalyticsManager::hashedDefaultUser() const {
    return CryptoHashing::sha256(m_signalManager->defaultUserIdentifier(), configuration()->salt());
}

}  // namespace analytics
