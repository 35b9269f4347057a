// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"

#include <string>
#include <vector>

namespace fixtora::server {

/// Writes the events back as a scoreboard document ({"events": [...]}) with
/// only the keys the app's decoder reads, so that the app decodes exactly the
/// records it would have decoded from upstream's full answer, in far fewer
/// bytes. Absent optional values are left out; present records stay present
/// even when all their fields are absent.
std::string encodeScoreboard(const std::vector<ESPNEvent>& events);

}  // namespace fixtora::server
