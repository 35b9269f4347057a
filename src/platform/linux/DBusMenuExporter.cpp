// SPDX-License-Identifier: MIT
#include "platform/linux/DBusMenuExporter.hpp"

#include <QDBusConnection>
#include <QDBusError>
#include <QGuiApplication>
#include <QMetaObject>

namespace fixtora {
namespace {

// Underscores mark mnemonics in dbusmenu labels.
QString escapedLabel(const QString& label) {
    QString out = label;
    out.replace(u'_', QStringLiteral("__"));
    return out;
}

bool sameEntries(const MenuEntries& a, const MenuEntries& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].label != b[i].label || a[i].enabled != b[i].enabled ||
            a[i].shortcut != b[i].shortcut || a[i].checkable != b[i].checkable ||
            a[i].checked != b[i].checked)
            return false;
    return true;
}

}  // namespace

DBusMenuExporter::DBusMenuExporter(MenuSource source, QObject* parent)
    : QObject(parent), m_source(std::move(source)) {
    registerSniTypes();
}

QString DBusMenuExporter::textDirection() const {
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

bool DBusMenuExporter::refresh() {
    MenuEntries fresh = m_source ? m_source() : MenuEntries{};
    const bool changed = !m_loaded || !sameEntries(fresh, m_entries);
    m_entries = std::move(fresh);  // new triggers either way
    if (changed && m_loaded) {
        ++m_revision;
        emit LayoutUpdated(m_revision, 0);
    }
    m_loaded = true;
    return changed;
}

DBusMenuShortcut DBusMenuExporter::shortcutOf(const QKeySequence& sequence) {
    DBusMenuShortcut out;
    for (int i = 0; i < sequence.count(); ++i) {
        const QKeyCombination combo = sequence[i];
        QStringList keys;
        const auto mods = combo.keyboardModifiers();
        if (mods & Qt::ControlModifier) keys << QStringLiteral("Control");
        if (mods & Qt::AltModifier) keys << QStringLiteral("Alt");
        if (mods & Qt::ShiftModifier) keys << QStringLiteral("Shift");
        if (mods & Qt::MetaModifier) keys << QStringLiteral("Super");
        QString key = QKeySequence(combo.key()).toString(QKeySequence::PortableText);
        if (key.size() == 1) key = key.toLower();
        keys << key;
        out << keys;
    }
    return out;
}

QVariantMap DBusMenuExporter::propertiesOf(int id, const QStringList& names) const {
    QVariantMap props;
    if (id == 0) {
        props.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else {
        const MenuEntry& e = m_entries[static_cast<std::size_t>(id - 1)];
        if (e.kind == MenuEntry::Kind::Separator) {
            props.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            props.insert(QStringLiteral("label"), escapedLabel(e.label));
            props.insert(QStringLiteral("enabled"), e.enabled);
            props.insert(QStringLiteral("visible"), true);
            if (!e.shortcut.isEmpty())
                props.insert(QStringLiteral("shortcut"),
                             QVariant::fromValue(shortcutOf(e.shortcut)));
            if (e.checkable) {
                props.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
                props.insert(QStringLiteral("toggle-state"), e.checked ? 1 : 0);
            }
        }
    }
    if (names.isEmpty()) return props;
    QVariantMap filtered;
    for (const auto& name : names)
        if (auto it = props.constFind(name); it != props.constEnd()) filtered.insert(name, *it);
    return filtered;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 DBusMenuLayoutItem& layout) {
    if (!m_loaded) refresh();
    if (!exists(parentId)) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs,
                           QStringLiteral("No menu item with id %1").arg(parentId));
        return m_revision;
    }
    layout = DBusMenuLayoutItem{parentId, propertiesOf(parentId, propertyNames), {}};
    if (parentId == 0 && recursionDepth != 0)
        for (int id = 1; id <= static_cast<int>(m_entries.size()); ++id)
            layout.children.append(DBusMenuLayoutItem{id, propertiesOf(id, propertyNames), {}});
    return m_revision;
}

DBusMenuItemPropertiesList DBusMenuExporter::GetGroupProperties(const QList<int>& ids,
                                                                const QStringList& propertyNames) {
    if (!m_loaded) refresh();
    DBusMenuItemPropertiesList out;
    for (int id : ids)
        if (exists(id)) out.append(DBusMenuItemProperties{id, propertiesOf(id, propertyNames)});
    return out;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
    if (!m_loaded) refresh();
    const QVariantMap props = exists(id) ? propertiesOf(id, {name}) : QVariantMap{};
    if (!props.contains(name)) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs,
                           QStringLiteral("No property %1 on menu item %2").arg(name).arg(id));
        return QDBusVariant(QVariant(QString()));
    }
    return QDBusVariant(props.value(name));
}

bool DBusMenuExporter::activate(int id, const QString& eventId) {
    if (!exists(id) || id == 0) return false;
    if (eventId != QLatin1String("clicked")) return true;  // hovered, opened, closed: nothing to do
    const MenuEntry& e = m_entries[static_cast<std::size_t>(id - 1)];
    if (e.kind != MenuEntry::Kind::Action || !e.enabled || !e.trigger) return true;
    // Commands may open dialogs or quit: run them after the call returns.
    QMetaObject::invokeMethod(
        this, [trigger = e.trigger] { trigger(); }, Qt::QueuedConnection);
    return true;
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (!activate(id, eventId) && calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu item with id %1").arg(id));
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList& events) {
    QList<int> errors;
    for (const auto& e : events)
        if (!activate(e.id, e.eventId)) errors << e.id;
    return errors;
}

bool DBusMenuExporter::AboutToShow(int id) {
    // The menu is rebuilt each time it opens, like the in-process one.
    if (id == 0) return refresh();
    return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    QList<int> updates;
    for (int id : ids) {
        if (!exists(id)) {
            idErrors << id;
            continue;
        }
        if (AboutToShow(id)) updates << id;
    }
    return updates;
}

}  // namespace fixtora
