// SPDX-License-Identifier: MIT
#include "platform/qt/FootballIcon.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace fixtora {
namespace {

QPolygonF pentagon(QPointF centre, double radius, double rotation) {
    QPolygonF p;
    for (int i = 0; i < 5; ++i) {
        const double a = rotation + i * 2 * std::numbers::pi / 5;
        p << QPointF(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a));
    }
    return p;
}

}  // namespace

QImage FootballIcon::image(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const QPointF c(s / 2, s / 2);
    const double r = s * 0.46;
    const double line = std::max(1.0, s / 22.0);

    QPainterPath ball;
    ball.addEllipse(c, r, r);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), line));
    p.setBrush(Qt::white);
    p.drawPath(ball);

    // A centre pentagon and five cut-off ones at the rim, joined by seams.
    p.setClipPath(ball);
    const double up = -std::numbers::pi / 2;
    const QPolygonF centre = pentagon(c, r * 0.36, up);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawPolygon(centre);
    for (int i = 0; i < 5; ++i) {
        const double a = up + i * 2 * std::numbers::pi / 5;
        const QPointF outer(c.x() + r * 1.02 * std::cos(a), c.y() + r * 1.02 * std::sin(a));
        p.drawLine(centre[i],
                   QPointF(c.x() + r * 0.72 * std::cos(a), c.y() + r * 0.72 * std::sin(a)));
        p.drawPolygon(pentagon(outer, r * 0.32, a + std::numbers::pi / 5));
    }
    p.end();
    return img;
}

QIcon FootballIcon::icon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128}) icon.addPixmap(QPixmap::fromImage(image(size)));
    return icon;
}

}  // namespace fixtora
