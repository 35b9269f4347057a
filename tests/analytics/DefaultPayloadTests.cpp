// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/DefaultSignalPayload.hpp"
#include "analytics/LocalCalendar.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/StoredSession.hpp"

#include <gtest/gtest.h>

#include <set>

namespace analytics::test {
namespace {

struct CalendarCase {
    const char* name;
    fixtora::Instant instant;
    const char* zone;
    const char* timeZone;
    const char* day;  // local YYYY-MM-DD
    int dayOfWeek, hourOfDay, dayOfYear, weekOfYear, month, quarter;
    bool weekend;
};

// Weeks start on Sunday and the first week needs one day, whatever the
// locale: 27 December 2026 (a Sunday) already opens week 1 of 2027.
const CalendarCase kCalendarCases[] = {
    {"UtcSundayLateEvening", 1780875000, "UTC", "UTC+0", "2026-06-07", 7, 24, 158, 24, 6, 2, true},
    {"NewYorkFridayNight", 1767414600, "America/New_York", "UTC-5", "2026-01-02", 5, 24, 2, 1, 1, 1,
     false},
    {"KolkataNewYear", 1798747200, "Asia/Kolkata", "UTC+5:30", "2027-01-01", 5, 2, 1, 1, 1, 1,
     false},
    {"UtcSaturday", 1780740000, "UTC", "UTC+0", "2026-06-06", 6, 11, 157, 23, 6, 2, true},
    {"SundayOpeningNextYearsFirstWeek", 1798372800, "UTC", "UTC+0", "2026-12-27", 7, 13, 361, 1, 12,
     4, true},
    {"NewfoundlandHalfHourWest", 1768478400, "America/St_Johns", "UTC-3:30", "2026-01-15", 4, 9, 15,
     3, 1, 1, false},
    {"LondonSummerTime", 1782907200, "Europe/London", "UTC+1", "2026-07-01", 3, 14, 182, 27, 7, 3,
     false},
    {"UtcJustAfterMidnight", 1780273800, "UTC", "UTC+0", "2026-06-01", 1, 1, 152, 23, 6, 2, false},
    {"UnknownZoneCountsAsGmt", 1780740000, "Nowhere/Special", "UTC+0", "2026-06-06", 6, 11, 157, 23,
     6, 2, true},
};

class CalendarFiguresTest : public ::testing::TestWithParam<CalendarCase> {};

TEST_P(CalendarFiguresTest, PayloadCarriesTheLocalMoment) {
    const CalendarCase& c = GetParam();
    RecordingServices r(c.instant);
    r.system->setTimeZoneIdentifier(c.zone);
    DefaultSignalPayload::Sources sources{r.system, r.clock, nullptr, nullptr};
    const auto p = DefaultSignalPayload::parameters(sources);

    EXPECT_EQ(p.at("Analytics.Device.timeZone"), c.timeZone);
    EXPECT_EQ(p.at("Analytics.Calendar.dayOfWeek"), std::to_string(c.dayOfWeek));
    EXPECT_EQ(p.at("Analytics.Calendar.hourOfDay"), std::to_string(c.hourOfDay));
    EXPECT_EQ(p.at("Analytics.Calendar.dayOfYear"), std::to_string(c.dayOfYear));
    EXPECT_EQ(p.at("Analytics.Calendar.weekOfYear"), std::to_string(c.weekOfYear));
    EXPECT_EQ(p.at("Analytics.Calendar.monthOfYear"), std::to_string(c.month));
    EXPECT_EQ(p.at("Analytics.Calendar.quarterOfYear"), std::to_string(c.quarter));
    EXPECT_EQ(p.at("Analytics.Calendar.isWeekend"), c.weekend ? "true" : "false");
    EXPECT_EQ(p.at("Analytics.Calendar.dayOfMonth"),
              std::to_string(std::stoi(std::string(c.day).substr(8))));
    // Without a suite the first session date is today, locally.
    EXPECT_EQ(p.at("Analytics.Acquisition.firstSessionDate"), c.day);
}

INSTANTIATE_TEST_SUITE_P(Zones, CalendarFiguresTest, ::testing::ValuesIn(kCalendarCases),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(OffsetText, WholeAndPartialHoursEitherSideOfGmt) {
    const std::pair<int, const char*> cases[] = {
        {3600, "UTC+1"},      {-18000, "UTC-5"},   {19800, "UTC+5:30"}, {0, "UTC+0"},
        {-12600, "UTC-3:30"}, {20700, "UTC+5:45"}, {50400, "UTC+14"},   {-1800, "UTC-0:30"},
    };
    for (const auto& [offset, text] : cases)
        EXPECT_EQ(LocalCalendar::offsetText(offset), text) << offset;
}

TEST(DefaultPayload, CarriesEveryStandardKeyWithThePlatformsOwnValues) {
    RecordingServices r(1780315200);  // Monday 2026-06-01 12:00 UTC
    fixtora::FixedSystemInfo::Values v;
    v.platformName = "Linux";
    v.systemName = "Debian GNU/Linux";
    v.systemVersion = {12, 4, 0};
    v.architecture = "x86_64";
    v.modelName = "ThinkPad X1";
    v.localeIdentifier = "de_AT";
    v.regionCode = "AT";
    v.languageCode = "de";
    v.preferredLanguages = {"fr-CH", "de-AT"};
    v.mainScreen = fixtora::ScreenInfo{1920, 1080, 2};
    v.appearance = fixtora::Appearance::Dark;
    v.layoutDirection = fixtora::LayoutDirection::RightToLeft;
    r.system->setValues(v);
    DefaultSignalPayload::Sources sources{r.system, r.clock, nullptr, nullptr, "0.1.0", "42"};
    const auto p = DefaultSignalPayload::parameters(sources);

    // The values the platform's readings are turned into; the rest copies them.
    const std::map<std::string, std::string> derived{
        {"systemVersion", "Debian GNU/Linux 12.4.0"},
        {"Analytics.Device.systemMajorVersion", "Debian GNU/Linux 12"},
        {"Analytics.Device.systemMajorMinorVersion", "Debian GNU/Linux 12.4"},
        {"Analytics.AppInfo.versionAndBuildNumber", "0.1.0 (build 42)"},
        {"isTestFlight", "false"},
        {"Analytics.RunContext.isAppStore", "true"},
        {"Analytics.Device.screenResolutionWidth", "1920.0"},
        {"Analytics.Device.screenScaleFactor", "2.0"},
        {"Analytics.UserPreference.colorScheme", "Dark"},
        {"Analytics.UserPreference.language", "fr"},
        {"Analytics.UserPreference.layoutDirection", "rightToLeft"},
        {"Analytics.Calendar.dayOfWeek", "1"},
        {"Analytics.Calendar.isWeekend", "false"},
        {"Analytics.Calendar.hourOfDay", "13"},
        {"Analytics.Retention.averageSessionSeconds", "-1"},
        {"Analytics.Retention.distinctDaysUsedLastMonth", "0"},
        {"Analytics.Retention.totalSessionsCount", "0"},
    };
    for (const auto& [key, value] : derived) EXPECT_EQ(p.at(key), value) << key;
    EXPECT_EQ(p.size(), 61u);
}

TEST(DefaultPayload, FallsBackWhenThePlatformKnowsLittle) {
    RecordingServices r;
    fixtora::FixedSystemInfo::Values v;
    v.localeIdentifier = "pt_BR";
    v.regionCode.reset();
    v.languageCode.reset();
    v.preferredLanguages.clear();
    v.mainScreen.reset();
    v.appearance = fixtora::Appearance::Other;
    v.layoutDirection.reset();
    r.system->setValues(v);
    const auto p = DefaultSignalPayload::parameters({r.system, r.clock, nullptr, nullptr});

    EXPECT_EQ(p.at("region"), "BR");
    EXPECT_EQ(p.at("appLanguage"), "pt");
    EXPECT_EQ(p.at("preferredLanguage"), "zz");
    EXPECT_EQ(p.at("appVersion"), "0");
    EXPECT_EQ(p.at("buildNumber"), "0");
    for (const char* key :
         {"Analytics.Device.screenResolutionHeight", "Analytics.Device.screenResolutionWidth",
          "Analytics.Device.screenScaleFactor", "Analytics.UserPreference.colorScheme",
          "Analytics.UserPreference.layoutDirection"})
        EXPECT_EQ(p.at(key), "N/A") << key;
    // Readings that only the native desktop has are left out.
    for (const char* key :
         {"Analytics.Accessibility.isReduceMotionEnabled",
          "Analytics.Accessibility.isInvertColorsEnabled", "extensionIdentifier",
          "Analytics.RunContext.extensionIdentifier", "Analytics.Retention.previousSessionSeconds"})
        EXPECT_EQ(p.count(key), 0u) << key;
}

TEST(DefaultPayload, RetentionFiguresComeFromTheSuiteAndTheSessionHistory) {
    RecordingServices r(1780315200);  // 2026-06-01
    const std::string sessions = *StoredSession::encodeList(
        {{1780315200 - 3 * 86400, 10}, {1780315200 - 2 * 86400, 20}, {1780315200 - 86400, 5}});
    r.suite->setData("recentSessions",
                     fixtora::Preferences::Bytes(sessions.begin(), sessions.end()));
    r.suite->setInteger("deletedSessionsCount", 4);
    r.suite->setString("firstSessionDate", "2026-01-10");
    // The cutoff of the last month is 2026-05-02 (GMT).
    r.suite->setStringList("distinctDaysUsed",
                           {"2026-04-30", "2026-05-01", "2026-05-02", "2026-05-20"});
    auto manager = SessionManager::create(r.services(), r.scheduler);
    r.scheduler->runUntilIdle();

    const auto p =
        DefaultSignalPayload::parameters({r.system, r.clock, manager, r.services().customDefaults});
    EXPECT_EQ(p.at("Analytics.Acquisition.firstSessionDate"), "2026-01-10");
    EXPECT_EQ(p.at("Analytics.Retention.averageSessionSeconds"), "15");
    EXPECT_EQ(p.at("Analytics.Retention.previousSessionSeconds"), "20");
    // Creating the manager recorded today as a day of use.
    EXPECT_EQ(p.at("Analytics.Retention.distinctDaysUsed"), "5");
    EXPECT_EQ(p.at("Analytics.Retention.distinctDaysUsedLastMonth"), "3");
    EXPECT_EQ(p.at("Analytics.Retention.totalSessionsCount"), "7");
}

}  // namespace
}  // namespace analytics::test
