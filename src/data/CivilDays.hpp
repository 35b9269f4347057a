// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

namespace fixtora {

/// A day of the proleptic Gregorian calendar.
struct CivilDate {
    std::int64_t year = 1970;
    unsigned month = 1;  // 1-12
    unsigned day = 1;    // 1-31

    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

/// Days since 1970-01-01 of a date, and back.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);
CivilDate civilFromDays(std::int64_t days);

/// Days since 1970-01-01 of a date that is in the calendar (month 1-12, day
/// within its month, 29 February only in leap years), else nothing.
std::optional<std::int64_t> calendarDay(std::int64_t year, unsigned month, unsigned day);

}  // namespace fixtora
