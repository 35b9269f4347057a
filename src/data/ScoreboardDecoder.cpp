// SPDX-License-Identifier: MIT
#include "data/ScoreboardDecoder.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace fixtora {

namespace {

// The document is read as a stream of parser events straight into the
// records: no JSON tree is built, so a season document costs its records and
// little else. The results equal those of decoding a whole tree first:
//  - a syntax error anywhere wins over every other error, so reading goes on
//    to the end after the first wrong value;
//  - of several wrong values, the one reported is the first in the records'
//    field order (depth first), not in document order, so each object keeps
//    the errors of its fields until it ends;
//  - of a key given twice, the last value counts, as in a tree.

enum class Kind : std::uint8_t { Text, Boolean, Integer, Record, List };

struct Schema;

// One key of a record: what its value must be and where it is stored.
struct Field {
    const char* key;
    Kind kind;
    bool required;
    void* (*open)(void* record);  // a fresh, present value; returns it
    void (*clear)(void* record);  // an optional value back to absent
    void* (*append)(void* list);  // List: a fresh element at the end
    const Schema& (*schema)();    // Record, and the elements of a List
};

struct Schema {
    std::span<const Field> fields;
};

template <typename T>
struct Stored {
    using Value = T;
    static constexpr bool kOptional = false;
};
template <typename T>
struct Stored<std::optional<T>> {
    using Value = T;
    static constexpr bool kOptional = true;
};

template <typename T>
inline constexpr bool kIsList = false;
template <typename T>
inline constexpr bool kIsList<std::vector<T>> = true;

template <typename V>
constexpr Kind kindOf() {
    if constexpr (std::is_same_v<V, std::string>) return Kind::Text;
    if constexpr (std::is_same_v<V, bool>) return Kind::Boolean;
    if constexpr (std::is_same_v<V, std::int64_t>) return Kind::Integer;
    if constexpr (kIsList<V>) return Kind::List;
    return Kind::Record;
}

template <auto Member>
struct MemberOf;
template <typename R, typename T, T R::*Member>
struct MemberOf<Member> {
    using Type = T;
    static void* open(void* record) {
        T& slot = static_cast<R*>(record)->*Member;
        if constexpr (Stored<T>::kOptional) {
            return &slot.emplace();
        } else {
            slot = T{};
            return &slot;
        }
    }
    static void clear(void* record) {
        if constexpr (Stored<T>::kOptional) (static_cast<R*>(record)->*Member).reset();
    }
};

template <typename List>
void* appendTo(void* list) {
    return &static_cast<List*>(list)->emplace_back();
}

template <typename R>
const Schema& schemaOf();

// A record's key: required exactly when the member is not optional.
template <auto Member>
constexpr Field field(const char* key) {
    using T = typename MemberOf<Member>::Type;
    using V = typename Stored<T>::Value;
    Field f{key,
            kindOf<V>(),
            !Stored<T>::kOptional,
            &MemberOf<Member>::open,
            &MemberOf<Member>::clear,
            nullptr,
            nullptr};
    if constexpr (kIsList<V>) {
        f.append = &appendTo<V>;
        f.schema = &schemaOf<typename V::value_type>;
    } else if constexpr (kindOf<V>() == Kind::Record) {
        f.schema = &schemaOf<V>;
    }
    return f;
}

// Field states fit one bit each in a frame.
constexpr std::size_t kMaxFields = 32;

template <typename R, std::size_t N>
const Schema& makeSchema(const Field (&fields)[N]) {
    static_assert(N <= kMaxFields);
    static const Schema schema{fields};
    return schema;
}

template <>
const Schema& schemaOf<ESPNTeamRef>() {
    static constexpr Field fields[] = {field<&ESPNTeamRef::id>("id")};
    return makeSchema<ESPNTeamRef>(fields);
}
template <>
const Schema& schemaOf<ESPNClock>() {
    static constexpr Field fields[] = {field<&ESPNClock::displayValue>("displayValue")};
    return makeSchema<ESPNClock>(fields);
}
template <>
const Schema& schemaOf<ESPNAthlete>() {
    static constexpr Field fields[] = {field<&ESPNAthlete::displayName>("displayName")};
    return makeSchema<ESPNAthlete>(fields);
}
template <>
const Schema& schemaOf<ESPNDetail>() {
    static constexpr Field fields[] = {
        field<&ESPNDetail::clock>("clock"),
        field<&ESPNDetail::team>("team"),
        field<&ESPNDetail::scoringPlay>("scoringPlay"),
        field<&ESPNDetail::penaltyKick>("penaltyKick"),
        field<&ESPNDetail::ownGoal>("ownGoal"),
        field<&ESPNDetail::athletesInvolved>("athletesInvolved"),
    };
    return makeSchema<ESPNDetail>(fields);
}
template <>
const Schema& schemaOf<ESPNStatusType>() {
    static constexpr Field fields[] = {
        field<&ESPNStatusType::name>("name"),
        field<&ESPNStatusType::completed>("completed"),
        field<&ESPNStatusType::shortDetail>("shortDetail"),
    };
    return makeSchema<ESPNStatusType>(fields);
}
template <>
const Schema& schemaOf<ESPNStatus>() {
    static constexpr Field fields[] = {field<&ESPNStatus::type>("type")};
    return makeSchema<ESPNStatus>(fields);
}
template <>
const Schema& schemaOf<ESPNTeam>() {
    static constexpr Field fields[] = {
        field<&ESPNTeam::id>("id"),
        field<&ESPNTeam::abbreviation>("abbreviation"),
        field<&ESPNTeam::shortDisplayName>("shortDisplayName"),
        field<&ESPNTeam::logo>("logo"),
    };
    return makeSchema<ESPNTeam>(fields);
}
template <>
const Schema& schemaOf<ESPNCompetitor>() {
    static constexpr Field fields[] = {
        field<&ESPNCompetitor::homeAway>("homeAway"),
        field<&ESPNCompetitor::team>("team"),
        field<&ESPNCompetitor::score>("score"),
        field<&ESPNCompetitor::winner>("winner"),
    };
    return makeSchema<ESPNCompetitor>(fields);
}
template <>
const Schema& schemaOf<ESPNCompetition>() {
    static constexpr Field fields[] = {
        field<&ESPNCompetition::competitors>("competitors"),
        field<&ESPNCompetition::status>("status"),
        field<&ESPNCompetition::details>("details"),
    };
    return makeSchema<ESPNCompetition>(fields);
}
template <>
const Schema& schemaOf<ESPNWeek>() {
    static constexpr Field fields[] = {field<&ESPNWeek::number>("number")};
    return makeSchema<ESPNWeek>(fields);
}
template <>
const Schema& schemaOf<ESPNEvent>() {
    static constexpr Field fields[] = {
        field<&ESPNEvent::id>("id"),
        field<&ESPNEvent::date>("date"),
        field<&ESPNEvent::week>("week"),
        field<&ESPNEvent::competitions>("competitions"),
    };
    return makeSchema<ESPNEvent>(fields);
}
template <>
const Schema& schemaOf<ESPNScoreboard>() {
    static constexpr Field fields[] = {field<&ESPNScoreboard::events>("events")};
    return makeSchema<ESPNScoreboard>(fields);
}

// The document itself: a required object that is its own storage.
constexpr Field kDocument{nullptr,
                          Kind::Record,
                          true,
                          [](void* record) { return record; },
                          [](void*) {},
                          nullptr,
                          &schemaOf<ESPNScoreboard>};

constexpr const char* kPrefix = "Cannot decode the scoreboard: ";

const char* expectedText(Kind kind) {
    switch (kind) {
        case Kind::Text:
            return "a string";
        case Kind::Boolean:
            return "a boolean";
        case Kind::Integer:
            return "a 64-bit integer";
        case Kind::Record:
            return "an object";
        case Kind::List:
            return "an array";
    }
    return "";
}

// An integral number within 64 signed bits; 3.0 and 3e0 count as 3.
std::optional<std::int64_t> integral(double v) {
    // 2^63 itself is out of range, hence the strict upper bound.
    if (std::trunc(v) == v && v >= -9223372036854775808.0 && v < 9223372036854775808.0)
        return static_cast<std::int64_t>(v);
    return std::nullopt;
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

// The SAX handler (nlohmann::json::sax_parse calls these by name).
class Reader final {
  public:
    using Json = nlohmann::json;

    bool null() {
        Target t;
        if (!target(t)) return true;
        if (!t.element && !t.field->required) {
            t.field->clear(t.owner);
            settle(std::nullopt, /*absent=*/true);
        } else {
            settle(mismatch(t, "null"));
        }
        return true;
    }

    bool boolean(bool value) {
        Target t;
        if (!target(t)) return true;
        if (kindOf(t) != Kind::Boolean) {
            settle(mismatch(t, "a boolean"));
            return true;
        }
        *static_cast<bool*>(make(t)) = value;
        settle(std::nullopt);
        return true;
    }

    bool number_integer(Json::number_integer_t value) { return number(value); }
    bool number_unsigned(Json::number_unsigned_t value) {
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return number(std::nullopt);
        return number(static_cast<std::int64_t>(value));
    }
    bool number_float(Json::number_float_t value, const std::string&) {
        return number(integral(value));
    }

    bool string(std::string& value) {
        Target t;
        if (!target(t)) return true;
        if (kindOf(t) != Kind::Text) {
            settle(mismatch(t, "a string"));
            return true;
        }
        *static_cast<std::string*>(make(t)) = std::move(value);
        settle(std::nullopt);
        return true;
    }

    bool binary(Json::binary_t&) { return true; }  // not in JSON text

    bool start_object(std::size_t) {
        Target t;
        if (!target(t, /*container=*/true)) return true;
        if (kindOf(t) != Kind::Record) {
            settle(mismatch(t, "an object"));
            m_skip = 1;
            return true;
        }
        Frame frame;
        frame.field = t.field;
        frame.element = t.element;
        frame.position = t.element ? m_stack.back().count : 0;
        frame.value = make(t);
        m_stack.push_back(std::move(frame));
        return true;
    }

    bool key(std::string& name) {
        if (m_skip > 0) return true;
        Frame& top = m_stack.back();
        const auto fields = keysOf(top).fields;
        top.current = -1;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (name == fields[i].key) {
                top.current = static_cast<int>(i);
                break;
            }
        }
        return true;
    }

    bool end_object() {
        if (m_skip > 0) {
            --m_skip;
            return true;
        }
        // The first failure in field order, as a tree walk would meet it.
        Frame& top = m_stack.back();
        const auto fields = keysOf(top).fields;
        std::optional<Error> error;
        for (std::size_t i = 0; i < fields.size() && !error; ++i) {
            const auto bit = std::uint32_t{1} << i;
            if ((top.failed & bit) != 0) {
                for (auto& [index, failure] : top.failures)
                    if (index == i) error = std::move(failure);
            } else if ((top.present & bit) == 0 && fields[i].required) {
                const std::string where = path(m_stack.size());
                error = Error{kDecodingErrorDomain, kDecodingErrorMissingKey,
                              std::string(kPrefix) + "required key \"" + fields[i].key +
                                  "\" is missing" +
                                  (where.empty() ? " at the top level" : " in " + where)};
            }
        }
        m_stack.pop_back();
        settle(std::move(error));
        return true;
    }

    bool start_array(std::size_t) {
        Target t;
        if (!target(t, /*container=*/true)) return true;
        if (kindOf(t) != Kind::List) {
            settle(mismatch(t, "an array"));
            m_skip = 1;
            return true;
        }
        Frame frame;
        frame.field = t.field;
        frame.list = true;
        frame.value = make(t);
        m_stack.push_back(std::move(frame));
        return true;
    }

    bool end_array() {
        if (m_skip > 0) {
            --m_skip;
            return true;
        }
        auto error = std::move(m_stack.back().firstError);
        m_stack.pop_back();
        settle(std::move(error));
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
        m_syntaxError = parseMessage(e.what());
        return false;
    }

    Result<ESPNScoreboard> result(bool parsed) && {
        if (!parsed)
            return Error{
                kDecodingErrorDomain, kDecodingErrorSyntax,
                std::string(kPrefix) + "the data is not valid JSON (" + m_syntaxError + ")"};
        if (m_error) return std::move(*m_error);
        return std::move(m_document);
    }

  private:
    // An object being read (its record and the state of each key) or an
    // array (its list and the first failing element).
    struct Frame {
        const Field* field = nullptr;  // whose value this is
        void* value = nullptr;         // the record, or the vector of a list
        bool list = false;
        bool element = false;  // an element of a list, at `position`
        std::size_t position = 0;
        // object
        int current = -1;  // the field of the last key, -1 for an unknown key
        std::uint32_t present = 0;
        std::uint32_t failed = 0;
        std::vector<std::pair<std::size_t, Error>> failures;
        // list
        std::size_t count = 0;
        std::optional<Error> firstError;
    };

    // Where the next value goes.
    struct Target {
        const Field* field = nullptr;
        void* owner = nullptr;  // the record holding `field`, or the list
        bool element = false;   // an element of the list `field`
    };

    static const Schema& keysOf(const Frame& frame) { return frame.field->schema(); }
    static Kind kindOf(const Target& t) { return t.element ? Kind::Record : t.field->kind; }
    static void* make(const Target& t) {
        return t.element ? t.field->append(t.owner) : t.field->open(t.owner);
    }

    // False when the value is not read: inside a skipped value, under an
    // unknown key, or after a list's first failing element (only the first
    // counts). A container not read is skipped whole.
    bool target(Target& t, bool container = false) {
        if (m_skip > 0) {
            if (container) ++m_skip;
            return false;
        }
        bool wanted = true;
        if (m_stack.empty()) {
            t = {&kDocument, &m_document, false};
        } else if (Frame& top = m_stack.back(); top.list) {
            wanted = !top.firstError;
            t = {top.field, top.value, true};
        } else if (top.current >= 0) {
            t = {&keysOf(top).fields[static_cast<std::size_t>(top.current)], top.value, false};
        } else {
            wanted = false;
        }
        if (!wanted && container) m_skip = 1;
        return wanted;
    }

    bool number(std::optional<std::int64_t> value) {
        Target t;
        if (!target(t)) return true;
        if (kindOf(t) != Kind::Integer || !value) {
            settle(mismatch(t, "a number"));
            return true;
        }
        *static_cast<std::int64_t*>(make(t)) = *value;
        settle(std::nullopt);
        return true;
    }

    // The path of the first `depth` frames, as "events[2].competitions[0]".
    std::string path(std::size_t depth) const {
        std::string out;
        for (std::size_t i = 1; i < depth; ++i) {
            const Frame& f = m_stack[i];
            if (f.element) {
                out += '[' + std::to_string(f.position) + ']';
            } else {
                if (!out.empty()) out += '.';
                out += f.field->key;
            }
        }
        return out;
    }

    Error mismatch(const Target& t, const char* actual) const {
        std::string where = path(m_stack.size());
        if (t.element) {
            where += '[' + std::to_string(m_stack.back().count) + ']';
        } else if (t.field->key != nullptr) {
            if (!where.empty()) where += '.';
            where += t.field->key;
        }
        return Error{kDecodingErrorDomain, kDecodingErrorTypeMismatch,
                     std::string(kPrefix) + (where.empty() ? "the document" : where) +
                         " should be " + expectedText(kindOf(t)) + " but is " + actual};
    }

    // A value has been read whole: record its outcome where it belongs.
    void settle(std::optional<Error> error, bool absent = false) {
        if (m_stack.empty()) {
            m_error = std::move(error);
            return;
        }
        Frame& top = m_stack.back();
        if (top.list) {
            if (error && !top.firstError) top.firstError = std::move(error);
            ++top.count;
            return;
        }
        const auto index = static_cast<std::size_t>(top.current);
        const auto bit = std::uint32_t{1} << index;
        // A key given again replaces what was read for it.
        if ((top.failed & bit) != 0) {
            std::erase_if(top.failures, [index](const auto& f) { return f.first == index; });
        }
        top.present = absent ? top.present & ~bit : top.present | bit;
        top.failed = error ? top.failed | bit : top.failed & ~bit;
        if (error) top.failures.emplace_back(index, std::move(*error));
    }

    ESPNScoreboard m_document;
    std::vector<Frame> m_stack;
    std::size_t m_skip = 0;  // depth inside a value that is not read
    std::optional<Error> m_error;
    std::string m_syntaxError;
};

}  // namespace

Result<ESPNScoreboard> decodeScoreboard(std::string_view text) {
    Reader reader;
    const bool parsed = nlohmann::json::sax_parse(text.data(), text.data() + text.size(), &reader);
    return std::move(reader).result(parsed);
}

}  // namespace fixtora
