// SPDX-License-Identifier: MIT
#include "state/MatchDisplay.hpp"

#include "state/MatchStatus.hpp"

namespace fixtora {

namespace {

/// The phase of the event, scheduled for an event without a status: it then
/// draws like a match still to be played.
MatchPhase phaseOf(const ESPNEvent& event) {
    const auto* status = eventStatus(event);
    return status != nullptr ? status->phase() : MatchPhase::scheduled;
}

std::string kickOffText(const ESPNEvent& event, const DateContext& dates) {
    const auto kickOff = event.localDate();
    return kickOff ? formatDate(*kickOff, "HH:mm", dates) : std::string{};
}

}  // namespace

std::string sideAbbreviation(const std::optional<ESPNCompetitor>& side) {
    return side ? side->team.abbreviation : "?";
}

std::string sideScore(const std::optional<ESPNCompetitor>& side) {
    return side && side->score ? *side->score : "0";
}

std::optional<std::string> sideName(const std::optional<ESPNCompetitor>& side) {
    if (!side) return std::nullopt;
    return side->team.shortDisplayName.empty() ? side->team.abbreviation
                                               : side->team.shortDisplayName;
}

bool showsScore(const ESPNEvent& event) {
    return isFinishedEvent(event) || isLiveEvent(event);
}

std::string statusSymbol(const ESPNEvent& event) {
    // Finished first: a completed match shows the tick whatever its code.
    if (isFinishedEvent(event)) return "\u2705";
    switch (phaseOf(event)) {
        case MatchPhase::live:
            return "\U0001F534";
        case MatchPhase::postponed:
            return "\u26A0\uFE0F";
        case MatchPhase::cancelled:
        case MatchPhase::suspended:
            return "\u274C";
        case MatchPhase::scheduled:
        case MatchPhase::finished:
            break;
    }
    return "\U0001F550";
}

std::string centreText(const ESPNEvent& event, const DateContext& dates) {
    if (showsScore(event))
        return sideScore(event.home()) + "  " + std::string(kScoreDash) + "  " +
               sideScore(event.away());
    switch (phaseOf(event)) {
        case MatchPhase::postponed:
            return "Postponed";
        case MatchPhase::cancelled:
        case MatchPhase::suspended:  // reads the same as a cancelled one
            return "Cancelled";
        case MatchPhase::scheduled:
        case MatchPhase::live:
        case MatchPhase::finished:
            break;
    }
    auto text = kickOffText(event, dates);
    return text.empty() ? "TBD" : text;
}

std::string liveClockText(const ESPNEvent& event) {
    const auto* status = eventStatus(event);
    const auto clock = status != nullptr ? status->clockLabel() : std::nullopt;
    return clock ? *clock : std::string(kScoreDash);
}

std::string statusColumn(const ESPNEvent& event, const DateContext& dates) {
    if (isLiveEvent(event)) return eventStatus(event)->clockLabel().value_or("LIVE");
    if (isFinishedEvent(event)) return "FT";
    switch (phaseOf(event)) {
        case MatchPhase::postponed:
            return "PP";
        case MatchPhase::cancelled:
            return "CANC";
        case MatchPhase::suspended:
            return "SUSP";
        case MatchPhase::scheduled:
        case MatchPhase::live:
        case MatchPhase::finished:
            break;
    }
    return event.localDate() ? kickOffText(event, dates) : "--:--";
}

std::string goalLine(const ESPNEvent& event, const ESPNDetail& goal) {
    std::string line = "  ";
    line += goal.clock && goal.clock->displayValue ? *goal.clock->displayValue : "?'";
    line += "  ";
    line += goal.athletesInvolved && !goal.athletesInvolved->empty()
                ? goal.athletesInvolved->front().displayName
                : "Unknown";
    if (goal.ownGoal.value_or(false)) {
        line += " (OG)";
    } else if (goal.penaltyKick.value_or(false)) {
        line += " (P)";
    }
    line += "  [";
    if (goal.team && goal.team->id) line += event.teamName(*goal.team->id);
    return line + "]";
}

std::vector<std::string> scorerLines(const ESPNEvent& event) {
    std::vector<std::string> lines;
    for (const auto& goal : event.goals()) lines.push_back(goalLine(event, goal));
    if (lines.empty()) lines.emplace_back("   No scorer data available");
    return lines;
}

}  // namespace fixtora
