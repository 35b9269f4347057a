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
    strptime(iso.c_str(), "%Y-%m-%dT%H:%M", &tm);
    return timegm(&tm);
}

int localDayOf(std::int64_t t, bool utc = false) {
    const std::time_t tt = t;
    std::tm tm{};
    utc ? gmtime_r(&tt, &tm) : localtime_r(&tt, &tm);
    return (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
}
std::string dates(int from, int to) {
    return "/api/epl/scoreboard?dates=" + std::to_string(from) + "-" + std::to_string(to);
}

const json& status(const json& event) {
    return event["competitions"][0]["status"]["type"];
}
std::string statusName(const json& event) {
    return status(event)["name"];
}

/// Sets TZ for one test and puts the old value back afterwards.
struct ScopedTimeZone {
    explicit ScopedTimeZone(const char* zone) { setenv("TZ", zone, 1), tzset(); }
    ~ScopedTimeZone() { old ? setenv("TZ", old->c_str(), 1) : unsetenv("TZ"), tzset(); }
    std::optional<std::string> old =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

class DemoBackendTest : public ::testing::Test {
  protected:
    void SetUp() override { m_clock->set(static_cast<double>(parseUtc("2026-12-05T15:10Z"))); }

    void startBackend(DemoBackend::Options options = {}) {
        m_backend = std::make_unique<DemoBackend>(options, m_clock);
        m_backend->start();
    }

    Result<HttpResponse> send(const std::string& path, const std::string& method = "GET",
                              std::string body = {}) {
        HttpRequest request{method, m_backend->url() + path, {}, std::move(body), 10};
        if (method == "POST") request.headers = {{"Content-Type", "application/json"}};
        std::promise<Result<HttpResponse>> promise;
        m_client.send(request, [&](Result<HttpResponse> r) { promise.set_value(std::move(r)); });
        return promise.get_future().get();
    }
    int statusOf(const std::string& path, const std::string& method = "GET",
                 std::string body = {}) {
        auto r = send(path, method, std::move(body));
        return r.ok() ? r.value().status : -1;
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
    const json& events = doc["events"];
    ASSERT_EQ(events.size(), 380u);
    EXPECT_EQ(doc, m_backend->scheduleDocument());

    std::map<std::string, int> home, away;
    std::set<std::pair<std::string, std::string>> pairs;
    std::map<int, std::pair<std::int64_t, std::int64_t>> roundSpan;  // first and last kick-off
    for (const json& e : events) {
        const std::string date = e["date"];
        ASSERT_TRUE(std::regex_match(date, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\dZ)"))) << date;
        std::string h, a;
        for (const json& c : e["competitions"][0]["competitors"]) {
            const std::string club = c["team"]["abbreviation"];
            (c["homeAway"] == "home" ? h : a) = club;
        }
        ++home[h];
        ++away[a];
        pairs.insert({h, a});
        const int week = e["week"]["number"];
        const std::int64_t t = parseUtc(date);
        auto [it, fresh] = roundSpan.try_emplace(week, t, t);
        it->second = {std::min(it->second.first, t), std::max(it->second.second, t)};
        // Rounds before the one in play are over, later ones still to come.
        EXPECT_TRUE(week == 16 ||
                    statusName(e) == (week < 16 ? "STATUS_FULL_TIME" : "STATUS_SCHEDULED"));
    }
    EXPECT_EQ(pairs.size(), 380u);  // every club meets every other once at home, once away
    ASSERT_EQ(home.size(), 20u);
    for (const auto& [club, n] : home) EXPECT_TRUE(n == 19 && away[club] == 19) << club;
    ASSERT_EQ(roundSpan.size(), 38u);
    for (int w = 2; w <= 38; ++w)  // a free day between rounds, so that dates alone separate them
        EXPECT_GE(roundSpan[w].first / 86400 - roundSpan[w - 1].second / 86400, 2) << "round " << w;
}

class TodaysScoreboardTest
    : public DemoBackendTest,
      public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

// Whatever the hour and the zone, today's scoreboard holds every state of a match.
TEST_P(TodaysScoreboardTest, ShowsEveryStateOfAMatch) {
    const ScopedTimeZone zone(GetParam().first);
    m_clock->set(static_cast<double>(parseUtc(GetParam().second)));
    startBackend();
    const int today = localDayOf(parseUtc(GetParam().second));
    std::multiset<std::string> states;
    bool penalty = false, ownGoal = false;
    const json events = getJson(dates(today, today))["events"];
    for (const json& e : events) {
        EXPECT_EQ(localDayOf(parseUtc(e["date"])), today) << e["date"];
        const std::string name = statusName(e), detail = status(e)["shortDetail"];
        states.insert(name);
        const bool running = name == "STATUS_FIRST_HALF" || name == "STATUS_SECOND_HALF";
        EXPECT_TRUE(!running || std::regex_match(detail, std::regex(R"(\d+')"))) << detail;
        if (name != "STATUS_FULL_TIME") continue;
        EXPECT_TRUE(status(e)["completed"].get<bool>());
        int goals[2] = {0, 0};
        const json& competitors = e["competitions"][0]["competitors"];
        for (const json& d : e["competitions"][0]["details"]) {
            EXPECT_EQ(d["penaltyKick"], d["type"]["text"] == "Penalty - Scored") << d;
            if (!d["scoringPlay"].get<bool>()) continue;
            penalty = penalty || d["penaltyKick"].get<bool>();
            ownGoal = ownGoal || d["ownGoal"].get<bool>();
            ++goals[d["team"]["id"] == competitors[0]["id"] ? 0 : 1];
        }
        EXPECT_EQ(json({std::to_string(goals[0]), std::to_string(goals[1])}),
                  json({competitors[0]["score"], competitors[1]["score"]}));  // the score adds up
    }
    for (const char* s : {"STATUS_FULL_TIME", "STATUS_SECOND_HALF", "STATUS_FIRST_HALF",
                          "STATUS_HALFTIME", "STATUS_POSTPONED", "STATUS_SCHEDULED"})
        EXPECT_GE(states.count(s), 1u) << s;
    EXPECT_TRUE(penalty && ownGoal);
}

INSTANTIATE_TEST_SUITE_P(ZonesAndHours, TodaysScoreboardTest,
                         ::testing::Values(std::pair{"UTC", "2026-12-05T15:10Z"},
                                           std::pair{"America/Los_Angeles", "2026-12-06T07:50Z"},
                                           std::pair{"Europe/London", "2026-08-30T13:00Z"},
                                           std::pair{"UTC", "2027-06-20T12:00Z"}));  // off-season

// With seed 4 the dice leave today's first finished match goalless; its
// penalty then goes to the home side.
TEST_F(DemoBackendTest, AGoallessFirstMatchGetsAHomePenalty) {
    const ScopedTimeZone zone("UTC");
    startBackend({.seed = 4});
    const json c = getJson(dates(20261205, 20261205))["events"][0]["competitions"][0];
    EXPECT_EQ(json({c["competitors"][0]["score"], c["competitors"][1]["score"]}), json({"1", "0"}));
}

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
        utcSameDay += localDayOf(t, true) == day;
    }
    ASSERT_FALSE(expected.empty());
    ASSERT_NE(expected.size(), utcSameDay);
    std::vector<std::string> got;
    const json board = getJson(dates(day, day));
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
    }
    m_backend->setFault(Endpoint::Scoreboard, {.dropConnection = true});
    EXPECT_FALSE(send(dates(day, day)).ok());  // a dropped connection answers nothing
}

std::uint32_t be32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v << 8 | std::uint8_t(bytes[at + i]);
    return v;
}

