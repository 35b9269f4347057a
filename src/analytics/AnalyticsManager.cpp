// SPDX-License-Identifier: MIT
#include "analytics/AnalyticsManager.hpp"

#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AnalyticsManagerStorage.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SignalManager.hpp"
#include "platform/Paths.hpp"
#include "platform/Scheduler.hpp"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

namespace analytics {
namespace {

constexpr double kSessionStartDelay = 0.5;

bool runningForPreviews() {
    const char* value = std::getenv("XCODE_RUNNING_FOR_PREVIEWS");
    return value && std::strcmp(value, "1") == 0;
}

}  // namespace

std::shared_ptr<AnalyticsManager> AnalyticsManager::create(std::shared_ptr<AnalyticsConfiguration> configuration,
                                                           Kind kind) {
    auto environment = configuration->environment().filledFrom(Analytics::defaultEnvironment());
    auto manager = std::make_shared<AnalyticsManager>(Passkey{}, std::move(configuration), std::move(environment), kind);
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
    // Only a stored manager owns the disk cache: a temporary one would load
    // it, delete the file and then lose the signals when it is dropped.
    std::optional<std::filesystem::path> cacheFile;
    if (kind == Kind::stored) cacheFile = SignalManager::cacheFileIn(m_environment.paths->cachesDir());
    m_signalManager = SignalManager::create(m_configuration, m_environment, std::move(cacheFile));
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

bool AnalyticsManager::isInitialized() { return AnalyticsManagerStorage::shared().manager() != nullptr; }

void AnalyticsManager::initialize(std::shared_ptr<AnalyticsConfiguration> configuration) {
    auto manager = create(std::move(configuration), Kind::stored);
    // The previous manager, if any, is released here, outside the lock.
    AnalyticsManagerStorage::shared().setManager(std::move(manager));
}

void AnalyticsManager::terminate() { AnalyticsManagerStorage::shared().setManager(nullptr); }

void AnalyticsManager::send(const std::string& signalType, const std::map<std::string, std::string>& parameters) {
    Analytics::signal(signalType, parameters);
}

void AnalyticsManager::send(const std::string& signalType, const std::optional<std::string>& customUserID,
                            std::optional<double> floatValue, const std::map<std::string, std::string>& parameters) {
    Analytics::signal(signalType, parameters, floatValue, customUserID);
}

void AnalyticsManager::requestImmediateSync() { Analytics::requestImmediateSync(); }

void AnalyticsManager::updateDefaultUser(const std::optional<std::string>& user) {
    Analytics::updateDefaultUserID(user);
}

void AnalyticsManager::generateNewSession() { Analytics::generateNewSession(); }

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
