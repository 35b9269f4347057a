// SPDX-License-Identifier: MIT
#include "DemoBackend.hpp"

#include "ConnectionDrop.hpp"
#include "CrestImage.hpp"
#include "Days.hpp"
#include "DemoClubs.hpp"
#include "DemoSeason.hpp"
#include "FaultSpec.hpp"
#include "MatchSource.hpp"
#include "Metrics.hpp"
#include "SignalValidation.hpp"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace fixtora::demo {

namespace {

using nlohmann::json;

constexpr std::size_t kEndpointCount = 5;
// With the charset the server does not compress JSON: its brotli encoder,
// chosen whenever a client accepts every encoding, takes seconds over the
// season document, while loopback carries the plain megabyte at once.
constexpr const char* kJsonType = "application/json; charset=utf-8";
constexpr std::size_t kMaxIngestBytes = 8u * 1024 * 1024;
constexpr std::size_t kMegabyte = 1024u * 1024;

std::size_t indexOf(Endpoint e) {
    return static_cast<std::size_t>(e);
}

bool dropConnectionOf(const httplib::Request& req) {
    return dropConnection(req.local_port, req.remote_port);
}

/// "yyyymmdd" of a real calendar day, as a number.
std::optional<int> parseDay(std::string_view s) {
    if (!server::parseCompactDay(s)) return std::nullopt;
    int v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

const char* malformedBody(Endpoint e) {
    switch (e) {
        case Endpoint::Crest:
            return "<html><body>This is not a crest</body></html>";
        case Endpoint::Ingest:
            return "{\"accepted\": ";
        case Endpoint::UpdateFeed:
            return "{\"version\": \"9.";
        default:
            return "{\"leagues\": [], \"events\": [{\"id\": \"740001\", \"date\": \"20";
    }
}

const char* malformedType(Endpoint e) {
    return e == Endpoint::Crest ? "image/png" : kJsonType;
}

std::string htmlPage(const std::string& title, const std::string& body) {
    return "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><title>" +
           title +
           "</title><style>body{font-family:sans-serif;max-width:40em;margin:3em auto;padding:0 "
           "1em;line-height:1.5}"
           "h1{font-size:1.6em}section{margin-top:2em}</style></head><body>\n" +
           body + "\n</body></html>\n";
}

std::string escapeHtml(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

bool acceptsGzip(const std::string& acceptEncoding) {
    // "gzip" among the codings, unless given a weight of zero.
    std::size_t start = 0;
    while (start <= acceptEncoding.size()) {
        std::size_t end = acceptEncoding.find(',', start);
        if (end == std::string::npos) end = acceptEncoding.size();
        std::string item = acceptEncoding.substr(start, end - start);
        item.erase(std::remove(item.begin(), item.end(), ' '), item.end());
        const std::size_t semi = item.find(';');
        if (item.substr(0, semi) == "gzip") {
            if (semi == std::string::npos) return true;
            const std::string param = item.substr(semi + 1);
            return param.rfind("q=", 0) != 0 || std::strtod(param.c_str() + 2, nullptr) > 0;
        }
        start = end + 1;
    }
    return false;
}

bool matchesEtag(const std::string& ifNoneMatch, const std::string& etag) {
    if (ifNoneMatch.empty()) return false;
    if (ifNoneMatch.find('*') != std::string::npos) return true;
    std::size_t at = 0;
    while ((at = ifNoneMatch.find(etag, at)) != std::string::npos) {
        const std::size_t end = at + etag.size();
        if (end == ifNoneMatch.size() || ifNoneMatch[end] == ',' || ifNoneMatch[end] == ' ')
            return true;
        at = end;
    }
    return false;
}

std::string seconds(double s) {
    return std::to_string(static_cast<long long>(std::floor(std::max(0.0, s))));
}

/// A data answer as a shared cache expects it: freshness left, a strong tag
/// per encoding, the gzip bytes made once when the answer was cached.
void serveData(const httplib::Request& req, httplib::Response& res, const server::DataAnswer& a) {
    res.status = a.status;
    if (!a.payload) {
        res.set_header("Cache-Control", "no-store");
        res.set_content(json{{"error", a.error}}.dump(), kJsonType);
        return;
    }
    const bool gzip = acceptsGzip(req.get_header_value("Accept-Encoding"));
    const std::string& etag = gzip ? a.payload->gzipEtag : a.payload->etag;
    res.set_header("Cache-Control", "public, max-age=" + seconds(a.maxAgeSeconds));
    res.set_header("ETag", etag);
    res.set_header("Vary", "Accept-Encoding");
    if (a.stale) {
        res.set_header("Age", seconds(a.ageSeconds));
        res.set_header("X-Fixtora-Stale", "1");
    }
    if (matchesEtag(req.get_header_value("If-None-Match"), etag)) {
        res.status = 304;
        return;
    }
    if (gzip) res.set_header("Content-Encoding", "gzip");
    res.set_content(gzip ? a.payload->gzipBody : a.payload->body, kJsonType);
}

void jsonError(httplib::Response& res, int status, const std::string& text) {
    res.status = status;
    res.set_content(json{{"error", text}}.dump(), kJsonType);
}

}  // namespace

class DemoBackend::Impl {
  public:
    Impl(Options options, std::shared_ptr<const Clock> clock)
        : m_options(std::move(options)),
          m_clock(clock ? std::move(clock) : std::make_shared<SystemClock>()),
          m_weekNumbers(m_options.weekNumbers),
          m_metrics(m_options.metrics ? m_options.metrics : std::make_shared<server::Metrics>()) {
        for (auto& c : m_counts) c.store(0);
        const auto& clubs = demoClubs();
        for (std::size_t i = 0; i < clubs.size(); ++i)
            m_crests[clubs[i].abbreviation] = CrestImage::png(clubs[i], i);
        installRoutes();
    }

    int start() {
        if (m_thread.joinable()) throw std::logic_error("the demo backend is already running");
        // A client that hangs up while we write must not kill the process.
        std::signal(SIGPIPE, SIG_IGN);
        {
            std::lock_guard lock(m_stopMutex);
            m_stopping = false;
        }
        const int port =
            m_options.port == 0
                ? m_server.bind_to_any_port(m_options.host)
                : (m_server.bind_to_port(m_options.host, m_options.port) ? m_options.port : -1);
        if (port <= 0)
            throw std::runtime_error("cannot listen on " + m_options.host + ":" +
                                     std::to_string(m_options.port));
        m_port.store(port);
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) std::this_thread::yield();
        return port;
    }

    void stop() {
        {
            std::lock_guard lock(m_stopMutex);
            m_stopping = true;
        }
        m_stopCv.notify_all();
        if (m_thread.joinable()) {
            m_server.stop();
            m_thread.join();
        }
    }

    int port() const { return m_port.load(); }

    std::string url() const {
        const std::string host =
            m_options.host == "0.0.0.0" || m_options.host.empty() ? "127.0.0.1" : m_options.host;
        return "http://" + host + ":" + std::to_string(port());
    }

    void setFault(Endpoint e, Fault f) {
        std::lock_guard lock(m_mutex);
        m_faults[indexOf(e)] = f;
    }

    void clearFaults() {
        std::lock_guard lock(m_mutex);
        m_faults = {};
    }

    Fault fault(Endpoint e) const {
        std::lock_guard lock(m_mutex);
        return m_faults[indexOf(e)];
    }

    void setWeekNumbers(bool on) { m_weekNumbers.store(on); }
    std::size_t requestCount(Endpoint e) const { return m_counts[indexOf(e)].load(); }

    json receivedSignals() const {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

    std::size_t ingestPostCount() const {
        std::lock_guard lock(m_mutex);
        return m_ingestPosts;
    }

    json scheduleDocument() { return json::parse(scheduleBody()); }

  private:
    DemoSeason season() const {
        return DemoSeason(
            {m_options.seed, m_clock->now(), m_weekNumbers.load(), url(), m_options.placeSeasonAt});
    }

    /// The season changes only from one minute to the next (the clocks of
    /// the live matches), so the schedule body made in a minute is reused
    /// for the rest of it: building 380 events is the costliest thing served.
    std::string scheduleBody() {
        const Instant now = m_clock->now();
        const bool weeks = m_weekNumbers.load();
        const auto minute = static_cast<std::int64_t>(std::floor(now / 60));
        std::lock_guard lock(m_cacheMutex);
        if (m_cachedBody.empty() || m_cachedMinute != minute || m_cachedWeeks != weeks) {
            m_cachedBody =
                DemoSeason({m_options.seed, now, weeks, url(), m_options.placeSeasonAt}).document();
            m_cachedMinute = minute;
            m_cachedWeeks = weeks;
        }
        return m_cachedBody;
    }

    /// Counts the request and applies the endpoint's fault; true when the
    /// fault has answered (or dropped) the request.
    bool faulted(Endpoint e, const httplib::Request& req, httplib::Response& res) {
        m_counts[indexOf(e)].fetch_add(1);
        const Fault f = fault(e);
        if (f.delaySeconds > 0) {
            std::unique_lock lock(m_stopMutex);
            m_stopCv.wait_for(lock, std::chrono::duration<double>(f.delaySeconds),
                              [this] { return m_stopping; });
        }
        if (f.dropConnection) {
            if (!dropConnectionOf(req)) {
                res.status = 502;
                res.set_content("The demo backend could not find the connection to drop\n",
                                "text/plain");
            }
            return true;
        }
        if (f.status != 0) {
            res.status = f.status;
            if (f.malformed)
                res.set_content(malformedBody(e), malformedType(e));
            else
                res.set_content(
                    "Fault injected by the demo backend: HTTP " + std::to_string(f.status) + "\n",
                    "text/plain");
            return true;
        }
        if (f.malformed) {
            res.status = 200;
            res.set_content(malformedBody(e), malformedType(e));
            return true;
        }
        if (f.hugeBodyMegabytes > 0) {
            res.status = 200;
            serveHugeBody(res, f.hugeBodyMegabytes * kMegabyte);
            return true;
        }
        return false;
    }

    /// Streams `bytes` of JSON whitespace and then "{}", in chunks without a
    /// length, so that only the client decides where to stop reading. Ends
    /// as soon as the client hangs up.
    static void serveHugeBody(httplib::Response& res, std::size_t bytes) {
        res.set_chunked_content_provider(
            kJsonType, [bytes](std::size_t offset, httplib::DataSink& sink) {
                static const std::string kChunk(kMegabyte / 4, ' ');
                if (offset >= bytes) {
                    if (!sink.write("{}", 2)) return false;
                    sink.done();
                    return true;
                }
                return sink.write(kChunk.data(), std::min(kChunk.size(), bytes - offset));
            });
    }

    /// Answers `body` unless the endpoint's fault truncates it: then the
    /// answer announces the whole length, sends the first half and hangs up.
    void serve(Endpoint e, httplib::Response& res, std::string body, const char* type) {
        if (!fault(e).truncateBody) {
            res.set_content(std::move(body), type);
            return;
        }
        const std::size_t size = body.size();
        const std::size_t half = size / 2;
        res.set_content_provider(
            size, type,
            [body = std::move(body), half](std::size_t offset, std::size_t length,
                                           httplib::DataSink& sink) {
                if (offset >= half) return false;  // closes the connection mid-body
                return sink.write(body.data() + offset, std::min(length, half - offset));
            });
    }

    static void badRequest(httplib::Response& res, const std::string& text) {
        res.status = 400;
        res.set_content(text + "\n", "text/plain");
    }

    void installRoutes() {
        // Address reuse only: with the server's default SO_REUSEPORT a second
        // backend could bind a port in use and silently take half its requests.
        m_server.set_socket_options([](socket_t sock) {
            const int yes = 1;
            ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        if (m_options.matches) {
            // Real use: many clients and a proxy in front that keeps its
            // connections open; each open connection holds a worker.
            m_server.new_task_queue = [] { return new httplib::ThreadPool(64); };
            m_server.set_keep_alive_max_count(1000);
        } else {
            m_server.set_keep_alive_max_count(
                1);  // one request per connection: idle clients never hold a worker
        }
        m_server.set_payload_max_length(kMaxIngestBytes);
        // Errors raised by the server itself (unknown path, unreadable
        // request) get a text that says what to do.
        m_server.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
            if (!res.body.empty() || res.status == 304) return;
            // A request line too long to read is a bad request like any other.
            if (res.status == 414) res.status = 400;
            std::string text = "HTTP " + std::to_string(res.status);
            if (res.status == 404) text += ": nothing is served at " + req.path;
            if (res.status == 400 && req.method == "POST" && !req.has_header("Content-Length"))
                text +=
                    ": a POST needs a Content-Length header, even for an empty body (curl -d '' "
                    "URL)";
            if (res.status == 413)
                text += ": the body is larger than " + std::to_string(kMaxIngestBytes) + " bytes";
            res.set_content(json{{"error", text}}.dump(), kJsonType);
        });
        m_server.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
            m_metrics->countRequest(server::endpointLabel(req.path), res.status);
            if (m_options.logRequests)
                std::fprintf(stderr, "%s %s -> %d\n", req.method.c_str(), req.target.c_str(),
                             res.status);
        });
        m_server.Get("/healthz", [this](const httplib::Request&, httplib::Response& res) {
            const bool ok = !m_options.matches || m_options.matches->healthy();
            res.status = ok ? 200 : 503;
            res.set_header("Cache-Control", "no-store");
            res.set_content(ok ? "ok\n" : "no season held yet\n", "text/plain");
        });
        m_server.Get("/metrics", [this](const httplib::Request&, httplib::Response& res) {
            res.set_header("Cache-Control", "no-store");
            res.set_content(m_metrics->render(), "text/plain; version=0.0.4; charset=utf-8");
        });
        // The data endpoints are read-only.
        const auto readOnly = [](const httplib::Request& req, httplib::Response& res) {
            res.set_header("Allow", "GET, HEAD");
            jsonError(res, 405, req.method + " is not allowed here: only GET and HEAD");
        };
        for (const char* path : {"/api/epl/schedule", "/api/epl/scoreboard"}) {
            m_server.Post(path, readOnly);
            m_server.Put(path, readOnly);
            m_server.Patch(path, readOnly);
            m_server.Delete(path, readOnly);
            m_server.Options(path, readOnly);
        }

        m_server.Get("/api/epl/schedule",
                     [this](const httplib::Request& req, httplib::Response& res) {
                         if (faulted(Endpoint::Schedule, req, res)) return;
                         if (m_options.matches)
                             return serveData(req, res, m_options.matches->schedule());
                         serve(Endpoint::Schedule, res, scheduleBody(), kJsonType);
                     });

        m_server.Get("/api/epl/scoreboard", [this](const httplib::Request& req,
                                                   httplib::Response& res) {
            if (faulted(Endpoint::Scoreboard, req, res)) return;
            if (m_options.matches)
                return serveData(req, res,
                                 m_options.matches->scoreboard(req.get_param_value("dates")));
            if (!req.has_param("dates"))
                return badRequest(
                    res, "missing query parameter \"dates\" (expected dates=YYYYMMDD-YYYYMMDD)");
            const std::string dates = req.get_param_value("dates");
            const auto dash = dates.find('-');
            const auto first = parseDay(std::string_view(dates).substr(0, dash));
            const auto last = dash == std::string::npos
                                  ? first
                                  : parseDay(std::string_view(dates).substr(dash + 1));
            if (!first || !last)
                return badRequest(
                    res,
                    "invalid dates \"" + dates +
                        "\": expected YYYYMMDD-YYYYMMDD (or one YYYYMMDD) of real calendar days");
            if (*last < *first)
                return badRequest(
                    res, "invalid dates \"" + dates + "\": the range ends before it starts");
            serve(Endpoint::Scoreboard, res, season().document(*first, *last), kJsonType);
        });

        m_server.Get(R"(/crests/([^/]+)\.png)", [this](const httplib::Request& req,
                                                       httplib::Response& res) {
            if (faulted(Endpoint::Crest, req, res)) return;
            const auto it = m_crests.find(req.matches[1].str());
            if (it == m_crests.end()) {
                res.status = 404;
                res.set_content("no crest for \"" + req.matches[1].str() + "\"\n", "text/plain");
                return;
            }
            serve(Endpoint::Crest, res, it->second, "image/png");
        });

        auto ingest = [this](const httplib::Request& req, httplib::Response& res,
                             const std::string& ns) {
            if (faulted(Endpoint::Ingest, req, res)) return;
            const std::string type = req.get_header_value("Content-Type");
            if (type.rfind("application/json", 0) != 0)
                return badRequest(res,
                                  "Content-Type must be application/json, not \"" + type + "\"");
            const json body = json::parse(req.body, nullptr, false);
            if (body.is_discarded()) return badRequest(res, "the body is not valid JSON");
            if (const std::string problem = validateSignalBatch(body); !problem.empty())
                return badRequest(res, problem);
            {
                std::lock_guard lock(m_mutex);
                for (json signal : body) {
                    if (!ns.empty()) signal["_namespace"] = ns;
                    m_received.push_back(std::move(signal));
                }
                // Only the most recent ones: a long-running backend must not grow without end.
                if (m_received.size() > kMaxReceivedSignals)
                    m_received.erase(
                        m_received.begin(),
                        m_received.begin() +
                            static_cast<std::ptrdiff_t>(m_received.size() - kMaxReceivedSignals));
                ++m_ingestPosts;
            }
            res.set_content(json{{"accepted", body.size()}}.dump(), kJsonType);
        };
        m_server.Post("/v2/", [ingest](const httplib::Request& req, httplib::Response& res) {
            ingest(req, res, {});
        });
        m_server.Post(R"(/v2/namespace/([^/]+)/)",
                      [ingest](const httplib::Request& req, httplib::Response& res) {
                          ingest(req, res, req.matches[1].str());
                      });
        m_server.Get("/v2/_received", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(receivedSignals().dump(), kJsonType);
        });
        m_server.Delete("/v2/_received", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard lock(m_mutex);
            m_received = json::array();
            m_ingestPosts = 0;
            res.set_content("[]", kJsonType);
        });

        m_server.Get("/updates/feed.json", [this](const httplib::Request& req,
                                                  httplib::Response& res) {
            if (faulted(Endpoint::UpdateFeed, req, res)) return;
            const json feed = {
                {"version", m_options.latestVersion},
                {"url", url() + "/site/download"},
                {"notes",
                 "Fixtora " + m_options.latestVersion +
                     ": live scores in the panel, crests cached for good and a calmer refresh."},
            };
            serve(Endpoint::UpdateFeed, res, feed.dump(), kJsonType);
        });

        m_server.Get(R"(/site(/.*)?)", [this](const httplib::Request& req, httplib::Response& res) {
            std::string page;
            if (req.path.rfind("/site/download", 0) == 0) {
                page = htmlPage("Download Fixtora", "<h1>Download Fixtora " +
                                                        escapeHtml(m_options.latestVersion) +
                                                        "</h1><p>Build it from the repository and "
                                                        "start it with the demo script.</p>");
            } else if (req.get_param_value("feedback") == "1") {
                page = htmlPage(
                    "Fixtora – Feedback",
                    "<h1>Feedback / Report a Bug</h1><p>Tell us what works, what does not, and "
                    "what you would like to see in the panel.</p>"
                    "<form><textarea rows=\"8\" cols=\"60\" name=\"message\"></textarea><br>"
                    "<button type=\"button\">Send</button></form>");
            } else {
                page = htmlPage(
                    "Fixtora",
                    "<h1>⚽ Fixtora</h1><p>Premier League fixtures, results and live scores in your "
                    "panel.</p><section id=\"donate\"><h2>♥ Support Me</h2><p>Fixtora is free. If "
                    "it "
                    "makes your Saturdays better, a small donation keeps it going.</p></section>");
            }
            res.set_content(page, "text/html; charset=utf-8");
        });

        m_server.Post("/_control/fault", [this](const httplib::Request& req,
                                                httplib::Response& res) {
            if (!req.has_param("endpoint"))
                return badRequest(res,
                                  "missing query parameter \"endpoint\" (schedule, scoreboard, "
                                  "crest, ingest or feed)");
            const auto endpoint = endpointFromName(req.get_param_value("endpoint"));
            if (!endpoint)
                return badRequest(res,
                                  "unknown endpoint \"" + req.get_param_value("endpoint") +
                                      "\" (expected schedule, scoreboard, crest, ingest or feed)");
            Fault f;
            for (const auto& [name, value] : req.params) {
                if (name == "endpoint") continue;
                if (const std::string problem = applyFaultField(f, name, std::string_view(value));
                    !problem.empty())
                    return badRequest(res, problem);
            }
            setFault(*endpoint, f);
            res.set_content(faultJson(f).dump(), kJsonType);
        });
        m_server.Post("/_control/clear", [this](const httplib::Request&, httplib::Response& res) {
            clearFaults();
            res.set_content("{}", kJsonType);
        });
        m_server.Post("/_control/weeks",
                      [this](const httplib::Request& req, httplib::Response& res) {
                          const std::string on = req.get_param_value("on");
                          if (on != "0" && on != "1")
                              return badRequest(res, "expected on=0 or on=1");
                          setWeekNumbers(on == "1");
                          res.set_content(json{{"weekNumbers", on == "1"}}.dump(), kJsonType);
                      });
        m_server.Get("/_control/status", [this](const httplib::Request&, httplib::Response& res) {
            json faults = json::object();
            json counts = json::object();
            for (std::size_t i = 0; i < kEndpointCount; ++i) {
                const auto e = static_cast<Endpoint>(i);
                faults[endpointName(e)] = faultJson(fault(e));
                counts[endpointName(e)] = requestCount(e);
            }
            const json status = {{"weekNumbers", m_weekNumbers.load()},
                                 {"faults", faults},
                                 {"requests", counts},
                                 {"signals", receivedSignals().size()}};
            res.set_content(status.dump(), kJsonType);
        });
    }

    static json faultJson(const Fault& f) {
        return {{"status", f.status},         {"delay", f.delaySeconds},
                {"malformed", f.malformed},   {"drop", f.dropConnection},
                {"truncate", f.truncateBody}, {"huge", f.hugeBodyMegabytes}};
    }

    Options m_options;
    std::shared_ptr<const Clock> m_clock;
    httplib::Server m_server;
    std::thread m_thread;
    std::atomic<int> m_port{0};
    std::atomic<bool> m_weekNumbers;
    std::shared_ptr<server::Metrics> m_metrics;
    std::array<std::atomic<std::size_t>, kEndpointCount> m_counts;
    std::map<std::string, std::string> m_crests;  // written only before the server starts

    mutable std::mutex m_mutex;  // guards the faults and what the ingest endpoint received
    std::array<Fault, kEndpointCount> m_faults{};
    json m_received = json::array();
    std::size_t m_ingestPosts = 0;

    std::mutex m_cacheMutex;  // guards the schedule body of the current minute
    std::string m_cachedBody;
    std::int64_t m_cachedMinute = 0;
    bool m_cachedWeeks = true;

    std::mutex m_stopMutex;  // lets delayed answers end at once when the server stops
    std::condition_variable m_stopCv;
    bool m_stopping = false;
};

