// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"

#include <map>
#include <string>
#include <vector>

namespace fixtora {

/// One thing worth telling the user about a match of the favourite club.
struct MatchAlert {
    enum class Kind { kickOff, goal, fullTime };
    Kind kind = Kind::kickOff;
    std::string eventId;
    std::string summary;  // "Goal: ARS 1–0 CHE"
    std::string body;     // "23' Bukayo Saka (Arsenal)"
};

/// Decides which kick-offs, goals and full times to announce, given the
/// successive states of the matches as the app receives them. Each is
/// announced at most once, and nothing that had already happened when the
/// app first saw a match: the first state of every match is only recorded.
/// So a restart, which sees every match for the first time, never replays
/// one, and nothing needs to be stored across launches.
///
/// Scores only count upwards (the highest seen per side): an older answer
/// arriving after a newer one repeats no goal. Every match is followed,
/// whichever club is the favourite, so that a new favourite's match is not
/// taken for new either.
class MatchAlerts {
  public:
    /// Records the latest states of `events` and returns what to announce
    /// for the matches of the club with `favouriteId` ("" for none), in
    /// order: kick-off, goals in scoring order, full time.
    std::vector<MatchAlert> observe(const std::vector<ESPNEvent>& events,
                                    const std::string& favouriteId);

  private:
    struct Seen {
        bool started = false;
        bool finished = false;
        int home = 0;
        int away = 0;
    };
    std::map<std::string, Seen> m_seen;
};

}  // namespace fixtora
