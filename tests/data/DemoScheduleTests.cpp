// SPDX-License-Identifier: MIT
// The demo backend's season without week numbers, as `fixtora-inspect
// --weeks` prints it: the demo's own rounds, as the schedule computes them.
#include "support/MatchBuilders.hpp"

#include "DemoBackend.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>

namespace fixtora {
namespace {

TEST(DemoSchedule, InspectPrintsTheDemoRoundsAsWeeks) {
    demo::DemoBackend backend({.weekNumbers = false},
                              std::make_shared<SettableClock>(test::at("2026-10-03T13:00:00Z")));
    test::TempDir dir;
    test::writeFile(dir / "schedule.json", backend.scheduleDocument().dump());
    const std::string command = "TZ=Asia/Tokyo '" FIXTORA_INSPECT "' --weeks - < '" +
                                (dir / "schedule.json").string() + "'";
    std::string out;
    {
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        char buffer[4096];
        for (std::size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
            out.append(buffer, n);
    }
    const auto printed = nlohmann::json::parse(out);
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
    for (const auto& event : backend.scheduleDocument().at("events")) {
        const auto round = event.at("week").at("number").get<std::int64_t>();
        const Instant day =
            test::at(event.at("date").get<std::string>().substr(0, 10) + "T00:00:00Z");
        const auto& w = weeks.at(static_cast<std::size_t>(round - 1));
        EXPECT_TRUE(w.startDate <= day && day <= w.endDate) << event.at("date") << " " << round;
    }
}

}  // namespace
}  // namespace fixtora
