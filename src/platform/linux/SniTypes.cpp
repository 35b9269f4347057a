// SPDX-License-Identifier: MIT
#include "platform/linux/SniTypes.hpp"

#include <QDBusMetaType>

namespace fixtora {

void registerSniTypes() {
    qDBusRegisterMetaType<SniPixmap>();
    qDBusRegisterMetaType<SniPixmaps>();
    qDBusRegisterMetaType<SniToolTip>();
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuItemProperties>();
    qDBusRegisterMetaType<DBusMenuItemPropertiesList>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<DBusMenuItemKeysList>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<DBusMenuEventList>();
    qDBusRegisterMetaType<DBusMenuShortcut>();
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniPixmap& v) {
    arg.beginStructure();
    arg << v.width << v.height << v.argb;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniPixmap& v) {
    arg.beginStructure();
    arg >> v.width >> v.height >> v.argb;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& v) {
    arg.beginStructure();
    arg << v.iconName << v.pixmaps << v.title << v.description;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& v) {
    arg.beginStructure();
    arg >> v.iconName >> v.pixmaps >> v.title >> v.description;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& v) {
    arg.beginStructure();
    arg << v.id << v.properties;
    arg.beginArray(qMetaTypeId<QDBusVariant>());
    for (const auto& child : v.children) arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& v) {
    arg.beginStructure();
    arg >> v.id >> v.properties;
    v.children.clear();
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant variant;
        arg >> variant;
        // Over the bus a child arrives as a QDBusArgument still to be read.
        const QVariant inner = variant.variant();
        DBusMenuLayoutItem child;
        if (inner.canConvert<QDBusArgument>())
            inner.value<QDBusArgument>() >> child;
        else
            child = inner.value<DBusMenuLayoutItem>();
        v.children.append(child);
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& v) {
    arg.beginStructure();
    arg << v.id << v.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& v) {
    arg.beginStructure();
    arg >> v.id >> v.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& v) {
    arg.beginStructure();
    arg << v.id << v.names;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& v) {
    arg.beginStructure();
    arg >> v.id >> v.names;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& v) {
    arg.beginStructure();
    arg << v.id << v.eventId << v.data << v.timestamp;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& v) {
    arg.beginStructure();
    arg >> v.id >> v.eventId >> v.data >> v.timestamp;
    arg.endStructure();
    return arg;
}

}  // namespace fixtora
