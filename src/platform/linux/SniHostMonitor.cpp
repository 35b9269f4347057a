// SPDX-License-Identifier: MIT
#include "platform/linux/SniHostMonitor.hpp"

#include "platform/linux/SniStatusItem.hpp"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace fixtora {
namespace {

QDBusMessage hostQuery() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        QString::fromLatin1(SniStatusItem::kWatcherService),
        QString::fromLatin1(SniStatusItem::kWatcherPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QString::fromLatin1(SniStatusItem::kWatcherService)
        << QStringLiteral("IsStatusNotifierHostRegistered");
    return get;
}

bool hostRegisteredIn(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    return reply.arguments().at(0).value<QDBusVariant>().variant().toBool();
}

}  // namespace

SniHostMonitor::SniHostMonitor(QDBusConnection bus, int startTimeoutMs, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    if (!m_bus.isConnected()) return;  // no session bus: never a panel
    const QString service = QString::fromLatin1(SniStatusItem::kWatcherService);
    m_watcher = std::make_unique<QDBusServiceWatcher>(service, m_bus,
                                                      QDBusServiceWatcher::WatchForOwnerChange);
    connect(m_watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty())
                    update(false);
                else
                    query();
            });
    const QString path = QString::fromLatin1(SniStatusItem::kWatcherPath);
    m_bus.connect(service, path, service, QStringLiteral("StatusNotifierHostRegistered"), this,
                  SLOT(onHostsChanged()));
    m_bus.connect(service, path, service, QStringLiteral("StatusNotifierHostUnregistered"), this,
                  SLOT(onHostsChanged()));
    if (m_bus.interface() && m_bus.interface()->isServiceRegistered(service).value())
        m_available = hostRegisteredIn(m_bus.call(hostQuery(), QDBus::Block, startTimeoutMs));
}

SniHostMonitor::~SniHostMonitor() = default;

void SniHostMonitor::onHostsChanged() {
    query();
}

void SniHostMonitor::query() {
    const quint64 generation = ++m_queryGeneration;
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(hostQuery()),
                                                this);  // NOLINT: Qt parent ownership
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (generation == m_queryGeneration) update(hostRegisteredIn(w->reply()));
            });
}

void SniHostMonitor::update(bool available) {
    if (!available) ++m_queryGeneration;  // a pending answer from a watcher now gone is stale
    if (available == m_available) return;
    m_available = available;
    emit hostAvailabilityChanged(available);
}

}  // namespace fixtora
