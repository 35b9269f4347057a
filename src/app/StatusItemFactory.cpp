// SPDX-License-Identifier: MIT
#include "app/StatusItemFactory.hpp"

#include "platform/qt/NativeStatusItem.hpp"
#include "platform/qt/StripStatusItem.hpp"
#include "platform/qt/TrayStatusItem.hpp"

namespace fixtora {

std::unique_ptr<StatusItem> StatusItemFactory::create(MenuSource menu) {
    if (auto native = createNativeStatusItem(std::move(menu))) return native;
    if (TrayStatusItem::isAvailable()) return std::make_unique<TrayStatusItem>();
    return std::make_unique<StripStatusItem>();
}

}  // namespace fixtora
