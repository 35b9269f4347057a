// SPDX-License-Identifier: MIT
#pragma once

// Turns a season's events into its numbered matchweeks. Pure functions of
// their input, ICU's default time zone and the calendar rules below; safe on
// any thread.

#include "data/DayParser.hpp"
#include "data/ESPNModels.hpp"
#include "data/MatchWeek.hpp"

#include <unicode/calendar.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace fixtora {

/// Returned by `gap` when a day cannot be read.
inline constexpr std::int64_t kUnknownGap = 99;

/// How a table was derived.
enum class MatchWeekMethod {
    WeekNumber,   // the backend's own week numbers
    DateCluster,  // runs of consecutive match days
};

/// The backend's numbers are used when at least one event, and at least half
/// of all events (rounded down), carry a week number and a readable kick-off.
MatchWeekMethod matchWeekMethod(const std::vector<ESPNEvent>& events);

/// The season's table. By week number: one week per backend number in
/// ascending order, from its first kick-off to 23:59:59 after its last one,
/// neither renumbered nor capped. By date: clusters of match days (a day
/// joins the previous one when it is at most one UTC day later), clusters of
/// fewer than 3 matches folded into a neighbour, capped at 38 weeks and
/// numbered from 1. Never fails; events without a usable date are skipped.
std::vector<MatchWeek> computeMatchWeeks(const std::vector<ESPNEvent>& events);

/// While there are more than 38 weeks, merges the adjacent pair with the
/// smallest gap between one's end and the next one's start (the earliest
/// pair on a tie); the merged end is the later end plus 23 h 59 min 59 s by
/// `cal`. Then numbers the weeks 1, 2, ... in order.
std::vector<MatchWeek> enforcing38(std::vector<MatchWeek> weeks, const icu::Calendar& cal);

/// Whole days from the UTC day `from` to the UTC day `to`, or 99 when either
/// does not parse. Counted between the UTC days themselves, so a change of
/// the user's clock (summer time) never shortens a gap.
std::int64_t gap(const DayParser& parser, std::string_view from, std::string_view to);

/// A Gregorian calendar in ICU's default time zone (the user's zone).
std::unique_ptr<icu::Calendar> makeSeasonCalendar();

/// `t` plus 23 h 59 min 59 s by `cal`; absent when the calendar cannot add.
std::optional<Instant> addingEndOfDay(icu::Calendar& cal, Instant t);

/// The day key of an event: the first 10 characters of its `date` (the
/// whole text when shorter), which is the match's day in UTC.
std::string_view dayKey(const ESPNEvent& event);

}  // namespace fixtora
