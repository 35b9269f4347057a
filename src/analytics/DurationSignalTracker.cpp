// SPDX-License-Identifier: MIT
#include "analytics/DurationSignalTracker.hpp"

#include "analytics/DecimalText.hpp"
#include "analytics/SharedInstance.hpp"

#include <cmath>

namespace analytics {
DurationSignalTracker::DurationSignalTracker(Key, ClientServices services)
    : m_services(std::move(services)) {}

std::shared_ptr<DurationSignalTracker> DurationSignalTracker::create(ClientServices services) {
    auto tracker = std::make_shared<DurationSignalTracker>(Key{}, std::move(services));
    if (const auto& center = tracker->m_services.notifications) {
        std::weak_ptr<DurationSignalTracker> weak = tracker;
        tracker->m_resignSubscription =
            center->addObserver(AppNotificationCenter::Notification::didResignActive, [weak] {
                if (auto self = weak.lock()) self->handleDidEnterBackgroundNotification();
            });
        tracker->m_activeSubscription =
            center->addObserver(AppNotificationCenter::Notification::willBecomeActive, [weak] {
                if (auto self = weak.lock()) self->handleWillEnterForegroundNotification();
            });
    }
    return tracker;
}

std::shared_ptr<DurationSignalTracker> DurationSignalTracker::shared() {
    return SharedInstance<DurationSignalTracker>::get(
        [] { return create(ClientServices::production()); });
}

void DurationSignalTracker::setShared(std::shared_ptr<DurationSignalTracker> tracker) {
    SharedInstance<DurationSignalTracker>::set(std::move(tracker));
}

void DurationSignalTracker::startTracking(const std::string& signalType,
                                          const Parameters& parameters,
                                          bool includeBackgroundTime) {
    const fixtora::Instant now = m_services.clock->now();
    std::lock_guard lock(m_queue);
    m_startedSignals[signalType] = CachedData{now, parameters, includeBackgroundTime};
}

std::optional<DurationSignalTracker::Stopped> DurationSignalTracker::stopTracking(
    const std::string& signalType) {
    const fixtora::Instant now = m_services.clock->now();
    std::lock_guard lock(m_queue);
    const auto it = m_startedSignals.find(signalType);
    if (it == m_startedSignals.end()) return std::nullopt;
    Stopped stopped{now - it->second.startTime, std::move(it->second.parameters)};
    m_startedSignals.erase(it);
    return stopped;
}

void DurationSignalTracker::stopAndSend(const std::string& signalType, const Parameters& parameters,
                                        std::optional<double> floatValue,
                                        const std::optional<std::string>& customUserID) {
    auto stopped = stopTracking(signalType);
    if (!stopped) return;
    Parameters merged{{"Analytics.Signal.durationInSeconds", durationText(stopped->duration)}};
    for (const auto& [key, value] : stopped->parameters) merged[key] = value;
    for (const auto& [key, value] : parameters) merged[key] = value;
    m_services.send(signalType, merged, floatValue, customUserID);
}

void DurationSignalTracker::handleDidEnterBackgroundNotification() {
    const fixtora::Instant now = m_services.clock->now();
    std::lock_guard lock(m_queue);
    m_lastEnteredBackground = now;
}

void DurationSignalTracker::handleWillEnterForegroundNotification() {
    const fixtora::Instant now = m_services.clock->now();
    std::lock_guard lock(m_queue);
    if (!m_lastEnteredBackground) return;
    const double inactive = now - *m_lastEnteredBackground;
    for (auto& [name, data] : m_startedSignals)
        if (!data.includeBackgroundTime) data.startTime += inactive;
    m_lastEnteredBackground.reset();
}

std::string DurationSignalTracker::durationText(double seconds) {
    return decimalText(std::floor(seconds * 1000.0) / 1000.0);
}

}  // namespace analytics

namespace analytics::Analytics {

void startDurationSignal(const std::string& signalType,
                         const std::map<std::string, std::string>& parameters,
                         bool includeBackgroundTime) {
    DurationSignalTracker::shared()->startTracking(signalType, parameters, includeBackgroundTime);
}

void stopAndSendDurationSignal(const std::string& signalType,
                               const std::map<std::string, std::string>& parameters,
                               std::optional<double> floatValue,
                               const std::optional<std::string>& customUserID) {
    DurationSignalTracker::shared()->stopAndSend(signalType, parameters, floatValue, customUserID);
}

void cancelDurationSignal(const std::string& signalType) {
    DurationSignalTracker::shared()->stopTracking(signalType);
}

}  // namespace analytics::Analytics
