// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

namespace fixtora {
class Clock;
class HttpClient;
class Paths;
class PreferencesStore;
class Scheduler;
class SystemInfo;
}  // namespace fixtora

namespace analytics {

/// The platform collaborators of the analytics client. Any member left null
/// is taken from the process-wide default environment
/// (`Analytics::setDefaultEnvironment`), and failing that from the production
/// adapters: the system clock, one worker thread per queue, libcurl, the XDG
/// folders and preferences held in memory.
struct Environment {
    /// Every "now" of the client.
    std::shared_ptr<const fixtora::Clock> clock;
    /// The main queue: default parameters, the start-up session action,
    /// session timers.
    std::shared_ptr<fixtora::Scheduler> mainScheduler;
    /// Background work: building signals, posting batches, immediate syncs.
    std::shared_ptr<fixtora::Scheduler> utilityScheduler;
    /// The serial queue the 10-second send timer fires on.
    std::shared_ptr<fixtora::Scheduler> timerScheduler;
    /// Every POST to the ingest endpoint.
    std::shared_ptr<fixtora::HttpClient> httpClient;
    /// The client's own preferences suite (`Analytics::customDefaults`).
    std::shared_ptr<fixtora::PreferencesStore> preferencesStore;
    /// The user's caches folder, for the file of unsent signals.
    std::shared_ptr<const fixtora::Paths> paths;
    /// Device, system and user-preference readings of the default parameters.
    /// (Null: taken from the fallback environment.)
    std::shared_ptr<const fixtora::SystemInfo> systemInfo{};

    /// This environment with every null member taken from `fallback`.
    Environment filledFrom(const Environment& fallback) const;
    /// This environment with its missing members filled from the production
    /// adapters, each created once per process when first needed.
    Environment filledFromProduction() const;
    /// The production adapters, created once per process on first use.
    static const Environment& production();
};

/// One worker thread for the client's small serial queues: the send timer
/// and the persistence writes of the session manager and the trial tracker.
/// Each keeps its own order on it (a single FIFO), and none of their tasks
/// waits for another, so they need no thread each.
std::shared_ptr<fixtora::Scheduler> sharedSerialQueue();

}  // namespace analytics
