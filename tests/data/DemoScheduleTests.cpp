// SPDX-License-Identifier: MIT
// The demo backend's season without week numbers, as the schedule computes
// it: its own rounds, one week each.
#include "support/MatchBuilders.hpp"

#include "DemoBackend.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace fixtora {
namespace {

TEST(DemoSchedule, DateClustersAreTheDemoRounds) {
    demo::DemoBackend backend({.weekNumbers = false},
                              std::make_shared<SettableClock>(test::at("2026-10-03T13:00:00Z")));
    const auto events = *decodeScoreboard(backend.scheduleDocument().dump()).value().events;
    const auto weeks = computeMatchWeeks(events);
    ASSERT_EQ(std::tuple(matchWeekMethod(events), weeks.size()),
              std::tuple(MatchWeekMethod::DateCluster, 38u));
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
