// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/Environment.hpp"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace fixtora {
class Preferences;
}

/// The analytics client's entry points. Every function may be called from any
/// thread, returns quickly and never reports a failure: problems go to the
/// configuration's log handler.
namespace analytics::Analytics {

using Parameters = std::map<std::string, std::string>;

/// Builds a manager for `config` and makes it the current one, replacing
/// any previous manager (whose queued signals are dropped).
void initialize(std::shared_ptr<AnalyticsConfiguration> config);

/// Removes the current manager.
void terminate();

/// Sends a signal: the configured signal-name prefix is added to `signalType`
/// and the parameter-key prefix to every key not starting with
/// "Analytics."; reserved names and keys are warned about (and still sent).
void signal(const std::string& signalType, const Parameters& parameters = {},
            std::optional<double> floatValue = std::nullopt,
            const std::optional<std::string>& customUserID = std::nullopt);

/// For the client's own signals, whose names and keys are already in the
/// reserved "Analytics." namespace: no prefixes, no warnings for the given
/// parameters. Adds the configuration's default parameters.
void internalSignal(const std::string& signalType, const Parameters& parameters = {},
                    std::optional<double> floatValue = std::nullopt,
                    const std::optional<std::string>& customUserID = std::nullopt);

/// The user's choice to share usage statistics. Off sets the current
/// configuration's `analyticsDisabled`, so nothing more is recorded or sent,
/// and drops the signals not sent yet; on lets signals be recorded and sent
/// again from now on.
void setSharingEnabled(bool enabled);

/// Asks for an early send, at most once every 10 seconds.
void requestImmediateSync();

/// Sets the current manager's `defaultUser`.
void updateDefaultUserID(const std::optional<std::string>& user);

/// Gives the current manager's configuration a fresh session identifier.
void generateNewSession();

/// The client's own preferences suite "com.fixtora.analytics." + the last 12
/// hex digits of the SHA-256 of the application identifier; null while no
/// manager is stored.
std::shared_ptr<fixtora::Preferences> customDefaults();

/// The application is about to quit: the current manager writes its unsent
/// signals to disk before this returns. (A stored manager also does so on
/// the will-terminate notification of `AppNotificationCenter::
/// defaultCenter()`.)
void applicationWillTerminate();

/// The 25 reserved parameter names, lower-cased.
const std::set<std::string>& reservedKeysLowercased();

/// Collaborators for managers whose configuration leaves some unset
/// (including temporary managers); members left null here fall back to
/// `Environment::production()`.
void setDefaultEnvironment(Environment environment);
/// The process-wide default environment, every member set.
Environment defaultEnvironment();

}  // namespace analytics::Analytics
