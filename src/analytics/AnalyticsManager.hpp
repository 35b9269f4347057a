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
class Timer;
}

namespace analytics {

class AnalyticsConfiguration;
class SignalManager;

/// One running analytics client: its configuration, its signal manager and
/// the immediate-sync throttle. The process keeps its current manager in
/// `AnalyticsManagerStorage`; the `Analytics` entry points use that one.
class AnalyticsManager final : public std::enable_shared_from_this<AnalyticsManager> {
public:
    /// How a manager treats the disk cache of unsent signals.
    enum class Kind {
        stored,     // loads it at start and writes it at termination
        temporary,  // never touches it (used before `initialize` / after `terminate`)
    };

    /// Builds a manager: the signal manager (which loads the disk cache and
    /// posts a first batch), then, half a second later on the main
    /// scheduler, a fresh session identifier, which starts the first
    /// session. Null members of the configuration's environment come from
    /// `Analytics::defaultEnvironment()`.
    static std::shared_ptr<AnalyticsManager> create(std::shared_ptr<AnalyticsConfiguration> configuration,
                                                    Kind kind = Kind::stored);
private:
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    /// Use `create`.
    AnalyticsManager(Passkey, std::shared_ptr<AnalyticsConfiguration> configuration, Environment environment, Kind kind);
    ~AnalyticsManager();
    AnalyticsManager(const AnalyticsManager&) = delete;
    AnalyticsManager& operator=(const AnalyticsManager&) = delete;

    /// The current manager; when none is stored, a temporary one that is not
    /// kept (signals given to it are dropped with it).
    static std::shared_ptr<AnalyticsManager> shared();
    static bool isInitialized();
    static void initialize(std::shared_ptr<AnalyticsConfiguration> configuration);
    static void terminate();

    /// Forward to `Analytics::signal`.
    static void send(const std::string& signalType, const std::map<std::string, std::string>& parameters = {});
    static void send(const std::string& signalType, const std::optional<std::string>& customUserID,
                     std::optional<double> floatValue, const std::map<std::string, std::string>& parameters = {});
    static void requestImmediateSync();
    static void updateDefaultUser(const std::optional<std::string>& user);
    static void generateNewSession();

    std::shared_ptr<AnalyticsConfiguration> configuration() const;
    fixtora::Instant lastTimeImmediateSyncRequested() const;
    void setLastTimeImmediateSyncRequested(fixtora::Instant instant);
    /// Sets the throttle time to `now` and returns true when more than
    /// `interval` seconds have passed since it was last set; else false.
    bool claimImmediateSync(fixtora::Instant now, double interval);

    const std::shared_ptr<SignalManager>& signalManager() const { return m_signalManager; }
    /// The resolved platform collaborators (no null member).
    const Environment& environment() const { return m_environment; }
    Kind kind() const { return m_kind; }

    /// SHA-256 of the default user identifier with the configuration's salt.
    std::string hashedDefaultUser() const;

private:
    const Kind m_kind;
    const Environment m_environment;
    std::shared_ptr<SignalManager> m_signalManager;
    mutable std::shared_mutex m_queue;
    std::shared_ptr<AnalyticsConfiguration> m_configuration;
    fixtora::Instant m_lastTimeImmediateSyncRequested;
    std::shared_ptr<fixtora::Timer> m_sessionStartTimer;
};

}  // namespace analytics
