// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/DefaultSignalPayload.hpp"
#include "analytics/LocalCalendar.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/StoredSession.hpp"
#include "platform/WorkerScheduler.hpp"
#include "platform/linux/LinuxSystemInfo.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace analytics::test {
namespace {

constexpr double kDay = 86400;
// 2026-03-01T09:00:00Z, a Sunday.
constexpr fixtora::Instant kMarch1 = 1772355600;

std::vector<std::int64_t> durations(const std::vector<StoredSession>& sessions) {
    std::vector<std::int64_t> out;
    for (const auto& s : sessions) out.push_back(s.durationInSeconds);
    return out;
}

std::vector<StoredSession> storedSessions(const fixtora::InMemoryPreferences& suite) {
    const auto data = suite.data("recentSessions");
    if (!data) return {};
    return StoredSession::decodeList(std::string(data->begin(), data->end()))
        .value_or(std::vector<StoredSession>{});
}

void storeSessions(fixtora::InMemoryPreferences& suite,
                   const std::vector<StoredSession>& sessions) {
    const auto json = *StoredSession::encodeList(sessions);
    suite.setData("recentSessions", fixtora::Preferences::Bytes(json.begin(), json.end()));
}

class SessionManagerTest : public ::testing::Test {
  protected:
    RecordingServices r{kMarch1};

    /// A process start: a new manager on the same suite, then a session.
    std::shared_ptr<SessionManager> launch() {
        auto manager = SessionManager::create(r.services(), r.scheduler);
        manager->startNewSession();
        r.scheduler->runUntilIdle();
        return manager;
    }
};

TEST_F(SessionManagerTest, AWeekOfUseRemembersSessionsDaysAndTheFirstInstall) {
    const auto installs = [&] {
        return r.signalsNamed("Analytics.Acquisition.newInstallDetected").size();
    };
    // Day 1: first launch ever, a 10-second session.
    auto manager = launch();
    EXPECT_EQ(r.signals().at(0).parameters,
              kv("Analytics.Acquisition.firstSessionDate=2026-03-01"));
    EXPECT_EQ(r.suite->string("firstSessionDate"), "2026-03-01");
    r.scheduler->advance(10);
    manager.reset();
    // Day 1 again, later: no second install signal, no new day of use.
    r.scheduler->advance(3600);
    manager = launch();
    r.scheduler->advance(0.5);  // too short to be remembered
    manager.reset();
    // Day 2: 20 seconds of use around 100 seconds of inactivity.
    r.scheduler->advance(kDay);
    manager = launch();
    r.scheduler->advance(12);
    r.notifications->applicationDidResignActive();
    r.scheduler->advance(100);
    r.scheduler->runUntilIdle();
    EXPECT_EQ(durations(storedSessions(*r.suite)), (std::vector<std::int64_t>{10, 12}));
    r.notifications->applicationWillBecomeActive();
    r.scheduler->advance(8);
    manager.reset();
    // Day 5: the current session lasts 5 seconds.
    r.scheduler->advance(3 * kDay);
    manager = launch();
    r.scheduler->advance(5);

    const auto sessions = manager->recentSessions();
    ASSERT_EQ(durations(sessions), (std::vector<std::int64_t>{10, 20, 5}));
    EXPECT_EQ(std::tuple(manager->averageSessionSeconds(), manager->previousSessionSeconds(),
                         r.suite->integer("deletedSessionsCount"), installs()),
              std::tuple(15, 20, 0, 1u));
    // Stored start times are whole seconds.
    EXPECT_EQ(durations(storedSessions(*r.suite)), durations(sessions));
    EXPECT_EQ(storedSessions(*r.suite)[2].startedAt, std::trunc(sessions[2].startedAt));
    EXPECT_EQ(r.suite->stringList("distinctDaysUsed"),
              (std::vector<std::string>{"2026-03-01", "2026-03-02", "2026-03-05"}));
}

TEST(SessionHistory, SessionsOlderThanNinetyDaysArePrunedAndCounted) {
    // Days ago of the stored sessions; a history all pruned is a new installation.
    for (const auto& [older, newer] : {std::pair{91, 89}, std::pair{100, 95}}) {
        RecordingServices r{kMarch1};
        storeSessions(*r.suite, {{kMarch1 - older * kDay, 30}, {kMarch1 - newer * kDay, 40}});
        r.suite->setInteger("deletedSessionsCount", 2);
        auto manager = SessionManager::create(r.services(), r.scheduler);
        manager->startNewSession();
        r.scheduler->runUntilIdle();
        const bool kept = newer < 90;
        using D = std::vector<std::int64_t>;
        EXPECT_EQ(std::tuple(durations(manager->recentSessions()),
                             r.suite->integer("deletedSessionsCount"),
                             r.signalsNamed("Analytics.Acquisition.newInstallDetected").size()),
                  std::tuple(kept ? D{40} : D{}, kept ? 3 : 4, kept ? 0u : 1u))
            << older;
    }
}

TEST_F(SessionManagerTest, UnreadableHistoryStartsEmptyAndIsOverwritten) {
    r.suite->setData("recentSessions", {'n', 'o', 't'});
    auto manager = launch();
    EXPECT_EQ(std::pair(manager->averageSessionSeconds(),
                        r.signalsNamed("Analytics.Acquisition.newInstallDetected").size()),
              std::pair(-1l, 1ul));
    r.scheduler->advance(2);
    EXPECT_EQ(storedSessions(*r.suite).size(), 1u);
}

TEST(SessionStatistics, DamagedStoredDurationsAverageWithoutOverflow) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    // The stored durations (the last one is the latest session, left out) and their average.
    const std::pair<std::vector<std::int64_t>, std::int64_t> cases[] = {
        {{10, 20, 99}, 15},
        {{kMax, kMax, 1}, kMax},
        {{kMin, kMin, -1, 1}, -6148914691236517205},  // (2 kMin - 1) / 3, rounded towards zero
        {{kMax, kMin, 7, 1}, (kMax + kMin + 7) / 3},
    };
    for (const auto& [stored, average] : cases) {
        RecordingServices r(kMarch1);
        std::vector<StoredSession> sessions;
        for (std::size_t i = 0; i < stored.size(); ++i)
            sessions.push_back({kMarch1 - kDay + static_cast<double>(i) * 60, stored[i]});
        storeSessions(*r.suite, sessions);
        auto manager = SessionManager::create(r.services(), r.scheduler);
        EXPECT_EQ(manager->averageSessionSeconds(), average) << ::testing::PrintToString(stored);
    }
}

