// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/StatusItem.hpp"

#include <QSystemTrayIcon>

namespace fixtora {

/// The status item as a plain system-tray icon (the football), for panels
/// that cannot show text: the title becomes the icon's tooltip.
class TrayStatusItem final : public StatusItem {
    Q_OBJECT
  public:
    explicit TrayStatusItem(QObject* parent = nullptr);

    /// Whether the desktop has a system tray at all.
    static bool isAvailable();

    void setTitle(const QString& title) override;
    QString title() const override { return m_title; }
    QRect anchorRect() const override;
    QString backendName() const override { return QStringLiteral("tray"); }

  private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_icon;
    QString m_title;
    QPoint m_lastClick;
};

}  // namespace fixtora
