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

const Instant kNow = at("2024-09-01T12:00:00Z");

// Weeks 1 (16-18 Aug) and 2 (23-25 Aug).
const std::vector<MatchWeek> kTwoWeeks{{1, at("2024-08-16T00:00:00Z"), at("2024-08-18T23:59:59Z")},
                                       {2, at("2024-08-23T00:00:00Z"), at("2024-08-25T23:59:59Z")}};

// A one-match season as the backend sends it, and the table computed from it.
const char* const kSeasonBody =
    R"({"events":[{"id":"1","date":"2024-08-16T19:00Z","week":{"number":1},"competitions":[]}]})";
const std::vector<MatchWeek> kSeasonTable{
    {1, at("2024-08-16T19:00:00Z"), at("2024-08-17T18:59:59Z")}};

void setModificationTime(const std::filesystem::path& file, Instant t) {
    const auto sys = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::duration<double>(t)));
    std::filesystem::last_write_time(file, std::chrono::file_clock::from_sys(sys));
}

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

    void writeCache(const std::string& bytes, double ageSeconds) {
        test::writeFile(m_schedule->cacheFile(), bytes);
        setModificationTime(m_schedule->cacheFile(), kNow - ageSeconds);
    }

    /// Runs `call` with a recording completion and waits for it on the main
    /// scheduler; returns the result.
    Result<std::vector<MatchWeek>> run(
        void (MatchWeekSchedule::*call)(MatchWeekSchedule::Completion)) {
        std::optional<Result<std::vector<MatchWeek>>> got;
        ((*m_schedule).*call)([&](Result<std::vector<MatchWeek>> r) { got = std::move(r); });
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

struct AgeCase {
    const char* name;
    double ageSeconds;
    bool fresh;
};

// Names the case in test output; gtest's fallback dumps the raw bytes,
// padding included.
void PrintTo(const AgeCase& c, std::ostream* os) {
    *os << c.name;
}

class ScheduleCacheAge : public ScheduleTest, public testing::WithParamInterface<AgeCase> {};

TEST_P(ScheduleCacheAge, UsesTheFileForOneDay) {
    writeCache(encodeMatchWeeks(kTwoWeeks), GetParam().ageSeconds);
    bool synchronous = false;
    m_schedule->load([&](Result<std::vector<MatchWeek>>) { synchronous = true; });
    EXPECT_EQ(synchronous, GetParam().fresh);
    if (!synchronous) {
        EXPECT_TRUE(m_main->runUntil([&] { return m_schedule->weeks() == kSeasonTable; }));
    }
    EXPECT_EQ(m_schedule->weeks(), GetParam().fresh ? kTwoWeeks : kSeasonTable);
    EXPECT_EQ(m_server.totalHits(), GetParam().fresh ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Ages, ScheduleCacheAge,
                         testing::Values(AgeCase{"TwentyThreeHours", 23 * 3600, true},
                                         AgeCase{"ExactlyOneDay", 86400, true},
                                         AgeCase{"TwentyFiveHours", 25 * 3600, false},
                                         AgeCase{"FromTheFuture", -3600, false}),
                         [](const auto& param) { return std::string(param.param.name); });

struct BadFileCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const BadFileCase& c, std::ostream* os) {
    *os << c.name;
}

class ScheduleBadCacheFile : public ScheduleTest,
                             public testing::WithParamInterface<BadFileCase> {};

// A broken file is refetched and replaced; it never blocks the next start.
TEST_P(ScheduleBadCacheFile, IsFetchedAgainAndReplaced) {
    writeCache(GetParam().bytes, 60);
    const auto result = run(&MatchWeekSchedule::load);
    ASSERT_TRUE(result.ok()) << result.error().description;
    EXPECT_EQ(result.value(), kSeasonTable);
    EXPECT_EQ(m_server.totalHits(), 1);
    EXPECT_EQ(decodeMatchWeeks(test::readFile(m_schedule->cacheFile())), kSeasonTable);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ScheduleBadCacheFile,
    testing::Values(BadFileCase{"Truncated", encodeMatchWeeks(kTwoWeeks).substr(0, 40)},
                    BadFileCase{"NotJson", "<html>cache</html>"},
                    BadFileCase{"Object", R"({"number":1,"startDate":0,"endDate":1})"},
                    BadFileCase{"TextNumber", R"([{"number":"1","startDate":0,"endDate":1}])"},
                    BadFileCase{"FractionalNumber",
                                R"([{"number":1.5,"startDate":0,"endDate":1}])"},
                    BadFileCase{"MissingKey", R"([{"number":1,"startDate":0}])"},
                    BadFileCase{"EmptyArray", "[]"}, BadFileCase{"Empty", ""}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ScheduleTest, CacheFileCountsFromTwoThousandOne) {
    ASSERT_TRUE(run(&MatchWeekSchedule::fetchAndBuild).ok());
    const auto file = nlohmann::json::parse(test::readFile(m_schedule->cacheFile()));
    ASSERT_EQ(file.size(), 1u);
    EXPECT_EQ(file[0].at("number"), 1);
    EXPECT_DOUBLE_EQ(file[0].at("startDate").get<double>(), 745527600.0);  // 2024-08-16T19:00:00Z
    EXPECT_DOUBLE_EQ(file[0].at("endDate").get<double>(), 745527600.0 + 86399);
    // Fractions survive the round trip.
    const std::vector<MatchWeek> fractional{{7, 1723834800.25, 1723921199.75}};
    EXPECT_EQ(decodeMatchWeeks(encodeMatchWeeks(fractional)), fractional);
}

struct FailureCase {
    const char* name;
    int status;
    std::string body;
    std::string domain;  // empty: accepted
    std::string description;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class ScheduleAnswer : public ScheduleTest, public testing::WithParamInterface<FailureCase> {};

// A failed fetch leaves the previous table and the cache file as they were.
TEST_P(ScheduleAnswer, KeepsThePreviousTableOnFailure) {
    writeCache(encodeMatchWeeks(kTwoWeeks), 0);
    ASSERT_TRUE(run(&MatchWeekSchedule::load).ok());
    const auto before = test::readFile(m_schedule->cacheFile());

    answer(GetParam().status, GetParam().body);
    const auto result = run(&MatchWeekSchedule::fetchAndBuild);
    if (GetParam().domain.empty()) {
        ASSERT_TRUE(result.ok()) << result.error().description;
        EXPECT_EQ(m_schedule->weeks(), kSeasonTable);
        return;
    }
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), (Error{GetParam().domain, -1, GetParam().description}));
    EXPECT_EQ(m_schedule->weeks(), kTwoWeeks);
    EXPECT_EQ(test::readFile(m_schedule->cacheFile()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ScheduleAnswer,
    testing::Values(
        FailureCase{"Status500WithSeason", 500, kSeasonBody, "", ""},
        FailureCase{"NoEventsKey", 200, "{}", "Schedule", "No season data from ESPN"},
        FailureCase{"NoEvents", 200, R"({"events":[]})", "Schedule", "No season data from ESPN"},
        FailureCase{"NotJson", 200, "<html>", "Schedule", "No season data from ESPN"},
        FailureCase{"Empty", 204, "", "Schedule", "No season data from ESPN"},
        FailureCase{"NotFound", 404, "Not Found", "Schedule", "No season data from ESPN"},
        FailureCase{"NoUsableDay", 200,
                    R"({"events":[{"id":"1","date":"soon","competitions":[]}]})", "Schedule",
                    "No season data from ESPN"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ScheduleTest, TransportErrorArrivesOnTheMainScheduler) {
    m_schedule = makeSchedule("http://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()));
    const auto result = run(&MatchWeekSchedule::fetchAndBuild);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().domain, kHttpErrorDomain);
    EXPECT_TRUE(m_schedule->weeks().empty());
}

TEST_F(ScheduleTest, InvalidBackendUrlFailsAtOnce) {
    for (const char* base :
         {"", "not a url", "ftp://example.org", "http://", "http://exa mple.org"}) {
        m_schedule = makeSchedule(base);
        std::optional<Result<std::vector<MatchWeek>>> got;
        m_schedule->load([&](Result<std::vector<MatchWeek>> r) { got = std::move(r); });
        ASSERT_TRUE(got.has_value()) << base;
        EXPECT_EQ(got->error(), (Error{"Schedule", -1, "Invalid backend URL"})) << base;
    }
    EXPECT_EQ(m_server.totalHits(), 0);
}

TEST_F(ScheduleTest, UnwritableCachesFolderStillDeliversTheTable) {
    // The caches folder is a file: nothing can be created under it.
    test::TempDir other;
    test::writeFile(other.path() / "cache", "not a folder");
    m_schedule = std::make_shared<MatchWeekSchedule>(
        m_http, m_server.url(), std::make_shared<FixedPaths>(other.path()), m_clock, m_main);
    const auto result = run(&MatchWeekSchedule::load);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value(), kSeasonTable);
    EXPECT_FALSE(std::filesystem::exists(m_schedule->cacheFile()));
}

struct LookupCase {
    const char* at;
    std::int64_t expected;
};

class ScheduleLookup : public ScheduleTest, public testing::WithParamInterface<LookupCase> {};

TEST_P(ScheduleLookup, FindsTheCurrentWeek) {
    writeCache(encodeMatchWeeks(kTwoWeeks), 0);
    m_schedule->load([](Result<std::vector<MatchWeek>>) {});
    EXPECT_EQ(m_schedule->currentWeekNumber(at(GetParam().at)), GetParam().expected)
        << GetParam().at;
}

INSTANTIATE_TEST_SUITE_P(
    Instants, ScheduleLookup,
    testing::Values(LookupCase{"2024-08-20T12:00:00Z", 2},  // gap: the coming week
                    LookupCase{"2024-08-10T12:00:00Z", 1},  // before the season
                    LookupCase{"2025-06-01T12:00:00Z", 2},  // after it
                    LookupCase{"2024-08-18T23:59:59Z", 1},  // end is inclusive
                    LookupCase{"2024-08-23T00:00:00Z", 2}));

TEST_F(ScheduleTest, LookupsOnEmptyAndDuplicatedTables) {
    EXPECT_EQ(m_schedule->currentWeekNumber(kNow), 1);
    EXPECT_FALSE(m_schedule->week(1));

    auto duplicated = kTwoWeeks;
    duplicated.push_back({2, at("2024-09-01T00:00:00Z"), at("2024-09-01T23:59:59Z")});
    // A later week starting before an earlier one: the first match in table order wins.
    duplicated.push_back({5, at("2024-08-01T00:00:00Z"), at("2024-08-30T00:00:00Z")});
    writeCache(encodeMatchWeeks(duplicated), 0);
    m_schedule->load([](Result<std::vector<MatchWeek>>) {});
    EXPECT_EQ(m_schedule->week(2), kTwoWeeks[1]);
    EXPECT_FALSE(m_schedule->week(3));
    EXPECT_EQ(m_schedule->currentWeekNumber(at("2024-08-17T00:00:00Z")), 1);
    EXPECT_EQ(m_schedule->currentWeekNumber(at("2024-08-20T00:00:00Z")), 5);
}

}  // namespace
}  // namespace fixtora
