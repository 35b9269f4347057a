// SPDX-License-Identifier: MIT
#include "TreeDecoders.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <nlohmann/json.hpp>

#include "data/MatchWeek.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace fixtora::tree {

namespace {

using Json = nlohmann::json;

// Where the decoder stands in the document, as a chain of stack frames so
// that the success path allocates nothing; rendered only for an error.
struct Path {
    const Path* parent = nullptr;
    const char* key = nullptr;  // null for an array element
    std::size_t index = 0;
};

std::string render(const Path* path) {
    std::vector<const Path*> chain;
    for (; path != nullptr && (path->parent != nullptr || path->key != nullptr);
         path = path->parent)
        chain.push_back(path);
    std::string out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if ((*it)->key != nullptr) {
            if (!out.empty()) out += '.';
            out += (*it)->key;
        } else {
            out += '[' + std::to_string((*it)->index) + ']';
        }
    }
    return out;
}

struct DecodeFailure {
    Error error;
};

constexpr const char* kPrefix = "Cannot decode the scoreboard: ";

std::string describeType(const Json& j) {
    if (j.is_null()) return "null";
    const std::string name = j.type_name();
    return (name.front() == 'a' || name.front() == 'o' ? "an " : "a ") + name;
}

[[noreturn]] void typeMismatch(const Json& j, const char* expected, const Path& path) {
    const std::string where = render(&path);
    throw DecodeFailure{{kDecodingErrorDomain, kDecodingErrorTypeMismatch,
                         std::string(kPrefix) + (where.empty() ? "the document" : where) +
                             " should be " + expected + " but is " + describeType(j)}};
}

[[noreturn]] void missingKey(const char* key, const Path& path) {
    const std::string where = render(&path);
    throw DecodeFailure{{kDecodingErrorDomain, kDecodingErrorMissingKey,
                         std::string(kPrefix) + "required key \"" + key + "\" is missing" +
                             (where.empty() ? " at the top level" : " in " + where)}};
}

const Json& object(const Json& j, const Path& path) {
    if (!j.is_object()) typeMismatch(j, "an object", path);
    return j;
}

std::string string(const Json& j, const Path& path) {
    if (!j.is_string()) typeMismatch(j, "a string", path);
    return j.get_ref<const std::string&>();
}

bool boolean(const Json& j, const Path& path) {
    if (!j.is_boolean()) typeMismatch(j, "a boolean", path);
    return j.get<bool>();
}

// A 64-bit signed integer; a number with a fraction or out of range fails,
// while an integral number written as 3.0 or 3e0 is accepted.
std::int64_t integer(const Json& j, const Path& path) {
    if (j.is_number_unsigned()) {
        const auto v = j.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            typeMismatch(j, "a 64-bit integer", path);
        return static_cast<std::int64_t>(v);
    }
    if (j.is_number_integer()) return j.get<std::int64_t>();
    if (j.is_number_float()) {
        const double v = j.get<double>();
        // 2^63 itself is out of range, hence the strict upper bound.
        if (std::trunc(v) == v && v >= -9223372036854775808.0 && v < 9223372036854775808.0)
            return static_cast<std::int64_t>(v);
    }
    typeMismatch(j, "a 64-bit integer", path);
}

template <typename Element>
std::vector<Element> list(const Json& j, const Path& path,
                          Element (*element)(const Json&, const Path&)) {
    if (!j.is_array()) typeMismatch(j, "an array", path);
    std::vector<Element> out;
    out.reserve(j.size());
    std::size_t index = 0;
    for (const auto& item : j) {
        const Path child{&path, nullptr, index++};
        out.push_back(element(item, child));
    }
    return out;
}

// A required key: present, and of the right type (null is a wrong type).
template <typename Fn>
auto required(const Json& obj, const char* key, const Path& path, Fn decode) {
    const auto it = obj.find(key);
    if (it == obj.end()) missingKey(key, path);
    const Path child{&path, key, 0};
    return decode(*it, child);
}

// An optional key: absent or null gives nothing; any other value must decode.
template <typename Fn>
auto optional(const Json& obj, const char* key, const Path& path, Fn decode)
    -> std::optional<decltype(decode(obj, path))> {
    const auto it = obj.find(key);
    if (it == obj.end() || it->is_null()) return std::nullopt;
    const Path child{&path, key, 0};
    return decode(*it, child);
}

