// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QObject>

#include <memory>

class QDBusServiceWatcher;

namespace fixtora {

/// Follows whether a panel will show StatusNotifierItems: the watcher's name
/// on the bus and its IsStatusNotifierHostRegistered property, read again
/// whenever the watcher appears or says that a host came or went. A watcher
/// without a host (a desktop daemon running under a window manager without
/// such a panel) counts as no panel.
class SniHostMonitor final : public QObject {
    Q_OBJECT
  public:
    /// Reads the state once, blocking for at most `startTimeoutMs` (start-up
    /// must know which backend to show first), then follows it.
    explicit SniHostMonitor(QDBusConnection bus, int startTimeoutMs = 1000,
                            QObject* parent = nullptr);
    ~SniHostMonitor() override;

    bool isHostAvailable() const { return m_available; }

  signals:
    void hostAvailabilityChanged(bool available);

  private slots:
    void onHostsChanged();

  private:
    void query();
    void update(bool available);

    QDBusConnection m_bus;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    bool m_available = false;
    // Answers to older queries that arrive late are ignored.
    quint64 m_queryGeneration = 0;
};

}  // namespace fixtora
