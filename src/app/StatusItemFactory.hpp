// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/MenuEntry.hpp"
#include "platform/qt/StatusItem.hpp"

#include <memory>

namespace fixtora {

/// Picks the status item for this desktop at run time: the panel's own
/// protocol where the title can be shown as text (a StatusNotifierItem on
/// Linux), else a system-tray icon with the title as tooltip, else the
/// status strip window.
class StatusItemFactory final {
public:
    static std::unique_ptr<StatusItem> create(MenuSource menu);
};

}  // namespace fixtora
