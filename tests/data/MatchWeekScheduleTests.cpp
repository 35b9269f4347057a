// SPDX-License-Identifier: MIT
#include "support/MatchBuilders.hpp"

#include "data/MatchWeekSchedule.hpp"
#include "platform/CurlHttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "support/LoopbackServer.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>

namespace fixtora {
namespace {

using test::at;
using Weeks = std::vector<MatchWeek>;

const Instant kNow = at("2024-09-01T12:00:00Z");

// Weeks 1 (16-18 Aug) and 2 (23-25 Aug).
const Weeks kTwoWeeks{{1, at("2024-08-16T00:00:00Z"), at("2024-08-18T23:59:59Z")},
                      {2, at("2024-08-23T00:00:00Z"), at("2024-08-25T23:59:59Z")}};

// A one-match season as the backend sends it, and the table computed from it.
const char* const kSeasonBody =
    R"({"events":[{"id":"1","date":"2024-08-16T19:00Z","week":{"number":1},"competitions":[]}]})";
const Weeks kSeasonTable{{1, at("2024-08-16T19:00:00Z"), at("2024-08-17T18:59:59Z")}};

class ScheduleTest : public testing::Test {
  protected:
    void SetUp() override {
        answer(200, kSeasonBody);
        m_server.start();
        m_schedule = makeSchedule(m_server.url());
    }

    std::shared_ptr<MatchWeekSchedule> makeSchedule(const std::string& baseUrl) {
        return std::make_shared<MatchWeekSchedule>(m_http, baseUrl, m_paths, m_clock, m_main);
    }

    void answer(int status, std::string body) {
        m_server.answer("/api/epl/schedule", {status, std::move(body)});
    }

    // A fresh schedule over a cache file `ageSeconds` old.
    void writeCache(const std::string& bytes, double ageSeconds) {
        m_schedule = makeSchedule(m_server.url());
        test::writeFile(m_schedule->cacheFile(), bytes);
        const std::chrono::duration<double> age(kNow - ageSeconds);
        std::filesystem::last_write_time(
            m_schedule->cacheFile(),
            std::chrono::file_clock::from_sys(std::chrono::system_clock::time_point(
                std::chrono::duration_cast<std::chrono::system_clock::duration>(age))));
    }

    // Runs `call` and waits for its completion on the main scheduler.
    Result<Weeks> run(void (MatchWeekSchedule::*call)(MatchWeekSchedule::Completion)) {
        std::optional<Result<Weeks>> got;
        ((*m_schedule).*call)([&](Result<Weeks> r) { got = std::move(r); });
        EXPECT_TRUE(m_main->runUntil([&] { return got.has_value(); }));
        return got.value_or(Error{"test", 0, "no completion"});
    }

