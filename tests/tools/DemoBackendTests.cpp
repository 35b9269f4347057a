// SPDX-License-Identifier: MIT
#include "DemoBackend.hpp"
#include "DemoClubs.hpp"
#include "DemoSeason.hpp"
#include "FaultSpec.hpp"
#include "platform/CurlHttpClient.hpp"

#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <ctime>
#include <future>
#include <map>
#include <regex>
#include <set>

using namespace fixtora;
using namespace fixtora::demo;
using nlohmann::json;

namespace {

std::int64_t parseUtc(const std::string& iso) {  // "2026-12-05T15:10Z" or with ":SS"
    std::tm tm{};
    tm.tm_year = std::stoi(iso.substr(0, 4)) - 1900;
    tm.tm_mon = std::stoi(iso.substr(5, 2)) - 1;
    tm.tm_mday = std::stoi(iso.substr(8, 2));
    tm.tm_hour = std::stoi(iso.substr(11, 2));
    tm.tm_min = std::stoi(iso.substr(14, 2));
    return timegm(&tm);
}

int localDayOf(std::int64_t t) {
    const std::time_t tt = t;
    std::tm tm{};
    localtime_r(&tt, &tm);
    return (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
}

const json& status(const json& event) {
    return event["competitions"][0]["status"];
}
std::string statusName(const json& event) {
    return status(event)["type"]["name"];
}

/// Sets TZ for one test and puts the old value back afterwards.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::optional<std::string> m_old;
};

class DemoBackendTest : public ::testing::Test {
  protected:
    void SetUp() override { m_clock->set(static_cast<double>(parseUtc("2026-12-05T15:10Z"))); }

    void startBackend(DemoBackend::Options options = {}) {
        m_backend = std::make_unique<DemoBackend>(options, m_clock);
        m_backend->start();
    }

    Result<HttpResponse> send(const std::string& path, const std::string& method = "GET",
                              std::string body = {}, double timeout = 10) {
        HttpRequest request;
        request.method = method;
        request.url = m_backend->url() + path;
        request.body = std::move(body);
        request.timeoutSeconds = timeout;
        if (method == "POST") request.headers = {{"Content-Type", "application/json"}};
        std::promise<Result<HttpResponse>> promise;
        auto future = promise.get_future();
        m_client.send(request, [&](Result<HttpResponse> r) { promise.set_value(std::move(r)); });
        return future.get();
    }

    json getJson(const std::string& path) {
        auto r = send(path);
        EXPECT_TRUE(r.ok() && r.value().status == 200) << path;
        return r.ok() ? json::parse(r.value().body, nullptr, false) : json();
    }

