// SPDX-License-Identifier: MIT
// The backend's URLs, and the schedule's cache file against the schedule's lifetime.
#include "data/APIClient.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/ManualScheduler.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace fixtora {
namespace {

/// Holds every request until the test answers it, on the test's thread.
class HeldHttpClient final : public HttpClient {
  public:
    void send(HttpRequest, Completion completion) override {
        m_held.push_back(std::move(completion));
    }
    void answer(std::size_t index, HttpResponse response) { m_held.at(index)(std::move(response)); }

  private:
    std::vector<Completion> m_held;
};

struct ScheduleFaultTest : testing::Test {
    std::shared_ptr<MatchWeekSchedule> schedule(const std::string& baseUrl) {
        return std::make_shared<MatchWeekSchedule>(http, baseUrl, paths, clock, main);
    }

    test::TempDir dir;
    std::shared_ptr<const Paths> paths = std::make_shared<FixedPaths>(dir.path());
    std::shared_ptr<SettableClock> clock = std::make_shared<SettableClock>(0);
    std::shared_ptr<ManualScheduler> main = std::make_shared<ManualScheduler>(clock);
    std::shared_ptr<HeldHttpClient> http = std::make_shared<HeldHttpClient>();
};

TEST_F(ScheduleFaultTest, ClientAndScheduleJoinTheBaseUrlAlike) {
    for (const std::string base : {"https://h", "https://h/", "https://h//", "http://h:8080/v1/"}) {
        const std::string root = base.substr(0, base.find_last_not_of('/') + 1);
        const auto scoreboard = APIClient(http, base).scoreboardUrl(0, 0).value();
        EXPECT_EQ(
            std::tuple(schedule(base)->scheduleUrl(), scoreboard.substr(0, scoreboard.find('?'))),
            std::tuple(root + "/api/epl/schedule", root + "/api/epl/scoreboard"));
    }
}

TEST_F(ScheduleFaultTest, TheCacheFileIsWrittenOnlyWhileTheScheduleLives) {
    const HttpResponse season{
        200, {}, R"({"events":[{"id":"1","date":"2024-08-16T19:00Z","competitions":[]}]})"};
    auto live = schedule("https://h");
    const auto file = live->cacheFile();
    live->fetchAndBuild([](auto) {});
    http->answer(0, season);
    main->runUntilIdle();
    ASSERT_TRUE(std::filesystem::exists(file));
    std::filesystem::remove(file);

    // The answer arrives, then the schedule goes before the main thread takes it.
    live->fetchAndBuild([](auto) {});
    http->answer(1, season);
    live.reset();
    main->runUntilIdle();
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace fixtora
