// SPDX-License-Identifier: MIT
#include "SimulatedDay.hpp"

#include "analytics/Analytics.hpp"
#include "analytics/AnalyticsConfiguration.hpp"
#include "analytics/AnalyticsManager.hpp"
#include "analytics/ClientServices.hpp"
#include "analytics/Environment.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/SignalManager.hpp"
#include "data/APIClient.hpp"
#include "data/ImageCache.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/ImageDecoder.hpp"
#include "platform/Paths.hpp"
#include "platform/Preferences.hpp"
#include "platform/SystemInfo.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchStatus.hpp"
#include "state/MatchesFetcher.hpp"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace fixtora::simday {

namespace {

constexpr double kMaxStep = 1.0;
constexpr double kHour = 3600;
// Loopback answers take milliseconds; this only bounds a hang.
constexpr auto kPatience = std::chrono::seconds(20);
constexpr const char* kScoreboardQuery = "/api/epl/scoreboard?dates=";

// Set on the HTTP client's thread while it hands an answer on.
thread_local bool tAnswering = false;

void wake(const std::weak_ptr<Scheduler>& scheduler) {
    if (auto s = scheduler.lock()) s->post([] {});
}

// Crests are counted, not drawn: anything with the PNG signature is an image.
class SignatureDecoder final : public ImageDecoder {
    class Dot final : public Image {
      public:
        int width() const override { return 1; }
        int height() const override { return 1; }
    };

