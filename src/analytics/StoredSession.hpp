// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace analytics {

/// One remembered usage session. Stored as {"st": whole seconds since 1970,
/// "dn": whole seconds}.
struct StoredSession {
    fixtora::Instant startedAt = 0;
    std::int64_t durationInSeconds = 0;

    friend bool operator==(const StoredSession&, const StoredSession&) = default;

    /// The JSON array of `sessions`; nothing when a start time is not finite
    /// or does not fit a signed 64-bit number of seconds.
    static std::optional<std::string> encodeList(const std::vector<StoredSession>& sessions);
    /// The sessions of a JSON array; nothing when the text is not one.
    static std::optional<std::vector<StoredSession>> decodeList(const std::string& json);
};

}  // namespace analytics
