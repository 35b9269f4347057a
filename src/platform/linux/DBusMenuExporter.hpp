// SPDX-License-Identifier: MIT
#pragma once

#include "platform/linux/SniTypes.hpp"
#include "platform/qt/MenuEntry.hpp"

#include <QDBusContext>
#include <QObject>

namespace fixtora {

/// A flat menu exported over D-Bus as com.canonical.dbusmenu, for panels
/// that draw an item's context menu themselves. Item ids are 1-based
/// positions of the entries under the root item 0. The entries are taken
/// from the source afresh whenever the panel is about to show the menu;
/// choosing an entry runs its trigger on the next turn of the event loop
/// (never inside the D-Bus call). Register it with
/// `QDBusConnection::registerObject(path, exporter, ExportAllContents)`.
class DBusMenuExporter final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

  public:
    explicit DBusMenuExporter(MenuSource source, QObject* parent = nullptr);

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    /// Takes the entries from the source again; tells the panel when they
    /// changed. Returns whether they did.
    bool refresh();

    /// The dbusmenu form of a key sequence: [["Control", "q"]].
    static DBusMenuShortcut shortcutOf(const QKeySequence& sequence);

  public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   fixtora::DBusMenuLayoutItem& layout);
    fixtora::DBusMenuItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                                           const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const fixtora::DBusMenuEventList& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

  signals:
    void LayoutUpdated(uint revision, int parent);
    void ItemsPropertiesUpdated(const fixtora::DBusMenuItemPropertiesList& updatedProps,
                                const fixtora::DBusMenuItemKeysList& removedProps);
    void ItemActivationRequested(int id, uint timestamp);

  private:
    QVariantMap propertiesOf(int id, const QStringList& names) const;
    bool exists(int id) const { return id >= 0 && id <= static_cast<int>(m_entries.size()); }
    bool activate(int id, const QString& eventId);

    MenuSource m_source;
    MenuEntries m_entries;
    uint m_revision = 1;
    bool m_loaded = false;
};

}  // namespace fixtora