  public:
    std::shared_ptr<const Image> decode(std::string_view bytes) const override {
        if (bytes.substr(0, 8) != std::string_view("\x89PNG\r\n\x1a\n", 8)) return nullptr;
        return std::make_shared<Dot>();
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// Counting collaborators

void CountingHttpClient::send(HttpRequest request, Completion completion) {
    SentRequest sent;
    sent.at = m_clock->now();
    const auto& url = request.url;
    if (const auto at = url.find(kScoreboardQuery); at != std::string::npos) {
        sent.kind = RequestKind::Scoreboard;
        sent.dates = url.substr(at + std::string_view(kScoreboardQuery).size());
    } else if (url.find("/api/epl/schedule") != std::string::npos) {
        sent.kind = RequestKind::Schedule;
    } else if (url.find("/crests/") != std::string::npos) {
        sent.kind = RequestKind::Crest;
    } else if (request.method == "POST" && url.find("/v2/") != std::string::npos) {
        sent.kind = RequestKind::Ingest;
    }
    {
        std::lock_guard lock(m_mutex);
        m_log.push_back(std::move(sent));
    }
    ++m_sent;
    ++m_inFlight;
    auto answered = std::make_shared<std::promise<void>>();
    auto handedOn = answered->get_future();
    m_client.send(std::move(request), [this, answered, completion = std::move(completion)](
                                          Result<HttpResponse> result) {
        tAnswering = true;
        completion(std::move(result));
        tAnswering = false;
        // Whatever the completion handed to other queues is on its way now.
        --m_inFlight;
        wake(m_wake);
        answered->set_value();
    });
    // No latency in virtual time: the answer is handed on before the sender
    // goes on, so what it posts runs before anything else due at the same
    // instant, whatever the real timing (a cycling tick due with a refresh
    // always sees the refreshed matches). Never from inside an answer, which
    // would wait for itself.
    if (!tAnswering) handedOn.wait_for(kPatience);
}

std::vector<SentRequest> CountingHttpClient::log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

Scheduler::Task CountingQueue::counted(Task task) {
    ++m_posted;
    ++m_pending;
    return [this, task = std::move(task)] {
        task();
        --m_pending;
        wake(m_wake);
    };
}

void CountingQueue::post(Task task) {
    m_worker.post(counted(std::move(task)));
}

std::shared_ptr<Timer> CountingQueue::scheduleOnce(double delaySeconds, Task task) {
    return m_worker.scheduleOnce(delaySeconds, std::move(task));
}

std::shared_ptr<Timer> CountingQueue::scheduleRepeating(double intervalSeconds, Task task) {
    return m_worker.scheduleRepeating(intervalSeconds, std::move(task));
}

std::map<std::string, std::string> SignalTally::enrich(const std::string&,
                                                       const std::optional<std::string>&,
                                                       std::optional<double>) {
    std::lock_guard lock(m_mutex);
    m_times.push_back(m_clock->now());
    return {};
}

std::vector<Instant> SignalTally::times() const {
    std::lock_guard lock(m_mutex);
    return m_times;
}

// ---------------------------------------------------------------------------
// The day

SimulatedDay::Folder::Folder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "fixtora-simday-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path = pattern;
}

SimulatedDay::Folder::~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

SimulatedDay::SimulatedDay(Instant start, Instant seasonPlacedAt)
    : m_clock(std::make_shared<SettableClock>(start - 0.5)),
      m_main(std::make_shared<ManualScheduler>(m_clock)),
      m_tally(std::make_shared<SignalTally>(m_clock)),
      m_preferences(std::make_shared<InMemoryPreferences>()) {
    demo::DemoBackend::Options options;
    options.placeSeasonAt = seasonPlacedAt;
    m_backend = std::make_unique<demo::DemoBackend>(options, m_clock);
    m_backend->start();
    m_http = std::make_shared<CountingHttpClient>(m_clock, m_main);
    m_crestQueue = std::make_shared<CountingQueue>("simday.crests", m_main);
}

SimulatedDay::~SimulatedDay() {
    m_changes = Subscription{};
    m_viewModel.reset();
    analytics::Analytics::terminate();
    analytics::SessionManager::setShared(nullptr);
    analytics::Analytics::setDefaultEnvironment(analytics::Environment{});
    m_sessions.reset();
    // Nothing may still be on its way to the queues about to go.
    m_main->runUntil([this] { return m_http->inFlight() == 0 && m_crestQueue->pending() == 0; },
                     kPatience);
    m_main->runUntilIdle();
}

void SimulatedDay::launch(const std::optional<ESPNTeam>& favourite) {
    const auto paths = std::make_shared<FixedPaths>(m_dir.path);
    m_hourStart = now() + 0.5;

    // The analytics client first, as the application starts it before the
    // menu bar: every queue in virtual time, real HTTP to the ingest endpoint.
    analytics::Environment environment;
    environment.clock = m_clock;
    environment.mainScheduler = m_main;
    environment.utilityScheduler = m_main;
    environment.timerScheduler = m_main;
    environment.httpClient = m_http;
    environment.preferencesStore = std::make_shared<InMemoryPreferencesStore>();
    environment.paths = paths;
    environment.systemInfo = std::make_shared<FixedSystemInfo>();
    analytics::Analytics::setDefaultEnvironment(environment);
    m_sessions = analytics::SessionManager::create(analytics::ClientServices::production(), m_main);
    analytics::SessionManager::setShared(m_sessions);
    m_analytics = std::make_shared<analytics::AnalyticsConfiguration>("SIMDAY-APP", std::nullopt,
                                                                      m_backend->url());
    m_analytics->setEnvironment(environment);
    m_analytics->setLogHandler(
        analytics::LogHandler::standard(analytics::LogHandler::LogLevel::error));
    m_analytics->setMetadataEnrichers({m_tally});
    analytics::Analytics::initialize(m_analytics);
    analytics::Analytics::signal("app.launched");
    m_main->advance(0.5);  // the session starts
    settle();

    if (favourite) {
        m_preferences->setString(FixturesViewModel::kFavouriteIdKey, favourite->id);
        m_preferences->setString(FixturesViewModel::kFavouriteAbbreviationKey,
                                 favourite->abbreviation);
        m_preferences->setString(FixturesViewModel::kFavouriteNameKey, favourite->shortDisplayName);
        if (favourite->logo)
            m_preferences->setString(FixturesViewModel::kFavouriteLogoKey, *favourite->logo);
    }
    m_schedule =
        std::make_shared<MatchWeekSchedule>(m_http, m_backend->url(), paths, m_clock, m_main);
    m_images = std::make_shared<ImageCache>(m_http, paths, std::make_shared<SignatureDecoder>(),
                                            m_main, m_crestQueue);
    auto fetcher =
        MatchesFetcher::fromClient(std::make_shared<APIClient>(m_http, m_backend->url()));
    m_viewModel = FixturesViewModel::create(m_schedule, fetcher, m_images, m_preferences, m_clock,
                                            m_main, {"en_GB", "Europe/London"});
    m_changes = m_viewModel->subscribe([this] { m_eventsChanged = true; });
    settle();

    // The file system's clock is not the virtual one: date the cache file by
    // the moment it was written in the day.
    std::error_code ignored;
    const auto written = std::chrono::sys_time<std::chrono::nanoseconds>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(now())));
    std::filesystem::last_write_time(m_schedule->cacheFile(),
                                     std::chrono::file_clock::from_sys(written), ignored);