TEST(StoredSessionCoding, StartTimesAreWholeSecondsAndUnencodableTimesWriteNothing) {
    EXPECT_EQ(StoredSession::encodeList({{1772355600.9, 12}}), R"([{"dn":12,"st":1772355600}])");
    EXPECT_EQ(StoredSession::decodeList(R"([{"st":1772355600,"dn":12}])"),
              (std::vector<StoredSession>{{1772355600, 12}}));
    EXPECT_FALSE(StoredSession::encodeList({{1e19, 1}}));
    EXPECT_FALSE(StoredSession::decodeList(R"([{"st":"x","dn":1}])"));
    EXPECT_FALSE(StoredSession::decodeList(R"({"st":1,"dn":1})"));
}

TEST(SessionPersistence, WritesOnTheWorkerLandInTheOrderTheyWereIssued) {
    RecordingServices r(kMarch1);
    auto worker = std::make_shared<fixtora::WorkerScheduler>("persistence");
    auto manager = SessionManager::create(r.services(), worker);
    manager->startNewSession();
    for (int i = 0; i < 50; ++i) r.scheduler->advance(1);
    worker->drain();
    EXPECT_EQ(durations(storedSessions(*r.suite)), durations(manager->recentSessions()));
    EXPECT_EQ(storedSessions(*r.suite).back().durationInSeconds, 50);
}

using fixtora::LinuxSystemInfo;

