// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/DefaultSignalPayload.hpp"
#include "analytics/LocalCalendar.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/StoredSession.hpp"
#include "platform/linux/LinuxSystemInfo.hpp"

#include <gtest/gtest.h>

namespace analytics::test {
namespace {

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
    const std::string sessions = *StoredSession::encodeList(
        {{kStart - 3 * 86400, 10}, {kStart - 2 * 86400, 20}, {kStart - 86400, 5}});
    r.suite->setData("recentSessions",
                     fixtora::Preferences::Bytes(sessions.begin(), sessions.end()));
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
