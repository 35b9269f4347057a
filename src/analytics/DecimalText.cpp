// SPDX-License-Identifier: MIT
#include "analytics/DecimalText.hpp"

#include <charconv>

namespace analytics {

std::string decimalText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".eEn") == std::string::npos)
        text += ".0";  // "inf" and "nan" stay as they are
    return text;
}

}  // namespace analytics
