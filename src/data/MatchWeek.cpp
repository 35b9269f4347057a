// SPDX-License-Identifier: MIT
#include "data/MatchWeek.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace fixtora {

std::string encodeMatchWeeks(const std::vector<MatchWeek>& weeks) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& w : weeks) {
        out.push_back({{"number", w.number},
                       {"startDate", w.startDate - kSecondsFrom1970To2001},
                       {"endDate", w.endDate - kSecondsFrom1970To2001}});
    }
    return out.dump();
}

namespace {

std::optional<Instant> readDate(const nlohmann::json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_number()) return std::nullopt;
    const double seconds = it->get<double>();
    if (!std::isfinite(seconds)) return std::nullopt;
    return seconds + kSecondsFrom1970To2001;
}

std::optional<std::int64_t> readNumber(const nlohmann::json& object) {
    auto it = object.find("number");
    if (it == object.end()) return std::nullopt;
    if (it->is_number_unsigned()) {
        const auto v = it->get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return static_cast<std::int64_t>(v);
    }
    if (it->is_number_integer()) return it->get<std::int64_t>();
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<MatchWeek>> decodeMatchWeeks(std::string_view json) {
    const auto doc =
        nlohmann::json::parse(json.begin(), json.end(), nullptr, /*allow_exceptions=*/false);
    if (doc.is_discarded() || !doc.is_array()) return std::nullopt;
    std::vector<MatchWeek> weeks;
    weeks.reserve(doc.size());
    for (const auto& element : doc) {
        if (!element.is_object()) return std::nullopt;
        const auto number = readNumber(element);
        const auto start = readDate(element, "startDate");
        const auto end = readDate(element, "endDate");
        if (!number || !start || !end) return std::nullopt;
        weeks.push_back(MatchWeek{*number, *start, *end});
    }
    return weeks;
}

}  // namespace fixtora
