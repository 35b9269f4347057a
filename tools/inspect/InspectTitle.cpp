// SPDX-License-Identifier: MIT
// "--title": the status title that the view model shows for a scoreboard
// document at a given instant; "--groups": its day groups. Both run the view
// model's own computations, in the locale of LANG / LC_ALL and the zone of TZ.
#include "InspectModes.hpp"

#include "data/ScoreboardDecoder.hpp"
#include "state/DateText.hpp"
#include "state/MatchGroups.hpp"
#include "state/StatusTitle.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace fixtora::inspect {

namespace {

using Json = nlohmann::ordered_json;

std::vector<ESPNEvent> readEvents(const std::string& file) {
    auto decoded = decodeScoreboard(readInput(file));
    if (!decoded) throw std::runtime_error(file + ": " + decoded.error().description);
    return std::move(decoded).value().events.value_or(std::vector<ESPNEvent>{});
}

/// An internet date-time, with or without seconds ("2025-08-16T14:00Z").
Instant parseNow(const std::string& text) {
    ESPNEvent probe;
    probe.date = text;
    if (auto instant = probe.localDate()) return *instant;
    throw std::runtime_error(
        "--now needs an ISO 8601 date-time such as 2025-08-16T14:00:00Z, not \"" + text + "\"");
}

int parseCycle(const std::string& text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        throw std::runtime_error("--cycle needs a whole number, not \"" + text + "\"");
    return value;
}

int title(const std::vector<std::string>& args) {
    std::optional<std::string> favouriteId;
    std::optional<Instant> now;
    int cycle = 0;
    std::optional<std::string> file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        const bool takesValue = arg == "--favourite" || arg == "--cycle" || arg == "--now";
        if (takesValue && i + 1 >= args.size()) throw std::runtime_error(arg + " needs a value");
        if (arg == "--favourite") {
            favouriteId = args[++i];
        } else if (arg == "--cycle") {
            cycle = parseCycle(args[++i]);
        } else if (arg == "--now") {
            now = parseNow(args[++i]);
        } else if (!file && (arg == "-" || arg.rfind("--", 0) != 0)) {
            file = arg;
        } else {
            throw std::runtime_error("unexpected argument \"" + arg + "\"");
        }
    }
    if (!now || !file) {
        std::cerr << "usage: fixtora-inspect --title [--favourite TEAM_ID] [--cycle N] --now "
                     "ISO8601 FILE|-\n";
        return 2;
    }
    useEnvironmentLocale();
    const auto events = readEvents(*file);
    // The displayed matchweek and the whole cache both hold the file's events.
    const MatchCache cache{{1, events}};
    std::optional<ESPNTeam> favourite;
    if (favouriteId) {
        const auto teams = collectKnownTeams(cache);
        const auto it = std::find_if(teams.begin(), teams.end(),
                                     [&](const ESPNTeam& t) { return t.id == *favouriteId; });
        if (it == teams.end())
            throw std::runtime_error("no team with id \"" + *favouriteId + "\" in " + *file);
        favourite = *it;
    }
    std::cout << computeStatusBarTitle({events, cache, favourite, cycle, *now, {}}) << "\n";
    return 0;
}

int groups(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "usage: fixtora-inspect --groups FILE|-\n";
        return 2;
    }
    useEnvironmentLocale();
    Json out = Json::array();
    for (const auto& group : groupByDay(readEvents(args.front()), {})) {
        Json ids = Json::array();
        for (const auto& event : group.events) ids.push_back(event.id);
        out.push_back(Json{{"label", group.label}, {"events", std::move(ids)}});
    }
    std::cout << out.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    return 0;
}

const bool kTitleRegistered = registerMode(
    {"--title", "--title [--favourite TEAM_ID] [--cycle N] --now ISO8601 FILE|-", title});
const bool kGroupsRegistered = registerMode({"--groups", "--groups FILE|-", groups});

}  // namespace

}  // namespace fixtora::inspect
