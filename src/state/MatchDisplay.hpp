// SPDX-License-Identifier: MIT
#pragma once

// The texts and symbols that show a match: the popup's row, the terminal
// view and the status title all take them from here, so that a match reads
// the same everywhere. Absent data never fails: absent sides and scores
// have fallbacks, while an empty text received from the backend is shown
// as it is (it is present, only empty).

#include "data/ESPNModels.hpp"
#include "platform/AppLook.hpp"
#include "state/DateText.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora {

/// Between two scores.
inline constexpr std::string_view kScoreDash = "\u2013";

/// The side's team abbreviation, "?" when the side is absent.
std::string sideAbbreviation(const std::optional<ESPNCompetitor>& side);
/// The side's score text, "0" when the side or its score is absent.
std::string sideScore(const std::optional<ESPNCompetitor>& side);
/// The side's short name, its abbreviation when the name is empty; absent
/// with the side.
std::optional<std::string> sideName(const std::optional<ESPNCompetitor>& side);

/// Finished or live: the match has a score to show and scorers to list.
bool showsScore(const ESPNEvent& event);

/// The row's status emoji: "✅" finished (the `completed` flag included),
/// "🔴" live, "⚠️" postponed, "❌" cancelled or suspended, "🕐" otherwise.
std::string statusSymbol(const ESPNEvent& event);

/// The row's middle text: "2  –  1" once played or live, "Postponed",
/// "Cancelled" (also for a suspended match), the kick-off as "HH:mm", or
/// "TBD" without a usable kick-off.
std::string centreText(const ESPNEvent& event, const DateContext& dates);

/// Between the scores of a live match: its clock label, or "–" without one.
std::string liveClockText(const ESPNEvent& event);

/// The terminal view's status column: the clock of a live match ("LIVE"
/// without one), "FT", "PP", "CANC", "SUSP", or the kick-off as "HH:mm"
/// ("--:--" when unknown).
std::string statusColumn(const ESPNEvent& event, const DateContext& dates);

/// One scorer line: "  45'  Bukayo Saka (P)  [Arsenal]", with "?'",
/// "Unknown" and empty brackets for what the detail does not tell.
std::string goalLine(const ESPNEvent& event, const ESPNDetail& goal);

/// The scorer lines of the match, or the one line saying there are none.
std::vector<std::string> scorerLines(const ESPNEvent& event);

}  // namespace fixtora
