// SPDX-License-Identifier: MIT
#include "analytics/SessionManager.hpp"

#include "analytics/Environment.hpp"
#include "analytics/LocalCalendar.hpp"
#include "analytics/SharedInstance.hpp"
#include "platform/Preferences.hpp"
#include "platform/Scheduler.hpp"
#include "platform/SystemInfo.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace analytics {
namespace {

// The start time of a session that has not begun: year 1.
constexpr fixtora::Instant kDistantPast = -62135596800.0;

}  // namespace

std::shared_ptr<SessionManager> SessionManager::create(
    ClientServices services, std::shared_ptr<fixtora::Scheduler> persistenceQueue) {
    if (!persistenceQueue) persistenceQueue = sharedSerialQueue();
    auto manager =
        std::make_shared<SessionManager>(Key{}, std::move(services), std::move(persistenceQueue));
    manager->load();
    manager->updateDistinctDaysUsed();
    manager->observe();
    return manager;
}

SessionManager::SessionManager(Key, ClientServices services,
                               std::shared_ptr<fixtora::Scheduler> persistenceQueue)
    : m_services(std::move(services)),
      m_persistenceQueue(std::move(persistenceQueue)),
      m_currentSessionStartedAt(kDistantPast) {}

SessionManager::~SessionManager() {
    std::lock_guard lock(m_mutex);
    if (m_sessionDurationUpdater) m_sessionDurationUpdater->invalidate();
}

std::shared_ptr<SessionManager> SessionManager::shared() {
    return SharedInstance<SessionManager>::get([] { return create(ClientServices::production()); });
}

void SessionManager::setShared(std::shared_ptr<SessionManager> manager) {
    SharedInstance<SessionManager>::set(std::move(manager));
}

fixtora::Instant SessionManager::now() const {
    return m_services.clock->now();
}

std::string SessionManager::today() const {
    const std::string zone =
        m_services.systemInfo ? m_services.systemInfo->timeZoneIdentifier() : std::string("UTC");
    return LocalCalendar(zone).dayString(now());
}

void SessionManager::write(std::function<void(fixtora::Preferences&)> change) {
    auto suite = m_services.suite();
    if (!suite) return;
    m_persistenceQueue->post(
        [suite = std::move(suite), change = std::move(change)] { change(*suite); });
}

void SessionManager::load() {
    auto suite = m_services.suite();
    if (!suite) return;
    const auto data = suite->data("recentSessions");
    if (!data) return;
    const auto decoded = StoredSession::decodeList(std::string(data->begin(), data->end()));
    if (!decoded) return;  // left as it is until the next write
    const fixtora::Instant cutoff = now() - kRetentionSeconds;
    std::vector<StoredSession> kept;
    for (const auto& session : *decoded)
        if (session.startedAt > cutoff) kept.push_back(session);
    const auto dropped = static_cast<std::int64_t>(decoded->size() - kept.size());
    {
        std::lock_guard lock(m_mutex);
        m_recentSessions = std::move(kept);
    }
    setDeletedSessionsCount(suite->integer("deletedSessionsCount").value_or(0) + dropped);
}

void SessionManager::observe() {
    if (!m_services.notifications) return;
    std::weak_ptr<SessionManager> weak = weak_from_this();
    m_resignSubscription = m_services.notifications->addObserver(
        AppNotificationCenter::Notification::didResignActive, [weak] {
            if (auto self = weak.lock()) self->handleDidEnterBackgroundNotification();
        });
    m_activeSubscription = m_services.notifications->addObserver(
        AppNotificationCenter::Notification::willBecomeActive, [weak] {
            if (auto self = weak.lock()) self->handleWillEnterForegroundNotification();
        });
}

void SessionManager::updateDistinctDaysUsed() {
    auto suite = m_services.suite();
    if (!suite) return;
    const std::string day = today();
    auto days = suite->stringList("distinctDaysUsed").value_or(std::vector<std::string>{});
    // Only the last entry counts: the list grows by one per day of use.
    if (!days.empty() && days.back() == day) return;
    days.push_back(day);
    setDistinctDaysUsed(days);
}

void SessionManager::setFirstSessionDate(const std::string& day) {
    write([day](fixtora::Preferences& p) { p.setString("firstSessionDate", day); });
}

void SessionManager::setDistinctDaysUsed(const std::vector<std::string>& days) {
    write([days](fixtora::Preferences& p) { p.setStringList("distinctDaysUsed", days); });
}

void SessionManager::setDeletedSessionsCount(std::int64_t count) {
    write([count](fixtora::Preferences& p) { p.setInteger("deletedSessionsCount", count); });
}

