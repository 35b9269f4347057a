// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AppNotificationCenter.hpp"
#include "analytics/ClientServices.hpp"
#include "analytics/Environment.hpp"
#include "analytics/LogHandler.hpp"
#include "analytics/SignalManager.hpp"
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
    explicit SchedulingHttpClient(std::shared_ptr<fixtora::Scheduler> s) : m_scheduler(s) {}
    void send(fixtora::HttpRequest request, Completion completion) override {
        m_client.send(std::move(request), [s = m_scheduler, c = std::move(completion)](
                                              fixtora::Result<fixtora::HttpResponse> r) mutable {
            s->post([c = std::move(c), r = std::move(r)]() mutable { c(std::move(r)); });
        });
    }

  private:
    std::shared_ptr<fixtora::Scheduler> m_scheduler;
    fixtora::CurlHttpClient m_client;
};

/// Every collaborator in virtual time on one manual scheduler (main,
/// utility and timer queue alike), real HTTP, preferences in memory and a
/// temporary caches folder.
struct VirtualEnvironment {
    Environment environment() const {
        return {clock, scheduler, scheduler, scheduler, http, preferences, paths};
    }
    /// The cache file of unsent signals under the temporary caches folder.
    std::filesystem::path cacheFile() const {
        return SignalManager::cacheFileIn(paths->cachesDir());
    }

    std::shared_ptr<fixtora::SettableClock> clock =
        std::make_shared<fixtora::SettableClock>(kStart);
    std::shared_ptr<fixtora::ManualScheduler> scheduler =
        std::make_shared<fixtora::ManualScheduler>(clock);
    std::shared_ptr<SchedulingHttpClient> http = std::make_shared<SchedulingHttpClient>(scheduler);
    std::shared_ptr<fixtora::InMemoryPreferencesStore> preferences =
        std::make_shared<fixtora::InMemoryPreferencesStore>();
    fixtora::test::TempDir dir;
    std::shared_ptr<fixtora::FixedPaths> paths = std::make_shared<fixtora::FixedPaths>(dir.path());
};

/// A list filled from any thread; copies share it.
template <class T>
class Recorder {
  public:
    void add(T item) const {
        std::lock_guard lock(m_shared->mutex);
        m_shared->items.push_back(std::move(item));
    }
    std::vector<T> all() const {
        std::lock_guard lock(m_shared->mutex);
        return m_shared->items;
    }
    void clear() const {
        std::lock_guard lock(m_shared->mutex);
        m_shared->items.clear();
    }

  private:
    struct Shared {
        std::mutex mutex;
        std::vector<T> items;
    };
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

/// Collects log messages from any thread.
class RecordingLog : public Recorder<std::pair<LogHandler::LogLevel, std::string>> {
  public:
    std::function<void(LogHandler::LogLevel, const std::string&)> sink() const {
        return [r = *this](LogHandler::LogLevel l, const std::string& m) { r.add({l, m}); };
    }
    LogHandler handler() const { return LogHandler(LogHandler::LogLevel::debug, sink()); }
    std::vector<std::string> messages(LogHandler::LogLevel level) const {
        std::vector<std::string> out;
        for (const auto& [l, m] : all())
            if (l == level) out.push_back(m);
        return out;
    }
    /// Messages at `level` equal to `text`, or starting with it.
    std::size_t count(LogHandler::LogLevel level, const std::string& text,
                      bool prefix = false) const {
        const auto all = messages(level);
        return std::count_if(all.begin(), all.end(), [&](const std::string& m) {
            return prefix ? m.rfind(text, 0) == 0 : m == text;
        });
    }
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
          scheduler(std::make_shared<fixtora::ManualScheduler>(clock)) {}

    ClientServices services() {
        ClientServices s;
        s.clock = clock, s.mainScheduler = scheduler, s.systemInfo = system;
        s.customDefaults = [this]() -> std::shared_ptr<fixtora::Preferences> { return suite; };
        s.internalSignal =
            [r = m_signals](const std::string& type, const ClientServices::Parameters& parameters,
                            std::optional<double> value, const std::optional<std::string>& user) {
                r.add({type, parameters, value, user});
            };
        s.log = m_log.sink(), s.notifications = notifications;
        return s;
    }
    std::vector<RecordedSignal> signals() const { return m_signals.all(); }
    std::vector<RecordedSignal> signalsNamed(const std::string& type) const {
        std::vector<RecordedSignal> out;
        for (auto& s : signals())
            if (s.type == type) out.push_back(s);
        return out;
    }
    std::vector<std::pair<LogHandler::LogLevel, std::string>> logs() const { return m_log.all(); }
    void clear() { m_signals.clear(), m_log.clear(); }

    std::shared_ptr<fixtora::SettableClock> clock;
    std::shared_ptr<fixtora::ManualScheduler> scheduler;
    std::shared_ptr<fixtora::FixedSystemInfo> system = std::make_shared<fixtora::FixedSystemInfo>();
    std::shared_ptr<fixtora::InMemoryPreferences> suite =
        std::make_shared<fixtora::InMemoryPreferences>();
    std::shared_ptr<AppNotificationCenter> notifications =
        std::make_shared<AppNotificationCenter>();

  private:
    Recorder<RecordedSignal> m_signals;
    RecordingLog m_log;
};

}  // namespace analytics::test
