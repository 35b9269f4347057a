// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/Environment.hpp"
#include "analytics/LogHandler.hpp"
#include "platform/Clock.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "support/TempDir.hpp"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace analytics::test {

/// 2026-06-01T12:00:00Z.
inline constexpr fixtora::Instant kStart = 1780315200.0;

/// Real HTTP whose completions are handed to a scheduler, so that tests in
/// virtual time can wait for them with `ManualScheduler::runUntil`.
class SchedulingHttpClient final : public fixtora::HttpClient {
public:
    explicit SchedulingHttpClient(std::shared_ptr<fixtora::Scheduler> scheduler)
        : m_scheduler(std::move(scheduler)) {}
    void send(fixtora::HttpRequest request, Completion completion) override;

private:
    std::shared_ptr<fixtora::Scheduler> m_scheduler;
    fixtora::CurlHttpClient m_client;
};

/// Every collaborator in virtual time on one manual scheduler (main,
/// utility and timer queue alike), real HTTP, preferences in memory and a
/// temporary caches folder.
struct VirtualEnvironment {
    VirtualEnvironment();
    analytics::Environment environment() const;
    /// The cache file of unsent signals under the temporary caches folder.
    std::filesystem::path cacheFile() const;

    std::shared_ptr<fixtora::SettableClock> clock;
    std::shared_ptr<fixtora::ManualScheduler> scheduler;
    std::shared_ptr<SchedulingHttpClient> http;
    std::shared_ptr<fixtora::InMemoryPreferencesStore> preferences;
    fixtora::test::TempDir dir;
    std::shared_ptr<fixtora::FixedPaths> paths;
};

/// Collects log messages from any thread.
class RecordingLog {
public:
    LogHandler handler(LogHandler::LogLevel level = LogHandler::LogLevel::debug);
    std::vector<std::string> messages(LogHandler::LogLevel level) const;
    /// Messages at `level` equal to `text` / starting with `prefix`.
    std::size_t count(LogHandler::LogLevel level, const std::string& text) const;
    std::size_t countStartingWith(LogHandler::LogLevel level, const std::string& prefix) const;
    void clear();

private:
    struct Shared {
        std::mutex mutex;
        std::vector<std::pair<LogHandler::LogLevel, std::string>> entries;
    };
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

}  // namespace analytics::test
