// SPDX-License-Identifier: MIT
#include "EspnSource.hpp"

#include "Days.hpp"
#include "ScoreboardEncoder.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <unordered_set>

namespace fixtora::server {

namespace {

constexpr double kLiveFreshness = 15;
constexpr double kQuietFreshness = 300;
constexpr double kSeasonFreshness = 6 * 3600;
constexpr double kStaleLimit = 24 * 3600;
constexpr double kSoon = 600;  // a kick-off this close counts as live
// A match still "scheduled" this long after its kick-off is most likely
// running already and upstream has not said so yet.
constexpr double kOverdue = 3 * 3600;
constexpr double kBackoffStart = 1;
constexpr double kBackoffCap = 60;
constexpr std::int64_t kChunkDays = 31;
constexpr std::int64_t kLongestSeasonDays = 450;
const std::string kSeasonKey = "schedule";

using SteadyClock = std::chrono::steady_clock;

}  // namespace

struct EspnSource::SeasonJob {
    std::mutex mutex;
    std::size_t remaining = 0;
    std::string error;  // the first chunk's failure
    std::vector<std::vector<ESPNEvent>> parts;
};

EspnSource::EspnSource(Options options, std::shared_ptr<HttpClient> http,
                       std::shared_ptr<const Clock> clock, std::shared_ptr<Metrics> metrics)
    : m_options(std::move(options)),
      m_http(std::move(http)),
      m_clock(std::move(clock)),
      m_metrics(metrics ? std::move(metrics) : std::make_shared<Metrics>()) {
    while (!m_options.upstream.empty() && m_options.upstream.back() == '/')
        m_options.upstream.pop_back();
}

DataAnswer EspnSource::scoreboard(std::string_view dates) {
    const auto parsed = parseDayRange(dates);
    if (const auto* problem = std::get_if<std::string>(&parsed))
        return DataAnswer{400, nullptr, *problem};
    const std::string range = std::get<DayRange>(parsed).text();
    const std::string key = "scoreboard:" + range;
    return answer(key, [this, key, range] { launchScoreboard(key, range); });
}

DataAnswer EspnSource::schedule() {
    return answer(kSeasonKey, [this] { launchSeason(); });
}

bool EspnSource::healthy() const {
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(kSeasonKey);
    return it != m_entries.end() && it->second.good &&
           m_clock->now() - it->second.fetchedAt <= kStaleLimit;
}

void EspnSource::prefetchSeason() {
    {
        std::lock_guard lock(m_mutex);
        Entry& e = entry(kSeasonKey);
        if (e.inFlight) return;
        e.inFlight = true;
    }
    launchSeason();
}

DataAnswer EspnSource::answer(const std::string& key, const std::function<void()>& launch) {
    std::unique_lock lock(m_mutex);
    Instant now = m_clock->now();
    {
        Entry& e = entry(key);
        if (e.good && now - e.fetchedAt < e.freshFor) {
            m_metrics->countCache(Metrics::CacheOutcome::Hit);
            return DataAnswer{200, e.good, {}, e.freshFor - (now - e.fetchedAt)};
        }
        if (!e.inFlight && now >= e.retryAt) {
            e.inFlight = true;
            // Sending may complete at once (e.g. while the client stops),
            // and completions take the lock.
            lock.unlock();
            launch();
            lock.lock();
        }
    }
    // The one upstream request for this key is running (or backing off):
    // wait for it, but never longer than upstream may take.
    const auto deadline =
        SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(
                                 std::chrono::duration<double>(m_options.timeoutSeconds + 1));
    m_cv.wait_until(lock, deadline, [&] {
        const auto it = m_entries.find(key);
        return it == m_entries.end() || !it->second.inFlight;
    });
    now = m_clock->now();
    std::string why = "upstream has not answered yet";
    if (const auto it = m_entries.find(key); it != m_entries.end()) {
        const Entry& e = it->second;
        if (e.good && now - e.fetchedAt < e.freshFor) {
            m_metrics->countCache(Metrics::CacheOutcome::Miss);
            return DataAnswer{200, e.good, {}, e.freshFor - (now - e.fetchedAt)};
        }
        if (e.good && now - e.fetchedAt <= kStaleLimit) {
            m_metrics->countCache(Metrics::CacheOutcome::Stale);
            // Downstream caches may keep it until the next attempt upstream.
            const double retryIn = std::max(1.0, std::ceil(e.retryAt - now));
            return DataAnswer{200, e.good, {}, retryIn, true, now - e.fetchedAt};
        }
        if (!e.lastError.empty()) why = e.lastError;
    }
    m_metrics->countCache(Metrics::CacheOutcome::Miss);
    return DataAnswer{502, nullptr, "no answer from upstream: " + why};
}

EspnSource::Entry& EspnSource::entry(const std::string& key) {
    if (const auto it = m_entries.find(key); it != m_entries.end()) {
        m_lru.splice(m_lru.begin(), m_lru, it->second.lru);
        return it->second;
    }
    m_lru.push_front(key);
    Entry& e = m_entries[key];
    e.lru = m_lru.begin();
    // Oldest first; answers being fetched and the season stay.
    for (auto it = std::prev(m_lru.end()); m_entries.size() > m_options.maxEntries;) {
        const bool last = it == m_lru.begin();
        const auto victim = m_entries.find(*it);
        auto next = last ? it : std::prev(it);
        if (*it != key && *it != kSeasonKey && !victim->second.inFlight) {
            m_entries.erase(victim);
            m_lru.erase(it);
        }
        if (last) break;
        it = next;
    }
    return e;
}

void EspnSource::launchScoreboard(const std::string& key, const std::string& dates) {
    upstream(m_options.upstream + "/scoreboard?dates=" + dates + "&limit=1000",
             [weak = weak_from_this(), key](Result<std::string> body) {
                 const auto self = weak.lock();
                 if (!self) return;
                 if (!body) return self->fail(key, body.error().description);
                 auto decoded = decodeScoreboard(body.value());
                 if (!decoded) {
                     self->m_metrics->countUpstreamFailure();
                     return self->fail(
                         key, "upstream's answer does not decode: " + decoded.error().description);
                 }
                 const auto& events = decoded.value().events;
                 static const std::vector<ESPNEvent> kNone;
                 const auto& list = events ? *events : kNone;
                 const double freshFor = self->freshness(list, self->m_clock->now());
                 self->succeed(key, Payload::make(encodeScoreboard(list)), freshFor);
             });
}

void EspnSource::launchSeason() {
    upstream(m_options.upstream + "/scoreboard",
             [weak = weak_from_this()](Result<std::string> body) {
                 const auto self = weak.lock();
                 if (!self) return;
                 if (!body) return self->fail(kSeasonKey, body.error().description);
                 self->fetchChunks(body.value());
             });
}

void EspnSource::fetchChunks(const std::string& body) {
    const auto doc = nlohmann::json::parse(body, nullptr, false);
    const auto text = [&](const char* key) -> std::string {
        const auto ptr = nlohmann::json::json_pointer(std::string("/leagues/0/season/") + key);
        if (doc.is_discarded() || !doc.contains(ptr) || !doc.at(ptr).is_string()) return {};
        return doc.at(ptr).get<std::string>();
    };
    const std::int64_t first = dayOfIsoDate(text("startDate"));
    const std::int64_t last = dayOfIsoDate(text("endDate"));
    if (first < 0 || last < first || last - first > kLongestSeasonDays) {
        m_metrics->countUpstreamFailure();
        return fail(kSeasonKey, "upstream's default answer names no season start and end");
    }
    auto job = std::make_shared<SeasonJob>();
    std::vector<DayRange> chunks;
    for (std::int64_t d = first; d <= last; d += kChunkDays)
        chunks.push_back({d, std::min(d + kChunkDays - 1, last)});
    job->remaining = chunks.size();
    job->parts.resize(chunks.size());
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        upstream(m_options.upstream + "/scoreboard?dates=" + chunks[i].text() + "&limit=1000",
                 [weak = weak_from_this(), job, i](Result<std::string> chunk) {
                     const auto self = weak.lock();
                     if (!self) return;
                     std::string error;
                     std::vector<ESPNEvent> events;
                     if (!chunk) {
                         error = chunk.error().description;
                     } else if (auto decoded = decodeScoreboard(chunk.value()); !decoded) {
                         self->m_metrics->countUpstreamFailure();
                         error =
                             "upstream's answer does not decode: " + decoded.error().description;
                     } else if (decoded.value().events) {
                         events = std::move(*decoded.value().events);
                     }
                     bool lastOne = false;
                     {
                         std::lock_guard lock(job->mutex);
                         if (!error.empty() && job->error.empty()) job->error = error;
                         job->parts[i] = std::move(events);
                         lastOne = --job->remaining == 0;
                     }
                     if (lastOne) self->finishSeason(*job);
                 });
    }
}

