// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace analytics {

/// The shortest decimal text that reads back as the same double, always
/// with a fractional part ("2.0", "12.345", "1080.0").
std::string decimalText(double value);

}  // namespace analytics
