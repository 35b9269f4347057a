// SPDX-License-Identifier: MIT
#pragma once

#include "app/DesktopNotifier.hpp"
#include "app/SessionBusTitle.hpp"
#include "data/ESPNModels.hpp"
#include "platform/Clock.hpp"
#include "platform/Subscription.hpp"
#include "platform/qt/MenuEntry.hpp"
#include "state/MatchAlerts.hpp"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {

class FixturesViewModel;
class Preferences;

/// What the desktop hears of the fixtures beyond the status item: the title
/// on the session bus (with the favourite's state and the live scores) and
/// the favourite club's kick-offs, goals and full times as notifications,
/// which the user can switch off per club from the context menu.
class DesktopFeeds final {
  public:
    /// Preference key: the id of the club whose notifications the user
    /// switched off. Choosing another favourite turns them on again.
    static constexpr const char* kNotificationsOffForKey = "notify_off_for";

    /// The state the feeds follow, as the view model holds it.
    struct Snapshot {
        std::string title;
        const std::map<std::int64_t, std::vector<ESPNEvent>>& cache;
        const std::vector<ESPNEvent>& displayed;
        const std::optional<ESPNTeam>& favourite;
        Instant now = 0;
    };

    DesktopFeeds(std::shared_ptr<Preferences> preferences,
                 QDBusConnection bus = QDBusConnection::sessionBus());
    ~DesktopFeeds();

    /// Follows `viewModel` from now on (its title and every change).
    void follow(const std::shared_ptr<FixturesViewModel>& viewModel,
                std::shared_ptr<const Clock> clock);

    /// Publishes the title and announces what happened since the last one.
    void update(const Snapshot& snapshot);

    /// "Notify me about <club>" while a favourite is set.
    MenuEntries settingsEntries();
    bool notificationsOn() const;
    void setNotificationsOn(bool on);

    const SessionBusTitle& title() const { return m_title; }

  private:
    void updateFrom(const FixturesViewModel& viewModel);

    std::shared_ptr<Preferences> m_preferences;
    SessionBusTitle m_title;
    DesktopNotifier m_notifier;
    MatchAlerts m_alerts;
    std::optional<ESPNTeam> m_favourite;
    std::string m_lastTitle;
    std::shared_ptr<const Clock> m_clock;
    Subscription m_changes;
    Subscription m_titles;
};

}  // namespace fixtora
