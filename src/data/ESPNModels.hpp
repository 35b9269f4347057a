// SPDX-License-Identifier: MIT
#pragma once

// The scoreboard records: immutable values decoded from the backend's JSON
// (see ScoreboardDecoder.hpp) and never encoded back. Optional JSON keys are
// `std::optional`; an absent optional record differs from a present one whose
// own fields are absent. The derived values are computed on every call.

#include "platform/Clock.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora {

/// A reference to a club by its identifier.
struct ESPNTeamRef {
    std::optional<std::string> id;
};

/// Match minute of a play item, as the backend formats it.
struct ESPNClock {
    std::optional<std::string> displayValue;
};

/// A player named in a play item.
struct ESPNAthlete {
    std::string displayName;
};

/// One play item (goal, card, ...). Only items with `scoringPlay` true are goals.
struct ESPNDetail {
    std::optional<ESPNClock> clock;
    std::optional<ESPNTeamRef> team;
    std::optional<bool> scoringPlay;
    std::optional<bool> penaltyKick;
    std::optional<bool> ownGoal;
    std::optional<std::vector<ESPNAthlete>> athletesInvolved;
};

/// What a status code says about a match. Every rule that depends on the
/// code reads this instead of comparing code texts.
enum class MatchPhase {
    scheduled,  // any code not listed below, e.g. "STATUS_SCHEDULED"
    live,       // the six live codes
    finished,   // "STATUS_FULL_TIME", "STATUS_FINAL"
    postponed,  // "STATUS_POSTPONED"
    cancelled,  // "STATUS_CANCELLED"
    suspended,  // "STATUS_SUSPENDED"
};

/// The phase a status code names (codes are compared exactly).
MatchPhase matchPhase(std::string_view statusName);

/// The status proper: an upper-case code such as "STATUS_HALFTIME".
struct ESPNStatusType {
    std::string name;
    bool completed = false;
    std::optional<std::string> shortDetail;

    /// The phase of `name`; the `completed` flag plays no part.
    MatchPhase phase() const { return matchPhase(name); }
    /// True exactly for the six live codes (in progress, half-time, first
    /// half, second half, extra time, shoot-out); `completed` plays no part.
    bool isLive() const { return phase() == MatchPhase::live; }
    /// The minute text of a live match: "HT" for a half-time or generic
    /// "in progress" text (any letter case), otherwise `shortDetail` as
    /// received; absent when not live or when `shortDetail` is absent or "".
    std::optional<std::string> clockLabel() const;
};

struct ESPNStatus {
    ESPNStatusType type;
};

/// A club. Two values denote the same club when their `id`s are equal, and
/// that is what `==` compares.
struct ESPNTeam {
    std::string id;
    std::string abbreviation;
    std::string shortDisplayName;
    std::optional<std::string> logo;

    friend bool operator==(const ESPNTeam& a, const ESPNTeam& b) { return a.id == b.id; }
};

/// One side of a match; `homeAway` is "home" or "away" (compared exactly).
struct ESPNCompetitor {
    std::string homeAway;
    ESPNTeam team;
    std::optional<std::string> score;  // goals as a decimal string
    std::optional<bool> winner;
};

struct ESPNCompetition {
    std::vector<ESPNCompetitor> competitors;
    ESPNStatus status;
    std::optional<std::vector<ESPNDetail>> details;  // in backend order
};

/// The backend's own matchweek marker.
struct ESPNWeek {
    std::optional<std::int64_t> number;
};

/// One match, identified by `id`. Every derived value reads only the first
/// competition; an empty `competitions` list is handled everywhere.
struct ESPNEvent {
    std::string id;
    std::string date;  // kick-off in UTC as the backend wrote it
    std::optional<ESPNWeek> week;
    std::vector<ESPNCompetition> competitions;

    /// The kick-off instant: `date` with whole seconds and "Z" or "±hh:mm";
    /// a time written without seconds ("...T14:00Z") counts as ":00".
    /// Absent when the text does not parse (e.g. a bare date or a time with
    /// fractional seconds): such an event has no known kick-off.
    std::optional<Instant> localDate() const;
    /// The first competitor whose `homeAway` is "home" / "away".
    std::optional<ESPNCompetitor> home() const;
    std::optional<ESPNCompetitor> away() const;
    /// The details whose `scoringPlay` is true, in backend order.
    std::vector<ESPNDetail> goals() const;
    /// The short name of the first competitor whose team has this id, or "".
    std::string teamName(std::string_view teamId) const;
};

/// The top-level document of both backend endpoints.
struct ESPNScoreboard {
    std::optional<std::vector<ESPNEvent>> events;  // absent reads as empty
};

}  // namespace fixtora
