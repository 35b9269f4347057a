// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/MenuEntry.hpp"
#include "platform/qt/StatusItem.hpp"

#include <functional>
#include <memory>

namespace fixtora {

using StatusItemMaker = std::function<std::unique_ptr<StatusItem>()>;

/// The status item of this desktop: the one that speaks the panel's own
/// protocol and can show the title as text (a StatusNotifierItem on Linux)
/// while a panel will show it, and the item from `fallback` otherwise,
/// switching between them as panels come and go. Where there is no such
/// protocol it is simply the fallback's item. `menu` gives the context-menu
/// entries for panels that draw the menu themselves.
std::unique_ptr<StatusItem> createPanelStatusItem(MenuSource menu, StatusItemMaker fallback);

}  // namespace fixtora
