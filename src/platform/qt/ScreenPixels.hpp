// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>

#include <vector>

namespace fixtora {

/// Turns positions in device pixels (what X11 panels that are not Qt
/// programs report, in root-window coordinates) into Qt's logical
/// coordinates. Qt keeps each screen's top-left corner as it is and divides
/// the rest by the screen's device pixel ratio.
class ScreenPixels final {
  public:
    struct Screen {
        QRect geometry;  // logical
        double devicePixelRatio = 1;
    };

    /// `devicePos` in logical coordinates of the screen that holds it;
    /// unchanged when no screen does.
    static QPoint toLogical(QPoint devicePos, const std::vector<Screen>& screens);
    /// The same, with the application's screens.
    static QPoint toLogical(QPoint devicePos);
};

}  // namespace fixtora