void EspnSource::finishSeason(SeasonJob& job) {
    // Every chunk or nothing: half a season would give the app a wrong
    // matchweek table, while the last good one is still right.
    if (!job.error.empty()) return fail(kSeasonKey, "a part of the season failed: " + job.error);
    std::vector<ESPNEvent> season;
    std::unordered_set<std::string> seen;
    for (auto& part : job.parts)
        for (auto& e : part)
            if (seen.insert(e.id).second) season.push_back(std::move(e));
    if (season.empty()) return fail(kSeasonKey, "upstream's season has no matches");
    // By kick-off; events without a readable kick-off go last, in upstream order.
    std::vector<std::pair<std::optional<Instant>, std::size_t>> order;
    for (std::size_t i = 0; i < season.size(); ++i) order.emplace_back(season[i].localDate(), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        if (a.first && b.first) return *a.first < *b.first;
        return a.first.has_value() && !b.first.has_value();
    });
    std::vector<ESPNEvent> sorted;
    sorted.reserve(season.size());
    for (const auto& [when, i] : order) sorted.push_back(std::move(season[i]));
    succeed(kSeasonKey, Payload::make(encodeScoreboard(sorted)), kSeasonFreshness);
}

void EspnSource::succeed(const std::string& key, std::shared_ptr<const Payload> payload,
                         double freshFor) {
    {
        std::lock_guard lock(m_mutex);
        Entry& e = entry(key);
        e.inFlight = false;
        e.good = std::move(payload);
        e.fetchedAt = m_clock->now();
        e.freshFor = freshFor;
        e.failures = 0;
        e.retryAt = 0;
        e.lastError.clear();
    }
    m_cv.notify_all();
}