TEST_F(DemoBackendTest, CrestsAreValidPngFilesInTheClubsColours) {
    startBackend();
    std::set<std::string> distinct;
    for (const DemoClub& club : demoClubs()) {
        auto r = send("/crests/" + club.abbreviation + ".png");
        ASSERT_TRUE(r.ok() && r.value().status == 200) << club.abbreviation;
        const std::string& png = r.value().body;
        ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        // Every chunk's CRC holds, IHDR says 64 × 64 RGBA, and the image
        // data inflates to 64 rows of a filter byte and 256 bytes.
        std::string idat;
        for (std::size_t pos = 8; pos + 12 <= png.size();) {
            const std::size_t len = be32(png, pos);
            const std::string chunk = png.substr(pos + 4, 4 + len);
            const auto* bytes = reinterpret_cast<const Bytef*>(chunk.data());
            EXPECT_EQ(be32(png, pos + 8 + len), crc32(0, bytes, chunk.size()));
            EXPECT_TRUE(!chunk.starts_with("IHDR") ||
                        chunk.substr(4, 10) == std::string("\0\0\0\x40\0\0\0\x40\x08\x06", 10));
            if (chunk.starts_with("IDAT")) idat += chunk.substr(4);
            pos += 12 + len;
        }
        std::string pixels(64 * 257, '\0');
        uLongf size = pixels.size();
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(pixels.data()), &size,
                             reinterpret_cast<const Bytef*>(idat.data()), idat.size()),
                  Z_OK);
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
    EXPECT_EQ(statusOf("/crests/XYZ.png"), 404);
}

