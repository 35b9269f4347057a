// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace analytics {

/// Units of each currency (ISO 4217 code) worth one US dollar: a fixed table
/// of 161 currencies, without USD itself.
std::span<const std::pair<std::string_view, double>> currencyCodeToOneUSDExchangeRate();

/// The table's rate for `code`; nothing for a code that is not in it.
std::optional<double> oneUSDExchangeRate(std::string_view code);

}  // namespace analytics
