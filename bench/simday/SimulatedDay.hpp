// SPDX-License-Identifier: MIT
#pragma once

#include "DemoBackend.hpp"
#include "analytics/SignalEnricher.hpp"
#include "data/ESPNModels.hpp"
#include "platform/Clock.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/HttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Subscription.hpp"
#include "platform/WorkerScheduler.hpp"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace analytics {
class AnalyticsConfiguration;
class SessionManager;
}  // namespace analytics

namespace fixtora {
class FixturesViewModel;
class ImageCache;
class InMemoryPreferences;
class MatchWeekSchedule;
}  // namespace fixtora

namespace fixtora::simday {

/// What the application asked the network for.
enum class RequestKind { Scoreboard, Schedule, Crest, Ingest, Other };

struct SentRequest {
    Instant at = 0;  // virtual time when it was sent
    RequestKind kind = RequestKind::Other;
    std::string dates;  // the "dates" of a scoreboard request
};

/// Real HTTP that logs every request with the virtual time it was sent at,
/// counts the requests in flight and, after each answer has been handed on,
/// wakes the main scheduler so that `runUntil` sees the count drop at once.
/// `send` returns once the answer has been handed on: requests take no
/// virtual time.
class CountingHttpClient final : public HttpClient {
  public:
    CountingHttpClient(std::shared_ptr<const Clock> clock, std::shared_ptr<Scheduler> wake)
        : m_clock(std::move(clock)), m_wake(std::move(wake)) {}
    void send(HttpRequest request, Completion completion) override;

    std::size_t sent() const { return m_sent.load(); }
    std::size_t inFlight() const { return m_inFlight.load(); }
    std::vector<SentRequest> log() const;

  private:
    std::shared_ptr<const Clock> m_clock;
    std::weak_ptr<Scheduler> m_wake;
    std::atomic<std::size_t> m_sent{0};
    std::atomic<std::size_t> m_inFlight{0};
    mutable std::mutex m_mutex;
    std::vector<SentRequest> m_log;
    CurlHttpClient m_client;  // last: stopped before the counters its completions touch
};

/// A serial worker queue that counts the tasks not yet run and wakes the main
/// scheduler after each one.
class CountingQueue final : public Scheduler {
  public:
    CountingQueue(std::string name, std::shared_ptr<Scheduler> wake)
        : m_wake(std::move(wake)), m_worker(std::move(name)) {}
    void post(Task task) override;
    std::shared_ptr<Timer> scheduleOnce(double delaySeconds, Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double intervalSeconds, Task task) override;
    bool isCurrent() const override { return m_worker.isCurrent(); }

    std::size_t posted() const { return m_posted.load(); }
    std::size_t pending() const { return m_pending.load(); }

  private:
    Task counted(Task task);

    std::weak_ptr<Scheduler> m_wake;
    std::atomic<std::size_t> m_posted{0};
    std::atomic<std::size_t> m_pending{0};
    WorkerScheduler m_worker;  // last: stopped before the counters its tasks touch
};

/// Sees every signal the analytics client builds (enrichers run once per
/// signal) and notes when, so that what was queued can be compared with what
/// reached the ingest endpoint.
class SignalTally final : public analytics::SignalEnricher {
  public:
    explicit SignalTally(std::shared_ptr<const Clock> clock) : m_clock(std::move(clock)) {}
    std::map<std::string, std::string> enrich(const std::string& signalType,
                                              const std::optional<std::string>& customUserID,
                                              std::optional<double> floatValue) override;
    std::vector<Instant> times() const;

