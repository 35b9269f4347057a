// SPDX-License-Identifier: MIT
// The developer CLI: a real document and a broken one, and the demo
// backend's season without week numbers as `--weeks` prints it (the demo's
// own rounds, as the schedule computes them).
#include "support/MatchBuilders.hpp"

#include "DemoBackend.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

namespace fixtora {
namespace {

// The inspector's output (stdout, and what `redirect` adds) and exit status, in Tokyo.
std::pair<std::string, int> inspect(const std::string& arguments, const char* redirect = "") {
    const std::string command = "TZ=Asia/Tokyo '" FIXTORA_INSPECT "' " + arguments + redirect;
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = pipe ? pclose(pipe) : -1;
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(InspectEvents, PrintsTheDerivedValuesOrTheDecoderError) {
    const auto [out, rc] = inspect(
        "'" + test::testDataPath("espn/wc2026_20260704T1756Z_halftime.json").string() + "'");
    const auto events = nlohmann::json::parse(out);
    EXPECT_EQ(std::tuple(rc, events.size()), std::tuple(0, 32u));
    const auto e = std::find_if(events.begin(), events.end(),
                                [](const auto& ev) { return ev.at("id") == "760502"; });
    ASSERT_NE(e, events.end());
    EXPECT_EQ(std::tuple(e->at("isLive"), e->at("clockLabel"), e->at("status"),
                         e->at("home").at("abbreviation")),
              std::tuple(true, "HT", "STATUS_HALFTIME", "CAN"));
    EXPECT_TRUE(testing::internal::RE::FullMatch(e->at("localDate").get<std::string>(),
                                                 "2026-07-04T[0-9]{2}:[0-9]{2}:00Z"));

    test::TempDir dir;
    test::writeFile(dir / "broken.json", R"({"events": [{"id": "1", "date": 5}]})");
    const auto [out2, rc2] = inspect("'" + (dir / "broken.json").string() + "'", " 2>/dev/null");
    EXPECT_EQ(std::tuple(out2, rc2), std::tuple("", 1));
    const auto [both, again] = inspect("'" + (dir / "broken.json").string() + "'", " 2>&1");
    EXPECT_NE(both.find("events[0].date should be a string"), std::string::npos) << both;
}

TEST(DemoSchedule, InspectPrintsTheDemoRoundsAsWeeks) {
    demo::DemoBackend backend({.weekNumbers = false},
                              std::make_shared<SettableClock>(test::at("2026-10-03T13:00:00Z")));
    test::TempDir dir;
    test::writeFile(dir / "schedule.json", backend.scheduleDocument().dump());
    const auto printed = nlohmann::json::parse(
        inspect("--weeks - < '" + (dir / "schedule.json").string() + "'", "").first);
    EXPECT_EQ(printed.at("method"), "dateCluster");
    const auto weeks =
        computeMatchWeeks(*decodeScoreboard(backend.scheduleDocument().dump()).value().events);
    ASSERT_EQ(printed.at("weeks").size(), 38u);
    ASSERT_EQ(weeks.size(), 38u);
    for (std::size_t k = 0; k < weeks.size(); ++k) {
        const auto& w = printed.at("weeks")[k];
        EXPECT_EQ(
            (MatchWeek{w.at("number"), test::at(w.at("startDate")), test::at(w.at("endDate"))}),
            weeks[k]);
    }
    // Every match of the demo's own round r lies (by its UTC day) in week r.
    backend.setWeekNumbers(true);
    const auto numbered = backend.scheduleDocument();
    for (const auto& event : numbered.at("events")) {
        const auto round = event.at("week").at("number").get<std::int64_t>();
        const Instant day =
            test::at(event.at("date").get<std::string>().substr(0, 10) + "T00:00:00Z");
        const auto& w = weeks.at(static_cast<std::size_t>(round - 1));
        EXPECT_TRUE(w.startDate <= day && day <= w.endDate) << event.at("date") << " " << round;
    }
}

}  // namespace
}  // namespace fixtora
