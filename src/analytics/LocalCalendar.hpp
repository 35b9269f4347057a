// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <string>

namespace analytics {

/// Calendar figures of one moment in one time zone. A figure that cannot be
/// determined reads -1.
struct CalendarFigures {
    int year = -1;
    int month = -1;         // 1 to 12
    int dayOfMonth = -1;    // 1 to 31
    int dayOfWeek = -1;     // Monday 1 to Sunday 7
    int dayOfYear = -1;     // 1 to 366
    int weekOfYear = -1;    // weeks start on Sunday; the first week needs one day
    int quarter = -1;       // 1 to 4
    int hour = -1;          // 0 to 23
    int offsetSeconds = 0;  // the zone's offset from GMT at that moment
};

/// The Gregorian calendar in one time zone (an identifier such as
/// "Europe/London" or "GMT+05:30"; an unknown one counts as GMT). Week
/// numbers always use the calendar's own defaults, never the locale's.
class LocalCalendar {
  public:
    explicit LocalCalendar(std::string timeZoneIdentifier);

    CalendarFigures figures(fixtora::Instant instant) const;

    /// The local calendar date of `instant` as YYYY-MM-DD.
    std::string dayString(fixtora::Instant instant) const;

    /// The GMT calendar date of `instant` as YYYY-MM-DD.
    static std::string gmtDayString(fixtora::Instant instant);

    /// "UTC+1", "UTC-5", "UTC+5:30", "UTC+0".
    static std::string offsetText(int offsetSeconds);

  private:
    std::string m_timeZone;
};

}  // namespace analytics