    std::shared_ptr<SettableClock> m_clock = std::make_shared<SettableClock>();
    CurlHttpClient m_client;
    std::unique_ptr<DemoBackend> m_backend;
};

TEST_F(DemoBackendTest, ScheduleIsADoubleRoundRobinInDateOrder) {
    startBackend();
    const json doc = getJson("/api/epl/schedule");
    ASSERT_TRUE(doc.contains("leagues"));
    const json& events = doc["events"];
    ASSERT_EQ(events.size(), 380u);
    EXPECT_EQ(doc, m_backend->scheduleDocument());

    std::map<std::string, int> home, away;
    std::set<std::pair<std::string, std::string>> pairs;
    std::map<int, std::pair<std::int64_t, std::int64_t>> roundSpan;  // first and last kick-off
    std::set<std::string> ids;
    for (const json& e : events) {
        const std::string date = e["date"];
        ASSERT_TRUE(date.size() == 17 && date[10] == 'T' && date[13] == ':' && date[16] == 'Z')
            << date;
        ids.insert(e["id"].get<std::string>());
        std::string h, a;
        for (const json& c : e["competitions"][0]["competitors"]) {
            (c["homeAway"] == "home" ? h : a) = c["team"]["abbreviation"];
            EXPECT_EQ(c["team"]["logo"], m_backend->url() + "/crests/" +
                                             c["team"]["abbreviation"].get<std::string>() + ".png");
        }
        ++home[h];
        ++away[a];
        pairs.insert({h, a});
        const int week = e["week"]["number"];
        const std::int64_t t = parseUtc(e["date"]);
        auto [it, fresh] = roundSpan.try_emplace(week, t, t);
        it->second = {std::min(it->second.first, t), std::max(it->second.second, t)};
        // Rounds before the one in play are over, later ones still to come.
        if (week < 16) {
            EXPECT_EQ(statusName(e), "STATUS_FULL_TIME");
        }
        if (week > 16) {
            EXPECT_EQ(statusName(e), "STATUS_SCHEDULED");
        }
    }
    EXPECT_EQ(ids.size(), 380u);
    EXPECT_EQ(pairs.size(), 380u);  // every club meets every other once at home, once away
    ASSERT_EQ(home.size(), 20u);
    for (const auto& [club, n] : home) {
        EXPECT_EQ(n, 19) << club;
        EXPECT_EQ(away[club], 19) << club;
    }
    ASSERT_EQ(roundSpan.size(), 38u);
    for (int w = 2; w <= 38; ++w)  // a free day between rounds, so that dates alone separate them
        EXPECT_GE(roundSpan[w].first / 86400 - roundSpan[w - 1].second / 86400, 2) << "round " << w;
    const double months = (roundSpan[38].second - roundSpan[1].first) / 86400.0 / 30.4;
    EXPECT_GT(months, 8.0);
    EXPECT_LT(months, 10.0);

    m_backend->setWeekNumbers(false);
    auto withoutWeeks = send("/api/epl/schedule");
    ASSERT_TRUE(withoutWeeks.ok());
    EXPECT_EQ(withoutWeeks.value().body.find("\"week\""), std::string::npos);
}

TEST_F(DemoBackendTest, SeedDecidesScoresButNotFixtures) {
    auto firstRounds = [&](std::uint64_t seed) {  // August and September: ten finished rounds
        const DemoSeason season({seed, m_clock->now(), true, "http://127.0.0.1:1"});
        return json::parse(season.document(20260801, 20260930))["events"];
    };
    const json a = firstRounds(1), b = firstRounds(1), c = firstRounds(2);
    ASSERT_GT(a.size(), 50u);
    EXPECT_EQ(a, b);
    int differentScores = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i]["date"], c[i]["date"]);
        EXPECT_EQ(a[i]["shortName"], c[i]["shortName"]);
        differentScores += a[i]["competitions"][0]["details"] != c[i]["competitions"][0]["details"];
    }
    EXPECT_GT(differentScores, static_cast<int>(a.size()) / 2);
}

struct TodayCase {
    const char* zone;
    const char* now;
};

class TodaysScoreboardTest : public DemoBackendTest,
                             public ::testing::WithParamInterface<TodayCase> {};

// Whatever the hour and the zone, today's scoreboard holds every state of a match.
TEST_P(TodaysScoreboardTest, ShowsEveryStateOfAMatch) {
    const ScopedTimeZone zone(GetParam().zone);
    m_clock->set(static_cast<double>(parseUtc(GetParam().now)));
    startBackend();
    const int today = localDayOf(parseUtc(GetParam().now));
    const json events = getJson("/api/epl/scoreboard?dates=" + std::to_string(today) + "-" +
                                std::to_string(today))["events"];

    std::multiset<std::string> states;
    bool penalty = false, ownGoal = false;
    for (const json& e : events) {
        EXPECT_EQ(localDayOf(parseUtc(e["date"])), today) << e["date"];
        const std::string name = statusName(e);
        states.insert(name);
        if (name == "STATUS_FIRST_HALF" || name == "STATUS_SECOND_HALF") {
            EXPECT_TRUE(std::regex_match(status(e)["type"]["shortDetail"].get<std::string>(),
                                         std::regex(R"(\d+')")));
        }
        if (name == "STATUS_HALFTIME") {
            EXPECT_EQ(status(e)["type"]["shortDetail"], "HT");
        }
        if (name == "STATUS_FULL_TIME") {
            EXPECT_TRUE(status(e)["type"]["completed"].get<bool>());
            int goals[2] = {0, 0};
            const json& competitors = e["competitions"][0]["competitors"];
            for (const json& d : e["competitions"][0]["details"]) {
                if (!d["scoringPlay"].get<bool>()) continue;
                penalty = penalty || d["penaltyKick"].get<bool>();
                ownGoal = ownGoal || d["ownGoal"].get<bool>();
                ++goals[d["team"]["id"] == competitors[0]["id"] ? 0 : 1];
            }
            EXPECT_EQ(std::to_string(goals[0]), competitors[0]["score"]);  // the score adds up
            EXPECT_EQ(std::to_string(goals[1]), competitors[1]["score"]);
        }
    }
    for (const char* s : {"STATUS_FULL_TIME", "STATUS_SECOND_HALF", "STATUS_FIRST_HALF",
                          "STATUS_HALFTIME", "STATUS_POSTPONED", "STATUS_SCHEDULED"})
        EXPECT_GE(states.count(s), 1u) << s;
    EXPECT_TRUE(penalty);
    EXPECT_TRUE(ownGoal);
}

