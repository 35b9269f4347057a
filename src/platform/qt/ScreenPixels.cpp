// SPDX-License-Identifier: MIT
#include "platform/qt/ScreenPixels.hpp"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace fixtora {

QPoint ScreenPixels::toLogical(QPoint devicePos, const std::vector<Screen>& screens) {
    for (const auto& s : screens) {
        const QPoint origin = s.geometry.topLeft();
        const double ratio = s.devicePixelRatio > 0 ? s.devicePixelRatio : 1;
        const QRect native(origin,
                           QSize(static_cast<int>(std::lround(s.geometry.width() * ratio)),
                                 static_cast<int>(std::lround(s.geometry.height() * ratio))));
        if (!native.contains(devicePos)) continue;
        const QPoint offset = devicePos - origin;
        return origin + QPoint(static_cast<int>(std::lround(offset.x() / ratio)),
                               static_cast<int>(std::lround(offset.y() / ratio)));
    }
    return devicePos;
}

QPoint ScreenPixels::toLogical(QPoint devicePos) {
    std::vector<Screen> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back({screen->geometry(), screen->devicePixelRatio()});
    return toLogical(devicePos, screens);
}

}  // namespace fixtora
