// SPDX-License-Identifier: MIT
#include "state/MatchAlerts.hpp"

#include "state/MatchDisplay.hpp"
#include "state/MatchStatus.hpp"

#include <charconv>

namespace fixtora {
namespace {

int goalsOf(const std::optional<ESPNCompetitor>& side) {
    if (!side || !side->score) return 0;
    int value = 0;
    const auto& text = *side->score;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (error == std::errc() && end == text.data() + text.size() && value >= 0) ? value : 0;
}

std::string alertAbbreviation(const std::optional<ESPNCompetitor>& side) {
    return side && !side->team.abbreviation.empty() ? side->team.abbreviation : "?";
}

std::string nameOf(const std::optional<ESPNCompetitor>& side) {
    return side && !side->team.shortDisplayName.empty() ? side->team.shortDisplayName
                                                        : alertAbbreviation(side);
}

std::string scoreLine(const ESPNEvent& event, int home, int away) {
    return alertAbbreviation(event.home()) + " " + std::to_string(home) + std::string(kScoreDash) +
           std::to_string(away) + " " + alertAbbreviation(event.away());
}

// "23' Bukayo Saka (Arsenal)" for the `nth` (1-based) goal credited to
// `side`, from the match's scoring details when they tell it.
std::string goalText(const ESPNEvent& event, const std::optional<ESPNCompetitor>& side, int nth) {
    int seen = 0;
    for (const auto& goal : event.goals()) {
        if (!goal.team || goal.team->id != side->team.id || ++seen != nth) continue;
        std::string text;
        if (goal.clock && goal.clock->displayValue) text = *goal.clock->displayValue + " ";
        if (goal.athletesInvolved && !goal.athletesInvolved->empty())
            text += goal.athletesInvolved->front().displayName;
        else
            text += "Goal";
        if (goal.penaltyKick.value_or(false)) text += " (pen.)";
        if (goal.ownGoal.value_or(false)) text += " (o.g.)";
        return text + " (" + nameOf(side) + ")";
    }
    return "Goal for " + nameOf(side);
}

}  // namespace

std::vector<MatchAlert> MatchAlerts::observe(const std::vector<ESPNEvent>& events,
                                             const std::string& favouriteId) {
    std::vector<MatchAlert> alerts;
    for (const auto& event : events) {
        const bool live = isLiveEvent(event);
        const bool finished = isFinishedEvent(event);
        const auto home = event.home();
        const auto away = event.away();
        const int homeGoals = goalsOf(home);
        const int awayGoals = goalsOf(away);
        const auto [it, first] = m_seen.try_emplace(event.id);
        Seen& seen = it->second;
        if (first) {
            seen = Seen{live || finished, finished, homeGoals, awayGoals};
            continue;
        }
        const bool announce = !favouriteId.empty() && involvesTeam(event, favouriteId);
        const auto alert = [&](MatchAlert::Kind kind, std::string summary, std::string body) {
            if (announce)
                alerts.push_back(MatchAlert{kind, event.id, std::move(summary), std::move(body)});
        };
        if (live && !seen.started)
            alert(MatchAlert::Kind::kickOff,
                  "Kick-off: " + alertAbbreviation(home) + " vs " + alertAbbreviation(away),
                  nameOf(home) + " v " + nameOf(away) + " has started");
        seen.started = seen.started || live || finished;
        if (live || finished) {
            // Goals in the order the score reached them: home side first when
            // both scored between two states (the order is not known then).
            int h = seen.home;
            int a = seen.away;
            while (h < homeGoals) {
                ++h;
                alert(MatchAlert::Kind::goal,
                      "Goal: " + scoreLine(event, h, std::max(a, seen.away)),
                      goalText(event, home, h));
            }
            while (a < awayGoals) {
                ++a;
                alert(MatchAlert::Kind::goal,
                      "Goal: " + scoreLine(event, std::max(h, seen.home), a),
                      goalText(event, away, a));
            }
            seen.home = std::max(seen.home, homeGoals);
            seen.away = std::max(seen.away, awayGoals);
        }
        if (finished && !seen.finished) {
            seen.finished = true;
            alert(MatchAlert::Kind::fullTime,
                  "Full time: " + scoreLine(event, seen.home, seen.away),
                  nameOf(home) + " " + std::to_string(seen.home) + ", " + nameOf(away) + " " +
                      std::to_string(seen.away));
        }
    }
    return alerts;
}

}  // namespace fixtora