INSTANTIATE_TEST_SUITE_P(
    ZonesAndHours, TodaysScoreboardTest,
    ::testing::Values(TodayCase{"UTC", "2026-12-05T15:10Z"},
                      TodayCase{"America/Los_Angeles", "2026-12-06T07:50Z"},  // 23:50 local
                      TodayCase{"Asia/Tokyo", "2026-12-05T15:20Z"},           // 00:20 local
                      TodayCase{"Europe/London", "2026-08-30T13:00Z"},        // summer time
                      TodayCase{"UTC", "2027-06-20T12:00Z"}));                // off-season

TEST_F(DemoBackendTest, ScoreboardSelectsLocalDays) {
    // Twelve hours or more ahead of UTC, Saturday's early kick-offs fall on
    // Sunday: the filter must follow the local calendar, not the UTC one.
    const ScopedTimeZone zone("Pacific/Auckland");
    startBackend();
    const json season = m_backend->scheduleDocument()["events"];
    const int day = localDayOf(parseUtc(season[0]["date"]) + 86400);
    std::vector<std::string> expected;
    std::size_t utcSameDay = 0;
    for (const json& e : season) {
        const std::int64_t t = parseUtc(e["date"]);
        if (localDayOf(t) == day) expected.push_back(e["id"]);
        utcSameDay += e["date"].get<std::string>().substr(0, 10) ==
                      std::to_string(day / 10000) + "-" +
                          std::to_string(day / 100 % 100 + 100).substr(1) + "-" +
                          std::to_string(day % 100 + 100).substr(1);
    }
    ASSERT_FALSE(expected.empty());
    ASSERT_NE(expected.size(), utcSameDay);
    std::vector<std::string> got;
    const json board =
        getJson("/api/epl/scoreboard?dates=" + std::to_string(day) + "-" + std::to_string(day));
    for (const json& e : board["events"]) got.push_back(e["id"]);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(getJson("/api/epl/scoreboard?dates=" + std::to_string(day))["events"].size(),
              expected.size());

    for (const char* bad :
         {"", "?dates=", "?dates=2026", "?dates=20261301", "?dates=2026120a-20261206",
          "?dates=20260229", "?dates=20261206-20261201", "?dates=20261206-"}) {
        auto r = send(std::string("/api/epl/scoreboard") + bad);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.value().status, 400) << bad;
        EXPECT_FALSE(r.value().body.empty()) << bad;
    }
}

std::uint32_t be32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | std::uint8_t(bytes[at + i]);
    return v;
}

