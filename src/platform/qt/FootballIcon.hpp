// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>

namespace fixtora {

/// The application's icon, a football, drawn in code so that it never
/// depends on an icon theme.
class FootballIcon final {
  public:
    /// The ball on a transparent background, `size` × `size` pixels, ARGB32
    /// premultiplied.
    static QImage image(int size);
    /// An icon with the usual panel sizes.
    static QIcon icon();
};

}  // namespace fixtora
