// SPDX-License-Identifier: MIT
// fixtora-backend: the maker's backend. Serves the matches of the demo
// source (a synthetic season) or of the real league (espn), plus crests, the
// analytics ingest endpoint and the update feed, until SIGINT or SIGTERM.
#include "DemoBackend.hpp"
#include "EspnSource.hpp"
#include "FaultSpec.hpp"
#include "Metrics.hpp"
#include "platform/CurlHttpClient.hpp"

#include <pthread.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: fixtora-backend [--source demo|espn] [--upstream URL] [--port N] [--host ADDRESS]\n"
    "                       [--seed N] [--no-week-numbers] [--latest-version V]\n"
    "                       [--fault ENDPOINT:FIELD[,FIELD...]]... [--log]\n"
    "\n"
    "Answers /api/epl/scoreboard?dates=YYYYMMDD-YYYYMMDD and /api/epl/schedule for the app,\n"
    "plus crests, the analytics ingest (/v2/), the update feed, /healthz and /metrics.\n"
    "\n"
    "  --source demo|espn    demo (default): a synthetic season placed around now, offline;\n"
    "                        espn: the real Premier League, cached and shared by all clients\n"
    "  --upstream URL        base URL of the espn source (default\n"
    "                        https://site.api.espn.com/apis/site/v2/sports/soccer/eng.1)\n"
    "  --port N              port to listen on (default 8765; 0 picks a free one)\n"
    "  --host ADDRESS        address to listen on (default 127.0.0.1)\n"
    "\n"
    "Demo source only:\n"
    "  --seed N              seed of scores and scorers (default 1)\n"
    "  --no-week-numbers     leave the week numbers out of the schedule\n"
    "  --latest-version V    version offered by the update feed (default 0.1.0)\n"
    "  --fault FAULT         inject a fault, e.g. scoreboard:status=503, schedule:delay=20,\n"
    "                        crest:malformed, ingest:drop, scoreboard:truncate,\n"
    "                        schedule:huge=100 (endpoints: schedule, scoreboard, crest,\n"
    "                        ingest, feed); repeat for several endpoints\n"
    "  --log                 print one line per request on stderr\n"
    "\n"
    "At run time: POST /_control/fault?endpoint=E&status=N&delay=S&malformed=0|1&drop=0|1\n"
    "&truncate=0|1&huge=MB, "
    "POST /_control/clear, POST /_control/weeks?on=0|1, GET /_control/status;\n"
    "for example: curl -d '' "
    "'http://127.0.0.1:8765/_control/fault?endpoint=scoreboard&status=503'\n";

int usageError(const std::string& text) {
    std::fprintf(stderr, "fixtora-backend: %s\n\n%s", text.c_str(), kUsage);
    return 2;
}

template <typename T>
bool parseNumber(std::string_view text, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv) {
    using namespace fixtora::demo;
    DemoBackend::Options options;
    options.port = 8765;
    std::map<Endpoint, Fault> faults;  // several --fault options for one endpoint add up
    std::string source = "demo";
    std::string upstream = fixtora::server::EspnSource::kDefaultUpstream;

    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        auto value = [&](std::string_view& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string_view v;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--source") {
            if (!value(v) || (v != "demo" && v != "espn"))
                return usageError("--source needs demo or espn");
            source = std::string(v);
        } else if (arg == "--upstream") {
            if (!value(v) || (v.rfind("http://", 0) != 0 && v.rfind("https://", 0) != 0))
                return usageError("--upstream needs an http:// or https:// URL");
            upstream = std::string(v);
        } else if (arg == "--port") {
            if (!value(v) || !parseNumber(v, options.port) || options.port < 0 ||
                options.port > 65535)
                return usageError("--port needs a number from 0 to 65535");
        } else if (arg == "--host") {
            if (!value(v) || v.empty()) return usageError("--host needs an address");
            options.host = std::string(v);
        } else if (arg == "--seed") {
            if (!value(v) || !parseNumber(v, options.seed))
                return usageError("--seed needs a non-negative number");
        } else if (arg == "--no-week-numbers") {
            options.weekNumbers = false;
        } else if (arg == "--latest-version") {
            if (!value(v) || v.empty()) return usageError("--latest-version needs a version");
            options.latestVersion = std::string(v);
        } else if (arg == "--fault") {
            if (!value(v)) return usageError("--fault needs ENDPOINT:FIELD[,FIELD...]");
            auto parsed = FaultSpec::parse(v, faults);
            if (!parsed) return usageError(parsed.error().description);
            faults[parsed.value().endpoint] = parsed.value().fault;
        } else if (arg == "--log") {
            options.logRequests = true;
        } else {
            return usageError("unknown argument \"" + std::string(arg) + "\"");
        }
    }

    // The signals are taken by this thread alone (the server's threads
    // inherit the mask), so that stopping is an ordinary return.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::shared_ptr<fixtora::server::EspnSource> espn;
    if (source == "espn") {
        fixtora::server::EspnSource::Options espnOptions;
        espnOptions.upstream = upstream;
        options.metrics = std::make_shared<fixtora::server::Metrics>();
        espn = std::make_shared<fixtora::server::EspnSource>(
            espnOptions, std::make_shared<fixtora::CurlHttpClient>(),
            std::make_shared<fixtora::SystemClock>(), options.metrics);
        options.matches = espn;
    }
    DemoBackend backend(options);
    for (const auto& [endpoint, fault] : faults) backend.setFault(endpoint, fault);
    try {
        backend.start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fixtora-backend: %s\n", e.what());
        return 1;
    }
    if (espn) espn->prefetchSeason();
    std::printf("Fixtora backend listening on %s\n", backend.url().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    backend.stop();
    return 0;
}
