// SPDX-License-Identifier: MIT
#include "platform/qt/NativeStatusItem.hpp"

namespace fixtora {

// No panel protocol of our own here: the tray icon or the strip serve.
std::unique_ptr<StatusItem> createPanelStatusItem(MenuSource, StatusItemMaker fallback) {
    return fallback();
}

}  // namespace fixtora
