// SPDX-License-Identifier: MIT
#include "analytics/SignalPostBody.hpp"

#include "analytics/AnalyticsEncoder.hpp"

#include <nlohmann/json.hpp>

#include <cmath>

namespace analytics {
namespace {

const nlohmann::json& member(const nlohmann::json& json, const char* name,
                             nlohmann::json::value_t type) {
    const auto& value = json.at(name);
    const bool ok =
        type == nlohmann::json::value_t::number_float ? value.is_number() : value.type() == type;
    if (!ok)
        throw nlohmann::json::type_error::create(
            302, std::string("member \"") + name + "\" has the wrong type", &json);
    return value;
}

}  // namespace

std::string SignalPostBody::description() const {
    return AnalyticsEncoder::encode(*this).dump(-1, ' ', false,
                                                nlohmann::json::error_handler_t::replace);
}

// The cache file keeps the wire form, except that "receivedAt" is a number
// of seconds since 2001 rather than a date text.
void to_json(nlohmann::json& json, const SignalPostBody& body) {
    json = AnalyticsEncoder::encode(body);
    json["receivedAt"] = body.receivedAt - fixtora::kSecondsFrom1970To2001;
}

void from_json(const nlohmann::json& json, SignalPostBody& body) {
    using V = nlohmann::json::value_t;
    if (!json.is_object())
        throw nlohmann::json::type_error::create(302, "a signal must be an object", &json);
    SignalPostBody out;
    out.receivedAt =
        member(json, "receivedAt", V::number_float).get<double>() + fixtora::kSecondsFrom1970To2001;
    out.appID = member(json, "appID", V::string).get<std::string>();
    out.clientUser = member(json, "clientUser", V::string).get<std::string>();
    out.sessionID = member(json, "sessionID", V::string).get<std::string>();
    out.type = member(json, "type", V::string).get<std::string>();
    if (auto it = json.find("floatValue"); it != json.end() && !it->is_null()) {
        if (!it->is_number())
            throw nlohmann::json::type_error::create(
                302, "member \"floatValue\" has the wrong type", &json);
        out.floatValue = it->get<double>();
    }
    const auto& payload = member(json, "payload", V::object);
    for (const auto& [key, value] : payload.items()) {
        if (!value.is_string())
            throw nlohmann::json::type_error::create(302, "payload values must be strings", &json);
        out.payload.emplace(key, value.get<std::string>());
    }
    out.isTestMode = member(json, "isTestMode", V::string).get<std::string>();
    body = std::move(out);
}

}  // namespace analytics
