// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"
#include "platform/Result.hpp"

#include <string_view>

namespace fixtora {

/// Error domain of every decoding failure; the description names what went
/// wrong and where (e.g. "events[2].competitions[0].competitors[1].score").
inline constexpr const char* kDecodingErrorDomain = "JSON";

/// Codes of `kDecodingErrorDomain` errors.
enum DecodingErrorCode : int {
    kDecodingErrorSyntax = 1,        // not JSON at all, or truncated
    kDecodingErrorMissingKey = 2,    // a required key is absent
    kDecodingErrorTypeMismatch = 3,  // a value of the wrong JSON type
};

/// Decodes a whole scoreboard document strictly: a missing required key or a
/// value of the wrong JSON type anywhere fails the whole document (no partial
/// result); unknown keys are ignored; `null` equals absent for optional keys.
/// Never throws.
Result<ESPNScoreboard> decodeScoreboard(std::string_view json);

}  // namespace fixtora
