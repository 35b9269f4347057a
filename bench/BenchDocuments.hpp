// SPDX-License-Identifier: MIT
#pragma once

// The documents the benchmarks measure: recorded scoreboards of the
// repository and the demo backend's 380-match season.

#include "data/ESPNModels.hpp"

#include <string>
#include <vector>

namespace fixtora::bench {

/// The bytes of tests/data/files/espn/<name>; throws when it cannot be read.
std::string readDocument(const std::string& name);

/// The demo season's schedule document as the demo backend serves it, at a
/// fixed "now" so that it is the same from run to run.
std::string demoSchedule(bool weekNumbers);

/// The 380 events of `demoSchedule`; throws when they do not decode.
std::vector<ESPNEvent> demoEvents(bool weekNumbers);

/// The fixed "now" of the demo season: 2026-10-03T13:00:00Z.
inline constexpr Instant kDemoNow = 1791032400.0;

}  // namespace fixtora::bench
