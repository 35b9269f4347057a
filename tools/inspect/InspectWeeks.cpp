// SPDX-License-Identifier: MIT
// --weeks: the matchweek table that Fixtora computes from a schedule
// document, in the process's time zone (TZ).
#include "InspectModes.hpp"

#include "data/InternetDateTime.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <nlohmann/json.hpp>

#include <iostream>

namespace fixtora::inspect {

namespace {

using Json = nlohmann::ordered_json;

int runWeeks(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "usage: fixtora-inspect --weeks FILE|-\n";
        return 2;
    }
    const auto decoded = decodeScoreboard(readInput(args.front()));
    if (!decoded) {
        std::cerr << "fixtora-inspect: " << decoded.error().description << "\n";
        return 1;
    }
    const auto& events = decoded.value().events;
    if (!events || events->empty()) {
        std::cerr << "fixtora-inspect: the document has no events, so there is no season to divide "
                     "into matchweeks\n";
        return 1;
    }
    Json weeks = Json::array();
    for (const auto& w : computeMatchWeeks(*events)) {
        weeks.push_back(Json{{"number", w.number},
                             {"startDate", formatInternetDateTime(w.startDate)},
                             {"endDate", formatInternetDateTime(w.endDate)}});
    }
    const Json out{
        {"method",
         matchWeekMethod(*events) == MatchWeekMethod::WeekNumber ? "weekNumber" : "dateCluster"},
        {"weeks", std::move(weeks)},
    };
    std::cout << out.dump(2) << "\n";
    return 0;
}

const bool kWeeksRegistered = registerMode({"--weeks", "--weeks FILE|-", runWeeks});

}  // namespace

}  // namespace fixtora::inspect
