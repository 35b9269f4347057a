// SPDX-License-Identifier: MIT
#include "app/DesktopNotifier.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace fixtora {

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {}

void DesktopNotifier::show(const QString& group, const QString& summary, const QString& body) {
    if (!m_bus.isConnected()) return;
    Group& g = m_groups[group];
    g.waiting.emplace_back(summary, body);
    if (!g.inFlight) send(group);
}

void DesktopNotifier::send(const QString& group) {
    Group& g = m_groups[group];
    if (g.waiting.empty()) return;
    const auto [summary, body] = std::move(g.waiting.front());
    g.waiting.pop_front();
    g.inFlight = true;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kService), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("com.fixtora.Fixtora"));
    call << QStringLiteral("Fixtora") << g.id << QStringLiteral("com.fixtora.Fixtora") << summary
         << body << QStringList{} << hints << -1;
    auto* pending =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);  // NOLINT: Qt parent ownership
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, group](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<uint> reply = *w;
                Group& done = m_groups[group];
                done.inFlight = false;
                if (reply.isValid()) done.id = reply.value();
                send(group);
            });
}

}  // namespace fixtora
