// SPDX-License-Identifier: MIT
#include "platform/qt/TrayStatusItem.hpp"

#include "platform/qt/FootballIcon.hpp"

#include <QCursor>

namespace fixtora {

TrayStatusItem::TrayStatusItem(QObject* parent) : StatusItem(parent), m_icon(FootballIcon::icon()) {
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayStatusItem::onActivated);
    m_icon.show();
}

bool TrayStatusItem::isAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayStatusItem::setTitle(const QString& title) {
    m_title = title;
    m_icon.setToolTip(title);
}

QRect TrayStatusItem::anchorRect() const {
    const QRect g = m_icon.geometry();
    if (g.isValid() && !g.isEmpty()) return g;
    // Trays that do not tell where the icon is: the spot that was clicked.
    if (m_lastClick.isNull()) return {};
    return QRect(m_lastClick - QPoint(11, 11), QSize(22, 22));
}

void TrayStatusItem::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // The activation carries no position; the pointer is where the click was.
    m_lastClick = QCursor::pos();
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            emit primaryClicked(m_lastClick);
            break;
        case QSystemTrayIcon::Context:
            emit secondaryClicked(m_lastClick);
            break;
        case QSystemTrayIcon::DoubleClick:
        case QSystemTrayIcon::MiddleClick:
        case QSystemTrayIcon::Unknown:
            break;
    }
}

}  // namespace fixtora
