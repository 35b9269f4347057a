// SPDX-License-Identifier: MIT
#include "JsonText.hpp"

#include <cstdio>

namespace fixtora::demo {

void JsonText::beforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_empty.empty()) {
        if (!m_empty.back()) m_out += ',';
        m_empty.back() = false;
    }
}

JsonText& JsonText::beginObject() {
    beforeValue();
    m_out += '{';
    m_empty.push_back(true);
    return *this;
}

JsonText& JsonText::endObject() {
    m_out += '}';
    m_empty.pop_back();
    return *this;
}

JsonText& JsonText::beginArray() {
    beforeValue();
    m_out += '[';
    m_empty.push_back(true);
    return *this;
}

JsonText& JsonText::endArray() {
    m_out += ']';
    m_empty.pop_back();
    return *this;
}

JsonText& JsonText::key(std::string_view name) {
    value(name);
    m_out += ':';
    m_afterKey = true;
    return *this;
}

JsonText& JsonText::value(std::string_view text) {
    beforeValue();
    m_out += '"';
    for (const char c : text) {
        switch (c) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    m_out += escaped;
                } else {
                    m_out += c;  // UTF-8 passes through unchanged
                }
        }
    }
    m_out += '"';
    return *this;
}

JsonText& JsonText::raw(std::string_view json) {
    beforeValue();
    m_out += json;
    return *this;
}

JsonText& JsonText::value(std::int64_t number) {
    beforeValue();
    m_out += std::to_string(number);
    return *this;
}

JsonText& JsonText::value(bool flag) {
    beforeValue();
    m_out += flag ? "true" : "false";
    return *this;
}

JsonText& JsonText::decimal(double number) {
    beforeValue();
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", number);
    m_out += text;
    return *this;
}

}  // namespace fixtora::demo
