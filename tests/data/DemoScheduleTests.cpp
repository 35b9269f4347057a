// SPDX-License-Identifier: MIT
// The demo backend's season, end to end: fetched through the schedule and
// printed by `fixtora-inspect --weeks`.
#include "support/MatchBuilders.hpp"

#include "DemoBackend.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>

namespace fixtora {
namespace {

const Instant kNow = test::at("2026-10-03T13:00:00Z");

// Every match of the demo's own round r lies (by its UTC day) in week r.
void expectOwnRounds(const nlohmann::json& season, const std::vector<MatchWeek>& weeks) {
    ASSERT_EQ(weeks.size(), 38u);
    for (const auto& event : season.at("events")) {
        const auto round = event.at("week").at("number").get<std::int64_t>();
        const Instant day =
            test::at(event.at("date").get<std::string>().substr(0, 10) + "T00:00:00Z");
        const auto& w = weeks.at(static_cast<std::size_t>(round - 1));
        EXPECT_EQ(w.number, round);
        EXPECT_TRUE(w.startDate <= day && day <= w.endDate)
            << event.at("date") << " round " << round;
    }
}

std::vector<MatchWeek> printedByInspect(const std::string& document, const char* method) {
    test::TempDir dir;
    test::writeFile(dir / "schedule.json", document);
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
    std::vector<MatchWeek> weeks;
    for (const auto& w : printed.at("weeks")) {
        weeks.push_back({w.at("number").get<std::int64_t>(),
                         test::at(w.at("startDate").get<std::string>()),
                         test::at(w.at("endDate").get<std::string>())});
    }
    EXPECT_EQ(printed.at("method"), method);
    return weeks;
}

class DemoSchedule : public testing::TestWithParam<bool> {};

// 38 weeks with and without week numbers; without them, the demo's own rounds.
TEST_P(DemoSchedule, GivesThirtyEightWeeks) {
    const bool weekNumbers = GetParam();
    auto clock = std::make_shared<SettableClock>(kNow);
    demo::DemoBackend backend({.weekNumbers = weekNumbers}, clock);
    backend.start();
    test::TempDir dir;
    auto main = std::make_shared<ManualScheduler>();
    std::optional<Result<std::vector<MatchWeek>>> got;
    {
        auto schedule = std::make_shared<MatchWeekSchedule>(
            std::make_shared<CurlHttpClient>(), backend.url(),
            std::make_shared<FixedPaths>(dir.path()), clock, main);
        schedule->load([&](Result<std::vector<MatchWeek>> r) { got = std::move(r); });
        ASSERT_TRUE(main->runUntil([&] { return got.has_value(); }, std::chrono::seconds(60)));
    }
    ASSERT_TRUE(got->ok()) << got->error().description;
    EXPECT_EQ(printedByInspect(backend.scheduleDocument().dump(),
                               weekNumbers ? "weekNumber" : "dateCluster"),
              got->value());
    backend.setWeekNumbers(true);
    if (weekNumbers) {
        EXPECT_EQ(got->value().size(), 38u);
    } else {
        expectOwnRounds(backend.scheduleDocument(), got->value());
    }
}

INSTANTIATE_TEST_SUITE_P(WeekNumbers, DemoSchedule, testing::Bool(), [](const auto& param) {
    return param.param ? "WithWeekNumbers" : "WithoutWeekNumbers";
});

}  // namespace
}  // namespace fixtora
