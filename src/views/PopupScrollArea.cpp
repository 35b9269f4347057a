// SPDX-License-Identifier: MIT
#include "views/PopupScrollArea.hpp"

#include "views/Theme.hpp"

#include <QEvent>
#include <QScrollBar>

namespace fixtora {

namespace {

QString rgba(const QColor& colour) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

}  // namespace

PopupScrollArea::PopupScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    // Tab goes to the rows inside (the area follows the focused one); the
    // arrow keys that the rows leave still scroll it.
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    applyStyle();
}

void PopupScrollArea::changeEvent(QEvent* event) {
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyStyle();
}

void PopupScrollArea::applyStyle() {
    if (m_styling) return;
    m_styling = true;
    QColor handle = palette().color(QPalette::WindowText);
    handle.setAlphaF(0.28f);
    QColor pressed = handle;
    pressed.setAlphaF(0.45f);
    verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { width: 9px; background: transparent; margin: 0; }"
                       "QScrollBar::handle:vertical { background: %1; border-radius: 3px;"
                       " min-height: 28px; margin: 2px 2px 2px 1px; }"
                       "QScrollBar::handle:vertical:pressed { background: %2; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical"
                       " { height: 0; border: none; background: none; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
                       " { background: none; }")
            .arg(rgba(handle), rgba(pressed)));
    m_styling = false;
}

}  // namespace fixtora