    test::TempDir m_dir;
    std::shared_ptr<const Paths> m_paths = std::make_shared<FixedPaths>(m_dir.path());
    std::shared_ptr<SettableClock> m_clock = std::make_shared<SettableClock>(kNow);
    std::shared_ptr<ManualScheduler> m_main = std::make_shared<ManualScheduler>();
    // Declared first so that it stops last, after the client has closed its
    // kept-alive connections.
    test::LoopbackServer m_server;
    std::shared_ptr<HttpClient> m_http = std::make_shared<CurlHttpClient>();
    std::shared_ptr<MatchWeekSchedule> m_schedule;
};

TEST_F(ScheduleTest, UsesTheCacheFileForOneDay) {
    const std::pair<double, bool> cases[] = {
        {23 * 3600, true}, {86400, true}, {25 * 3600, false}, {-3600, false}};
    for (const auto& [age, fresh] : cases) {
        writeCache(encodeMatchWeeks(kTwoWeeks), age);
        const int hits = m_server.totalHits();
        bool synchronous = false;
        m_schedule->load([&](Result<Weeks>) { synchronous = true; });
        EXPECT_EQ(synchronous, fresh) << age;
        if (!fresh) {
            EXPECT_TRUE(m_main->runUntil([&] { return m_schedule->weeks() == kSeasonTable; }));
        }
        EXPECT_EQ(m_schedule->weeks(), fresh ? kTwoWeeks : kSeasonTable) << age;
        EXPECT_EQ(m_server.totalHits() - hits, fresh ? 0 : 1) << age;
    }
}

TEST_F(ScheduleTest, CacheFileCountsFromTwoThousandOne) {
    ASSERT_TRUE(run(&MatchWeekSchedule::fetchAndBuild).ok());
    const auto file = nlohmann::json::parse(test::readFile(m_schedule->cacheFile()));
    EXPECT_EQ(file, nlohmann::json::parse(  // 2024-08-16T19:00:00Z
                        R"([{"number":1,"startDate":745527600.0,"endDate":745613999.0}])"));
    const Weeks fractional{{7, 1723834800.25, 1723921199.75}};
    EXPECT_EQ(decodeMatchWeeks(encodeMatchWeeks(fractional)), fractional);
}

// A failed fetch leaves the previous table and the cache file as they were.
TEST_F(ScheduleTest, FailedFetchKeepsThePreviousTable) {
    const std::pair<int, std::string> cases[] = {
        {200, "{}"},
        {404, "Not Found"},
        {200, R"({"events":[{"id":"1","date":"soon","competitions":[]}]})"}};
    writeCache(encodeMatchWeeks(kTwoWeeks), 0);
    ASSERT_TRUE(run(&MatchWeekSchedule::load).ok());
    const auto before = test::readFile(m_schedule->cacheFile());
    for (const auto& [status, body] : cases) {
        answer(status, body);
        const auto result = run(&MatchWeekSchedule::fetchAndBuild);
        ASSERT_FALSE(result.ok()) << body;
        EXPECT_EQ(std::tuple(result.error(), m_schedule->weeks(),
                             test::readFile(m_schedule->cacheFile())),
                  std::tuple(Error{"Schedule", -1, "No season data from ESPN"}, kTwoWeeks, before));
    }
    // The status does not matter when a season comes with it.
    answer(500, kSeasonBody);
    ASSERT_TRUE(run(&MatchWeekSchedule::fetchAndBuild).ok());
    EXPECT_EQ(m_schedule->weeks(), kSeasonTable);
}

TEST_F(ScheduleTest, InvalidBackendUrlFailsAtOnce) {
    for (const char* base :
         {"", "not a url", "ftp://example.org", "http://", "http://exa mple.org"}) {
        m_schedule = makeSchedule(base);
        std::optional<Result<Weeks>> got;
        m_schedule->load([&](Result<Weeks> r) { got = std::move(r); });
        ASSERT_TRUE(got.has_value()) << base;
        EXPECT_EQ(got->error(), (Error{"Schedule", -1, "Invalid backend URL"})) << base;
    }
    EXPECT_EQ(m_server.totalHits(), 0);
}

TEST_F(ScheduleTest, FindsTheCurrentWeek) {
    auto weeks = kTwoWeeks;
    weeks.push_back({2, at("2024-09-01T00:00:00Z"), at("2024-09-01T23:59:59Z")});
    // A later week starting before an earlier one: the first match in table order wins.
    weeks.push_back({5, at("2024-08-01T00:00:00Z"), at("2024-08-30T00:00:00Z")});
    writeCache(encodeMatchWeeks(weeks), 0);
    m_schedule->load([](Result<Weeks>) {});
    EXPECT_EQ(std::tuple(m_schedule->week(2), m_schedule->week(3),
                         m_schedule->currentWeekNumber(at("2024-08-17T00:00:00Z")),
                         m_schedule->currentWeekNumber(at("2024-08-20T00:00:00Z"))),
              std::tuple(kTwoWeeks[1], std::nullopt, 1, 5));

    writeCache(encodeMatchWeeks(kTwoWeeks), 0);
    m_schedule->load([](Result<Weeks>) {});
    const std::pair<const char*, std::int64_t> cases[] = {
        {"2024-08-20T12:00:00Z", 2},  // gap: the coming week
        {"2024-08-10T12:00:00Z", 1},  // before the season
        {"2025-06-01T12:00:00Z", 2},  // after it
        {"2024-08-18T23:59:59Z", 1},  // end is inclusive
        {"2024-08-23T00:00:00Z", 2}};
    for (const auto& [instant, week] : cases)
        EXPECT_EQ(m_schedule->currentWeekNumber(at(instant)), week) << instant;
}

}  // namespace
}  // namespace fixtora
