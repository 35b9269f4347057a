// SPDX-License-Identifier: MIT
#include "analytics/StoredSession.hpp"

#include <nlohmann/json.hpp>

#include <cmath>

namespace analytics {

std::optional<std::string> StoredSession::encodeList(const std::vector<StoredSession>& sessions) {
    // 2^63 seconds, the first value that no longer fits.
    constexpr double kLimit = 9223372036854775808.0;
    nlohmann::json list = nlohmann::json::array();
    for (const auto& session : sessions) {
        const double whole = std::trunc(session.startedAt);
        if (!std::isfinite(whole) || whole >= kLimit || whole < -kLimit) return std::nullopt;
        list.push_back(
            {{"st", static_cast<std::int64_t>(whole)}, {"dn", session.durationInSeconds}});
    }
    return list.dump();
}

std::optional<std::vector<StoredSession>> StoredSession::decodeList(const std::string& json) {
    const auto list = nlohmann::json::parse(json, nullptr, false);
    if (!list.is_array()) return std::nullopt;
    std::vector<StoredSession> sessions;
    sessions.reserve(list.size());
    for (const auto& item : list) {
        if (!item.is_object()) return std::nullopt;
        const auto st = item.find("st");
        const auto dn = item.find("dn");
        if (st == item.end() || dn == item.end() || !st->is_number() || !dn->is_number_integer())
            return std::nullopt;
        sessions.push_back({st->get<double>(), dn->get<std::int64_t>()});
    }
    return sessions;
}

}  // namespace analytics
