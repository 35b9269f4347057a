// SPDX-License-Identifier: MIT
#include "analytics/AnalyticsEncoder.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace analytics {

std::string AnalyticsEncoder::formatDate(fixtora::Instant instant) {
    // A date read from the cache file may be anything; beyond some 30
    // million years either way there is no calendar date to write (and the
    // seconds would not fit the system's time type).
    if (!std::isfinite(instant) || std::fabs(instant) > 1e15) return {};
    // Whole seconds, rounded down as a date formatter does.
    const auto seconds = static_cast<std::time_t>(std::floor(instant));
    std::tm tm{};
    if (!gmtime_r(&seconds, &tm)) return {};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d+0000", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

nlohmann::json AnalyticsEncoder::encode(const SignalPostBody& body) {
    nlohmann::json json = nlohmann::json::object();
    json["receivedAt"] = formatDate(body.receivedAt);
    json["appID"] = body.appID;
    json["clientUser"] = body.clientUser;
    json["sessionID"] = body.sessionID;
    json["type"] = body.type;
    if (body.floatValue && std::isfinite(*body.floatValue)) json["floatValue"] = *body.floatValue;
    json["payload"] = body.payload;
    json["isTestMode"] = body.isTestMode;
    return json;
}

std::string AnalyticsEncoder::encodeBatch(const std::vector<SignalPostBody>& batch) {
    nlohmann::json array = nlohmann::json::array();
    for (const auto& body : batch) array.push_back(encode(body));
    return array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace analytics
