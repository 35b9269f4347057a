// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace fixtora {

/// Parses an internet date-time strictly: "yyyy-MM-ddTHH:mm:ss" followed by
/// "Z" or "±hh:mm", ASCII digits, whole seconds only (no fraction), valid
/// calendar fields. Anything else gives an absent result.
std::optional<Instant> parseInternetDateTime(std::string_view text);

/// Writes an instant as UTC with whole seconds, e.g. "2025-08-16T14:00:00Z"
/// (the fraction is dropped, rounding towards the past).
std::string formatInternetDateTime(Instant instant);

}  // namespace fixtora