void EspnSource::fail(const std::string& key, const std::string& why) {
    {
        std::lock_guard lock(m_mutex);
        Entry& e = entry(key);
        e.inFlight = false;
        ++e.failures;
        const double backoff =
            std::min(kBackoffCap, kBackoffStart * std::ldexp(1.0, std::min(e.failures - 1, 16)));
        e.retryAt = m_clock->now() + backoff;
        e.lastError = why;
    }
    m_cv.notify_all();
}

void EspnSource::upstream(const std::string& url, std::function<void(Result<std::string>)> done) {
    auto job = [weak = weak_from_this(), url, done = std::move(done)] {
        const auto self = weak.lock();
        if (!self) return;
        HttpRequest request;
        request.url = url;
        request.headers = {{"Accept", "application/json"}};
        request.timeoutSeconds = self->m_options.timeoutSeconds;
        const auto started = SteadyClock::now();
        self->m_http->send(
            std::move(request), [weak, done, started](Result<HttpResponse> response) {
                const auto owner = weak.lock();
                if (!owner) return;
                const double seconds =
                    std::chrono::duration<double>(SteadyClock::now() - started).count();
                const bool ok = response && response.value().status == 200;
                owner->m_metrics->countUpstream(!ok, seconds);
                // The slot is free before the answer is digested, so that the
                // next request goes out while this one is decoded.
                owner->releaseSlot();
                if (!response) return done(response.error());
                if (response.value().status != 200)
                    return done(
                        Error{"Upstream", response.value().status,
                              "upstream answered HTTP " + std::to_string(response.value().status)});
                done(std::move(response.value().body));
            });
    };
    {
        std::lock_guard lock(m_mutex);
        if (m_running >= m_options.maxConcurrent) {
            m_waiting.push_back(std::move(job));
            return;
        }
        ++m_running;
    }
    job();
}

void EspnSource::releaseSlot() {
    std::function<void()> next;
    {
        std::lock_guard lock(m_mutex);
        if (m_waiting.empty()) {
            --m_running;
            return;
        }
        next = std::move(m_waiting.front());
        m_waiting.pop_front();
    }
    next();
}

double EspnSource::freshness(const std::vector<ESPNEvent>& events, Instant now) const {
    double fresh = kQuietFreshness;
    for (const auto& e : events) {
        if (e.competitions.empty()) continue;
        const auto& type = e.competitions.front().status.type;
        if (type.isLive()) return kLiveFreshness;
        if (type.completed || type.name == "STATUS_POSTPONED" || type.name == "STATUS_CANCELLED")
            continue;
        const auto kickOff = e.localDate();
        if (!kickOff || *kickOff < now - kOverdue) continue;
        if (*kickOff - now <= kSoon) return kLiveFreshness;
        // Expire in time to be fresh for the kick-off.
        fresh = std::min(fresh, *kickOff - kSoon - now);
    }
    return std::max(fresh, kLiveFreshness);
}

}  // namespace fixtora::server
