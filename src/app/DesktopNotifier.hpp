// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

namespace fixtora {

/// Desktop notifications through the notification server of the session
/// (org.freedesktop.Notifications). Notifications of one group (a match)
/// replace each other, so the user sees one per match. Nothing is shown,
/// and nothing reported, when there is no server. Never blocks.
class DesktopNotifier final : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";

    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);

    /// Shows a notification in place of the group's previous one.
    void show(const QString& group, const QString& summary, const QString& body);

  private:
    QDBusConnection m_bus;
    QHash<QString, uint> m_ids;  // the server's id of each group's last notification
};

}  // namespace fixtora
