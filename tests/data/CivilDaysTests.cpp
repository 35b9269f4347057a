// SPDX-License-Identifier: MIT
#include "data/CivilDays.hpp"

#include <gtest/gtest.h>

#include <tuple>

namespace fixtora {
namespace {

TEST(CivilDaysTest, EveryDayOfFourCenturiesFollowsTheOneBeforeAndReadsBack) {
    EXPECT_EQ(std::tuple(daysFromCivil(1970, 1, 1), civilFromDays(-1)),
              std::tuple(0, CivilDate{1969, 12, 31}));
    const auto first = daysFromCivil(1800, 1, 1), end = daysFromCivil(2200, 1, 1);
    EXPECT_EQ(end - first, 146097);  // days in 400 Gregorian years
    CivilDate previous = civilFromDays(first - 1);
    for (auto n = first; n < end; ++n) {
        const CivilDate date = civilFromDays(n);
        const bool nextDay = date.year == previous.year && date.month == previous.month &&
                             date.day == previous.day + 1;
        const bool nextMonth =
            date.day == 1 && (date.year == previous.year ? date.month == previous.month + 1
                                                         : date.month == 1 && previous.month == 12);
        ASSERT_TRUE(nextDay || nextMonth) << n;
        ASSERT_EQ(calendarDay(date.year, date.month, date.day), n);
        previous = date;
    }
}

TEST(CivilDaysTest, OnlyDaysOfTheCalendarHaveANumber) {
    const std::tuple<int, unsigned, unsigned, bool> cases[] = {
        {2024, 2, 29, true},  {2000, 2, 29, true},  {2023, 2, 29, false},
        {1900, 2, 29, false}, {2025, 4, 31, false}, {2025, 12, 31, true},
        {2025, 13, 1, false}, {2025, 0, 1, false},  {2025, 1, 0, false}};
    for (const auto& [y, m, d, valid] : cases)
        EXPECT_EQ(calendarDay(y, m, d).has_value(), valid) << y << "-" << m << "-" << d;
}

}  // namespace
}  // namespace fixtora