TEST_F(DemoBackendTest, CrestsAreValidPngFilesInTheClubsColours) {
    startBackend();
    ASSERT_EQ(demoClubs().size(), 20u);
    std::set<std::string> distinct;
    for (const DemoClub& club : demoClubs()) {
        auto r = send("/crests/" + club.abbreviation + ".png");
        ASSERT_TRUE(r.ok() && r.value().status == 200) << club.abbreviation;
        const std::string& png = r.value().body;
        EXPECT_EQ(r.value().header("content-type"), "image/png");
        ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        // Every chunk's CRC holds, IHDR says 64 × 64 RGBA, and the image
        // data inflates to 64 rows of a filter byte and 256 bytes.
        std::string idat;
        for (std::size_t pos = 8; pos + 12 <= png.size();) {
            const std::size_t len = be32(png, pos);
            const std::string chunk = png.substr(pos + 4, 4 + len);
            const auto* bytes = reinterpret_cast<const Bytef*>(chunk.data());
            EXPECT_EQ(be32(png, pos + 8 + len), crc32(0, bytes, chunk.size()));
            if (chunk.starts_with("IHDR")) {
                EXPECT_EQ(chunk.substr(4, 10), std::string("\0\0\0\x40\0\0\0\x40\x08\x06", 10));
            }
            if (chunk.starts_with("IDAT")) idat += chunk.substr(4);
            pos += 12 + len;
        }
        std::string pixels(64 * 257, '\0');
        uLongf size = pixels.size();
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(pixels.data()), &size,
                             reinterpret_cast<const Bytef*>(idat.data()), idat.size()),
                  Z_OK);
        EXPECT_EQ(size, 64u * 257u);
        EXPECT_EQ(pixels[32 * 257 + 1 + 2 * 4 + 3], '\0');  // a corner is transparent
        std::set<std::string> colours;                      // "RRGGBB" of every opaque pixel
        for (std::size_t i = 1; i < pixels.size();
             i += (i % 257 == 253) ? 5 : 4) {  // past each row's filter byte
            char hex[7];
            std::snprintf(hex, sizeof hex, "%02X%02X%02X", std::uint8_t(pixels[i]),
                          std::uint8_t(pixels[i + 1]), std::uint8_t(pixels[i + 2]));
            if (pixels[i + 3] != 0) colours.insert(hex);
        }
        EXPECT_TRUE(colours.count(club.color) && colours.count(club.alternateColor))
            << club.abbreviation;
        distinct.insert(png);
    }
    EXPECT_EQ(distinct.size(), 20u);
    EXPECT_EQ(send("/crests/XYZ.png").value().status, 404);
}

struct FaultCase {
    const char* name;
    Endpoint endpoint;
    std::string path;
    Fault fault;
    int status;  // 0: a transport error is expected
    bool parseableBody;
};

class FaultSwitchTest : public DemoBackendTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultSwitchTest, InjectsTheFaultUntilCleared) {
    const FaultCase& c = GetParam();
    startBackend();
    const std::string body =
        c.endpoint == Endpoint::Ingest
            ? R"([{"appID":"A","clientUser":"u","sessionID":"s","type":"t","payload":{},"isTestMode":"true","receivedAt":"2026-12-05T05:52:48+0000"}])"
            : "";
    const std::string method = c.endpoint == Endpoint::Ingest ? "POST" : "GET";
    m_backend->setFault(c.endpoint, c.fault);
    auto faulted = send(c.path, method, body, 0.5);
    if (c.status == 0) {
        EXPECT_FALSE(faulted.ok());
    } else {
        ASSERT_TRUE(faulted.ok()) << faulted.error().description;
        EXPECT_EQ(faulted.value().status, c.status);
        EXPECT_EQ(!json::parse(faulted.value().body, nullptr, false).is_discarded(),
                  c.parseableBody);
        if (c.endpoint == Endpoint::Crest) {
            EXPECT_EQ(faulted.value().body.find("PNG"), std::string::npos);
        }
    }
    EXPECT_EQ(m_backend->receivedSignals().size(), 0u);

    m_backend->clearFaults();
    auto healthy = send(c.path, method, body);
    ASSERT_TRUE(healthy.ok());
    EXPECT_EQ(healthy.value().status, 200);
    EXPECT_EQ(m_backend->requestCount(c.endpoint), 2u);
}

const std::string kBoard = "/api/epl/scoreboard?dates=20261205";

