// SPDX-License-Identifier: MIT
#include "analytics/DefaultSignalPayload.hpp"

#include "analytics/DecimalText.hpp"
#include "analytics/LocalCalendar.hpp"
#include "analytics/SessionManager.hpp"
#include "platform/Clock.hpp"
#include "platform/Preferences.hpp"
#include "platform/SystemInfo.hpp"

#include <algorithm>

namespace analytics {
namespace {

// Seconds in the 30 days counted as "last month" for days of use.
constexpr double kLastMonthSeconds = 2592000.0;

std::string firstComponent(const std::string& text) {
    return text.substr(0, text.find_first_of("-_"));
}

std::string lastComponent(const std::string& text) {
    const auto pos = text.find_last_of("-_");
    return pos == std::string::npos ? text : text.substr(pos + 1);
}

std::string boolText(bool value) {
    return value ? "true" : "false";
}

std::string colorScheme(fixtora::Appearance appearance) {
    switch (appearance) {
        case fixtora::Appearance::Light:
            return "Light";
        case fixtora::Appearance::Dark:
            return "Dark";
        case fixtora::Appearance::Other:
            return "N/A";
    }
    return "N/A";
}

}  // namespace

std::map<std::string, std::string> DefaultSignalPayload::parameters(const Sources& sources) {
    const fixtora::SystemInfo& system = *sources.systemInfo;
    const fixtora::Instant now = sources.clock->now();

    const fixtora::OperatingSystemVersion version = system.systemVersion();
    const std::string systemName = system.systemName();
    const std::string major = std::to_string(version.major);
    const std::string minor = std::to_string(version.minor);
    const std::string patch = std::to_string(version.patch);
    const std::string systemVersion = systemName + " " + major + "." + minor + "." + patch;
    const std::string majorMinorSystemVersion = systemName + " " + major + "." + minor;
    const std::string majorSystemVersion = systemName + " " + major;

    const std::string platform = system.platformName();
    const std::string architecture = system.architecture();
    const std::string modelName = system.modelName();

    // There is no store receipt off the native store: never a test-flight
    // build, which counts as a store build.
    const bool isTestFlight = false;

    const std::string localeIdentifier = system.localeIdentifier();
    const std::string region = system.regionCode().value_or(lastComponent(localeIdentifier));
    const std::string appLanguage =
        system.languageCode().value_or(firstComponent(localeIdentifier));
    const auto languages = system.preferredLanguages();
    const std::string preferredLanguage =
        firstComponent(languages.empty() ? std::string("zz-ZZ") : languages.front());

    const LocalCalendar calendar(system.timeZoneIdentifier());
    const CalendarFigures figures = calendar.figures(now);
    const std::string timeZone = LocalCalendar::offsetText(figures.offsetSeconds);

    const auto screen = system.mainScreen();
    const auto direction = system.layoutDirection();
    const std::string layoutDirection =
        !direction
            ? "N/A"
            : (*direction == fixtora::LayoutDirection::LeftToRight ? "leftToRight" : "rightToLeft");

    std::map<std::string, std::string> p{
        // Short keys.
        {"platform", platform},
        {"systemVersion", systemVersion},
        {"majorSystemVersion", majorSystemVersion},
        {"majorMinorSystemVersion", majorMinorSystemVersion},
        {"appVersion", sources.appVersion},
        {"buildNumber", sources.buildNumber},
        {"isSimulator", "false"},
        {"isDebug", "false"},
        {"isTestFlight", boolText(isTestFlight)},
        {"isAppStore", boolText(!isTestFlight)},
        {"modelName", modelName},
        {"architecture", architecture},
        {"operatingSystem", platform},
        {"targetEnvironment", "native"},
        {"locale", localeIdentifier},
        {"region", region},
        {"appLanguage", appLanguage},
        {"preferredLanguage", preferredLanguage},
        {"analyticsClientVersion", kSDKVersion},
        // Namespaced keys.
        {"Analytics.AppInfo.buildNumber", sources.buildNumber},
        {"Analytics.AppInfo.version", sources.appVersion},
        {"Analytics.AppInfo.versionAndBuildNumber",
         sources.appVersion + " (build " + sources.buildNumber + ")"},
        {"Analytics.Device.architecture", architecture},
        {"Analytics.Device.modelName", modelName},
        {"Analytics.Device.operatingSystem", platform},
        {"Analytics.Device.orientation", "Fixed"},
        {"Analytics.Device.platform", platform},
        {"Analytics.Device.screenResolutionHeight", screen ? decimalText(screen->height) : "N/A"},
        {"Analytics.Device.screenResolutionWidth", screen ? decimalText(screen->width) : "N/A"},
        {"Analytics.Device.screenScaleFactor", screen ? decimalText(screen->scale) : "N/A"},
        {"Analytics.Device.systemMajorMinorVersion", majorMinorSystemVersion},
        {"Analytics.Device.systemMajorVersion", majorSystemVersion},
        {"Analytics.Device.systemVersion", systemVersion},
        {"Analytics.Device.timeZone", timeZone},
        {"Analytics.RunContext.isAppStore", boolText(!isTestFlight)},
        {"Analytics.RunContext.isDebug", "false"},
        {"Analytics.RunContext.isSimulator", "false"},
        {"Analytics.RunContext.isTestFlight", boolText(isTestFlight)},
        {"Analytics.RunContext.language", appLanguage},
        {"Analytics.RunContext.locale", localeIdentifier},
        {"Analytics.RunContext.targetEnvironment", "native"},
        {"Analytics.SDK.name", kSDKName},
        {"Analytics.SDK.nameAndVersion", std::string(kSDKName) + " " + kSDKVersion},
        {"Analytics.SDK.version", kSDKVersion},
        {"Analytics.UserPreference.colorScheme", colorScheme(system.appearance())},
        {"Analytics.UserPreference.language", preferredLanguage},
        {"Analytics.UserPreference.layoutDirection", layoutDirection},
        {"Analytics.UserPreference.region", region},
    };

    // The accessibility settings live in a preferences domain that only the
    // native desktop has, and there is no extension context: neither set
    // adds anything here.

    // Calendar.
    p["Analytics.Calendar.dayOfMonth"] = std::to_string(figures.dayOfMonth);
    p["Analytics.Calendar.dayOfWeek"] = std::to_string(figures.dayOfWeek);
    p["Analytics.Calendar.dayOfYear"] = std::to_string(figures.dayOfYear);
    p["Analytics.Calendar.weekOfYear"] = std::to_string(figures.weekOfYear);
    p["Analytics.Calendar.isWeekend"] = boolText(figures.dayOfWeek > 5);
    p["Analytics.Calendar.monthOfYear"] = std::to_string(figures.month);
    p["Analytics.Calendar.quarterOfYear"] = std::to_string(figures.quarter);
    p["Analytics.Calendar.hourOfDay"] = std::to_string(figures.hour < 0 ? -1 : figures.hour + 1);

    // Retention.
    const auto suite = sources.customDefaults ? sources.customDefaults() : nullptr;
    const auto stored = [&](auto read) { return suite ? read(*suite) : decltype(read(*suite)){}; };
    const auto firstSessionDate =
        stored([](fixtora::Preferences& s) { return s.string("firstSessionDate"); });
    const auto days = stored([](fixtora::Preferences& s) {
                          return s.stringList("distinctDaysUsed");
                      }).value_or(std::vector<std::string>{});
    const auto deleted = stored([](fixtora::Preferences& s) {
                             return s.integer("deletedSessionsCount");
                         }).value_or(0);
    const std::string cutoff = LocalCalendar::gmtDayString(now - kLastMonthSeconds);
    const auto lastMonth =
        std::count_if(days.begin(), days.end(), [&](const std::string& d) { return d >= cutoff; });
    const std::int64_t remembered =
        sources.sessions ? static_cast<std::int64_t>(sources.sessions->recentSessions().size()) : 0;

    p["Analytics.Acquisition.firstSessionDate"] =
        firstSessionDate.value_or(calendar.dayString(now));
    p["Analytics.Retention.averageSessionSeconds"] =
        std::to_string(sources.sessions ? sources.sessions->averageSessionSeconds() : -1);
    p["Analytics.Retention.distinctDaysUsed"] = std::to_string(days.size());
    p["Analytics.Retention.distinctDaysUsedLastMonth"] = std::to_string(lastMonth);
    p["Analytics.Retention.totalSessionsCount"] = std::to_string(remembered + deleted);

    if (sources.sessions) {
        if (const auto previous = sources.sessions->previousSessionSeconds())
            p["Analytics.Retention.previousSessionSeconds"] = std::to_string(*previous);
    }
    return p;
}

}  // namespace analytics
