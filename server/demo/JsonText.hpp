// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora::demo {

/// Writes JSON text straight into a string, commas and escapes included.
/// The season document is large; writing it as text is many times faster
/// than building a tree of values first (which matters in sanitizer builds).
class JsonText {
  public:
    JsonText& beginObject();
    JsonText& endObject();
    JsonText& beginArray();
    JsonText& endArray();
    JsonText& key(std::string_view name);

    JsonText& value(std::string_view text);
    JsonText& value(const char* text) { return value(std::string_view(text)); }
    JsonText& value(const std::string& text) { return value(std::string_view(text)); }
    JsonText& value(std::int64_t number);
    JsonText& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JsonText& value(bool flag);
    /// A number written with one decimal, as the scoreboard writes its clocks ("5400.0").
    JsonText& decimal(double number);

    /// Inserts `json`, which must be one complete JSON value, as the next value.
    JsonText& raw(std::string_view json);

    /// `key(name).value(v)` in one call.
    template <typename T>
    JsonText& member(std::string_view name, const T& v) {
        return key(name).value(v);
    }

    const std::string& text() const { return m_out; }
    std::string take() { return std::move(m_out); }

  private:
    void beforeValue();

    std::string m_out;
    std::vector<bool> m_empty;  // per open container: nothing written in it yet
    bool m_afterKey = false;
};

}  // namespace fixtora::demo
