// SPDX-License-Identifier: MIT
#include "views/FlatButton.hpp"

#include <QKeyEvent>

namespace fixtora {

FlatButton::FlatButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::TabFocus);
}

void FlatButton::focusInEvent(QFocusEvent* event) {
    m_keyboardFocus =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QAbstractButton::focusInEvent(event);
}

void FlatButton::keyPressEvent(QKeyEvent* event) {
    // QAbstractButton presses on Space only; a desktop button takes Enter too.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        click();  // does nothing while disabled
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

}  // namespace fixtora
