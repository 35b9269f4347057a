// SPDX-License-Identifier: MIT
#include "ScoreboardEncoder.hpp"

#include <nlohmann/json.hpp>

namespace fixtora::server {

namespace {

using nlohmann::json;

template <typename T>
void putIf(json& out, const char* key, const std::optional<T>& value) {
    if (value) out[key] = *value;
}

json encodeDetail(const ESPNDetail& d) {
    json out = json::object();
    if (d.clock) {
        json clock = json::object();
        putIf(clock, "displayValue", d.clock->displayValue);
        out["clock"] = std::move(clock);
    }
    if (d.team) {
        json team = json::object();
        putIf(team, "id", d.team->id);
        out["team"] = std::move(team);
    }
    putIf(out, "scoringPlay", d.scoringPlay);
    putIf(out, "penaltyKick", d.penaltyKick);
    putIf(out, "ownGoal", d.ownGoal);
    if (d.athletesInvolved) {
        json athletes = json::array();
        for (const auto& a : *d.athletesInvolved)
            athletes.push_back({{"displayName", a.displayName}});
        out["athletesInvolved"] = std::move(athletes);
    }
    return out;
}

json encodeCompetitor(const ESPNCompetitor& c) {
    json team = {{"id", c.team.id},
                 {"abbreviation", c.team.abbreviation},
                 {"shortDisplayName", c.team.shortDisplayName}};
    putIf(team, "logo", c.team.logo);
    json out = {{"homeAway", c.homeAway}, {"team", std::move(team)}};
    putIf(out, "score", c.score);
    putIf(out, "winner", c.winner);
    return out;
}

json encodeCompetition(const ESPNCompetition& c) {
    json competitors = json::array();
    for (const auto& side : c.competitors) competitors.push_back(encodeCompetitor(side));
    json type = {{"name", c.status.type.name}, {"completed", c.status.type.completed}};
    putIf(type, "shortDetail", c.status.type.shortDetail);
    json out = {{"competitors", std::move(competitors)}, {"status", {{"type", std::move(type)}}}};
    if (c.details) {
        json details = json::array();
        for (const auto& d : *c.details) details.push_back(encodeDetail(d));
        out["details"] = std::move(details);
    }
    return out;
}

}  // namespace

std::string encodeScoreboard(const std::vector<ESPNEvent>& events) {
    json list = json::array();
    for (const auto& e : events) {
        json competitions = json::array();
        for (const auto& c : e.competitions) competitions.push_back(encodeCompetition(c));
        json out = {{"id", e.id}, {"date", e.date}, {"competitions", std::move(competitions)}};
        if (e.week) {
            json week = json::object();
            putIf(week, "number", e.week->number);
            out["week"] = std::move(week);
        }
        list.push_back(std::move(out));
    }
    return json{{"events", std::move(list)}}.dump();
}

}  // namespace fixtora::server
