// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace fixtora {

class SessionBusTitleObject;

/// The title published on the session bus for bars that draw no item
/// labels (read by fixtora-title): the well-known name `kService`, the
/// object `kPath` with the interface `kInterface`, whose read-only
/// properties are
///   Title           s   the status title as the item shows it
///   FavouriteState  s   "live", "upcoming" or "none"
///   LiveScores      as  the displayed matchweek's live score lines
/// and whose signal `Changed(s title, s favouriteState, as liveScores)`
/// follows every change (PropertiesChanged is sent too).
class SessionBusTitle final : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kService = "com.fixtora.Fixtora";
    static constexpr const char* kPath = "/com/fixtora/Fixtora/Title";
    static constexpr const char* kInterface = "com.fixtora.Fixtora.Title";

    struct State {
        QString title;
        QString favouriteState = QStringLiteral("none");
        QStringList liveScores;
        friend bool operator==(const State&, const State&) = default;
    };

    /// Exports the object and takes the name; when the bus refuses either
    /// (no session bus, name taken) it says so on stderr and publishes
    /// nothing: the app runs on without it.
    explicit SessionBusTitle(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);
    ~SessionBusTitle() override;

    bool isPublished() const { return m_published; }
    const State& state() const { return m_state; }
    /// Publishes `state` when it differs from the last one.
    void publish(const State& state);

  private:
    friend class SessionBusTitleObject;
    QDBusConnection m_bus;
    State m_state;
    std::unique_ptr<SessionBusTitleObject> m_object;
    bool m_published = false;
};

}  // namespace fixtora
