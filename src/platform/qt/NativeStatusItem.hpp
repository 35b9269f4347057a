// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/MenuEntry.hpp"
#include "platform/qt/StatusItem.hpp"

#include <memory>

namespace fixtora {

/// The status item that speaks the desktop's own panel protocol and can show
/// the title as text (a StatusNotifierItem on Linux), when that panel is
/// there; nothing otherwise, and on systems without such a protocol.
/// `menu` gives the context-menu entries for panels that draw the menu
/// themselves.
std::unique_ptr<StatusItem> createNativeStatusItem(MenuSource menu);

}  // namespace fixtora
