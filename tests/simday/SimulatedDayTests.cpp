// SPDX-License-Identifier: MIT
// A Saturday in virtual time: the application's core follows the demo
// backend's matches from the morning countdown through kick-off, half-time
// and full time to the next day, and the test counts what it asks of the
// network hour by hour.
#include "SimulatedDay.hpp"

#include "analytics/SessionManager.hpp"
#include "data/ImageCache.hpp"
#include "data/InternetDateTime.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/CurlHttpClient.hpp"
#include "state/FixturesViewModel.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <future>
#include <iostream>
#include <map>
#include <set>

namespace fixtora::simday {
namespace {

// The demo season and the application read calendar days in the process's
// time zone: the day below is a UTC day.
[[maybe_unused]] const bool kUtc = [] {
    setenv("TZ", "UTC", 1);
    tzset();
    return true;
}();

constexpr Instant kSaturday = 1796428800;  // 2026-12-05T00:00:00Z
constexpr double kHour = 3600;
constexpr double kMinute = 60;
// Placed around noon, the season's current round has five matches on the
// Saturday morning (09:00, 09:50, 10:40, 11:10, 11:40), one postponed at
// 13:00, two in the afternoon (14:10, 15:10) and two on the Sunday (12:00,
// 14:30).
constexpr Instant kPlacedAt = kSaturday + 12 * kHour;

constexpr Instant at(int hours, int minutes, int seconds = 0) {
    return kSaturday + hours * kHour + minutes * kMinute + seconds;
}

constexpr const char* kBall = "\u26BD";

// ---------------------------------------------------------------------------
// The backend's matches follow its clock

nlohmann::json eventKickingOffAt(const nlohmann::json& season, Instant kickOff) {
    const auto date = formatInternetDateTime(kickOff).substr(0, 16) + "Z";  // "2026-12-05T11:10Z"
    for (const auto& event : season["events"])
        if (event["date"] == date) return event;
    return nullptr;
}

struct MatchMoment {
    Instant kickOff;
    Instant when;
    const char* status;
    const char* shortDetail;
};

/// The demo backend's scoreboard of the Saturday and the Sunday.
nlohmann::json weekend(const demo::DemoBackend& backend) {
    CurlHttpClient http;
    std::promise<Result<HttpResponse>> answer;
    http.send(
        HttpRequest{
            "GET", backend.url() + "/api/epl/scoreboard?dates=20261205-20261206", {}, {}, 10},
        [&answer](Result<HttpResponse> result) { answer.set_value(std::move(result)); });
    auto result = answer.get_future().get();
    if (!result.ok()) return nullptr;
    return nlohmann::json::parse(result.value().body, nullptr, false);
}

TEST(SimulatedDayBackend, MatchesKickOffReachHalfTimeAndFinishAsTheClockMoves) {
    const MatchMoment moments[] = {
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
    auto clock = std::make_shared<SettableClock>(kSaturday);
    demo::DemoBackend::Options options;
    options.placeSeasonAt = kPlacedAt;
    demo::DemoBackend backend(options, clock);
    backend.start();
    const auto morning = backend.scheduleDocument();
    for (const auto& m : moments) {
        clock->set(m.when);
        const auto event = eventKickingOffAt(weekend(backend), m.kickOff);
        ASSERT_FALSE(event.is_null()) << formatInternetDateTime(m.kickOff);
        const auto& type = event["competitions"][0]["status"]["type"];
        EXPECT_EQ(type["name"], m.status) << formatInternetDateTime(m.when);
        EXPECT_EQ(type["shortDetail"], m.shortDetail) << formatInternetDateTime(m.when);
    }
    // The season stays where it was placed, so a table cached in the morning
    // still fits at night.
    const auto night = backend.scheduleDocument();
    ASSERT_EQ(night["events"].size(), morning["events"].size());
    for (std::size_t i = 0; i < night["events"].size(); ++i)
        EXPECT_EQ(night["events"][i]["date"], morning["events"][i]["date"]) << i;
}

// ---------------------------------------------------------------------------
// The day

enum class Line { Countdown, Score, NextRound };

/// The title expected at `when`: the countdown to, or the score line of, the
/// match kicking off at `kickOff` (with the favourite: its next match in the
/// following matchweek), ending in `tail`; and that match's status.
struct Checkpoint {
    Instant when;
    Line line;
    Instant kickOff;
    const char* tail;
    const char* status;
    bool cycling;
    std::optional<Instant> finished = std::nullopt;  // a match over by then
};

struct Scenario {
    const char* name;
    bool favourite;  // the home side of the 11:10 match
    std::vector<Checkpoint> checkpoints;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

std::string scoreOf(const std::optional<ESPNCompetitor>& side) {
    return side && side->score ? *side->score : "0";
}

const ESPNEvent* findKickingOff(const std::vector<ESPNEvent>& events, Instant kickOff) {
    for (const auto& event : events)
        if (event.localDate() == kickOff) return &event;
    return nullptr;
}

class SimulatedDayTest : public ::testing::TestWithParam<Scenario> {
  protected:
    void expectCheckpoint(SimulatedDay& day, const Checkpoint& c,
                          const std::optional<ESPNTeam>& favourite) {
        auto& vm = day.viewModel();
        SCOPED_TRACE(formatInternetDateTime(c.when));
        const auto* match = findKickingOff(vm.events(), c.kickOff);
        ASSERT_NE(match, nullptr);
        EXPECT_EQ(match->competitions.front().status.type.name, c.status);
        EXPECT_EQ(vm.isCycling(), c.cycling);
        if (c.finished) {
            const auto* over = findKickingOff(vm.events(), *c.finished);
            ASSERT_NE(over, nullptr);
            EXPECT_EQ(over->competitions.front().status.type.name, "STATUS_FULL_TIME");
        }

        const auto home = match->home();
        const auto away = match->away();
        ASSERT_TRUE(home && away);
        std::string expected;
        switch (c.line) {
            case Line::Countdown:
                expected = std::string(kBall) + "  " + home->team.abbreviation + " vs " +
                           away->team.abbreviation + "  " + c.tail;
                break;
            case Line::Score:
                expected = std::string(kBall) + "  " + home->team.abbreviation + " " +
                           scoreOf(home) + "\u2013" + scoreOf(away) + " " +
                           away->team.abbreviation + "  " + c.tail;
                break;
            case Line::NextRound: {
                // The favourite's next match is in the following matchweek.
                ASSERT_TRUE(favourite);
                const auto next = vm.matchCache().find(vm.liveGW() + 1);
                ASSERT_NE(next, vm.matchCache().end());
                const ESPNEvent* fixture = nullptr;
                for (const auto& event : next->second)
                    if (event.home()->team.id == favourite->id ||
                        event.away()->team.id == favourite->id)
                        fixture = &event;
                ASSERT_NE(fixture, nullptr);
                const bool atHome = fixture->home()->team.id == favourite->id;
                const ESPNTeam opponent = atHome ? fixture->away()->team : fixture->home()->team;
                expected = std::string(kBall) + "  " + favourite->abbreviation + " vs " +
                           opponent.abbreviation + "  " + c.tail;
                break;
            }
        }
        EXPECT_EQ(vm.statusBarTitle(), expected);
    }
};

TEST_P(SimulatedDayTest, TwentyFourHoursAskTheNetworkOnlyAsOftenAsTheMatchesNeed) {
    const Scenario& scenario = GetParam();
    SimulatedDay day(kSaturday, kPlacedAt);

    std::optional<ESPNTeam> favourite;
    if (scenario.favourite) {
        const auto event = eventKickingOffAt(day.backend().scheduleDocument(), at(11, 10));
        ASSERT_FALSE(event.is_null());
        const auto& team = event["competitions"][0]["competitors"][0]["team"];
        ASSERT_EQ(event["competitions"][0]["competitors"][0]["homeAway"], "home");
        favourite =
            ESPNTeam{team["id"], team["abbreviation"], team["shortDisplayName"], team["logo"]};
    }
    day.launch(favourite);
    auto& vm = day.viewModel();
    ASSERT_FALSE(vm.scheduleError()) << *vm.scheduleError();
    ASSERT_FALSE(vm.events().empty()) << vm.matchError().value_or("no error");
    const int liveGW = vm.liveGW();

    for (const auto& checkpoint : scenario.checkpoints) {
        day.runTo(checkpoint.when);
        expectCheckpoint(day, checkpoint, favourite);
        EXPECT_EQ(vm.liveGW(), liveGW);
        EXPECT_EQ(vm.currentGW(), liveGW);
        EXPECT_FALSE(vm.matchError()) << *vm.matchError();
    }
    day.runTo(kSaturday + 24 * kHour);

    const std::string table = day.table();
    std::cout << "Simulated day, " << scenario.name << ":\n" << table << std::flush;
    std::ofstream(std::string(FIXTORA_SIMDAY_REPORT_DIR) + "/simday-" + scenario.name + ".txt")
        << table;

    const auto& hours = day.hours();
    ASSERT_EQ(hours.size(), 24u);
    EXPECT_EQ(day.stalls(), 0u) << "an answer did not arrive";
    std::size_t crests = 0;
    std::size_t schedules = 0;
    for (const auto& h : hours) {
        SCOPED_TRACE("hour " + std::to_string(h.hour));
        // One minute while a displayed match is live or about to start, five
        // otherwise; a neighbouring matchweek is loaded once on top.
        const std::size_t cap = h.hotSeconds > 0 ? 60 : 12;
        EXPECT_LE(h.scoreboard, cap + h.firstLoads);
        if (h.hotSeconds >= kHour) {
            EXPECT_GE(h.scoreboard, 59u) << "the refresh hurries while matches are live";
        }
        if (h.hotSeconds == 0) {
            EXPECT_GE(h.scoreboard, 11u) << "the refresh goes on when nothing is live";
        }
        // Nothing to send, nothing posted.
        if (h.signalsQueued == 0 && h.queuedAtStart == 0) {
            EXPECT_EQ(h.ingestPosts, 0u);
        }
        // Title, refresh, cycling, the analytics send and session timers.
        EXPECT_LE(h.maxTimers, 5u);
        crests += h.crest;
        schedules += h.schedule;
    }
    // The log the hours are counted from agrees with the backend's counts.
    std::map<RequestKind, std::size_t> logged;
    for (const auto& request : day.requests()) ++logged[request.kind];
    EXPECT_EQ(logged[RequestKind::Scoreboard],
              day.backend().requestCount(demo::Endpoint::Scoreboard));
    EXPECT_EQ(logged[RequestKind::Schedule], day.backend().requestCount(demo::Endpoint::Schedule));
    EXPECT_EQ(logged[RequestKind::Crest], day.backend().requestCount(demo::Endpoint::Crest));
    EXPECT_EQ(logged[RequestKind::Ingest], day.backend().ingestPostCount());
    EXPECT_EQ(logged[RequestKind::Other], 0u);
    EXPECT_EQ(schedules, 1u);
    EXPECT_TRUE(day.relaunchScheduleFromCache())
        << "a launch at the end of the day uses the cached table";
    EXPECT_LE(crests, 20u) << "each crest is downloaded once";
    EXPECT_EQ(day.images().mem().size(), 20u);
    EXPECT_EQ(hours[0].signalsQueued, 3u) << "app.launched, the new installation and the session";
    EXPECT_EQ(hours[0].ingestPosts, 1u);
    const auto requests = day.requests();
    const auto firstPost = std::find_if(requests.begin(), requests.end(), [](const SentRequest& r) {
        return r.kind == RequestKind::Ingest;
    });
    ASSERT_NE(firstPost, requests.end());
    EXPECT_LE(firstPost->at, kSaturday + 10)
        << "the send timer posts within 10 seconds of the start";
    // The session was timed second by second all day.
    const auto sessions = day.sessions().recentSessions();
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions.back().durationInSeconds, 24 * 3600);

    // Memory stays with the caches.
    std::set<std::int64_t> visited{liveGW - 1, liveGW, liveGW + 1};
    for (const auto& [gw, events] : vm.matchCache())
        EXPECT_TRUE(visited.count(gw)) << "matchweek " << gw;
    EXPECT_LE(vm.knownTeams().size(), 20u);
    EXPECT_EQ(day.signalsWaiting(), 0u);
    EXPECT_EQ(day.backend().receivedSignals().size(), day.signalsBuilt());
#ifndef __SANITIZE_ADDRESS__
    // (Under the address sanitizer freed memory waits in its quarantine, so
    // the resident size only says how much was freed; its leak check counts.)
    const auto grown =
        static_cast<double>(hours[23].rssBytes) - static_cast<double>(hours[1].rssBytes);
    EXPECT_LE(grown, 8.0 * 1024 * 1024) << "resident memory grew from 02:00 to 24:00";
#endif
}

const Scenario kScenarios[] = {
    {"no_favourite",
     false,
     {
         {at(0, 0), Line::Countdown, at(9, 0), "9h 0m", "STATUS_SCHEDULED", false},
         {at(8, 55), Line::Countdown, at(9, 0), "5m", "STATUS_SCHEDULED", false},
         {at(9, 20), Line::Score, at(9, 0), "20'", "STATUS_FIRST_HALF", false},
         // Two live matches: the title cycles through them every 10 seconds.
         {at(9, 50), Line::Score, at(9, 0), "HT", "STATUS_HALFTIME", true},
         {at(9, 50, 10), Line::Score, at(9, 50), "1'", "STATUS_FIRST_HALF", true},
         {at(9, 50, 20), Line::Score, at(9, 0), "HT", "STATUS_HALFTIME", true},
         // The morning's last match is over: on to the afternoon's first.
         {at(13, 30), Line::Countdown, at(14, 10), "40m", "STATUS_SCHEDULED", false, at(11, 40)},
         {at(17, 0), Line::Countdown, at(36, 0), "19h 0m", "STATUS_SCHEDULED", false, at(15, 10)},
     }},
    {"favourite",
     true,
     {
         {at(0, 0), Line::Countdown, at(11, 10), "11h 10m", "STATUS_SCHEDULED", false},
         {at(11, 30), Line::Score, at(11, 10), "20'", "STATUS_FIRST_HALF", false},
         {at(12, 0), Line::Score, at(11, 10), "HT", "STATUS_HALFTIME", false},
         {at(12, 30), Line::Score, at(11, 10), "64'", "STATUS_SECOND_HALF", false},
         {at(13, 0), Line::NextRound, at(11, 10), "Sat 12 Dec", "STATUS_FULL_TIME", false},
     }},
};

INSTANTIATE_TEST_SUITE_P(Saturday, SimulatedDayTest, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace fixtora::simday
