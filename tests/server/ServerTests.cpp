// SPDX-License-Identifier: MIT
// The backend's espn source against a fake upstream on loopback: trimmed
// answers, freshness in virtual time, single flight, stale answers while
// upstream fails, whole seasons only, and HTTP as a shared cache expects it.
#include "Days.hpp"
#include "DemoBackend.hpp"
#include "EspnSource.hpp"
#include "FakeUpstream.hpp"
#include "Payload.hpp"
#include "ScoreboardEncoder.hpp"
#include "data/InternetDateTime.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "platform/CurlHttpClient.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

namespace fixtora {
namespace {

namespace fs = std::filesystem;
using test::UpstreamFault;

std::string trimmed(const std::string& original) {
    const auto decoded = decodeScoreboard(original);
    if (!decoded) return {};
    const auto& events = decoded.value().events;
    return server::encodeScoreboard(events ? *events : std::vector<ESPNEvent>{});
}

// The inspector's output for a document, or its error and exit status.
std::string inspect(const std::string& mode, const fs::path& file) {
    const std::string command =
        "TZ=Europe/London '" FIXTORA_INSPECT "' " + mode + " '" + file.string() + "' 2>&1; echo $?";
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char buffer[4096];
    for (std::size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    return out;
}

// Every recorded document, the season archive's 114 days included, prints the
// same in the inspector trimmed as it does whole, and shrinks.
TEST(TrimmedAnswers, InspectAlikeForEveryRecordedDocument) {
    test::TempDir dir, out;
    const fs::path espn = test::testDataPath("espn");
    const auto archive = espn / "ita1_2019-20_season_daily_scoreboards.tar.gz";
    ASSERT_EQ(std::system(
                  ("tar -xzf '" + archive.string() + "' -C '" + dir.path().string() + "'").c_str()),
              0);
    std::size_t documents = 0;
    for (const auto& root : {espn, dir.path()}) {
        for (const auto& f : fs::recursive_directory_iterator(root)) {
            if (f.path().extension() != ".json") continue;
            ++documents;
            const std::string body = test::readFile(f.path());
            const std::string small = trimmed(body);
            ASSERT_FALSE(small.empty()) << f.path();
            EXPECT_LT(small.size(), body.size() / 2) << f.path();
            test::writeFile(out / "trimmed.json", small);
            for (const char* mode : {"", "--weeks"})
                EXPECT_EQ(inspect(mode, out / "trimmed.json"), inspect(mode, f.path()))
                    << f.path() << " " << mode;
        }
    }
    EXPECT_EQ(documents, 123u);
}

/// The backend with the espn source on a fake upstream, in virtual time.
class EspnBackend : public testing::Test {
  protected:
    void SetUp() override { start(); }
    void start(double timeout = 0.8) {
        server::EspnSource::Options options;
        options.upstream = upstream.url();
        options.timeoutSeconds = timeout;
        auto metrics = std::make_shared<server::Metrics>();
        source = std::make_shared<server::EspnSource>(options, std::make_shared<CurlHttpClient>(),
                                                      clock, metrics);
        demo::DemoBackend::Options serverOptions;
        serverOptions.metrics = metrics;
        serverOptions.matches = source;
        backend = std::make_unique<demo::DemoBackend>(serverOptions);
        backend->start();
    }
    httplib::Result get(const std::string& target, const httplib::Headers& headers = {}) {
        httplib::Client client(backend->url());
        client.set_read_timeout(20);
        return client.Get(target, headers);
    }
    // A client stops waiting a second after the time-out; on a slow run the
    // upstream request may still be going then, and the next request would
    // join it. Waits (on real I/O, bounded) until n upstream requests are over.
    void awaitUpstreamAnswers(long n) {
        for (int i = 0; i < 600; ++i) {
            const auto metrics = get("/metrics");
            const std::string key = "\nfixtora_upstream_requests_total ";
            const auto at = metrics ? metrics->body.find(key) : std::string::npos;
            if (at != std::string::npos && std::stol(metrics->body.substr(at + key.size())) >= n)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        FAIL() << "upstream requests still running";
    }
    std::string recorded(const std::string& name) {
        return test::readFile(test::testDataPath("espn/" + name));
    }

    test::FakeUpstream upstream;
    std::shared_ptr<SettableClock> clock =
        std::make_shared<SettableClock>(*parseInternetDateTime("2026-07-04T17:56:00Z"));
    std::shared_ptr<server::EspnSource> source;
    std::unique_ptr<demo::DemoBackend> backend;
};

const char* const kRange = "/api/epl/scoreboard?dates=20260628-20260719";

TEST_F(EspnBackend, FreshnessLastsAsLongAsTheMatchesAllow) {
    const std::string halfTime = "wc2026_20260704T1756Z_halftime.json";
    const struct {
        std::string document;
        const char* now;
        int freshSeconds;
        bool halfTimeOver = false;  // the one live match of the document has finished
    } cases[] = {                   // the half-time document's next kick-off is at 21:00
                 {halfTime, "2026-07-04T17:56:00Z", 15},
                 {"wc2026_20260822T1942Z_all-final.json", "2026-07-04T17:56:00Z", 300},
                 {halfTime, "2026-07-04T20:15:00Z", 300, true},
                 {halfTime, "2026-07-04T20:47:00Z", 180, true},
                 {halfTime, "2026-07-04T20:52:00Z", 15, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.now);
        std::string document = recorded(c.document);
        for (std::size_t at;
             c.halfTimeOver && (at = document.find("STATUS_HALFTIME")) != std::string::npos;)
            document.replace(at, 15, "STATUS_FULL_TIME");
        upstream.serveDocument(document);
        clock->set(*parseInternetDateTime(c.now));
        start();
        const std::size_t asked = upstream.requests();
        const auto first = get(kRange);
        EXPECT_EQ(first->get_header_value("Cache-Control"),
                  "public, max-age=" + std::to_string(c.freshSeconds));
        clock->advance(c.freshSeconds - 1);
        const bool same = get(kRange)->body == first->body;
        const std::size_t cached = upstream.requests() - asked;
        clock->advance(1);
        const int status = get(kRange)->status;
        EXPECT_EQ(std::tuple(same, cached, status, upstream.requests() - asked),
                  std::tuple(true, 1u, 200, 2u));
    }
}

TEST_F(EspnBackend, FiftyClientsAtOnceCauseOneUpstreamRequest) {
    // A request that times out frees its slot while upstream still works on
    // it; a slow run must not count that as a fifth request at once.
    start(10);
    upstream.serveDocument(recorded("wc2026_20260822T1942Z_all-final.json"));
    upstream.setDelay(0.3);
    std::vector<std::thread> clients;
    std::atomic<int> good{0};
    for (int i = 0; i < 50; ++i) clients.emplace_back([&] { good += get(kRange)->status == 200; });
    for (auto& t : clients) t.join();
    EXPECT_EQ(good.load(), 50);
    EXPECT_EQ(upstream.requests(), 1u);

    // Distinct answers go upstream at most four at a time.
    clients.clear();
    for (int day = 1; day <= 9; ++day)
        clients.emplace_back([&, day] {
            get("/api/epl/scoreboard?dates=2026070" + std::to_string(day) + "-20260710");
        });
    for (auto& t : clients) t.join();
    EXPECT_EQ(upstream.mostAtOnce(), 4u);
}

TEST_F(EspnBackend, ForgetsTheLeastRecentlyUsedAnswersBeyondItsCap) {
    upstream.serveDocument(recorded("wc2026_20260822T1942Z_all-final.json"));
    server::EspnSource::Options options;
    options.upstream = upstream.url();
    options.maxEntries = 2;
    const auto small = std::make_shared<server::EspnSource>(
        options, std::make_shared<CurlHttpClient>(), clock, nullptr);
    std::string asked;  // upstream's count after each request: the least recently used goes
    for (const std::string d : {"0102", "0304", "0102", "0506", "0102", "0304"}) {
        const auto res = small->scoreboard("202607" + d.substr(0, 2) + "-202607" + d.substr(2));
        asked += std::to_string(res.status) + ":" + std::to_string(upstream.requests()) + " ";
    }
    EXPECT_EQ(asked, "200:1 200:2 200:2 200:3 200:3 200:4 ");
}

class UpstreamFaults : public EspnBackend, public testing::WithParamInterface<UpstreamFault> {};

TEST_P(UpstreamFaults, ServeTheLastGoodAnswerStaleThenRecover) {
    upstream.serveDocument(recorded("wc2026_20260822T1942Z_all-final.json"));
    upstream.setFault(GetParam());
    const auto none = get(kRange);
    EXPECT_EQ(nlohmann::json::parse(none->body).count("error") + none->status, 503u);
    awaitUpstreamAnswers(1);

    upstream.setFault(UpstreamFault::None);
    clock->advance(2);  // past the back-off
    const auto good = get(kRange);
    ASSERT_EQ(good->status, 200);
    EXPECT_FALSE(good->has_header("X-Fixtora-Stale"));

    upstream.setFault(GetParam());
    clock->advance(301);
    const auto stale = get(kRange);
    const std::size_t asked = upstream.requests();
    EXPECT_EQ(get(kRange)->status, 200);  // backing off: upstream is left alone
    EXPECT_EQ(std::tuple(stale->status, stale->body == good->body, stale->get_header_value("Age"),
                         stale->get_header_value("X-Fixtora-Stale"), upstream.requests()),
              std::tuple(200, true, "301", "1", asked));
    awaitUpstreamAnswers(3);

    upstream.setFault(UpstreamFault::None);
    clock->advance(2);
    const auto recovered = get(kRange);
    EXPECT_EQ(std::tuple(recovered->status, recovered->has_header("X-Fixtora-Stale")),
              std::tuple(200, false));
    clock->advance(24 * 3600 + 1);  // over a day later, with upstream down, nothing is served
    upstream.setFault(GetParam());
    EXPECT_EQ(get(kRange)->status, 502);
}

INSTANTIATE_TEST_SUITE_P(Faults, UpstreamFaults,
                         testing::Values(UpstreamFault::Status500, UpstreamFault::Html,
                                         UpstreamFault::Stall, UpstreamFault::Reset,
                                         UpstreamFault::Huge));

// Days far apart read back as written; leap days and month ends as in the calendar.
TEST(DayRanges, HoldOnlyCalendarDays) {
    for (const std::string d : {"19700101", "20000229", "20280229", "21000301"})
        EXPECT_EQ(std::get<server::DayRange>(server::parseDayRange(d + "-" + d)).text(),
                  d + "-" + d);
    for (const char* d : {"20270229-20270301", "21000229-21000301", "20260931-20261001"})
        EXPECT_EQ(server::parseDayRange(d).index(), 1u) << d;
    EXPECT_EQ(std::tuple(server::formatDay(server::dayOfIsoDate("2026-12-05T15:00Z")),
                         server::dayOfIsoDate("2026x12-05"), server::dayOfIsoDate("2026-12x05")),
              std::tuple("20261205", -1, -1));
}

TEST_F(EspnBackend, BadDatesAreRefusedWithoutAskingUpstream) {
    const std::string tooLong(10 * 1024, '1');
    for (const std::string& dates : std::vector<std::string>{
             "", "dates=2025", "dates=20250310-20250301", "dates=20150101-20250101",
             "dates=" + tooLong, "dates=%EF%BC%92%EF%BC%90%EF%BC%92%EF%BC%95-20250301"}) {
        const auto res = get("/api/epl/scoreboard?" + dates);
        EXPECT_EQ(nlohmann::json::parse(res->body).count("error") + res->status, 401u)
            << dates.substr(0, 40);
    }
    EXPECT_EQ(upstream.requests(), 0u);
}

TEST_F(EspnBackend, SpeaksHttpAsASharedCacheExpects) {
    upstream.serveDocument(recorded("wc2026_20260704T1756Z_halftime.json"));
    const auto plain = get(kRange);
    httplib::Client raw(backend->url());
    const auto missing = get("/api/epl/nothing");
    EXPECT_EQ(std::tuple(get(kRange, {{"If-None-Match", plain->get_header_value("ETag")}})->status,
                         get(kRange, {{"If-None-Match", "\"other\""}})->status,
                         raw.Head(kRange)->status, raw.Post(kRange, "", "application/json")->status,
                         missing->status, nlohmann::json::parse(missing->body).count("error")),
              std::tuple(304, 200, 200, 405, 404, 1u));
    // A request is counted once its answer is written, so the 304 may be counted a moment
    // after the client has read it.
    const std::string counted304 = "{endpoint=\"scoreboard\",status=\"304\"} 1\n";
    std::string metrics = get("/metrics")->body;
    for (int i = 0; i < 500 && metrics.find(counted304) == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        metrics = get("/metrics")->body;
    }
    EXPECT_NE(metrics.find("fixtora_upstream_requests_total 1\n"), std::string::npos);
    EXPECT_NE(metrics.find(counted304), std::string::npos);
}

// A real season, one Premier League fixture list turned into upstream's
// shape (UK times taken as UTC: the days stay the same).
nlohmann::json seasonEvents() {
    const auto doc =
        nlohmann::json::parse(test::readFile(test::testDataPath("seasons/en.1_2024-25.json")));
    nlohmann::json events = nlohmann::json::array();
    for (const auto& m : doc.at("matches")) {
        auto side = [](const std::string& name, const char* homeAway) {
            return nlohmann::json{
                {"homeAway", homeAway},
                {"team",
                 {{"id", name}, {"abbreviation", name.substr(0, 3)}, {"shortDisplayName", name}}}};
        };
        events.push_back(
            {{"id", std::to_string(events.size())},
             {"date",
              m.at("date").get<std::string>() + "T" + m.at("time").get<std::string>() + "Z"},
             {"competitions",
              {{{"competitors", {side(m.at("team1"), "home"), side(m.at("team2"), "away")}},
                {"status", {{"type", {{"name", "STATUS_FULL_TIME"}, {"completed", true}}}}}}}}});
    }
    return events;
}

TEST_F(EspnBackend, ServesWholeSeasonsOnly) {
    const auto events = seasonEvents();
    upstream.serveSeason(events, "2024-07-01T04:00Z", "2025-06-01T03:59Z");
    const int before = get("/healthz")->status;
    const auto season = get("/api/epl/schedule");
    // The default answer, then 336 days in 31-day parts.
    EXPECT_EQ(std::tuple(before, season->status, upstream.requests(), get("/healthz")->status),
              std::tuple(503, 200, 12u, 200));
    const auto served = *decodeScoreboard(season->body).value().events;
    const auto original = decodeScoreboard(nlohmann::json{{"events", events}}.dump());
    const auto weeks = computeMatchWeeks(served);  // a real season by date: its 38 matchdays
    EXPECT_EQ(std::tuple(served.size(), weeks.size()), std::tuple(380u, 38u));
    EXPECT_EQ(weeks, computeMatchWeeks(*original.value().events));

    // Six hours on, one part fails: the whole previous season is served.
    upstream.setFault(UpstreamFault::Status500, "dates=2024120");
    clock->advance(6 * 3600 + 1);
    const auto again = get("/api/epl/schedule");
    EXPECT_EQ(std::tuple(again->status, again->get_header_value("X-Fixtora-Stale"),
                         again->body == season->body),
              std::tuple(200, "1", true));
}

}  // namespace
}  // namespace fixtora
