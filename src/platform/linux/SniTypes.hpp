// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace fixtora {

/// One icon size of a StatusNotifierItem: (iiay), ARGB32 in network byte
/// order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using SniPixmaps = QList<SniPixmap>;

/// A StatusNotifierItem tooltip: (sa(iiay)ss).
struct SniToolTip {
    QString iconName;
    SniPixmaps pixmaps;
    QString title;
    QString description;
};

/// A node of a com.canonical.dbusmenu layout: (ia{sv}av), children as
/// variants holding nodes.
struct DBusMenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};

/// (ia{sv}): an item's properties, as GetGroupProperties returns them.
struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

/// (ias): the names of an item's removed properties.
struct DBusMenuItemKeys {
    int id = 0;
    QStringList names;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;

/// (isvu): one event of EventGroup.
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

/// aas: a key combination of a menu entry, e.g. [["Control", "q"]].
using DBusMenuShortcut = QList<QStringList>;

/// Registers the types above with Qt's meta-type and D-Bus systems; safe to
/// call more than once.
void registerSniTypes();

QDBusArgument& operator<<(QDBusArgument& arg, const SniPixmap& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniPixmap& v);
QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& v);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& v);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& v);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& v);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& v);

}  // namespace fixtora

Q_DECLARE_METATYPE(fixtora::SniPixmap)
Q_DECLARE_METATYPE(fixtora::SniToolTip)
Q_DECLARE_METATYPE(fixtora::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(fixtora::DBusMenuItemProperties)
Q_DECLARE_METATYPE(fixtora::DBusMenuItemKeys)
Q_DECLARE_METATYPE(fixtora::DBusMenuEvent)
