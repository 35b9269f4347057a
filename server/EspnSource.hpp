// SPDX-License-Identifier: MIT
#pragma once

#include "MatchSource.hpp"
#include "Metrics.hpp"
#include "data/ESPNModels.hpp"
#include "platform/Clock.hpp"
#include "platform/HttpClient.hpp"
#include "platform/Result.hpp"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace fixtora::server {

/// The real league from ESPN's public site API. Every answer is decoded with
/// the app's own records and re-encoded with only the keys the app reads,
/// then cached in memory per normalised request: fresh for 15 s while a match
/// is live or about to start, 5 minutes otherwise, 6 hours for the season.
/// Concurrent requests for one answer share one upstream request; when
/// upstream fails the last good answer is served, marked stale, for up to a
/// day. At most `maxConcurrent` upstream requests run at once, and a failed
/// answer is not asked for again before its back-off (1 s doubling to 60 s)
/// has passed, so an outage never becomes a storm. Freshness and back-off
/// follow the injected clock; waiting for upstream follows real time.
/// Lives in a std::shared_ptr (completions hold it weakly).
class EspnSource final : public MatchSource, public std::enable_shared_from_this<EspnSource> {
  public:
    static constexpr const char* kDefaultUpstream =
        "https://site.api.espn.com/apis/site/v2/sports/soccer/eng.1";

    struct Options {
        std::string upstream = kDefaultUpstream;
        double timeoutSeconds = 10;    // per upstream request, and the longest a client waits
        std::size_t maxEntries = 256;  // cached answers kept (least recently used go first)
        std::size_t maxConcurrent = 4;
    };

    EspnSource(Options options, std::shared_ptr<HttpClient> http,
               std::shared_ptr<const Clock> clock, std::shared_ptr<Metrics> metrics);
    EspnSource(const EspnSource&) = delete;
    EspnSource& operator=(const EspnSource&) = delete;

    DataAnswer scoreboard(std::string_view dates) override;
    DataAnswer schedule() override;
    bool healthy() const override;
    /// Starts fetching the season without waiting for it (at start-up, so
    /// that the first client finds it ready).
    void prefetchSeason();

  private:
    struct Entry {
        std::shared_ptr<const Payload> good;
        Instant fetchedAt = 0;
        double freshFor = 0;
        bool inFlight = false;
        int failures = 0;
        Instant retryAt = 0;
        std::string lastError;
        std::list<std::string>::iterator lru;
    };
    struct SeasonJob;

    DataAnswer answer(const std::string& key, const std::function<void()>& launch);
    Entry& entry(const std::string& key);
    void launchScoreboard(const std::string& key, const std::string& dates);
    void launchSeason();
    void fetchChunks(const std::string& body);
    void finishSeason(SeasonJob& job);
    void succeed(const std::string& key, std::shared_ptr<const Payload> payload, double freshFor);
    void fail(const std::string& key, const std::string& why);
    /// Sends a GET upstream once one of the `maxConcurrent` slots is free;
    /// `done` gets the body of a 200 answer or an error.
    void upstream(const std::string& url, std::function<void(Result<std::string>)> done);
    void releaseSlot();
    double freshness(const std::vector<ESPNEvent>& events, Instant now) const;

    Options m_options;
    std::shared_ptr<HttpClient> m_http;
    std::shared_ptr<const Clock> m_clock;
    std::shared_ptr<Metrics> m_metrics;

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;  // an upstream request has ended
    std::unordered_map<std::string, Entry> m_entries;
    std::list<std::string> m_lru;  // most recently used first
    std::size_t m_running = 0;
    std::deque<std::function<void()>> m_waiting;  // upstream requests waiting for a slot
};

}  // namespace fixtora::server
