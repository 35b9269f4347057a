// SPDX-License-Identifier: MIT
#include "analytics/ErrorCategory.hpp"

namespace analytics {

std::string_view rawValue(ErrorCategory category) {
    switch (category) {
        case ErrorCategory::thrownException:
            return "thrown-exception";
        case ErrorCategory::userInput:
            return "user-input";
        case ErrorCategory::appState:
            return "app-state";
    }
    return "app-state";  // not reached: every case returns above
}

std::optional<ErrorCategory> errorCategoryFromRawValue(std::string_view raw) {
    for (const auto category :
         {ErrorCategory::thrownException, ErrorCategory::userInput, ErrorCategory::appState})
        if (rawValue(category) == raw) return category;
    return std::nullopt;
}

}  // namespace analytics
