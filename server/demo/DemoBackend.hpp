// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace fixtora::server {
class MatchSource;
class Metrics;
}  // namespace fixtora::server

namespace fixtora::demo {

/// The demo backend's endpoints, each with its own fault switch and counter.
enum class Endpoint {
    Schedule,    // GET /api/epl/schedule
    Scoreboard,  // GET /api/epl/scoreboard?dates=YYYYMMDD-YYYYMMDD
    Crest,       // GET /crests/<ABBR>.png
    Ingest,      // POST /v2/ and /v2/namespace/<ns>/
    UpdateFeed,  // GET /updates/feed.json
};

/// A fault to inject on one endpoint. The default value means "no fault".
struct Fault {
    int status = 0;               // answer with this status (and a short text body) when non-zero
    double delaySeconds = 0;      // wait this long (real time) before answering
    bool malformed = false;       // answer 200 with a body that is not valid JSON / not an image
    bool dropConnection = false;  // close the connection without any answer
    bool truncateBody =
        false;  // answer 200 announcing the whole body, send only its first half, then hang up
    std::size_t hugeBodyMegabytes = 0;  // answer 200 with a body of this many MiB (JSON whitespace,
                                        // then "{}"), streamed in chunks without a length
};

/// The backend's HTTP server. With its own source (the default) it is the
/// demo: a synthetic Premier League season served over HTTP on loopback: 20 clubs,
/// 38 rounds, 380 matches placed around the clock's "now" so that some are
/// live, one is at half-time, some finished (with goals, a penalty and an own
/// goal), some postponed and the rest scheduled; crests as PNG files; an
/// analytics ingest endpoint that validates and records what it receives; and
/// an update feed. Fault switches make failure tests real. With another
/// `MatchSource` the data endpoints speak HTTP as a shared cache expects
/// (Cache-Control, ETag/304, gzip). /healthz and /metrics serve both.
class DemoBackend {
  public:
    static constexpr std::size_t kMaxReceivedSignals = 5000;

    struct Options {
        std::string host = "127.0.0.1";
        int port = 0;                         // 0: any free port
        std::uint64_t seed = 1;               // same seed, same season
        bool weekNumbers = true;              // schedule events carry their round number
        std::string latestVersion = "0.1.0";  // what the update feed offers
        bool logRequests = false;             // one line per request on stderr
        /// Places the season once around this instant (instead of around
        /// each request's "now"); the matches then kick off, reach half-time
        /// and finish as the clock moves on.
        std::optional<Instant> placeSeasonAt = std::nullopt;
        /// Where the two data endpoints get their matches; null: the
        /// synthetic season. Crests, ingest, feed and the site are served
        /// either way, since the app's default build sends everything here.
        std::shared_ptr<server::MatchSource> matches = nullptr;
        /// Counters of /metrics (a fresh set when null).
        std::shared_ptr<server::Metrics> metrics = nullptr;
    };

    /// `clock` gives the server's "now" (the system clock when null).
    explicit DemoBackend(Options options, std::shared_ptr<const Clock> clock = nullptr);
    ~DemoBackend();
    DemoBackend(const DemoBackend&) = delete;
    DemoBackend& operator=(const DemoBackend&) = delete;

    /// Binds and starts serving on a thread of its own; returns the port.
    /// Throws std::runtime_error when the address cannot be bound (and
    /// std::logic_error when it is running already).
    int start();
    void stop();
    int port() const;
    /// "http://127.0.0.1:<port>"
    std::string url() const;

    void setFault(Endpoint endpoint, Fault fault);
    void clearFaults();
    void setWeekNumbers(bool on);

    /// Requests answered (or faulted) so far on that endpoint.
    std::size_t requestCount(Endpoint endpoint) const;

    /// The most recent signal objects the ingest endpoint accepted (at most
    /// `kMaxReceivedSignals`), in order of arrival
    /// (also served as GET /v2/_received). Signals posted to
    /// /v2/namespace/<ns>/ carry one more member, "_namespace": "<ns>".
    nlohmann::json receivedSignals() const;
    /// Number of POST bodies accepted by the ingest endpoint (DELETE
    /// /v2/_received clears both).
    std::size_t ingestPostCount() const;

    /// The whole season as served by /api/epl/schedule (for tests and tools).
    nlohmann::json scheduleDocument() const;

  private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace fixtora::demo
