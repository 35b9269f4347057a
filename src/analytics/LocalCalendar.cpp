// SPDX-License-Identifier: MIT
#include "analytics/LocalCalendar.hpp"

#include <unicode/gregocal.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace analytics {
namespace {

std::unique_ptr<icu::GregorianCalendar> makeCalendar(const std::string& zoneId,
                                                     fixtora::Instant instant) {
    UErrorCode status = U_ZERO_ERROR;
    // The calendar takes ownership of the zone it is given.
    auto calendar = std::make_unique<icu::GregorianCalendar>(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zoneId)), icu::Locale::getRoot(),
        status);
    if (U_FAILURE(status)) return nullptr;
    calendar->setFirstDayOfWeek(UCAL_SUNDAY);
    calendar->setMinimalDaysInFirstWeek(1);
    const double millis = std::floor(instant * 1000.0);
    if (!std::isfinite(millis)) return nullptr;
    calendar->setTime(millis, status);
    if (U_FAILURE(status)) return nullptr;
    return calendar;
}

int field(icu::Calendar& calendar, UCalendarDateFields which) {
    UErrorCode status = U_ZERO_ERROR;
    const int value = calendar.get(which, status);
    return U_FAILURE(status) ? -1 : value;
}

std::string ymd(int year, int month, int day) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    return buffer;
}

}  // namespace

LocalCalendar::LocalCalendar(std::string timeZoneIdentifier)
    : m_timeZone(std::move(timeZoneIdentifier)) {}

CalendarFigures LocalCalendar::figures(fixtora::Instant instant) const {
    CalendarFigures f;
    auto calendar = makeCalendar(m_timeZone, instant);
    if (!calendar) return f;
    f.year = field(*calendar, UCAL_EXTENDED_YEAR);
    const int month0 = field(*calendar, UCAL_MONTH);
    f.month = month0 < 0 ? -1 : month0 + 1;
    f.dayOfMonth = field(*calendar, UCAL_DATE);
    const int weekday = field(*calendar, UCAL_DAY_OF_WEEK);  // Sunday 1 … Saturday 7
    f.dayOfWeek = weekday < 1 ? -1 : (weekday == 1 ? 7 : weekday - 1);
    f.dayOfYear = field(*calendar, UCAL_DAY_OF_YEAR);
    f.weekOfYear = field(*calendar, UCAL_WEEK_OF_YEAR);
    f.quarter = month0 < 0 ? -1 : month0 / 3 + 1;
    f.hour = field(*calendar, UCAL_HOUR_OF_DAY);
    const int zone = field(*calendar, UCAL_ZONE_OFFSET);
    const int dst = field(*calendar, UCAL_DST_OFFSET);
    f.offsetSeconds = (zone == -1 || dst == -1) ? 0 : (zone + dst) / 1000;
    return f;
}

std::string LocalCalendar::dayString(fixtora::Instant instant) const {
    const CalendarFigures f = figures(instant);
    if (f.year < 0) return gmtDayString(instant);
    return ymd(f.year, f.month, f.dayOfMonth);
}

std::string LocalCalendar::gmtDayString(fixtora::Instant instant) {
    using namespace std::chrono;
    // Instants outside the calendar's range (or not finite) read as the epoch.
    const double days = std::isfinite(instant) ? std::floor(instant / 86400.0) : 0.0;
    const double clamped = std::fabs(days) < 100000000.0 ? days : 0.0;
    const year_month_day date{sys_days{std::chrono::days{static_cast<long>(clamped)}}};
    return ymd(static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
               static_cast<int>(static_cast<unsigned>(date.day())));
}

std::string LocalCalendar::offsetText(int offsetSeconds) {
    std::string text = offsetSeconds >= 0 ? "UTC+" : "UTC-";
    const int hours = offsetSeconds / 3600;
    const int minutes = (offsetSeconds / 60) % 60;
    text += std::to_string(std::abs(hours));
    if (minutes != 0) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, ":%02d", std::abs(minutes));
        text += buffer;
    }
    return text;
}

}  // namespace analytics
