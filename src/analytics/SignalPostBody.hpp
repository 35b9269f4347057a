// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.hpp"

#include <nlohmann/json_fwd.hpp>

#include <map>
#include <optional>
#include <string>

namespace analytics {

/// One signal as posted to the ingest endpoint.
struct SignalPostBody {
    fixtora::Instant receivedAt = 0;
    std::string appID;
    std::string clientUser;
    std::string sessionID;
    std::string type;
    std::optional<double> floatValue;
    std::map<std::string, std::string> payload;
    std::string isTestMode;  // "true" or "false"

    friend bool operator==(const SignalPostBody&, const SignalPostBody&) = default;

    /// A one-line description for debug logs.
    std::string description() const;
};

/// The stored form (the signal cache file): like the wire form, except that
/// "receivedAt" is a number of seconds since 2001-01-01T00:00:00Z.
/// Decoding throws nlohmann::json::exception on a member that is missing or
/// of the wrong type.
void to_json(nlohmann::json& json, const SignalPostBody& body);
void from_json(const nlohmann::json& json, SignalPostBody& body);

}  // namespace analytics