    for (const auto& request : m_http->log()) {
        if (request.kind != RequestKind::Scoreboard) continue;
        m_displayedDates = request.dates;  // the displayed matchweek is asked for first
        break;
    }
    if (m_displayedDates.empty()) throw std::runtime_error("the launch asked for no matches");
    openHour();
}

void SimulatedDay::settle() {
    for (;;) {
        m_main->runUntilIdle();
        const bool answered = m_main->runUntil(
            [this] { return m_http->inFlight() == 0 && m_crestQueue->pending() == 0; }, kPatience);
        if (!answered) ++m_stalls;
        if (m_main->runUntilIdle() == 0 && m_http->inFlight() == 0 && m_crestQueue->pending() == 0)
            return;
        if (!answered) return;
    }
}

void SimulatedDay::runTo(Instant t) {
    while (now() < t) {
        const Instant from = now();
        double step = std::min({kMaxStep, t - from, m_hourStart + kHour - from});
        if (const auto next = m_main->nextTimerDelay()) step = std::min(step, std::max(*next, 0.0));
        if (m_eventsChanged) refreshHotKickOffs();
        const bool hurry = hot(from);
        const auto sent = m_http->sent();
        const auto queued = m_crestQueue->posted();
        m_main->advance(step);
        if (m_http->sent() != sent || m_crestQueue->posted() != queued || m_http->inFlight() != 0 ||
            m_crestQueue->pending() != 0)
            settle();
        if (hurry) m_current.hotSeconds += now() - from;
        m_current.maxTimers = std::max(m_current.maxTimers, m_main->timerCount());
        if (now() >= m_hourStart + kHour) {
            closeHour();
            openHour();
        }
    }
}

void SimulatedDay::refreshHotKickOffs() {
    m_eventsChanged = false;
    m_anyLive = false;
    m_openKickOffs.clear();
    for (const auto& event : m_viewModel->events()) {
        if (isLiveEvent(event)) m_anyLive = true;
        if (isFinishedEvent(event)) continue;
        if (const auto kickOff = event.localDate()) m_openKickOffs.push_back(*kickOff);
    }
}

bool SimulatedDay::hot(Instant t) const {
    if (m_anyLive) return true;
    // Kick-off in at most ten minutes, or at most two minutes ago.
    return std::any_of(m_openKickOffs.begin(), m_openKickOffs.end(),
                       [t](Instant kickOff) { return kickOff - t >= -120 && kickOff - t <= 600; });
}

void SimulatedDay::openHour() {
    m_current = HourRecord{};
    m_current.hour = static_cast<int>(m_hours.size());
    m_current.title = m_viewModel->statusBarTitle();
    m_current.queuedAtStart = signalsWaiting();
    m_current.maxTimers = m_main->timerCount();
}

