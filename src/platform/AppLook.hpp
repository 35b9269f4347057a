// SPDX-License-Identifier: MIT
#pragma once

// What every layer draws the same way, from the core's title to the panel
// item and the popup's window. Qt-free, so that each layer can use it.

#include <string_view>

namespace fixtora {

/// The football sign: the application's mark and the whole title when there
/// is nothing to show.
inline constexpr std::string_view kFootballSign = "\u26BD";
/// What every other title starts with: the sign and two spaces.
inline constexpr std::string_view kTitlePrefix = "\u26BD  ";

/// The popup's fixed size, for its window and for its content.
inline constexpr int kPopupWidth = 380;
inline constexpr int kPopupHeight = 520;

}  // namespace fixtora
