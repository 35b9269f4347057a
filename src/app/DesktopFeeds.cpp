// SPDX-License-Identifier: MIT
#include "app/DesktopFeeds.hpp"

#include "platform/Preferences.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/TitleFacts.hpp"

namespace fixtora {

DesktopFeeds::DesktopFeeds(std::shared_ptr<Preferences> preferences, QDBusConnection bus)
    : m_preferences(std::move(preferences)), m_title(bus), m_notifier(bus) {}

DesktopFeeds::~DesktopFeeds() = default;

void DesktopFeeds::follow(const std::shared_ptr<FixturesViewModel>& viewModel,
                          std::shared_ptr<const Clock> clock) {
    m_clock = std::move(clock);
    const std::weak_ptr<FixturesViewModel> weak = viewModel;
    m_changes = viewModel->subscribe([this, weak] {
        if (auto vm = weak.lock()) updateFrom(*vm);
    });
    // The 60-second tick changes the title (a countdown) without other changes.
    m_titles = viewModel->subscribeTitle([this, weak](const std::string&) {
        if (auto vm = weak.lock()) updateFrom(*vm);
    });
}

void DesktopFeeds::updateFrom(const FixturesViewModel& vm) {
    update({vm.statusBarTitle(), vm.matchCache(), vm.events(), vm.favouriteTeam(),
            m_clock ? m_clock->now() : 0});
}

void DesktopFeeds::update(const Snapshot& snapshot) {
    m_favourite = snapshot.favourite;
    SessionBusTitle::State state;
    state.title = QString::fromStdString(snapshot.title);
    state.favouriteState = QString::fromLatin1(
        favouriteStateName(favouriteState(snapshot.cache, snapshot.favourite, snapshot.now)));
    for (const auto& line : liveScoreLines(snapshot.displayed))
        state.liveScores << QString::fromStdString(line);
    m_title.publish(state);

    // Every match known, so that each one's first look is recorded once.
    std::vector<ESPNEvent> all(snapshot.displayed);
    for (const auto& [week, events] : snapshot.cache)
        all.insert(all.end(), events.begin(), events.end());
    const auto alerts =
        m_alerts.observe(all, snapshot.favourite ? snapshot.favourite->id : std::string());
    if (!notificationsOn()) return;
    for (const auto& alert : alerts)
        m_notifier.show(QString::fromStdString(alert.eventId),
                        QString::fromStdString(alert.summary), QString::fromStdString(alert.body));
}

bool DesktopFeeds::notificationsOn() const {
    if (!m_favourite) return false;
    return m_preferences->string(kNotificationsOffForKey) != m_favourite->id;
}

void DesktopFeeds::setNotificationsOn(bool on) {
    if (on)
        m_preferences->remove(kNotificationsOffForKey);
    else if (m_favourite)
        m_preferences->setString(kNotificationsOffForKey, m_favourite->id);
}

MenuEntries DesktopFeeds::settingsEntries() {
    if (!m_favourite) return {};
    const QString club = QString::fromStdString(m_favourite->shortDisplayName.empty()
                                                    ? m_favourite->abbreviation
                                                    : m_favourite->shortDisplayName);
    const bool on = notificationsOn();
    return {MenuEntry::check(QStringLiteral("Notify me about ") + club, on,
                             [this, on] { setNotificationsOn(!on); })};
}

}  // namespace fixtora
