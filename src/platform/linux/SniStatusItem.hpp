// SPDX-License-Identifier: MIT
#pragma once

#include "platform/qt/MenuEntry.hpp"
#include "platform/qt/StatusItem.hpp"

#include <QDBusConnection>

#include <memory>

class QDBusServiceWatcher;

namespace fixtora {

class DBusMenuExporter;
class SniItemObject;

/// The status item as our own StatusNotifierItem on the D-Bus session bus,
/// the protocol of the Linux desktop panels. The title is the item's text
/// label (XAyatanaLabel, shown beside the icon by GNOME-family panels, see
/// `labelOf`) and its tooltip; the icon is the football. The panel's Activate
/// is the primary click, ContextMenu the secondary one (a middle click,
/// SecondaryActivate, does nothing); the
/// context menu is also exported (com.canonical.dbusmenu, at /MenuBar) for
/// panels that draw it themselves. The item registers with the
/// StatusNotifierWatcher and again whenever the watcher reappears (a panel
/// restart).
class SniStatusItem final : public StatusItem {
    Q_OBJECT
  public:
    static constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
    static constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
    static constexpr const char* kItemPath = "/StatusNotifierItem";
    static constexpr const char* kMenuPath = "/MenuBar";

    /// The text label for a title: without its leading football sign and
    /// the two spaces after it, as the panel draws the football icon
    /// already; "" for the bare sign. The tooltip keeps the whole title.
    static QString labelOf(const QString& title);

    /// Exports the item on `bus` under a name of its own and registers it
    /// with the watcher. Throws std::runtime_error when the bus refuses the
    /// object or the name.
    explicit SniStatusItem(MenuSource menu, QDBusConnection bus = QDBusConnection::sessionBus(),
                           QObject* parent = nullptr);
    ~SniStatusItem() override;

    void setTitle(const QString& title) override;
    QString title() const override { return m_title; }
    QRect anchorRect() const override;
    QString backendName() const override { return QStringLiteral("status-notifier"); }

    /// The bus name that the item owns, "org.kde.StatusNotifierItem-<pid>-<n>".
    QString serviceName() const { return m_serviceName; }

  signals:
    /// The watcher accepted a registration (the first, or after a restart).
    void registered();

  private:
    friend class SniItemObject;
    void registerWithWatcher();
    void clicked(int x, int y, bool primary);

    QDBusConnection m_bus;
    QString m_serviceName;
    QString m_title;
    QPoint m_lastClick;
    std::unique_ptr<SniItemObject> m_object;
    std::unique_ptr<DBusMenuExporter> m_menu;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
};

}  // namespace fixtora