void SessionManager::startNewSession() {
    bool newInstall = false;
    std::string day;
    {
        std::lock_guard lock(m_mutex);
        stopSessionTimerLocked();
        if (m_recentSessions.empty()) {
            newInstall = true;
            day = today();
        }
    }
    if (newInstall) {
        setFirstSessionDate(day);
        m_services.send("Analytics.Acquisition.newInstallDetected",
                        {{"Analytics.Acquisition.firstSessionDate", day}}, std::nullopt,
                        std::nullopt);
    }
    std::lock_guard lock(m_mutex);
    m_currentSessionStartedAt = now();
    m_currentSessionDuration = 0;
    m_sessionStarted = true;
    updateSessionDurationLocked();
    startTimerLocked();
}

void SessionManager::startTimerLocked() {
    if (m_sessionDurationUpdater) m_sessionDurationUpdater->invalidate();
    std::weak_ptr<SessionManager> weak = weak_from_this();
    m_sessionDurationUpdater = m_services.mainScheduler->scheduleRepeating(kTimerInterval, [weak] {
        if (auto self = weak.lock()) self->updateSessionDuration();
    });
}

void SessionManager::updateSessionDuration() {
    std::lock_guard lock(m_mutex);
    updateSessionDurationLocked();
}

void SessionManager::updateSessionDurationLocked() {
    const fixtora::Instant t = now();
    // A system clock set back must not take time off the session (which
    // would then go unrecorded until the clock has caught up again).
    if (m_sessionDurationLastUpdatedAt)
        m_currentSessionDuration += std::max(0.0, t - *m_sessionDurationLastUpdatedAt);
    m_sessionDurationLastUpdatedAt = t;
    persistLocked();
}

void SessionManager::persistCurrentSessionIfNeeded() {
    std::lock_guard lock(m_mutex);
    persistLocked();
}

void SessionManager::persistLocked() {
    if (m_currentSessionDuration < 1.0) return;
    const auto seconds = static_cast<std::int64_t>(m_currentSessionDuration);
    bool found = false;
    for (auto it = m_recentSessions.rbegin(); it != m_recentSessions.rend(); ++it) {
        if (it->startedAt == m_currentSessionStartedAt) {
            it->durationInSeconds = seconds;
            found = true;
            break;
        }
    }
    if (!found) m_recentSessions.push_back({m_currentSessionStartedAt, seconds});
    const auto encoded = StoredSession::encodeList(m_recentSessions);
    if (!encoded) return;  // nothing is written for a list that cannot be encoded
    write([bytes = fixtora::Preferences::Bytes(encoded->begin(), encoded->end())](
              fixtora::Preferences& p) { p.setData("recentSessions", bytes); });
}

void SessionManager::stopSessionTimer() {
    std::lock_guard lock(m_mutex);
    stopSessionTimerLocked();
}

void SessionManager::stopSessionTimerLocked() {
    if (m_sessionDurationUpdater) m_sessionDurationUpdater->invalidate();
    m_sessionDurationUpdater.reset();
    m_sessionDurationLastUpdatedAt.reset();
}

void SessionManager::handleDidEnterBackgroundNotification() {
    std::lock_guard lock(m_mutex);
    updateSessionDurationLocked();
    stopSessionTimerLocked();
}

void SessionManager::handleWillEnterForegroundNotification() {
    std::lock_guard lock(m_mutex);
    // Before the first session starts there is nothing to time: counting
    // here would remember a session that never began.
    if (!m_sessionStarted) return;
    updateSessionDurationLocked();
    startTimerLocked();
}

std::int64_t SessionManager::averageSessionSeconds() const {
    std::lock_guard lock(m_mutex);
    if (m_recentSessions.empty()) return -1;
    if (m_recentSessions.size() == 1) return m_recentSessions.front().durationInSeconds;
    const auto count = static_cast<std::int64_t>(m_recentSessions.size() - 1);
    std::int64_t sum = 0;
    bool fits = true;
    for (std::size_t i = 0; i + 1 < m_recentSessions.size() && fits; ++i) {
        const std::int64_t d = m_recentSessions[i].durationInSeconds;
        fits = d >= 0 ? sum <= std::numeric_limits<std::int64_t>::max() - d
                      : sum >= std::numeric_limits<std::int64_t>::min() - d;
        if (fits) sum += d;
    }
    if (fits) return sum / count;
    // Stored durations whose sum overflows can only come from a damaged
    // store; their mean still fits, summed as quotients and remainders.
    std::int64_t quotients = 0;
    std::int64_t remainders = 0;
    for (std::size_t i = 0; i + 1 < m_recentSessions.size(); ++i) {
        quotients += m_recentSessions[i].durationInSeconds / count;
        remainders += m_recentSessions[i].durationInSeconds % count;
    }
    return quotients + remainders / count;
}

std::optional<std::int64_t> SessionManager::previousSessionSeconds() const {
    std::lock_guard lock(m_mutex);
    if (m_recentSessions.size() < 2) return std::nullopt;
    return m_recentSessions[m_recentSessions.size() - 2].durationInSeconds;
}

std::vector<StoredSession> SessionManager::recentSessions() const {
    std::lock_guard lock(m_mutex);
    return m_recentSessions;
}

}  // namespace analytics