void SimulatedDay::closeHour() {
    // Requests sent right on the next hour's first instant belong to it.
    // The first hour also holds the analytics client's start just before it.
    const Instant begin = m_hours.empty() ? -std::numeric_limits<double>::infinity() : m_hourStart;
    const Instant end = m_hourStart + kHour;
    const auto within = [begin, end](Instant t) { return t >= begin && t < end; };
    for (const auto& request : m_http->log()) {
        if (!within(request.at)) continue;
        switch (request.kind) {
            case RequestKind::Scoreboard:
                ++m_current.scoreboard;
                if (request.dates != m_displayedDates &&
                    std::find(m_knownDates.begin(), m_knownDates.end(), request.dates) ==
                        m_knownDates.end()) {
                    m_knownDates.push_back(request.dates);
                    ++m_current.firstLoads;
                }
                break;
            case RequestKind::Schedule:
                ++m_current.schedule;
                break;
            case RequestKind::Crest:
                ++m_current.crest;
                break;
            case RequestKind::Ingest:
                ++m_current.ingestPosts;
                break;
            case RequestKind::Other:
                break;
        }
    }
    const auto signals = m_tally->times();
    m_current.signalsQueued =
        static_cast<std::size_t>(std::count_if(signals.begin(), signals.end(), within));
    m_current.rssBytes = residentBytes();
    m_hours.push_back(m_current);
    m_hourStart += kHour;
    m_endTitle = m_viewModel->statusBarTitle();
}

std::size_t SimulatedDay::signalsWaiting() const {
    const auto manager = analytics::AnalyticsManager::shared();
    const auto& signals = manager->signalManager();
    return signals->signalCache()->count() + signals->batchesInFlight();
}

bool SimulatedDay::relaunchScheduleFromCache() {
    const auto paths = std::make_shared<FixedPaths>(m_dir.path);
    auto next =
        std::make_shared<MatchWeekSchedule>(m_http, m_backend->url(), paths, m_clock, m_main);
    const auto requests = m_backend->requestCount(demo::Endpoint::Schedule);
    bool answeredAtOnce = false;
    next->load(
        [&answeredAtOnce](Result<std::vector<MatchWeek>> result) { answeredAtOnce = result.ok(); });
    settle();
    return answeredAtOnce && m_backend->requestCount(demo::Endpoint::Schedule) == requests &&
           next->weeks().size() == m_schedule->weeks().size();
}

std::string SimulatedDay::table() const {
    std::ostringstream out;
    char line[160];
    std::snprintf(line, sizeof line, "%4s | %10s | %8s | %5s | %12s | %7s | %4s | %s\n", "hour",
                  "scoreboard", "schedule", "crest", "ingest POSTs", "signals", "hot",
                  "title at the hour");
    out << line;
    for (const auto& h : m_hours) {
        std::snprintf(line, sizeof line, "%4d | %10zu | %8zu | %5zu | %12zu | %7zu | %3.0f%% | ",
                      h.hour, h.scoreboard, h.schedule, h.crest, h.ingestPosts, h.signalsQueued,
                      100 * h.hotSeconds / kHour);
        out << line << h.title << "\n";
    }
    std::snprintf(line, sizeof line, "%4zu | %10s | %8s | %5s | %12s | %7s | %4s | ",
                  m_hours.size(), "", "", "", "", "", "");
    out << line << m_endTitle << "\n";
    if (m_hours.size() >= 2) {
        std::size_t timers = 0;
        for (const auto& h : m_hours) timers = std::max(timers, h.maxTimers);
        std::snprintf(
            line, sizeof line,
            "resident memory %.1f MiB at 02:00, %.1f MiB at the end; at most %zu timers\n",
            static_cast<double>(m_hours[1].rssBytes) / (1024 * 1024),
            static_cast<double>(m_hours.back().rssBytes) / (1024 * 1024), timers);
        out << line;
    }
    return out.str();
}

std::size_t SimulatedDay::residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0;
    std::size_t resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace fixtora::simday
