// SPDX-License-Identifier: MIT
#include "views/Divider.hpp"

#include "views/Theme.hpp"

#include <QPainter>

namespace fixtora {

Divider::Divider(int leadingInset, QWidget* parent) : QWidget(parent), m_inset(leadingInset) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect line = rect();
    if (layoutDirection() == Qt::RightToLeft) {
        line.setRight(line.right() - m_inset);
    } else {
        line.setLeft(m_inset);
    }
    painter.fillRect(line, Theme::separator(palette()));
}

}  // namespace fixtora
