// SPDX-License-Identifier: MIT
// A Saturday in virtual time: the application's core follows the demo
// backend's matches from midnight to midnight, and the table says what it
// asked of the network hour by hour.
//   fixtora_simday [--favourite]   (both days when no option is given)
#include "SimulatedDay.hpp"

#include "data/InternetDateTime.hpp"
#include "state/FixturesViewModel.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>

using namespace fixtora;
using namespace fixtora::simday;

namespace {

constexpr Instant kSaturday = 1796428800;  // 2026-12-05T00:00:00Z
constexpr double kHour = 3600;

/// The home side of the match kicking off at 11:10 on the Saturday.
std::optional<ESPNTeam> favouriteOf(SimulatedDay& day) {
    const auto kickOff = formatInternetDateTime(kSaturday + 11 * kHour + 600).substr(0, 16) + "Z";
    const auto season = day.backend().scheduleDocument();
    for (const auto& event : season["events"]) {
        if (event["date"] != kickOff) continue;
        const auto& team = event["competitions"][0]["competitors"][0]["team"];
        return ESPNTeam{team["id"], team["abbreviation"], team["shortDisplayName"], team["logo"]};
    }
    return std::nullopt;
}

void run(bool withFavourite) {
    const auto started = std::chrono::steady_clock::now();
    // Placed around noon, the round has five matches on the Saturday
    // morning, one postponed, two in the afternoon and two on the Sunday.
    SimulatedDay day(kSaturday, kSaturday + 12 * kHour);
    day.launch(withFavourite ? favouriteOf(day) : std::nullopt);
    day.runTo(kSaturday + 24 * kHour);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::size_t scoreboard = 0, hot = 0, busiest = 0, idleLeast = SIZE_MAX;
    for (const auto& h : day.hours()) {
        scoreboard += h.scoreboard;
        busiest = std::max(busiest, h.scoreboard);
        if (h.hotSeconds == 0) idleLeast = std::min(idleLeast, h.scoreboard);
        if (h.hotSeconds > 0) ++hot;
    }
    std::cout << "Simulated day, " << (withFavourite ? "favourite" : "no favourite") << ":\n"
              << day.table();
    std::printf(
        "scoreboard requests %zu (busiest hour %zu, quietest idle hour %zu, %zu hot hours); "
        "signals built %zu, received %zu; stalls %zu; %.1f s of real time\n\n",
        scoreboard, busiest, idleLeast, hot, day.signalsBuilt(),
        day.backend().receivedSignals().size(), day.stalls(), seconds);
}

}  // namespace

int main(int argc, char** argv) {
    // The demo season and the application read calendar days in the
    // process's time zone: the day is a UTC day.
    setenv("TZ", "UTC", 1);
    tzset();
    const bool onlyFavourite = argc > 1 && std::strcmp(argv[1], "--favourite") == 0;
    if (!onlyFavourite) run(false);
    run(true);
    return 0;
}
