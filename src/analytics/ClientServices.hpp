// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/LogHandler.hpp"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace fixtora {
class Clock;
class Preferences;
class Scheduler;
class SystemInfo;
}  // namespace fixtora

namespace analytics {

class AppNotificationCenter;

/// What the client's own features (sessions, durations, navigation, presets,
/// purchases, default parameters) need from the rest of the client and the
/// platform. Tests fill it with doubles; `production()` wires it to the
/// `Analytics` entry points and the default environment.
struct ClientServices {
    using Parameters = std::map<std::string, std::string>;
    using SignalSender = std::function<void(
        const std::string& signalType, const Parameters& parameters,
        std::optional<double> floatValue, const std::optional<std::string>& customUserID)>;

    std::shared_ptr<const fixtora::Clock> clock;
    /// The main thread: session timers run here.
    std::shared_ptr<fixtora::Scheduler> mainScheduler;
    std::shared_ptr<const fixtora::SystemInfo> systemInfo;
    /// The client's preferences suite, or null while there is none.
    std::function<std::shared_ptr<fixtora::Preferences>()> customDefaults;
    /// `Analytics::internalSignal`.
    SignalSender internalSignal;
    /// Delivers a message through the current configuration's log handler.
    std::function<void(LogHandler::LogLevel, const std::string&)> log;
    /// Where the application's activity changes arrive.
    std::shared_ptr<AppNotificationCenter> notifications;

    /// Wired to `Analytics::internalSignal`, `Analytics::customDefaults`, the
    /// current configuration's log handler, the stored manager's environment
    /// (`Analytics::defaultEnvironment()` before there is one) and
    /// `AppNotificationCenter::defaultCenter()`.
    static ClientServices production();

    /// The suite, or null when there is none (or no provider).
    std::shared_ptr<fixtora::Preferences> suite() const {
        return customDefaults ? customDefaults() : nullptr;
    }
    void send(const std::string& signalType, const Parameters& parameters,
              std::optional<double> floatValue,
              const std::optional<std::string>& customUserID) const {
        if (internalSignal) internalSignal(signalType, parameters, floatValue, customUserID);
    }
    void logMessage(LogHandler::LogLevel level, const std::string& message) const {
        if (log) log(level, message);
    }
};

}  // namespace analytics
