// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AppNotificationCenter.hpp"
#include "analytics/ClientServices.hpp"
#include "analytics/StoredSession.hpp"
#include "platform/Clock.hpp"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {
class Scheduler;
class Timer;
}  // namespace fixtora

namespace analytics {

/// Keeps the last 90 days of usage sessions and a few per-installation
/// counters in the client's preferences suite, times the current session
/// while the application is active (a 1-second timer on the main
/// scheduler), detects a new installation, and answers the retention
/// figures of the default parameters. Suite writes run in order on a serial
/// persistence queue. Every member is safe from any thread.
class SessionManager final : public std::enable_shared_from_this<SessionManager> {
  public:
    static constexpr double kRetentionSeconds = 7776000.0;  // 90 days
    static constexpr double kTimerInterval = 1.0;

    /// Builds the manager: loads and prunes the remembered sessions, records
    /// today as a day of use and observes the application's activity. Writes
    /// go to `persistenceQueue`, or to the client's `sharedSerialQueue()` when null.
    static std::shared_ptr<SessionManager> create(
        ClientServices services, std::shared_ptr<fixtora::Scheduler> persistenceQueue = nullptr);
    ~SessionManager();
    SessionManager(const SessionManager&) = delete;
    SessionManager& operator=(const SessionManager&) = delete;

    /// The process's session manager: the one installed with `setShared`, else
    /// one built on first use with `ClientServices::production()`.
    static std::shared_ptr<SessionManager> shared();
    /// Installs the process's session manager (the composition root and tests).
    static void setShared(std::shared_ptr<SessionManager> manager);

    /// Begins a new session; a first session without remembered history
    /// reports "Analytics.Acquisition.newInstallDetected".
    void startNewSession();

    /// -1 without sessions, the only session's length with one, else the
    /// mean length of every session but the current (last) one.
    std::int64_t averageSessionSeconds() const;
    /// The length of the session before the current one.
    std::optional<std::int64_t> previousSessionSeconds() const;
    /// The remembered sessions, oldest first.
    std::vector<StoredSession> recentSessions() const;

    // Written to the suite on the persistence queue.
    void setFirstSessionDate(const std::string& day);
    void setDistinctDaysUsed(const std::vector<std::string>& days);
    void setDeletedSessionsCount(std::int64_t count);

    void handleDidEnterBackgroundNotification();
    void handleWillEnterForegroundNotification();

    void updateSessionDuration();
    void persistCurrentSessionIfNeeded();
    void stopSessionTimer();
    void updateDistinctDaysUsed();

  private:
    struct Key {
        explicit Key() = default;
    };

  public:
    /// Use `create`.
    SessionManager(Key, ClientServices services,
                   std::shared_ptr<fixtora::Scheduler> persistenceQueue);

  private:
    void load();
    void observe();
    std::string today() const;
    fixtora::Instant now() const;
    void startTimerLocked();
    void updateSessionDurationLocked();
    void persistLocked();
    void stopSessionTimerLocked();
    void write(std::function<void(fixtora::Preferences&)> change);

    const ClientServices m_services;
    std::shared_ptr<fixtora::Scheduler> m_persistenceQueue;

    mutable std::mutex m_mutex;
    std::vector<StoredSession> m_recentSessions;
    fixtora::Instant m_currentSessionStartedAt;
    double m_currentSessionDuration = 0;
    std::shared_ptr<fixtora::Timer> m_sessionDurationUpdater;
    std::optional<fixtora::Instant> m_sessionDurationLastUpdatedAt;
    bool m_sessionStarted = false;

    fixtora::Subscription m_resignSubscription;
    fixtora::Subscription m_activeSubscription;
};

}  // namespace analytics
