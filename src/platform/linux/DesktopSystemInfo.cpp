// SPDX-License-Identifier: MIT
#include "platform/qt/DesktopSystemInfo.hpp"

#include "platform/linux/LinuxSystemInfo.hpp"
#include "platform/qt/QtDisplayInfo.hpp"

#include <QCoreApplication>

namespace fixtora {

std::shared_ptr<SystemInfo> createDesktopSystemInfo() {
    auto info = std::make_shared<LinuxSystemInfo>();
    std::weak_ptr<LinuxSystemInfo> weak = info;
    // Owned by the application object; writes nothing once the info is gone.
    new QtDisplayInfo(  // NOLINT: Qt parent ownership
        [weak](const QtDisplayInfo::Readings& r) {
            if (auto target = weak.lock()) {
                target->setMainScreen(r.mainScreen);
                target->setAppearance(r.appearance);
                target->setLayoutDirection(r.layoutDirection);
            }
        },
        QCoreApplication::instance());
    return info;
}

}  // namespace fixtora
