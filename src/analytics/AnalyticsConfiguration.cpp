// SPDX-License-Identifier: MIT
#include "analytics/AnalyticsConfiguration.hpp"

#include "analytics/Analytics.hpp"
#include "analytics/CryptoHashing.hpp"
#include "analytics/SessionManager.hpp"

#include <fixtora/BuildConfig.hpp>

#include <cstdlib>
#include <cstring>

namespace analytics {

std::string AnalyticsConfiguration::defaultBaseURL() {
    return fixtora::build::kAnalyticsUrl;
}

AnalyticsConfiguration::AnalyticsConfiguration(std::string appID, std::optional<std::string> salt,
                                               std::optional<std::string> baseURL,
                                               std::optional<std::string> ns)
    : m_analyticsAppID(std::move(appID)),
      m_apiBaseURL(baseURL ? std::move(*baseURL) : defaultBaseURL()),
      m_namespace(std::move(ns)),
      m_salt(salt ? std::move(*salt) : std::string()),
      m_sessionID(randomUUID()),
      m_logHandler(LogHandler::standard(LogHandler::LogLevel::info)) {}

#define FIXTORA_GUARDED_FIELD(Type, getter, setter, member) \
    Type AnalyticsConfiguration::getter() const {           \
        std::lock_guard lock(m_mutex);                      \
        return member;                                      \
    }                                                       \
    void AnalyticsConfiguration::setter(Type value) {       \
        std::lock_guard lock(m_mutex);                      \
        member = std::move(value);                          \
    }

FIXTORA_GUARDED_FIELD(Environment, environment, setEnvironment, m_environment)
FIXTORA_GUARDED_FIELD(std::optional<std::string>, defaultUser, setDefaultUser, m_defaultUser)
FIXTORA_GUARDED_FIELD(std::optional<std::string>, defaultSignalPrefix, setDefaultSignalPrefix,
                      m_defaultSignalPrefix)
FIXTORA_GUARDED_FIELD(std::optional<std::string>, defaultParameterPrefix, setDefaultParameterPrefix,
                      m_defaultParameterPrefix)
FIXTORA_GUARDED_FIELD(bool, sendNewSessionBeganSignal, setSendNewSessionBeganSignal,
                      m_sendNewSessionBeganSignal)
FIXTORA_GUARDED_FIELD(bool, sendSignalsInDebugConfiguration, setSendSignalsInDebugConfiguration,
                      m_sendSignalsInDebugConfiguration)
FIXTORA_GUARDED_FIELD(bool, analyticsDisabled, setAnalyticsDisabled, m_analyticsDisabled)
FIXTORA_GUARDED_FIELD(bool, reservedParameterWarningsEnabled, setReservedParameterWarningsEnabled,
                      m_reservedParameterWarningsEnabled)
FIXTORA_GUARDED_FIELD(bool, sessionStatsEnabled, setSessionStatsEnabled, m_sessionStatsEnabled)
FIXTORA_GUARDED_FIELD(bool, showDebugLogs, setShowDebugLogs, m_showDebugLogs)
FIXTORA_GUARDED_FIELD(std::optional<LogHandler>, logHandler, setLogHandler, m_logHandler)
FIXTORA_GUARDED_FIELD(std::vector<std::shared_ptr<SignalEnricher>>, metadataEnrichers,
                      setMetadataEnrichers, m_metadataEnrichers)

#undef FIXTORA_GUARDED_FIELD

AnalyticsConfiguration::DefaultParameters AnalyticsConfiguration::defaultParameters() const {
    std::lock_guard lock(m_mutex);
    if (!m_defaultParameters) return [] { return std::map<std::string, std::string>{}; };
    return m_defaultParameters;
}

void AnalyticsConfiguration::setDefaultParameters(DefaultParameters value) {
    std::lock_guard lock(m_mutex);
    m_defaultParameters = std::move(value);
}

std::string AnalyticsConfiguration::sessionID() const {
    std::lock_guard lock(m_mutex);
    return m_sessionID;
}

void AnalyticsConfiguration::setSessionID(std::string value) {
    {
        std::lock_guard lock(m_mutex);
        m_sessionID = std::move(value);
    }
    if (sessionStatsEnabled()) SessionManager::shared()->startNewSession();
    if (sendNewSessionBeganSignal()) Analytics::internalSignal("Analytics.Session.started");
}

bool AnalyticsConfiguration::testMode() const {
    std::lock_guard lock(m_mutex);
    return m_testMode.value_or(false);
}

void AnalyticsConfiguration::setTestMode(bool value) {
    std::lock_guard lock(m_mutex);
    m_testMode = value;
}

bool AnalyticsConfiguration::swiftUIPreviewMode() const {
    {
        std::lock_guard lock(m_mutex);
        if (m_swiftUIPreviewMode) return *m_swiftUIPreviewMode;
    }
    const char* value = std::getenv("XCODE_RUNNING_FOR_PREVIEWS");
    return value && std::strcmp(value, "1") == 0;
}

void AnalyticsConfiguration::setSwiftUIPreviewMode(bool value) {
    std::lock_guard lock(m_mutex);
    m_swiftUIPreviewMode = value;
}

void AnalyticsConfiguration::log(LogHandler::LogLevel level, const std::string& message) const {
    const auto handler = logHandler();
    if (handler) handler->log(level, message);
}

}  // namespace analytics
