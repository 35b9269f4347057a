// SPDX-License-Identifier: MIT
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace fixtora::demo {

/// Checks one analytics POST body against the ingest wire format: a non-empty
/// JSON array of signal objects with exactly the members "receivedAt",
/// "appID", "clientUser", "sessionID", "type", "payload", "isTestMode" and an
/// optional "floatValue". Returns "" for a valid body, else what is wrong
/// (naming the signal by its index).
std::string validateSignalBatch(const nlohmann::json& body);

/// "yyyy-MM-dd'T'HH:mm:ss" followed by a zone: "Z", "+hhmm" or "+hh:mm".
bool isWireTimestamp(std::string_view text);

}  // namespace fixtora::demo
