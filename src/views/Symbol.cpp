// SPDX-License-Identifier: MIT
#include "views/Symbol.hpp"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fixtora {

namespace {

QPainterPath starPath(QPointF centre, double outer, double inner) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double radius = (i % 2 == 0) ? outer : inner;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF point(centre.x() + radius * std::cos(angle),
                            centre.y() + radius * std::sin(angle));
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    path.closeSubpath();
    return path;
}

QPen roundPen(const QColor& colour, double width) {
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

}  // namespace

QString SymbolPainter::name(Symbol symbol) {
    switch (symbol) {
        case Symbol::None:
            return {};
        case Symbol::ArrowClockwise:
            return QStringLiteral("arrow.clockwise");
        case Symbol::Star:
            return QStringLiteral("star");
        case Symbol::StarFill:
            return QStringLiteral("star.fill");
        case Symbol::XmarkCircle:
            return QStringLiteral("xmark.circle");
        case Symbol::ChevronLeft:
            return QStringLiteral("chevron.left");
        case Symbol::ChevronRight:
            return QStringLiteral("chevron.right");
        case Symbol::ChevronUp:
            return QStringLiteral("chevron.up");
        case Symbol::ChevronDown:
            return QStringLiteral("chevron.down");
    }
    return {};
}

QSizeF SymbolPainter::size(Symbol symbol, double pointSize) {
    switch (symbol) {
        case Symbol::None:
            return {0, 0};
        case Symbol::ChevronLeft:
        case Symbol::ChevronRight:
            return {pointSize * 0.55, pointSize * 0.9};
        case Symbol::ChevronUp:
        case Symbol::ChevronDown:
            return {pointSize * 0.95, pointSize * 0.6};
        case Symbol::ArrowClockwise:
            return {pointSize * 1.0, pointSize * 1.1};
        case Symbol::Star:
        case Symbol::StarFill:
        case Symbol::XmarkCircle:
            return {pointSize * 1.1, pointSize * 1.1};
    }
    return {pointSize, pointSize};
}

void SymbolPainter::paint(QPainter& painter, const QRectF& box, Symbol symbol, const QColor& colour,
                          double weight) {
    if (symbol == Symbol::None || box.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double side = std::min(box.width(), box.height());
    const QPointF c = box.center();
    const double stroke = std::max(1.0, side * 0.09 * weight);

    switch (symbol) {
        case Symbol::None:
            break;
        case Symbol::Star:
        case Symbol::StarFill: {
            const double outer = side / 2 - (symbol == Symbol::Star ? stroke / 2 : 0.2);
            // Nudge down so the star's visual centre sits on the box's centre.
            const QPainterPath path =
                starPath(QPointF(c.x(), c.y() + outer * 0.08), outer, outer * 0.45);
            if (symbol == Symbol::StarFill) {
                painter.setPen(roundPen(colour, 0.8));
                painter.setBrush(colour);
            } else {
                painter.setPen(roundPen(colour, stroke));
                painter.setBrush(Qt::NoBrush);
            }
            painter.drawPath(path);
            break;
        }
        case Symbol::XmarkCircle: {
            const double r = side / 2 - stroke / 2;
            painter.setPen(roundPen(colour, stroke));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(c, r, r);
            const double d = r * 0.38;
            painter.drawLine(QPointF(c.x() - d, c.y() - d), QPointF(c.x() + d, c.y() + d));
            painter.drawLine(QPointF(c.x() - d, c.y() + d), QPointF(c.x() + d, c.y() - d));
            break;
        }
        case Symbol::ArrowClockwise: {
            const double r = side / 2 - stroke * 1.2;
            const QRectF circle(c.x() - r, c.y() - r + stroke * 0.4, 2 * r, 2 * r);
            // The arc runs from the head at twelve o'clock round the left and
            // bottom to three o'clock; the open quarter is the upper right.
            QPainterPath arc;
            arc.arcMoveTo(circle, 95);
            arc.arcTo(circle, 95, 255);
            painter.setPen(roundPen(colour, stroke));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(arc);
            // Arrow head at the top, pointing clockwise (to the right).
            const QPointF head(circle.center().x(), circle.top());
            const double h = stroke * 2.1;
            QPainterPath tip;
            tip.moveTo(head + QPointF(h * 1.1, 0));
            tip.lineTo(head + QPointF(-h * 0.35, -h * 0.95));
            tip.lineTo(head + QPointF(-h * 0.35, h * 0.95));
            tip.closeSubpath();
            painter.setPen(roundPen(colour, stroke * 0.5));
            painter.setBrush(colour);
            painter.drawPath(tip);
            break;
        }
        case Symbol::ChevronLeft:
        case Symbol::ChevronRight:
        case Symbol::ChevronUp:
        case Symbol::ChevronDown: {
            const bool horizontal = symbol == Symbol::ChevronLeft || symbol == Symbol::ChevronRight;
            const double w = box.width();
            const double hgt = box.height();
            const double pen = std::max(1.1, std::min(w, hgt) * (horizontal ? 0.2 : 0.24) * weight);
            const QRectF in = box.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
            QPainterPath path;
            switch (symbol) {
                case Symbol::ChevronLeft:
                    path.moveTo(in.right(), in.top());
                    path.lineTo(in.left(), in.center().y());
                    path.lineTo(in.right(), in.bottom());
                    break;
                case Symbol::ChevronRight:
                    path.moveTo(in.left(), in.top());
                    path.lineTo(in.right(), in.center().y());
                    path.lineTo(in.left(), in.bottom());
                    break;
                case Symbol::ChevronUp:
                    path.moveTo(in.left(), in.bottom());
                    path.lineTo(in.center().x(), in.top());
                    path.lineTo(in.right(), in.bottom());
                    break;
                default:
                    path.moveTo(in.left(), in.top());
                    path.lineTo(in.center().x(), in.bottom());
                    path.lineTo(in.right(), in.top());
                    break;
            }
            painter.setPen(roundPen(colour, pen));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
            break;
        }
    }
    painter.restore();
}

}  // namespace fixtora
