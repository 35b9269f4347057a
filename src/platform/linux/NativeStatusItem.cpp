// SPDX-License-Identifier: MIT
#include "platform/qt/NativeStatusItem.hpp"

#include "platform/linux/SniStatusItem.hpp"

#include <cstdio>
#include <exception>

namespace fixtora {

std::unique_ptr<StatusItem> createNativeStatusItem(MenuSource menu) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!SniStatusItem::isWatcherPresent(bus)) return nullptr;
    try {
        return std::make_unique<SniStatusItem>(std::move(menu), bus);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fixtora: no status notifier item: %s\n", e.what());
        return nullptr;
    }
}

}  // namespace fixtora
