// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "analytics/ClientServices.hpp"
#include "analytics/Environment.hpp"
#include "analytics/LogHandler.hpp"
#include "platform/Clock.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/SystemInfo.hpp"
#include "support/TempDir.hpp"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace analytics::test {

/// "k=v k2=v2" (or split on another separator) as a map, for short tables of parameters.
inline std::map<std::string, std::string> kv(const std::string& text, char separator = ' ') {
    std::map<std::string, std::string> out;
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = std::min(text.find(separator, at), text.size());
        const auto eq = text.find('=', at);
        out[text.substr(at, eq - at)] = text.substr(eq + 1, end - eq - 1);
    }
    return out;
}

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
    using Entry = std::pair<LogHandler::LogLevel, std::string>;
    LogHandler handler(LogHandler::LogLevel level = LogHandler::LogLevel::debug) const {
        return LogHandler(level, sink());
    }
    /// A log function that records every message.
    std::function<void(LogHandler::LogLevel, const std::string&)> sink() const;
    std::vector<Entry> entries() const;
    std::vector<std::string> messages(LogHandler::LogLevel level) const;
    /// Messages at `level` equal to `text` / starting with `prefix`.
    std::size_t count(LogHandler::LogLevel level, const std::string& text,
                      bool prefix = false) const;
    std::size_t countStartingWith(LogHandler::LogLevel level, const std::string& prefix) const {
        return count(level, prefix, true);
    }
    void clear();

  private:
    struct Shared {
        std::mutex mutex;
        std::vector<Entry> entries;
    };
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

struct RecordedSignal {
    std::string type;
    std::map<std::string, std::string> parameters;
    std::optional<double> floatValue;
    std::optional<std::string> customUserID;
};

/// Client services in virtual time: a settable clock, one manual scheduler,
/// a fixed system, an in-memory suite, and a sender and log that record
/// what they are given.
class RecordingServices {
  public:
    explicit RecordingServices(fixtora::Instant start = kStart)
        : clock(std::make_shared<fixtora::SettableClock>(start)),
          scheduler(std::make_shared<fixtora::ManualScheduler>(clock)),
          system(std::make_shared<fixtora::FixedSystemInfo>()),
          suite(std::make_shared<fixtora::InMemoryPreferences>()),
          notifications(std::make_shared<AppNotificationCenter>()) {}

    ClientServices services() {
        ClientServices s;
        s.clock = clock;
        s.mainScheduler = scheduler;
        s.systemInfo = system;
        s.customDefaults = [this]() -> std::shared_ptr<fixtora::Preferences> {
            return hasSuite ? suite : nullptr;
        };
        s.internalSignal = [shared = m_shared](const std::string& type,
                                               const ClientServices::Parameters& parameters,
                                               std::optional<double> floatValue,
                                               const std::optional<std::string>& customUserID) {
            std::lock_guard lock(shared->mutex);
            shared->signals.push_back({type, parameters, floatValue, customUserID});
        };
        s.log = m_log.sink();
        s.notifications = notifications;
        return s;
    }

    std::vector<RecordedSignal> signals() const {
        std::lock_guard lock(m_shared->mutex);
        return m_shared->signals;
    }
    std::vector<RecordedSignal> signalsNamed(const std::string& type) const {
        std::vector<RecordedSignal> out;
        for (auto& s : signals())
            if (s.type == type) out.push_back(s);
        return out;
    }
    std::vector<RecordingLog::Entry> logs() const { return m_log.entries(); }
    void clear() {
        std::lock_guard lock(m_shared->mutex);
        m_shared->signals.clear();
        m_log.clear();
    }

    std::shared_ptr<fixtora::SettableClock> clock;
    std::shared_ptr<fixtora::ManualScheduler> scheduler;
    std::shared_ptr<fixtora::FixedSystemInfo> system;
    std::shared_ptr<fixtora::InMemoryPreferences> suite;
    std::shared_ptr<AppNotificationCenter> notifications;
    bool hasSuite = true;

  private:
    struct Shared {
        std::mutex mutex;
        std::vector<RecordedSignal> signals;
    };
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    RecordingLog m_log;
};

}  // namespace analytics::test
