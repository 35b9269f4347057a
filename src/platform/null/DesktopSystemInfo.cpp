// SPDX-License-Identifier: MIT
#include "platform/qt/DesktopSystemInfo.hpp"

#include "platform/qt/QtDisplayInfo.hpp"

#include <QCoreApplication>
#include <QSysInfo>

namespace fixtora {

// No system adapter of our own here: what Qt knows.
std::shared_ptr<SystemInfo> createDesktopSystemInfo() {
    FixedSystemInfo::Values values;
    values.platformName = QSysInfo::productType().toStdString();
    values.systemName = QSysInfo::prettyProductName().toStdString();
    values.architecture = QSysInfo::currentCpuArchitecture().toStdString();
    values.modelName.clear();  // unknown
    auto info = std::make_shared<FixedSystemInfo>(values);
    std::weak_ptr<FixedSystemInfo> weak = info;
    new QtDisplayInfo(  // NOLINT: Qt parent ownership
        [weak](const QtDisplayInfo::Readings& r) {
            if (auto target = weak.lock()) {
                auto v = target->values();
                v.mainScreen = r.mainScreen;
                v.appearance = r.appearance;
                v.layoutDirection = r.layoutDirection;
                target->setValues(v);
            }
        },
        QCoreApplication::instance());
    return info;
}

}  // namespace fixtora
