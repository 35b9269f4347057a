// SPDX-License-Identifier: MIT
#include "views/ActivitySpinner.hpp"

#include "views/Theme.hpp"

#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

namespace fixtora {

namespace {
constexpr int kSpokes = 12;
constexpr int kStepMilliseconds = 80;
}  // namespace

ActivitySpinner::ActivitySpinner(double scale, QWidget* parent) : QWidget(parent), m_scale(scale) {
    const int side = static_cast<int>(std::lround(kBaseSize * scale));
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void ActivitySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double side = std::min(width(), height());
    const double outer = side / 2;
    const double inner = outer * 0.48;
    const double thickness = std::max(1.2, side * 0.09);
    QColor base = palette().color(QPalette::WindowText);
    painter.translate(width() / 2.0, height() / 2.0);
    for (int i = 0; i < kSpokes; ++i) {
        // The spoke at the current step is darkest; the others fade behind it.
        const int age = (m_step - i + kSpokes) % kSpokes;
        QColor colour = base;
        colour.setAlphaF(static_cast<float>(0.75 - 0.6 * age / (kSpokes - 1)));
        QPen pen(colour, thickness);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * i / kSpokes);
        painter.drawLine(QPointF(0, -inner), QPointF(0, -outer + thickness / 2));
        painter.restore();
    }
}

void ActivitySpinner::showEvent(QShowEvent* event) {
    m_timer.start(kStepMilliseconds, this);
    QWidget::showEvent(event);
}

void ActivitySpinner::hideEvent(QHideEvent* event) {
    m_timer.stop();
    QWidget::hideEvent(event);
}

void ActivitySpinner::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_step = (m_step + 1) % kSpokes;
    update();
}

}  // namespace fixtora
