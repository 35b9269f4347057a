// SPDX-License-Identifier: MIT
#pragma once

// The decoders as they were before they streamed: they parse a whole JSON
// tree first. Kept only to show that the streaming ones agree on every input.

#include "data/ESPNModels.hpp"
#include "data/MatchWeek.hpp"
#include "platform/Result.hpp"

#include <optional>
#include <string_view>
#include <vector>

namespace fixtora::tree {

Result<ESPNScoreboard> decodeScoreboardTree(std::string_view json);
std::optional<std::vector<MatchWeek>> decodeMatchWeeksTree(std::string_view json);

}  // namespace fixtora::tree
