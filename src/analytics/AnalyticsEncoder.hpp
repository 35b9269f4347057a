// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/SignalPostBody.hpp"

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace analytics {

/// The wire form of signals: "receivedAt" as "yyyy-MM-dd'T'HH:mm:ssZ" in GMT
/// (2026-12-05T05:52:48+0000), "floatValue" only when present.
struct AnalyticsEncoder {
    /// "" for an instant that is not finite or lies beyond the calendar.
    static std::string formatDate(fixtora::Instant instant);
    static nlohmann::json encode(const SignalPostBody& body);
    /// The POST body: a JSON array. Bytes that are not valid UTF-8 are
    /// replaced by U+FFFD rather than failing the whole batch.
    static std::string encodeBatch(const std::vector<SignalPostBody>& batch);
};

}  // namespace analytics
