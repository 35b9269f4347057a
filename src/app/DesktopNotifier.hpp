// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

#include <deque>
#include <utility>

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

    /// Shows a notification in place of the group's previous one. While
    /// the server has not answered for the group's previous one (whose id
    /// the next replaces), the next waits for that answer.
    void show(const QString& group, const QString& summary, const QString& body);

  private:
    struct Group {
        uint id = 0;  // the server's id of the group's last notification
        bool inFlight = false;
        std::deque<std::pair<QString, QString>> waiting;
    };
    void send(const QString& group);

    QDBusConnection m_bus;
    QHash<QString, Group> m_groups;
};

}  // namespace fixtora
