// SPDX-License-Identifier: MIT
#include "views/PlainButton.hpp"

#include <QKeyEvent>
#include <QLayout>
#include <QPainter>

namespace fixtora {

PlainButton::PlainButton(QWidget* parent) : QAbstractButton(parent) {
    // The keyboard reaches it; a mouse click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
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
    if (hasFocus() && m_keyboardFocus) Theme::paintFocusRing(painter, rect(), palette());
}

void PlainButton::focusInEvent(QFocusEvent* event) {
    m_keyboardFocus =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void PlainButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

}  // namespace fixtora
