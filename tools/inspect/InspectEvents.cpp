// SPDX-License-Identifier: MIT
// Default mode: the derived values of every event of a scoreboard document.
#include "InspectModes.hpp"

#include "data/ESPNModels.hpp"
#include "data/InternetDateTime.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <nlohmann/json.hpp>

#include <iostream>
#include <optional>

namespace fixtora::inspect {

namespace {

using Json = nlohmann::ordered_json;

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json side(const std::optional<ESPNCompetitor>& competitor) {
    if (!competitor) return nullptr;
    return Json{
        {"id", competitor->team.id},
        {"abbreviation", competitor->team.abbreviation},
        {"shortDisplayName", competitor->team.shortDisplayName},
        {"score", orNull(competitor->score)},
    };
}

Json goal(const ESPNEvent& event, const ESPNDetail& detail) {
    const auto clock = detail.clock ? detail.clock->displayValue : std::nullopt;
    std::optional<std::string> scorer;
    if (detail.athletesInvolved && !detail.athletesInvolved->empty())
        scorer = detail.athletesInvolved->front().displayName;
    const auto teamId = detail.team ? detail.team->id : std::nullopt;
    return Json{
        {"clock", orNull(clock)},
        {"scorer", orNull(scorer)},
        {"penaltyKick", orNull(detail.penaltyKick)},
        {"ownGoal", orNull(detail.ownGoal)},
        {"teamId", orNull(teamId)},
        {"teamName", teamId ? Json(event.teamName(*teamId)) : Json(nullptr)},
    };
}

Json describe(const ESPNEvent& event) {
    const auto kickOff = event.localDate();
    const ESPNStatusType* status =
        event.competitions.empty() ? nullptr : &event.competitions.front().status.type;
    Json goals = Json::array();
    for (const auto& detail : event.goals()) goals.push_back(goal(event, detail));
    return Json{
        {"id", event.id},
        {"localDate", kickOff ? Json(formatInternetDateTime(*kickOff)) : Json(nullptr)},
        {"status", status ? Json(status->name) : Json(nullptr)},
        {"completed", status ? Json(status->completed) : Json(nullptr)},
        {"isLive", status != nullptr && status->isLive()},
        {"clockLabel", status ? orNull(status->clockLabel()) : Json(nullptr)},
        {"home", side(event.home())},
        {"away", side(event.away())},
        {"goals", std::move(goals)},
    };
}

int runEvents(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "usage: fixtora-inspect FILE|-\n";
        return 2;
    }
    const auto decoded = decodeScoreboard(readInput(args.front()));
    if (!decoded) {
        std::cerr << "fixtora-inspect: " << decoded.error().description << "\n";
        return 1;
    }
    Json out = Json::array();
    for (const auto& event : decoded.value().events.value_or(std::vector<ESPNEvent>{}))
        out.push_back(describe(event));
    std::cout << out.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    return 0;
}

const bool kEventsRegistered = registerMode({"", "FILE|-", runEvents});

}  // namespace

}  // namespace fixtora::inspect
