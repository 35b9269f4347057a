// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AppNotificationCenter.hpp"
#include "analytics/ClientServices.hpp"
#include "platform/Clock.hpp"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace analytics {

/// The running duration timers, at most one per signal name. Time the
/// application spends inactive is left out of a timer unless it was started
/// with `includeBackgroundTime`. Nothing is persisted. Safe from any thread.
class DurationSignalTracker final : public std::enable_shared_from_this<DurationSignalTracker> {
  public:
    using Parameters = std::map<std::string, std::string>;

    struct Stopped {
        double duration = 0;  // seconds
        Parameters parameters;
    };

    /// Observes the application's activity through `services.notifications`.
    static std::shared_ptr<DurationSignalTracker> create(ClientServices services);

    /// The installed tracker, else one built on first use with
    /// `ClientServices::production()`.
    static std::shared_ptr<DurationSignalTracker> shared();
    static void setShared(std::shared_ptr<DurationSignalTracker> tracker);

    /// Starts (or restarts, dropping the earlier start) the timer `signalType`.
    void startTracking(const std::string& signalType, const Parameters& parameters,
                       bool includeBackgroundTime);
    /// Removes the timer and gives its elapsed seconds and start parameters;
    /// nothing when no timer has that name.
    std::optional<Stopped> stopTracking(const std::string& signalType);

    /// Stops the timer and sends `signalType` with
    /// "Analytics.Signal.durationInSeconds" (floored to the millisecond), the
    /// start parameters and then `parameters` on top. Nothing happens for an
    /// unknown name.
    void stopAndSend(const std::string& signalType, const Parameters& parameters,
                     std::optional<double> floatValue,
                     const std::optional<std::string>& customUserID);

    void handleDidEnterBackgroundNotification();
    void handleWillEnterForegroundNotification();

    /// `seconds` floored to whole milliseconds, as the shortest decimal text
    /// that reads back as the same number, always with a fraction ("3.0").
    static std::string durationText(double seconds);

  private:
    struct CachedData {
        fixtora::Instant startTime = 0;
        Parameters parameters;
        bool includeBackgroundTime = false;
    };
    struct Key {
        explicit Key() = default;
    };

  public:
    DurationSignalTracker(Key, ClientServices services);

  private:
    const ClientServices m_services;
    std::mutex m_queue;
    std::map<std::string, CachedData> m_startedSignals;
    std::optional<fixtora::Instant> m_lastEnteredBackground;
    fixtora::Subscription m_resignSubscription;
    fixtora::Subscription m_activeSubscription;
};

}  // namespace analytics

namespace analytics::Analytics {

/// Duration signals on `DurationSignalTracker::shared()` (see there).
void startDurationSignal(const std::string& signalType,
                         const std::map<std::string, std::string>& parameters = {},
                         bool includeBackgroundTime = false);
void stopAndSendDurationSignal(const std::string& signalType,
                               const std::map<std::string, std::string>& parameters = {},
                               std::optional<double> floatValue = std::nullopt,
                               const std::optional<std::string>& customUserID = std::nullopt);
void cancelDurationSignal(const std::string& signalType);

}  // namespace analytics::Analytics
