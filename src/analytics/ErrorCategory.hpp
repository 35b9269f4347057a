// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

namespace analytics {

/// What kind of failure an "Analytics.Error.occurred" signal reports.
enum class ErrorCategory { thrownException, userInput, appState };

/// "thrown-exception", "user-input" or "app-state".
std::string_view rawValue(ErrorCategory category);

/// The category of exactly one of the three raw values; nothing otherwise.
std::optional<ErrorCategory> errorCategoryFromRawValue(std::string_view raw);

}  // namespace analytics
