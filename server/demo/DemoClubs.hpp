// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora::demo {

/// One club of the synthetic league. Colours are "RRGGBB" as the scoreboard
/// documents write them.
struct DemoClub {
    std::string id;
    std::string abbreviation;
    std::string location;  // also the short display name
    std::string suffix;    // "Athletic", "Rovers"...
    std::string color;
    std::string alternateColor;

    std::string displayName() const { return location + " " + suffix; }
};

/// A player that can score: the same club and index always give the same player.
struct DemoPlayer {
    std::string id;
    std::string displayName;
    std::string shortName;
    std::string jersey;
};

inline constexpr std::size_t kSquadSize = 8;

/// The 20 clubs, in a fixed order.
const std::vector<DemoClub>& demoClubs();
/// The club with that abbreviation (exact match), or null.
const DemoClub* findDemoClub(std::string_view abbreviation);
/// Player `index` (0 .. kSquadSize-1) of club `club` (an index into demoClubs()).
DemoPlayer demoPlayer(std::size_t club, std::size_t index);

}  // namespace fixtora::demo
