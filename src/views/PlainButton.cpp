// SPDX-License-Identifier: MIT
#include "views/PlainButton.hpp"

#include <QLayout>
#include <QPainter>

namespace fixtora {

PlainButton::PlainButton(QWidget* parent) : FlatButton(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void PlainButton::setTint(std::optional<Theme::Colour> colour, double opacity) {
    if (m_tint == colour && m_tintOpacity == opacity) return;
    m_tint = colour;
    m_tintOpacity = opacity;
    update();
}

QSize PlainButton::sizeHint() const {
    return layout() ? layout()->totalSizeHint() : QSize(0, 0);
}

QSize PlainButton::minimumSizeHint() const {
    return layout() ? layout()->totalMinimumSize() : QSize(0, 0);
}

void PlainButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_tint) {
        QColor colour = Theme::colour(*m_tint, palette());
        colour.setAlphaF(static_cast<float>(m_tintOpacity));
        painter.fillRect(rect(), colour);
    }
    if (isDown()) painter.fillRect(rect(), Theme::pressedOverlay(palette()));
    if (showsFocusRing()) Theme::paintFocusRing(painter, rect(), palette());
}

}  // namespace fixtora
