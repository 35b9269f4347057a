// SPDX-License-Identifier: MIT
#include "data/MatchWeek.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

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

// Reads the stored table as a stream of parser events, without a JSON tree.
// Any fault ends the reading at once, since the answer is then nothing
// whatever follows. Of a key given twice the last value counts.
class WeeksReader final {
  public:
    using Json = nlohmann::json;

    std::vector<MatchWeek> weeks;

    bool null() { return scalar(std::nullopt, std::nullopt); }
    bool boolean(bool) { return scalar(std::nullopt, std::nullopt); }
    bool number_integer(Json::number_integer_t v) { return scalar(v, static_cast<double>(v)); }
    bool number_unsigned(Json::number_unsigned_t v) {
        const bool fits = v <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        return scalar(
            fits ? std::optional<std::int64_t>(static_cast<std::int64_t>(v)) : std::nullopt,
            static_cast<double>(v));
    }
    bool number_float(Json::number_float_t v, const std::string&) {
        return scalar(std::nullopt, std::isfinite(v) ? std::optional<double>(v) : std::nullopt);
    }
    bool string(std::string&) { return scalar(std::nullopt, std::nullopt); }
    bool binary(Json::binary_t&) { return false; }

    bool start_array(std::size_t) {
        if (m_skip > 0 || m_depth == 2) return skip();
        if (m_depth == 1) return false;  // an element that is not an object
        m_depth = 1;
        return true;
    }
    bool end_array() {
        if (m_skip > 0)
            --m_skip;
        else
            m_depth = 0;
        return true;
    }
    bool start_object(std::size_t) {
        if (m_skip > 0 || m_depth == 2) return skip();
        if (m_depth == 0) return false;  // the document is not an array
        m_depth = 2;
        m_number.reset();
        m_start.reset();
        m_end.reset();
        return true;
    }
    bool end_object() {
        if (m_skip > 0) {
            --m_skip;
            return true;
        }
        m_depth = 1;
        if (!m_number || !m_start || !m_end) return false;
        weeks.push_back(MatchWeek{*m_number, *m_start + kSecondsFrom1970To2001,
                                  *m_end + kSecondsFrom1970To2001});
        return true;
    }
    bool key(std::string& name) {
        if (m_skip == 0)
            m_key = name == "number"      ? Key::Number
                    : name == "startDate" ? Key::Start
                    : name == "endDate"   ? Key::End
                                          : Key::Other;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
        return false;
    }

  private:
    enum class Key : std::uint8_t { Number, Start, End, Other };

    // A value of an element's key: "number" wants an integer, the dates any
    // number; a value of another type makes the key as good as missing.
    bool scalar(std::optional<std::int64_t> integer, std::optional<double> number) {
        if (m_skip > 0) return true;
        if (m_depth != 2) return false;  // the document or an element is not what it should be
        if (m_key == Key::Number) m_number = integer;
        if (m_key == Key::Start) m_start = number;
        if (m_key == Key::End) m_end = number;
        return true;
    }

    // An object or array under an element's key: wrong for the three keys,
    // ignored under any other.
    bool skip() {
        if (m_skip == 0) scalar(std::nullopt, std::nullopt);
        ++m_skip;
        return true;
    }

    int m_depth = 0;  // 0: outside, 1: in the array, 2: in an element
    std::size_t m_skip = 0;
    Key m_key = Key::Other;
    std::optional<std::int64_t> m_number;
    std::optional<double> m_start;
    std::optional<double> m_end;
};

}  // namespace

std::optional<std::vector<MatchWeek>> decodeMatchWeeks(std::string_view json) {
    WeeksReader reader;
    if (!nlohmann::json::sax_parse(json.data(), json.data() + json.size(), &reader))
        return std::nullopt;
    return std::move(reader.weeks);
}

}  // namespace fixtora
