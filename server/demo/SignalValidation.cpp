// SPDX-License-Identifier: MIT
#include "SignalValidation.hpp"

#include <array>
#include <cctype>
#include <cmath>

namespace fixtora::demo {

namespace {

bool digitsAt(std::string_view s, std::size_t pos, std::size_t count, int lo, int hi) {
    if (pos + count > s.size()) return false;
    int v = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
        v = v * 10 + (s[i] - '0');
    }
    return v >= lo && v <= hi;
}

}  // namespace

bool isWireTimestamp(std::string_view s) {
    // 2026-12-05T05:52:48 then the zone
    if (s.size() < 20) return false;
    if (!digitsAt(s, 0, 4, 0, 9999) || s[4] != '-' || !digitsAt(s, 5, 2, 1, 12) || s[7] != '-' ||
        !digitsAt(s, 8, 2, 1, 31) || s[10] != 'T' || !digitsAt(s, 11, 2, 0, 23) || s[13] != ':' ||
        !digitsAt(s, 14, 2, 0, 59) || s[16] != ':' || !digitsAt(s, 17, 2, 0, 60))
        return false;
    const std::string_view zone = s.substr(19);
    if (zone == "Z") return true;
    if (zone[0] != '+' && zone[0] != '-') return false;
    if (zone.size() == 5) return digitsAt(zone, 1, 2, 0, 23) && digitsAt(zone, 3, 2, 0, 59);
    if (zone.size() == 6)
        return digitsAt(zone, 1, 2, 0, 23) && zone[3] == ':' && digitsAt(zone, 4, 2, 0, 59);
    return false;
}

std::string validateSignalBatch(const nlohmann::json& body) {
    if (!body.is_array()) return "the body must be a JSON array of signals";
    if (body.empty()) return "the body is an empty array: a batch holds at least one signal";
    static constexpr std::array<const char*, 4> kStrings = {"appID", "clientUser", "sessionID",
                                                            "type"};
    for (std::size_t i = 0; i < body.size(); ++i) {
        const auto& signal = body[i];
        const std::string where = "signal " + std::to_string(i) + ": ";
        if (!signal.is_object()) return where + "must be a JSON object";
        static constexpr std::array<const char*, 8> kKnown = {
            "receivedAt", "appID",   "clientUser", "sessionID",
            "type",       "payload", "isTestMode", "floatValue"};
        for (const auto& item : signal.items()) {
            bool known = false;
            for (const char* k : kKnown) known = known || item.key() == k;
            if (!known) return where + "unknown member \"" + item.key() + "\"";
        }
        for (const char* member : kStrings) {
            if (!signal.contains(member)) return where + "missing member \"" + member + "\"";
            if (!signal[member].is_string()) return where + "\"" + member + "\" must be a string";
        }
        if (!signal.contains("receivedAt")) return where + "missing member \"receivedAt\"";
        if (!signal["receivedAt"].is_string()) return where + "\"receivedAt\" must be a string";
        if (!isWireTimestamp(signal["receivedAt"].get<std::string>()))
            return where + "\"receivedAt\" is \"" + signal["receivedAt"].get<std::string>() +
                   "\", expected yyyy-MM-ddTHH:mm:ss with a zone such as +0000";
        if (!signal.contains("payload")) return where + "missing member \"payload\"";
        if (!signal["payload"].is_object())
            return where + "\"payload\" must be an object of strings";
        for (const auto& item : signal["payload"].items())
            if (!item.value().is_string())
                return where + "payload member \"" + item.key() + "\" must be a string";
        if (!signal.contains("isTestMode")) return where + "missing member \"isTestMode\"";
        if (!signal["isTestMode"].is_string() ||
            (signal["isTestMode"] != "true" && signal["isTestMode"] != "false"))
            return where + "\"isTestMode\" must be the string \"true\" or \"false\"";
        if (signal.contains("floatValue") && !signal["floatValue"].is_number())
            return where + "\"floatValue\" must be a number (leave it out when there is none)";
    }
    return {};
}

}  // namespace fixtora::demo
