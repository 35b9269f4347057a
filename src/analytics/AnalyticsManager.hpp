// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/Environment.hpp"
#include "platform/Clock.hpp"

#include <map>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>

namespace fixtora {
class Preferences;
class Timer;
}  // namespace fixtora

namespace analytics {

class AnalyticsConfiguration;
class SignalManager;

/// One running analytics client: its configuration, its signal manager, its
/// preferences suite and the immediate-sync throttle. Every operation works
/// on this instance; the static forms work on the current manager, which
/// the process keeps in `AnalyticsManagerStorage`.
class AnalyticsManager final : public std::enable_shared_from_this<AnalyticsManager> {
  public:
    using Parameters = std::map<std::string, std::string>;

    /// How a manager treats the disk cache of unsent signals and the suite.
    enum class Kind {
        stored,     // loads the cache at start, writes it at termination, keeps a suite
        temporary,  // touches neither (used before `initialize` / after `terminate`)
    };

    /// Builds a manager: the signal manager (which loads the disk cache and
    /// posts a first batch), then, half a second later on the main
    /// scheduler, a fresh session identifier, which starts the first
    /// session. Null members of the configuration's environment come from
    /// `Analytics::defaultEnvironment()`.
    static std::shared_ptr<AnalyticsManager> create(
        std::shared_ptr<AnalyticsConfiguration> configuration, Kind kind = Kind::stored);

  private:
    struct Passkey {
        explicit Passkey() = default;
    };

  public:
    /// Use `create`.
    AnalyticsManager(Passkey, std::shared_ptr<AnalyticsConfiguration> configuration,
                     Environment environment, Kind kind);
    ~AnalyticsManager();
    AnalyticsManager(const AnalyticsManager&) = delete;
    AnalyticsManager& operator=(const AnalyticsManager&) = delete;

    /// The current manager; when none is stored, a temporary one that is not
    /// kept (signals given to it are dropped with it).
    static std::shared_ptr<AnalyticsManager> shared();
    static bool isInitialized();
    static void initialize(std::shared_ptr<AnalyticsConfiguration> configuration);
    static void terminate();

    // The same operations on the current manager.
    static void send(const std::string& signalType, const Parameters& parameters = {}) {
        shared()->signal(signalType, parameters);
    }
    static void send(const std::string& signalType, const std::optional<std::string>& customUserID,
                     std::optional<double> floatValue, const Parameters& parameters = {}) {
        shared()->signal(signalType, parameters, floatValue, customUserID);
    }
    static void requestImmediateSync() { shared()->requestSync(); }
    static void updateDefaultUser(const std::optional<std::string>& user) {
        shared()->setDefaultUser(user);
    }
    static void generateNewSession() { shared()->renewSession(); }

    /// Sends a signal: the configured signal-name prefix is added to
    /// `signalType` and the parameter-key prefix to every key not starting
    /// with "Analytics."; reserved names and keys are warned about (and
    /// still sent).
    void signal(const std::string& signalType, const Parameters& parameters = {},
                std::optional<double> floatValue = std::nullopt,
                const std::optional<std::string>& customUserID = std::nullopt);
    /// For the client's own signals: no prefixes, no warnings for the given
    /// parameters. Adds the configuration's default parameters.
    void internalSignal(const std::string& signalType, const Parameters& parameters = {},
                        std::optional<double> floatValue = std::nullopt,
                        const std::optional<std::string>& customUserID = std::nullopt);
    /// Asks for an early send, at most once every 10 seconds.
    void requestSync();
    void setDefaultUser(const std::optional<std::string>& user);
    /// Gives the configuration a fresh session identifier.
    void renewSession();
    /// Off: nothing more is recorded or sent and the unsent signals go; on:
    /// signals are recorded and sent again from now on.
    void setSharingEnabled(bool enabled);
    /// Writes the unsent signals to disk before it returns.
    void appWillTerminate();

    /// The client's own suite "com.fixtora.analytics." + the last 12 hex
    /// digits of the SHA-256 of the application identifier; null for a
    /// temporary manager.
    const std::shared_ptr<fixtora::Preferences>& customDefaults() const { return m_customDefaults; }

    std::shared_ptr<AnalyticsConfiguration> configuration() const;
    fixtora::Instant lastTimeImmediateSyncRequested() const;
    void setLastTimeImmediateSyncRequested(fixtora::Instant instant);

    const std::shared_ptr<SignalManager>& signalManager() const { return m_signalManager; }
    /// The resolved platform collaborators (no null member).
    const Environment& environment() const { return m_environment; }
    Kind kind() const { return m_kind; }

    /// SHA-256 of the default user identifier with the configuration's salt.
    std::string hashedDefaultUser() const;

  private:
    // Sets the throttle time to `now` and returns true when more than
    // `interval` seconds have passed since it was last set; else false.
    bool claimImmediateSync(fixtora::Instant now, double interval);

    const Kind m_kind;
    const Environment m_environment;
    std::shared_ptr<fixtora::Preferences> m_customDefaults;
    std::shared_ptr<SignalManager> m_signalManager;
    mutable std::shared_mutex m_queue;
    std::shared_ptr<AnalyticsConfiguration> m_configuration;
    fixtora::Instant m_lastTimeImmediateSyncRequested;
    std::shared_ptr<fixtora::Timer> m_sessionStartTimer;
};

}  // namespace analytics