INSTANTIATE_TEST_SUITE_P(
    Endpoints, FaultSwitchTest,
    ::testing::Values(
        FaultCase{
            "ScheduleStatus", Endpoint::Schedule, "/api/epl/schedule", {.status = 503}, 503, false},
        FaultCase{"ScheduleMalformed",
                  Endpoint::Schedule,
                  "/api/epl/schedule",
                  {.malformed = true},
                  200,
                  false},
        FaultCase{
            "ScoreboardDrop", Endpoint::Scoreboard, kBoard, {.dropConnection = true}, 0, false},
        FaultCase{"ScoreboardDelay", Endpoint::Scoreboard, kBoard, {.delaySeconds = 2}, 0, false},
        FaultCase{
            "ScoreboardTruncated", Endpoint::Scoreboard, kBoard, {.truncateBody = true}, 0, false},
        FaultCase{
            "CrestTruncated", Endpoint::Crest, "/crests/BRA.png", {.truncateBody = true}, 0, false},
        FaultCase{
            "CrestMalformed", Endpoint::Crest, "/crests/BRA.png", {.malformed = true}, 200, false},
        FaultCase{"IngestUnauthorised", Endpoint::Ingest, "/v2/", {.status = 401}, 401, false},
        FaultCase{
            "IngestTooLarge", Endpoint::Ingest, "/v2/namespace/ns/", {.status = 413}, 413, false},
        FaultCase{"FeedMalformedError",
                  Endpoint::UpdateFeed,
                  "/updates/feed.json",
                  {.status = 500, .malformed = true},
                  500,
                  false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// With the season placed once, a match kicks off, reaches half-time and
// finishes as the clock moves, and the season's dates stay put.
TEST_F(DemoBackendTest, MatchesFollowTheClockInASeasonPlacedOnce) {
    const ScopedTimeZone zone("UTC");
    const std::int64_t saturday = parseUtc("2026-12-05T00:00Z");
    const auto at = [&](int h, int m, int s = 0) { return saturday + h * 3600 + m * 60 + s; };
    struct Moment {
        std::int64_t kickOff, when;
        const char *status, *shortDetail;
    };
    const Moment moments[] = {
        {at(11, 10), at(11, 9, 59), "STATUS_SCHEDULED", "Scheduled"},
        {at(11, 10), at(11, 10), "STATUS_FIRST_HALF", "1'"},
        {at(11, 10), at(11, 30, 30), "STATUS_FIRST_HALF", "20'"},
        {at(11, 10), at(11, 57), "STATUS_HALFTIME", "HT"},
        {at(11, 10), at(12, 11, 59), "STATUS_HALFTIME", "HT"},
        {at(11, 10), at(12, 12), "STATUS_SECOND_HALF", "46'"},
        {at(11, 10), at(12, 59, 59), "STATUS_SECOND_HALF", "90'"},
        {at(11, 10), at(13, 0), "STATUS_FULL_TIME", "FT"},
        {at(9, 0), at(1, 0), "STATUS_SCHEDULED", "Scheduled"},
        {at(13, 0), at(14, 0), "STATUS_POSTPONED", "Postponed"},
        {at(36, 0), at(23, 59), "STATUS_SCHEDULED", "Scheduled"},
    };
    m_clock->set(static_cast<double>(saturday));
    startBackend({.placeSeasonAt = static_cast<double>(at(12, 0))});
    const json morning = m_backend->scheduleDocument();
    for (const auto& m : moments) {
        m_clock->set(static_cast<double>(m.when));
        const json events = getJson("/api/epl/scoreboard?dates=20261205-20261206")["events"];
        const auto event = std::find_if(events.begin(), events.end(), [&](const json& e) {
            return parseUtc(e["date"]) == m.kickOff;
        });
        ASSERT_NE(event, events.end()) << m.kickOff;
        EXPECT_EQ(statusName(*event), m.status) << m.when;
        EXPECT_EQ(status(*event)["type"]["shortDetail"], m.shortDetail) << m.when;
    }
    const json night = m_backend->scheduleDocument();
    ASSERT_EQ(night["events"].size(), morning["events"].size());
    for (std::size_t i = 0; i < night["events"].size(); ++i)
        EXPECT_EQ(night["events"][i]["date"], morning["events"][i]["date"]) << i;
}

TEST_F(DemoBackendTest, HugeBodiesStreamUntilTheClientStopsReading) {
    startBackend();
    Fault huge;
    huge.hugeBodyMegabytes = 1;
    m_backend->setFault(Endpoint::Schedule, huge);
    auto whole = send("/api/epl/schedule");
    ASSERT_TRUE(whole.ok()) << whole.error().description;
    EXPECT_EQ(whole.value().status, 200);
    EXPECT_EQ(whole.value().body.size(), 1024u * 1024 + 2);
    EXPECT_TRUE(json::parse(whole.value().body).empty()) << "whitespace, then an empty object";

    // A client with a smaller limit hangs up, and the server lets go of it.
    huge.hugeBodyMegabytes = 8;
    m_backend->setFault(Endpoint::Schedule, huge);
    CurlHttpClient small(1024 * 1024);
    std::promise<Result<HttpResponse>> refused;
    small.send({"GET", m_backend->url() + "/api/epl/schedule", {}, {}, 10},
               [&](Result<HttpResponse> r) { refused.set_value(std::move(r)); });
    const auto answer = refused.get_future().get();
    ASSERT_FALSE(answer.ok());
    EXPECT_EQ(answer.error().description,
              "The response body is larger than the limit of 1048576 bytes");
    m_backend->clearFaults();
    EXPECT_EQ(send("/api/epl/schedule").value().status, 200);
}

TEST_F(DemoBackendTest, IngestRecordsValidBatchesAndRejectsInvalidOnes) {
    startBackend();
    const json signal = {{"appID", "7D3C1F0A"},
                         {"clientUser", "hash"},
                         {"sessionID", "S-1"},
                         {"type", "app.launched"},
                         {"payload", {{"key", "value \"quoted\" é"}}},
                         {"isTestMode", "false"},
                         {"receivedAt", "2026-12-05T05:52:48+0000"},
                         {"floatValue", 0.5}};
    auto ok = send("/v2/", "POST", json::array({signal, signal}).dump());
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(ok.value().status, 200);
    auto namespaced = send("/v2/namespace/team-a/", "POST", json::array({signal}).dump());
    ASSERT_TRUE(namespaced.ok());
    EXPECT_EQ(namespaced.value().status, 200);

    const json received = m_backend->receivedSignals();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], signal);
    EXPECT_EQ(received[2]["_namespace"], "team-a");
    EXPECT_EQ(m_backend->ingestPostCount(), 2u);
    EXPECT_EQ(getJson("/v2/_received"), received);

    auto with = [&](const char* member, json value) {
        json s = signal;
        if (value.is_null())
            s.erase(member);
        else
            s[member] = value;
        return json::array({s}).dump();
    };
    const std::vector<std::pair<std::string, std::string>> invalid = {
        {"not json", "{[\""},
        {"not an array", signal.dump()},
        {"empty array", "[]"},
        {"missing appID", with("appID", nullptr)},
        {"missing payload", with("payload", nullptr)},
        {"sessionID number", with("sessionID", 7)},
        {"receivedAt without zone", with("receivedAt", "2026-12-05T05:52:48")},
        {"receivedAt with space", with("receivedAt", "2026-12-05 05:52:48Z")},
        {"payload array", with("payload", json::array())},
        {"payload value number", with("payload", {{"k", 1}})},
        {"isTestMode bool", with("isTestMode", true)},
        {"isTestMode yes", with("isTestMode", "yes")},
        {"floatValue string", with("floatValue", "0.5")},
        {"unknown member", with("floatvalue", 0.5)},
    };
    for (const auto& [what, body] : invalid) {
        auto r = send("/v2/", "POST", body);
        ASSERT_TRUE(r.ok()) << what;
        EXPECT_EQ(r.value().status, 400) << what;
        EXPECT_GT(r.value().body.size(), 5u) << what;
    }
    EXPECT_EQ(m_backend->receivedSignals().size(), 3u);

    httplib::Client plain("127.0.0.1", m_backend->port());
    EXPECT_EQ(plain.Post("/v2/", json::array({signal}).dump(), "text/plain")->status, 400);
    EXPECT_EQ(plain.Delete("/v2/_received")->status, 200);
    EXPECT_EQ(m_backend->receivedSignals().size(), 0u);
}

TEST_F(DemoBackendTest, ControlEndpointSwitchesFaultsAndWeekNumbersAtRunTime) {
    startBackend();
    auto post = [&](const std::string& path) { return send(path, "POST").value().status; };
    EXPECT_EQ(post("/_control/fault?endpoint=scoreboard&status=503"), 200);
    EXPECT_EQ(send("/api/epl/scoreboard?dates=20261205").value().status, 503);
    EXPECT_EQ(post("/_control/fault?endpoint=feed&malformed=1"), 200);
    EXPECT_EQ(send("/updates/feed.json").value().status, 200);
    EXPECT_TRUE(
        json::parse(send("/updates/feed.json").value().body, nullptr, false).is_discarded());
    EXPECT_EQ(post("/_control/clear"), 200);
    EXPECT_EQ(send("/api/epl/scoreboard?dates=20261205").value().status, 200);
    const json feed = getJson("/updates/feed.json");
    EXPECT_EQ(feed["version"], "0.1.0");
    EXPECT_EQ(feed["url"], m_backend->url() + "/site/download");

    EXPECT_TRUE(getJson("/api/epl/scoreboard?dates=20261205")["events"][0].contains("week"));
    EXPECT_EQ(post("/_control/weeks?on=0"), 200);
    EXPECT_FALSE(getJson("/api/epl/scoreboard?dates=20261205")["events"][0].contains("week"));
    for (const char* bad :
         {"/_control/fault", "/_control/fault?endpoint=nowhere",
          "/_control/fault?endpoint=crest&status=42", "/_control/fault?endpoint=crest&delay=-1",
          "/_control/fault?endpoint=crest&bogus=1", "/_control/weeks?on=maybe"})
        EXPECT_EQ(post(bad), 400) << bad;
    EXPECT_EQ(getJson("/_control/status")["requests"]["scoreboard"], 4);

    auto page = send("/site/epl/?feedback=1");
    EXPECT_EQ(page.value().status, 200);
    EXPECT_NE(page.value().body.find("Feedback"), std::string::npos);
    EXPECT_NE(send("/site/epl/").value().body.find("id=\"donate\""), std::string::npos);
}

TEST_F(DemoBackendTest, RefusesAPortInUse) {
    startBackend();
    DemoBackend::Options options;
    options.port = m_backend->port();
    DemoBackend second(options, m_clock);
    EXPECT_THROW(second.start(), std::runtime_error);
    EXPECT_THROW(m_backend->start(), std::logic_error);
}

TEST(FaultSpecTest, ParsesCommandLineFaults) {
    auto parsed = FaultSpec::parse("scoreboard:status=503,delay=2.5");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.value().endpoint, Endpoint::Scoreboard);
    EXPECT_EQ(parsed.value().fault.status, 503);
    EXPECT_EQ(parsed.value().fault.delaySeconds, 2.5);
    auto merged =
        FaultSpec::parse("scoreboard:drop", {{Endpoint::Scoreboard, parsed.value().fault}});
    ASSERT_TRUE(merged.ok());
    EXPECT_TRUE(merged.value().fault.dropConnection);
    EXPECT_EQ(merged.value().fault.status, 503);
    EXPECT_TRUE(FaultSpec::parse("crest:malformed").value().fault.malformed);
    EXPECT_TRUE(FaultSpec::parse("feed:drop=1").value().fault.dropConnection);
    EXPECT_TRUE(FaultSpec::parse("scoreboard:truncate").value().fault.truncateBody);
    EXPECT_EQ(FaultSpec::parse("schedule:huge=100").value().fault.hugeBodyMegabytes, 100u);
    for (const char* bad :
         {"scoreboard", "scoreboard:", "nowhere:drop", "crest:status=99", "crest:status=5o3",
          "crest:delay=x", "crest:delay", "crest:drop=2", "crest:colour=red", "crest:truncate=2",
          "schedule:huge", "schedule:huge=-1", "schedule:huge=4097", "schedule:huge=1.5"}) {
        auto r = FaultSpec::parse(bad);
        ASSERT_FALSE(r.ok()) << bad;
        EXPECT_FALSE(r.error().description.empty());
    }
}

}  // namespace