const std::string kSchedule = "/api/epl/schedule";

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
        {at(11, 10), at(11, 57), "STATUS_HALFTIME", "HT"},
        {at(11, 10), at(12, 11, 59), "STATUS_HALFTIME", "HT"},
        {at(11, 10), at(12, 12), "STATUS_SECOND_HALF", "46'"},
        {at(11, 10), at(12, 59, 59), "STATUS_SECOND_HALF", "90'"},
        {at(11, 10), at(13, 0), "STATUS_FULL_TIME", "FT"},
        {at(13, 0), at(14, 0), "STATUS_POSTPONED", "Postponed"},
        {at(36, 0), at(23, 59), "STATUS_SCHEDULED", "Scheduled"},
    };
    m_clock->set(static_cast<double>(saturday));
    startBackend({.placeSeasonAt = static_cast<double>(at(12, 0))});
    const json morning = m_backend->scheduleDocument();
    bool board = false;  // scoreboard and schedule in turn: each follows the clock
    for (const auto& m : moments) {
        m_clock->set(static_cast<double>(m.when));
        const json events =
            getJson((board = !board) ? dates(20261205, 20261206) : kSchedule)["events"];
        const auto event = std::find_if(events.begin(), events.end(), [&](const json& e) {
            return parseUtc(e["date"]) == m.kickOff;
        });
        ASSERT_NE(event, events.end()) << m.kickOff;
        const json& got = status(*event);
        EXPECT_EQ(json({got["name"], got["shortDetail"]}), json({m.status, m.shortDetail}))
            << m.when;
    }
    const auto datesOf = [](json doc) {
        for (json& e : doc["events"]) e = e["date"];
        return doc["events"];
    };
    EXPECT_EQ(datesOf(m_backend->scheduleDocument()), datesOf(morning));
}

TEST_F(DemoBackendTest, IngestRecordsValidBatchesAndRejectsInvalidOnes) {
    startBackend();
    const json signal = json::parse(
        R"({"appID": "7D3C1F0A", "clientUser": "hash", "sessionID": "S-1", "type": "app.launched",)"
        R"("payload": {"key": "value \"quoted\" é"}, "isTestMode": "false", "floatValue": 0.5,)"
        R"("receivedAt": "2026-12-05T05:52:48+0000"})");
    EXPECT_EQ(statusOf("/v2/", "POST", json::array({signal, signal}).dump()), 200);
    EXPECT_EQ(statusOf("/v2/namespace/team-a/", "POST", json::array({signal}).dump()), 200);
    const json received = m_backend->receivedSignals();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(json({received[0], received[2]["_namespace"], m_backend->ingestPostCount()}),
              json({signal, "team-a", 2}));

    auto with = [&](const char* member, json value) {
        json s = signal;
        value.is_null() ? void(s.erase(member)) : void(s[member] = value);
        return json::array({s}).dump();
    };
    // Not JSON, not an array, empty, a member missing, of the wrong type or unknown.
    for (const std::string& body :
         {std::string("{[\""), signal.dump(), std::string("[]"), with("appID", nullptr),
          with("payload", nullptr), with("sessionID", 7), with("receivedAt", "2026-12-05T05:52:48"),
          with("receivedAt", "2026-12-05 05:52:48Z"), with("payload", json::array()),
          with("payload", {{"k", 1}}), with("isTestMode", true), with("isTestMode", "yes"),
          with("floatValue", "0.5"), with("floatvalue", 0.5)}) {
        auto r = send("/v2/", "POST", body);
        EXPECT_TRUE(r.ok() && r.value().status == 400 && r.value().body.size() > 5) << body;
    }
    EXPECT_EQ(m_backend->receivedSignals().size(), 3u);

    httplib::Client plain("127.0.0.1", m_backend->port());
    EXPECT_EQ(plain.Post("/v2/", json::array({signal}).dump(), "text/plain")->status, 400);
    EXPECT_EQ(plain.Delete("/v2/_received")->status, 200);
    EXPECT_EQ(m_backend->receivedSignals().size(), 0u);
}

TEST(FaultSpecTest, ParsesCommandLineFaults) {
    const FaultSpec parsed = FaultSpec::parse("scoreboard:status=503,delay=2.5").value();
    EXPECT_EQ(std::tuple(parsed.endpoint, parsed.fault.status, parsed.fault.delaySeconds),
              std::tuple(Endpoint::Scoreboard, 503, 2.5));
    const Fault merged =
        FaultSpec::parse("scoreboard:drop", {{Endpoint::Scoreboard, parsed.fault}}).value().fault;
    EXPECT_TRUE(merged.dropConnection && merged.status == 503);
    EXPECT_TRUE(FaultSpec::parse("crest:malformed").value().fault.malformed);
    EXPECT_TRUE(FaultSpec::parse("feed:drop=1").value().fault.dropConnection);
    EXPECT_TRUE(FaultSpec::parse("scoreboard:truncate").value().fault.truncateBody);
    EXPECT_EQ(FaultSpec::parse("schedule:huge=100").value().fault.hugeBodyMegabytes, 100u);
    for (const char* bad :
         {"scoreboard", "scoreboard:", "nowhere:drop", "crest:status=99", "crest:status=5o3",
          "crest:delay=x", "crest:delay", "crest:drop=2", "crest:colour=red", "crest:truncate=2",
          "schedule:huge", "schedule:huge=-1", "schedule:huge=4097", "schedule:huge=1.5"}) {
        auto r = FaultSpec::parse(bad);
        EXPECT_TRUE(!r.ok() && !r.error().description.empty()) << bad;
    }
}

}  // namespace
