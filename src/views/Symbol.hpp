// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace fixtora {

/// The popup's icons, drawn as vector shapes so that they exist on every
/// system (no icon theme needed) and stay sharp at any scale.
enum class Symbol {
    None,
    ArrowClockwise,
    Star,
    StarFill,
    XmarkCircle,
    ChevronLeft,
    ChevronRight,
    ChevronUp,
    ChevronDown,
};

/// Draws symbols; sizes follow the font size the symbol stands beside.
class SymbolPainter final {
  public:
    /// The symbol's conventional name, e.g. "star.fill" ("" for None).
    static QString name(Symbol symbol);

    /// The box a symbol takes beside text of `pointSize` pixels.
    static QSizeF size(Symbol symbol, double pointSize);

    /// Draws `symbol` centred in `box` in `colour`; `weight` scales the
    /// stroke (1 regular, about 1.25 medium).
    static void paint(QPainter& painter, const QRectF& box, Symbol symbol, const QColor& colour,
                      double weight = 1.0);
};

}  // namespace fixtora