DemoBackend::DemoBackend(Options options, std::shared_ptr<const Clock> clock)
    : m_impl(std::make_unique<Impl>(std::move(options), std::move(clock))) {}

DemoBackend::~DemoBackend() {
    m_impl->stop();
}

int DemoBackend::start() {
    return m_impl->start();
}
void DemoBackend::stop() {
    m_impl->stop();
}
int DemoBackend::port() const {
    return m_impl->port();
}
std::string DemoBackend::url() const {
    return m_impl->url();
}
void DemoBackend::setFault(Endpoint endpoint, Fault fault) {
    m_impl->setFault(endpoint, fault);
}
void DemoBackend::clearFaults() {
    m_impl->clearFaults();
}
void DemoBackend::setWeekNumbers(bool on) {
    m_impl->setWeekNumbers(on);
}
std::size_t DemoBackend::requestCount(Endpoint endpoint) const {
    return m_impl->requestCount(endpoint);
}
nlohmann::json DemoBackend::receivedSignals() const {
    return m_impl->receivedSignals();
}
std::size_t DemoBackend::ingestPostCount() const {
    return m_impl->ingestPostCount();
}
nlohmann::json DemoBackend::scheduleDocument() const {
    return m_impl->scheduleDocument();
}

}  // namespace fixtora::demo
