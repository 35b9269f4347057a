// SPDX-License-Identifier: MIT
#include "app/SessionBusTitle.hpp"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cstdio>

namespace fixtora {

/// The exported object: com.fixtora.Fixtora.Title.
class SessionBusTitleObject final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.fixtora.Fixtora.Title")
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString FavouriteState READ favouriteState)
    Q_PROPERTY(QStringList LiveScores READ liveScores)
  public:
    explicit SessionBusTitleObject(const SessionBusTitle& owner) : m_owner(owner) {}
    QString title() const { return m_owner.m_state.title; }
    QString favouriteState() const { return m_owner.m_state.favouriteState; }
    QStringList liveScores() const { return m_owner.m_state.liveScores; }

  signals:
    void Changed(const QString& title, const QString& favouriteState,
                 const QStringList& liveScores);

  private:
    friend class SessionBusTitle;
    const SessionBusTitle& m_owner;
};

SessionBusTitle::SessionBusTitle(QDBusConnection bus, QObject* parent)
    : QObject(parent),
      m_bus(std::move(bus)),
      m_object(std::make_unique<SessionBusTitleObject>(*this)) {
    if (!m_bus.isConnected()) return;
    const QString path = QString::fromLatin1(kPath);
    if (!m_bus.registerObject(path, m_object.get(), QDBusConnection::ExportAllContents)) {
        std::fprintf(stderr, "fixtora: cannot publish the title on the session bus: %s\n",
                     qPrintable(m_bus.lastError().message()));
        return;
    }
    if (!m_bus.registerService(QString::fromLatin1(kService))) {
        std::fprintf(stderr, "fixtora: cannot own %s on the session bus: %s\n", kService,
                     qPrintable(m_bus.lastError().message()));
        m_bus.unregisterObject(path);
        return;
    }
    m_published = true;
}

SessionBusTitle::~SessionBusTitle() {
    if (!m_published) return;
    m_bus.unregisterService(QString::fromLatin1(kService));
    m_bus.unregisterObject(QString::fromLatin1(kPath));
}

void SessionBusTitle::publish(const State& state) {
    if (state == m_state) return;
    m_state = state;
    if (!m_published) return;
    emit m_object->Changed(m_state.title, m_state.favouriteState, m_state.liveScores);
    QDBusMessage changed = QDBusMessage::createSignal(
        QString::fromLatin1(kPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    QVariantMap props;
    props.insert(QStringLiteral("Title"), m_state.title);
    props.insert(QStringLiteral("FavouriteState"), m_state.favouriteState);
    props.insert(QStringLiteral("LiveScores"), m_state.liveScores);
    changed << QString::fromLatin1(kInterface) << props << QStringList{};
    m_bus.send(changed);
}

}  // namespace fixtora

#include "SessionBusTitle.moc"
