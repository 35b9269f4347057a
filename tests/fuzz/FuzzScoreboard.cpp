// SPDX-License-Identifier: MIT
// A scoreboard or schedule document as the backend sends it, through the
// decoder and everything the app derives from the events: kick-off times,
// sides, goals, live status and the season's matchweek table.

#include "FuzzCheck.hpp"

#include "data/InternetDateTime.hpp"
#include "data/MatchWeek.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"

using namespace fixtora;
using fixtora::fuzz::check;

namespace {

void deriveEventValues(const ESPNEvent& event) {
    const auto kickOff = event.localDate();
    if (const auto at = parseInternetDateTime(event.date)) {
        check(kickOff && *kickOff == *at, "an internet date-time is also the event's kick-off");
        // Offsets can move a day of year 0000 or 9999 out of four-digit years,
        // which the strict form cannot write.
        const std::string written = formatInternetDateTime(*at);
        if (written.size() == 20)
            check(parseInternetDateTime(written) == at,
                  "a written date-time reads back as the same instant");
    }
    const auto home = event.home();
    const auto away = event.away();
    if (home) check(home->homeAway == "home", "home() is a home side");
    if (away) check(away->homeAway == "away", "away() is an away side");
    for (const auto& goal : event.goals())
        check(goal.scoringPlay == true, "goals() holds scoring plays only");
    for (const auto& competition : event.competitions) {
        const auto& type = competition.status.type;
        const auto label = type.clockLabel();
        if (label) check(type.isLive() && !label->empty(), "only a live match has a clock label");
        for (const auto& competitor : competition.competitors)
            (void)event.teamName(competitor.team.id);
    }
    (void)dayKey(event);
}

void checkTable(const std::vector<ESPNEvent>& events) {
    const auto method = matchWeekMethod(events);
    const auto weeks = computeMatchWeeks(events);
    for (std::size_t i = 0; i < weeks.size(); ++i) {
        check(weeks[i].startDate <= weeks[i].endDate, "a matchweek ends after it starts");
        if (i > 0) check(weeks[i - 1].number < weeks[i].number, "matchweek numbers ascend");
        if (method == MatchWeekMethod::DateCluster)
            check(weeks[i].number == static_cast<std::int64_t>(i) + 1,
                  "date clusters are numbered from 1");
    }
    if (method == MatchWeekMethod::DateCluster)
        check(weeks.size() <= kMaxMatchWeeks, "at most 38 date clusters");

    // The table goes to the schedule cache file and must come back whole.
    const auto stored = decodeMatchWeeks(encodeMatchWeeks(weeks));
    check(stored.has_value() && stored->size() == weeks.size(), "a computed table reads back");
    for (std::size_t i = 0; i < weeks.size(); ++i) {
        check((*stored)[i].number == weeks[i].number, "a stored matchweek keeps its number");
        check(fuzz::sameInstant((*stored)[i].startDate, weeks[i].startDate) &&
                  fuzz::sameInstant((*stored)[i].endDate, weeks[i].endDate),
              "a stored matchweek keeps its dates");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto decoded = decodeScoreboard(fuzz::asText(data, size));
    if (!decoded) {
        check(decoded.error().domain == kDecodingErrorDomain,
              "decoding errors are in the JSON domain");
        check(!decoded.error().description.empty(), "a decoding error says what is wrong");
        return 0;
    }
    const auto& events = decoded.value().events;
    if (!events) return 0;
    for (const auto& event : *events) deriveEventValues(event);
    checkTable(*events);
    return 0;
}
