// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/Environment.hpp"
#include "analytics/LogHandler.hpp"
#include "analytics/SignalEnricher.hpp"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace analytics {

/// The client's configuration. One object is shared (through shared_ptr) by
/// the manager, the signal manager and every signal in flight, so later
/// changes of its mutable fields are seen by all of them. Every accessor is
/// safe from any thread.
class AnalyticsConfiguration final {
  public:
    using DefaultParameters = std::function<std::map<std::string, std::string>()>;

    /// The build's analytics base URL.
    static std::string defaultBaseURL();

    /// `salt` defaults to "", `baseURL` to `defaultBaseURL()`.
    explicit AnalyticsConfiguration(std::string appID,
                                    std::optional<std::string> salt = std::nullopt,
                                    std::optional<std::string> baseURL = std::nullopt,
                                    std::optional<std::string> ns = std::nullopt);
    AnalyticsConfiguration(const AnalyticsConfiguration&) = delete;
    AnalyticsConfiguration& operator=(const AnalyticsConfiguration&) = delete;

    // Fixed at construction.
    const std::string& analyticsAppID() const { return m_analyticsAppID; }
    const std::string& apiBaseURL() const { return m_apiBaseURL; }
    const std::optional<std::string>& ns() const { return m_namespace; }
    const std::string& salt() const { return m_salt; }

    /// The platform collaborators; read once when a manager is built with
    /// this configuration, so set them before `Analytics::initialize`.
    Environment environment() const;
    void setEnvironment(Environment environment);

    /// Overrides the generated default user identifier.
    std::optional<std::string> defaultUser() const;
    void setDefaultUser(std::optional<std::string> value);

    /// Prepended to every signal name sent through `Analytics::signal`.
    std::optional<std::string> defaultSignalPrefix() const;
    void setDefaultSignalPrefix(std::optional<std::string> value);

    /// Prepended to parameter keys that do not start with "Analytics.".
    std::optional<std::string> defaultParameterPrefix() const;
    void setDefaultParameterPrefix(std::optional<std::string> value);

    /// Extra parameters, evaluated anew for every signal (empty by default).
    DefaultParameters defaultParameters() const;
    void setDefaultParameters(DefaultParameters value);

    bool sendNewSessionBeganSignal() const;
    void setSendNewSessionBeganSignal(bool value);

    /// The current session identifier (canonical upper-case UUID text).
    std::string sessionID() const;
    /// Stores a new session identifier, then starts a new session: session
    /// statistics when `sessionStatsEnabled`, and the signal
    /// "Analytics.Session.started" when `sendNewSessionBeganSignal`.
    void setSessionID(std::string value);

    /// Stored only; not consulted by this client.
    bool sendSignalsInDebugConfiguration() const;
    void setSendSignalsInDebugConfiguration(bool value);
    bool analyticsAllowDebugBuilds() const { return sendSignalsInDebugConfiguration(); }
    void setAnalyticsAllowDebugBuilds(bool value) { setSendSignalsInDebugConfiguration(value); }

    /// Marks every signal's "isTestMode" (false until set).
    bool testMode() const;
    void setTestMode(bool value);

    /// When true nothing is recorded. Until set, true exactly when the
    /// environment variable "XCODE_RUNNING_FOR_PREVIEWS" is "1".
    bool swiftUIPreviewMode() const;
    void setSwiftUIPreviewMode(bool value);

    /// When true nothing is recorded or sent.
    bool analyticsDisabled() const;
    void setAnalyticsDisabled(bool value);

    bool reservedParameterWarningsEnabled() const;
    void setReservedParameterWarningsEnabled(bool value);

    bool sessionStatsEnabled() const;
    void setSessionStatsEnabled(bool value);

    /// Stored only; not consulted by this client.
    bool showDebugLogs() const;
    void setShowDebugLogs(bool value);

    /// Absent means silent. Defaults to `LogHandler::standard(info)`.
    std::optional<LogHandler> logHandler() const;
    void setLogHandler(std::optional<LogHandler> value);

    std::vector<std::shared_ptr<SignalEnricher>> metadataEnrichers() const;
    void setMetadataEnrichers(std::vector<std::shared_ptr<SignalEnricher>> value);

    /// Delivers `message` through the current log handler (see LogHandler).
    void log(LogHandler::LogLevel level, const std::string& message) const;

  private:
    const std::string m_analyticsAppID;
    const std::string m_apiBaseURL;
    const std::optional<std::string> m_namespace;
    const std::string m_salt;

    mutable std::mutex m_mutex;
    Environment m_environment;
    std::optional<std::string> m_defaultUser;
    std::optional<std::string> m_defaultSignalPrefix;
    std::optional<std::string> m_defaultParameterPrefix;
    DefaultParameters m_defaultParameters;
    bool m_sendNewSessionBeganSignal = true;
    std::string m_sessionID;
    bool m_sendSignalsInDebugConfiguration = false;
    std::optional<bool> m_testMode;
    std::optional<bool> m_swiftUIPreviewMode;
    bool m_analyticsDisabled = false;
    bool m_reservedParameterWarningsEnabled = true;
    bool m_sessionStatsEnabled = true;
    bool m_showDebugLogs = false;
    std::optional<LogHandler> m_logHandler;
    std::vector<std::shared_ptr<SignalEnricher>> m_metadataEnrichers;
};

}  // namespace analytics
