// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>

namespace fixtora {

/// Where the popup goes relative to the status item.
class PopupPlacement final {
  public:
    static constexpr int kGap =
        4;  // between the item and the popup, and from the screen's edges when unanchored

    /// The popup's frame for an item at `anchor` on a screen whose usable
    /// area (without panels) is `available`, all in global coordinates.
    /// Under the item, centred on it, or above it when the item is in the
    /// lower half (a bottom panel); on the other side when the preferred one
    /// lacks room, beside the item when neither has room. The popup always
    /// lies fully inside `available` (given it fits there at all) and does
    /// not cover the item unless the screen leaves no way around it. An empty
    /// anchor (the panel did not tell where the item is) puts the popup in
    /// the top right corner.
    static QRect place(QSize popup, QRect anchor, QRect available);
};

}  // namespace fixtora
