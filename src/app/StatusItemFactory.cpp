// SPDX-License-Identifier: MIT
#include "app/StatusItemFactory.hpp"

#include "platform/qt/NativeStatusItem.hpp"
#include "platform/qt/StripStatusItem.hpp"
#include "platform/qt/TrayStatusItem.hpp"

namespace fixtora {

std::unique_ptr<StatusItem> StatusItemFactory::create(MenuSource menu) {
    // Chosen at each switch: a tray may have come or gone meanwhile.
    return createPanelStatusItem(std::move(menu), []() -> std::unique_ptr<StatusItem> {
        if (TrayStatusItem::isAvailable()) return std::make_unique<TrayStatusItem>();
        return std::make_unique<StripStatusItem>();
    });
}

}  // namespace fixtora
