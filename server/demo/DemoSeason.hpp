// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fixtora::demo {

class JsonText;

/// The synthetic season as it stands at one instant: a double round robin of
/// the 20 demo clubs (38 rounds of 10 matches, every club 19 times at home and
/// 19 times away). The round that contains "now" is built around it: two
/// matches finished today (one with a penalty, one with an own goal), one in
/// the second half, one at half-time, one in the first half, one postponed and
/// four still to come (two of them tomorrow). Earlier rounds lie on earlier
/// weekends (a few midweek, with international breaks) and are all finished;
/// later rounds are all scheduled. The same seed and instant always give the
/// same season; the seed decides scores and scorers.
class DemoSeason {
  public:
    struct Settings {
        std::uint64_t seed = 1;
        Instant now = 0;
        bool weekNumbers = true;
        std::string baseUrl;  // crest URLs are baseUrl + "/crests/<ABBR>.png"
        /// When set, the rounds are placed around this instant instead of
        /// `now`, and every match (but the postponed one) takes the state it
        /// has at `now`: scheduled until its kick-off, then first half,
        /// half-time, second half and full time. A clock moving through a
        /// day then sees the matches of that day kick off and finish.
        std::optional<Instant> placedAt = std::nullopt;
    };

    static constexpr int kRounds = 38;
    static constexpr int kMatchesPerRound = 10;

    explicit DemoSeason(Settings settings);

    /// {"leagues": [...], "events": [...]} with every match, in round order, as JSON text.
    std::string document() const;
    /// The same document with only the matches whose kick-off falls on a
    /// calendar day of the process's time zone from `firstDay` to `lastDay`
    /// (numbers written yyyymmdd, both inclusive), in kick-off order.
    std::string document(int firstDay, int lastDay) const;

    /// The local calendar day (yyyymmdd) of an instant in the process's time zone.
    static int localDay(std::int64_t unixSeconds);

  private:
    enum class Phase { Finished, FirstHalf, HalfTime, SecondHalf, Postponed, Scheduled };
    enum class GoalKind { Plain, Header, Penalty, OwnGoal };

    struct Match {
        int round = 0;
        int slot = 0;
        std::size_t home = 0;
        std::size_t away = 0;
        std::int64_t kickoff = 0;  // seconds since 1970, whole minutes
        Phase phase = Phase::Scheduled;
        int liveMinute = 0;  // the clock of a match in play
    };

    struct Incident {
        int minute = 0;
        int stoppage = 0;  // the "+2" of "90'+2'"
        bool home = true;  // the side credited (for an own goal: the side that benefits)
        bool goal = true;  // false: a yellow card
        GoalKind kind = GoalKind::Plain;
        std::size_t player = 0;
        int second = 0;
    };

    void placeRounds(Instant now);
    void followClock(Instant now);
    std::vector<Incident> incidentsOf(const Match& match) const;
    void writeEvent(JsonText& out, const Match& match) const;
    void writeTeam(JsonText& out, std::size_t club) const;
    void writeLeagues(JsonText& out) const;
    std::string write(const std::vector<const Match*>& matches) const;

    Settings m_settings;
    std::vector<Match> m_matches;  // round order, then kick-off
    int m_seasonYear = 0;
    int m_currentRound = 0;
};

}  // namespace fixtora::demo