TEST(DefaultPayload, CarriesTheLocalMoment) {
    struct Case {
        fixtora::Instant instant;
        const char *zone, *offset;
        // Local day, then day of week, hour, day of year, week, month, quarter, weekend.
        const char* figures;
    };
    // Weeks start on Sunday and the first week needs one day, whatever the
    // locale: 27 December 2026 (a Sunday) already opens week 1 of 2027.
    const Case cases[] = {
        {1780875000, "UTC", "UTC+0", "2026-06-07 7 24 158 24 6 2 true"},
        {1767414600, "America/New_York", "UTC-5", "2026-01-02 5 24 2 1 1 1 false"},
        {1798747200, "Asia/Kolkata", "UTC+5:30", "2027-01-01 5 2 1 1 1 1 false"},
        {1798372800, "UTC", "UTC+0", "2026-12-27 7 13 361 1 12 4 true"},
        {1768478400, "America/St_Johns", "UTC-3:30", "2026-01-15 4 9 15 3 1 1 false"},
        {1782907200, "Europe/London", "UTC+1", "2026-07-01 3 14 182 27 7 3 false"},
        {1780740000, "Nowhere/Special", "UTC+0", "2026-06-06 6 11 157 23 6 2 true"},
    };
    for (const auto& c : cases) {
        RecordingServices r(c.instant);
        r.system->setTimeZoneIdentifier(c.zone);
        auto p = DefaultSignalPayload::parameters({r.system, r.clock, nullptr, nullptr});
        std::string figures = p["Analytics.Acquisition.firstSessionDate"];  // today, locally
        for (const char* key : {"dayOfWeek", "hourOfDay", "dayOfYear", "weekOfYear", "monthOfYear",
                                "quarterOfYear", "isWeekend"})
            figures += " " + p["Analytics.Calendar." + std::string(key)];
        EXPECT_EQ(figures, c.figures) << c.zone;
        EXPECT_EQ(p["Analytics.Device.timeZone"], c.offset) << c.zone;
        EXPECT_EQ(p["Analytics.Calendar.dayOfMonth"], std::to_string(std::stoi(c.figures + 8)));
    }
    // Less than an hour west of Greenwich.
    EXPECT_EQ(LocalCalendar::offsetText(-1800), "UTC-0:30");
}

TEST(DefaultPayload, RetentionFiguresComeFromTheSuiteAndTheSessionHistory) {
    RecordingServices r;  // 2026-06-01
    storeSessions(*r.suite, {{kStart - 3 * kDay, 10}, {kStart - 2 * kDay, 20}, {kStart - kDay, 5}});
    r.suite->setInteger("deletedSessionsCount", 4);
    r.suite->setString("firstSessionDate", "2026-01-10");
    // The cutoff of the last month is 2026-05-02 (GMT).
    r.suite->setStringList("distinctDaysUsed",
                           {"2026-04-30", "2026-05-01", "2026-05-02", "2026-05-20"});
    auto manager = SessionManager::create(r.services(), r.scheduler);
    r.scheduler->runUntilIdle();

    auto p =
        DefaultSignalPayload::parameters({r.system, r.clock, manager, r.services().customDefaults});
    // Creating the manager recorded today as a day of use.
    const auto expected =
        kv("Acquisition.firstSessionDate=2026-01-10 "
           "Retention.averageSessionSeconds=15 Retention.previousSessionSeconds=20 "
           "Retention.distinctDaysUsed=5 Retention.distinctDaysUsedLastMonth=3 "
           "Retention.totalSessionsCount=7");
    for (const auto& [key, value] : expected) EXPECT_EQ(p["Analytics." + key], value) << key;
}

TEST(LinuxSystemInfo, ParsesVersions) {
    const std::pair<const char*, fixtora::OperatingSystemVersion> cases[] = {
        {"12", {12, 0, 0}},       {"22.04", {22, 4, 0}},  {"6.1.0-18-amd64", {6, 1, 0}},
        {"39.1.2.7", {39, 1, 2}}, {"rolling", {0, 0, 0}}, {"", {0, 0, 0}},
    };
    for (const auto& [text, version] : cases)
        EXPECT_EQ(LinuxSystemInfo::parseVersion(text), version) << text;
}

TEST(LinuxSystemInfo, SplitsPosixLocaleNames) {
    // Name, then identifier, language and region.
    const std::pair<const char*, const char*> cases[] = {
        {"de_AT.utf8@euro", "de_AT de AT"}, {"fr", "fr fr -"},
        {"es_419", "es_419 es 419"},        {"C.UTF-8", "en_US_POSIX en US"},
        {"../../etc", "en_US_POSIX en US"},
    };
    for (const auto& [name, text] : cases) {
        const auto parts = LinuxSystemInfo::parseLocale(name);
        EXPECT_EQ(parts.identifier + " " + parts.language.value_or("-") + " " +
                      parts.region.value_or("-"),
                  text);
    }
    const auto locale = LinuxSystemInfo::parseLocale("pt_BR.UTF-8");
    EXPECT_EQ(LinuxSystemInfo::languageTags("de_AT:de::fr_CH.UTF-8:de", locale),
              (std::vector<std::string>{"de-AT", "de", "fr-CH"}));
    EXPECT_EQ(LinuxSystemInfo::languageTags("", locale), (std::vector<std::string>{"pt-BR"}));
}

}  // namespace
}  // namespace analytics::test