  private:
    std::shared_ptr<const Clock> m_clock;
    mutable std::mutex m_mutex;
    std::vector<Instant> m_times;
};

/// What happened in one hour of the day, from its first instant up to (not
/// including) the next hour's.
struct HourRecord {
    int hour = 0;
    std::size_t scoreboard = 0;  // scoreboard requests sent
    std::size_t firstLoads =
        0;  // of which for a matchweek other than the displayed one, never asked before
    std::size_t schedule = 0;
    std::size_t crest = 0;
    std::size_t ingestPosts = 0;    // POSTs to the ingest endpoint
    std::size_t signalsQueued = 0;  // signals the client built in this hour
    std::size_t queuedAtStart = 0;  // signals waiting in the client's queue when the hour began
    double hotSeconds = 0;      // time during which a displayed match was live or about to start
    std::size_t maxTimers = 0;  // most live timers on the main scheduler
    std::string title;          // the status title when the hour began
    std::size_t rssBytes = 0;   // resident set size when the hour ended
};

/// A day of the application's core in virtual time: the real view model,
/// matchweek schedule, backend client, crest cache and analytics client, all
/// on one `ManualScheduler` (the crest queue on a worker thread, as in the
/// application), talking real HTTP to the demo backend whose season stays
/// where it was placed while its matches follow the clock.
class SimulatedDay {
  public:
    /// The clock starts half a second before `start`, when the analytics
    /// client is started; the view model starts at `start`.
    SimulatedDay(Instant start, Instant seasonPlacedAt);
    ~SimulatedDay();
    SimulatedDay(const SimulatedDay&) = delete;
    SimulatedDay& operator=(const SimulatedDay&) = delete;

    /// Starts the analytics client (which sends "app.launched"), then, half a
    /// second later, the view model with `favourite` stored in the
    /// preferences, and waits until the launch's requests are answered.
    void launch(const std::optional<ESPNTeam>& favourite);

    /// Moves virtual time forward to `t` in steps of at most a second (or to
    /// the next timer, when sooner), waiting for the real answers to every
    /// request a step makes, and closing an hour record at each full hour.
    void runTo(Instant t);

    Instant now() const { return m_clock->now(); }
    demo::DemoBackend& backend() { return *m_backend; }
    FixturesViewModel& viewModel() { return *m_viewModel; }
    const MatchWeekSchedule& schedule() const { return *m_schedule; }
    const ImageCache& images() const { return *m_images; }
    ManualScheduler& mainScheduler() { return *m_main; }
    const analytics::SessionManager& sessions() const { return *m_sessions; }
    const std::vector<HourRecord>& hours() const { return m_hours; }
    /// The "dates" of the displayed matchweek's scoreboard requests.
    const std::string& displayedDates() const { return m_displayedDates; }
    /// Times a settle had to give up waiting for an answer.
    std::size_t stalls() const { return m_stalls; }

    /// Signals in the analytics client's queue and batches in flight.
    std::size_t signalsWaiting() const;
    /// Every signal built so far.
    std::size_t signalsBuilt() const { return m_tally->times().size(); }
    /// Every request sent so far.
    std::vector<SentRequest> requests() const { return m_http->log(); }

    /// Starts a second matchweek schedule on the same folders, as the next
    /// launch of the application would, and returns whether it answered from
    /// its cache file without a request.
    bool relaunchScheduleFromCache();

    /// The hour records as a text table, one line per hour and a last line
    /// with the title at the end.
    std::string table() const;

    /// Resident set size of the process, from /proc/self/statm.
    static std::size_t residentBytes();

  private:
    void settle();
    void openHour();
    void closeHour();
    void refreshHotKickOffs();
    bool hot(Instant t) const;

    /// A fresh folder for the caches, removed with the day.
    struct Folder {
        Folder();
        ~Folder();
        std::filesystem::path path;
    } m_dir;
    std::shared_ptr<SettableClock> m_clock;
    std::shared_ptr<ManualScheduler> m_main;
    std::unique_ptr<demo::DemoBackend> m_backend;
    std::shared_ptr<CountingHttpClient> m_http;
    std::shared_ptr<CountingQueue> m_crestQueue;
    std::shared_ptr<SignalTally> m_tally;
    std::shared_ptr<analytics::SessionManager> m_sessions;
    std::shared_ptr<analytics::AnalyticsConfiguration> m_analytics;
    std::shared_ptr<InMemoryPreferences> m_preferences;
    std::shared_ptr<MatchWeekSchedule> m_schedule;
    std::shared_ptr<ImageCache> m_images;
    std::shared_ptr<FixturesViewModel> m_viewModel;
    Subscription m_changes;

    // What makes the refresh hurry: kick-offs of the displayed matches not
    // yet finished, and whether one is live; recomputed after each change.
    bool m_eventsChanged = true;
    bool m_anyLive = false;
    std::vector<Instant> m_openKickOffs;

    std::vector<HourRecord> m_hours;
    HourRecord m_current;
    Instant m_hourStart = 0;
    std::vector<std::string> m_knownDates;
    std::string m_displayedDates;
    std::string m_endTitle;
    std::size_t m_stalls = 0;
};

}  // namespace fixtora::simday
