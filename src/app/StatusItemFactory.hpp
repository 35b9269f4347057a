// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/MenuEntry.hpp"
#include "platform/qt/StatusItem.hpp"

#include <memory>

namespace fixtora {

/// The status item for this desktop, following it at run time: the panel's
/// own protocol while a panel shows it (a StatusNotifierItem on Linux, with
/// the title as text label), else a system-tray icon with the title as
/// tooltip, else the status strip window.
class StatusItemFactory final {
  public:
    static std::unique_ptr<StatusItem> create(MenuSource menu);
};

}  // namespace fixtora
