// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace fixtora {
class Clock;
class Preferences;
class SystemInfo;
}  // namespace fixtora

namespace analytics {

class SessionManager;

/// The standard parameters of every signal (device, system, application,
/// run context, user preferences, calendar, retention). The signal manager
/// calls `parameters()` once per signal on the main scheduler and layers
/// the enrichers' and the signal's own parameters on top. All values are
/// texts; building the map never fails (every reading has a fallback).
struct DefaultSignalPayload {
    /// Where the readings come from.
    struct Sources {
        std::shared_ptr<const fixtora::SystemInfo> systemInfo;
        std::shared_ptr<const fixtora::Clock> clock;
        /// The retention figures; none counts as no remembered session.
        std::shared_ptr<const SessionManager> sessions;
        /// The client's preferences suite, or null while there is none.
        std::function<std::shared_ptr<fixtora::Preferences>()> customDefaults;
        /// The application's version and build number ("0" when unknown).
        std::string appVersion = "0";
        std::string buildNumber = "0";
    };

    static constexpr const char* kSDKName = "CppSDK";
    static constexpr const char* kSDKVersion = "1.0.0";

    static std::map<std::string, std::string> parameters(const Sources& sources);
};

}  // namespace analytics
