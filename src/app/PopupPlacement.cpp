// SPDX-License-Identifier: MIT
#include "app/PopupPlacement.hpp"

#include <algorithm>

namespace fixtora {
namespace {

// QRect's right()/bottom() are inclusive; these are one past the edge.
int endX(const QRect& r) {
    return r.x() + r.width();
}
int endY(const QRect& r) {
    return r.y() + r.height();
}

int clampInto(int pos, int length, int start, int end) {
    // Too long to fit: keep the start visible.
    return std::max(start, std::min(pos, end - length));
}

}  // namespace

QRect PopupPlacement::place(QSize popup, QRect anchor, QRect available) {
    const int w = popup.width();
    const int h = popup.height();
    if (anchor.isEmpty()) {
        const int x = clampInto(endX(available) - kGap - w, w, available.x(), endX(available));
        const int y = clampInto(available.y() + kGap, h, available.y(), endY(available));
        return {x, y, w, h};
    }

    const int roomBelow = endY(available) - (endY(anchor) + kGap);
    const int roomAbove = (anchor.y() - kGap) - available.y();
    const bool bottomPanel = anchor.center().y() > available.center().y();
    const int centredX = clampInto(anchor.center().x() - w / 2, w, available.x(), endX(available));

    auto below = [&] {
        return QRect(centredX, clampInto(endY(anchor) + kGap, h, available.y(), endY(available)), w,
                     h);
    };
    auto above = [&] {
        return QRect(centredX, clampInto(anchor.y() - kGap - h, h, available.y(), endY(available)),
                     w, h);
    };

    if (bottomPanel ? roomAbove >= h : roomBelow >= h) return bottomPanel ? above() : below();
    if (bottomPanel ? roomBelow >= h : roomAbove >= h) return bottomPanel ? below() : above();

    // Neither above nor below: beside the item (a side panel on a short screen).
    const int roomRight = endX(available) - (endX(anchor) + kGap);
    const int roomLeft = (anchor.x() - kGap) - available.x();
    const int besideY = clampInto(anchor.center().y() - h / 2, h, available.y(), endY(available));
    if (roomRight >= w) return {endX(anchor) + kGap, besideY, w, h};
    if (roomLeft >= w) return {anchor.x() - kGap - w, besideY, w, h};

    // The screen is too small to avoid the item: stay on screen on the
    // roomier side.
    return roomAbove > roomBelow ? above() : below();
}

}  // namespace fixtora