template <typename Element>
auto listOf(Element (*element)(const Json&, const Path&)) {
    return [element](const Json& j, const Path& path) { return list(j, path, element); };
}

ESPNTeamRef teamRef(const Json& j, const Path& p) {
    object(j, p);
    return {optional(j, "id", p, string)};
}

ESPNClock clock(const Json& j, const Path& p) {
    object(j, p);
    return {optional(j, "displayValue", p, string)};
}

ESPNAthlete athlete(const Json& j, const Path& p) {
    object(j, p);
    return {required(j, "displayName", p, string)};
}

ESPNDetail detail(const Json& j, const Path& p) {
    object(j, p);
    ESPNDetail d;
    d.clock = optional(j, "clock", p, clock);
    d.team = optional(j, "team", p, teamRef);
    d.scoringPlay = optional(j, "scoringPlay", p, boolean);
    d.penaltyKick = optional(j, "penaltyKick", p, boolean);
    d.ownGoal = optional(j, "ownGoal", p, boolean);
    d.athletesInvolved = optional(j, "athletesInvolved", p, listOf(athlete));
    return d;
}

ESPNStatusType statusType(const Json& j, const Path& p) {
    object(j, p);
    ESPNStatusType t;
    t.name = required(j, "name", p, string);
    t.completed = required(j, "completed", p, boolean);
    t.shortDetail = optional(j, "shortDetail", p, string);
    return t;
}

ESPNStatus status(const Json& j, const Path& p) {
    object(j, p);
    return {required(j, "type", p, statusType)};
}

ESPNTeam team(const Json& j, const Path& p) {
    object(j, p);
    ESPNTeam t;
    t.id = required(j, "id", p, string);
    t.abbreviation = required(j, "abbreviation", p, string);
    t.shortDisplayName = required(j, "shortDisplayName", p, string);
    t.logo = optional(j, "logo", p, string);
    return t;
}

ESPNCompetitor competitor(const Json& j, const Path& p) {
    object(j, p);
    ESPNCompetitor c;
    c.homeAway = required(j, "homeAway", p, string);
    c.team = required(j, "team", p, team);
    c.score = optional(j, "score", p, string);
    c.winner = optional(j, "winner", p, boolean);
    return c;
}

ESPNCompetition competition(const Json& j, const Path& p) {
    object(j, p);
    ESPNCompetition c;
    c.competitors = required(j, "competitors", p, listOf(competitor));
    c.status = required(j, "status", p, status);
    c.details = optional(j, "details", p, listOf(detail));
    return c;
}

ESPNWeek week(const Json& j, const Path& p) {
    object(j, p);
    return {optional(j, "number", p, integer)};
}

ESPNEvent event(const Json& j, const Path& p) {
    object(j, p);
    ESPNEvent e;
    e.id = required(j, "id", p, string);
    e.date = required(j, "date", p, string);
    e.week = optional(j, "week", p, week);
    e.competitions = required(j, "competitions", p, listOf(competition));
    return e;
}

ESPNScoreboard scoreboard(const Json& j, const Path& p) {
    object(j, p);
    return {optional(j, "events", p, listOf(event))};
}

// nlohmann's messages start with "[json.exception.parse_error.101] ".
std::string parseMessage(const char* what) {
    std::string text(what);
    if (!text.empty() && text.front() == '[') {
        const auto end = text.find("] ");
        if (end != std::string::npos) text.erase(0, end + 2);
    }
    return text;
}

}  // namespace

Result<ESPNScoreboard> decodeScoreboardTree(std::string_view text) {
    Json document;
    try {
        document = Json::parse(text.data(), text.data() + text.size());
    } catch (const Json::exception& e) {
        return Error{
            kDecodingErrorDomain, kDecodingErrorSyntax,
            std::string(kPrefix) + "the data is not valid JSON (" + parseMessage(e.what()) + ")"};
    }
    try {
        const Path root;
        return scoreboard(document, root);
    } catch (const DecodeFailure& failure) {
        return failure.error;
    }
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

std::optional<std::vector<MatchWeek>> decodeMatchWeeksTree(std::string_view json) {
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

}  // namespace fixtora::tree
