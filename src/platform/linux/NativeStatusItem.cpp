// SPDX-License-Identifier: MIT
#include "platform/qt/NativeStatusItem.hpp"

#include "platform/linux/SniHostMonitor.hpp"
#include "platform/linux/SniStatusItem.hpp"
#include "platform/qt/SwitchingStatusItem.hpp"

#include <cstdio>
#include <exception>

namespace fixtora {

std::unique_ptr<StatusItem> createPanelStatusItem(MenuSource menu, StatusItemMaker fallback) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto monitor = std::make_unique<SniHostMonitor>(bus);
    auto preferred = [menu = std::move(menu), bus]() -> std::unique_ptr<StatusItem> {
        try {
            return std::make_unique<SniStatusItem>(menu, bus);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "fixtora: no status notifier item: %s\n", e.what());
            return nullptr;
        }
    };
    auto item = std::make_unique<SwitchingStatusItem>(std::move(preferred), std::move(fallback),
                                                      monitor->isHostAvailable());
    QObject::connect(monitor.get(), &SniHostMonitor::hostAvailabilityChanged, item.get(),
                     &SwitchingStatusItem::setPreferredAvailable);
    monitor.release()->setParent(item.get());  // NOLINT: Qt parent ownership
    return item;
}

}  // namespace fixtora
