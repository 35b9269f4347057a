// SPDX-License-Identifier: MIT
// State, change notification, schedule loading and matchweek navigation.
#include "state/FixturesViewModel.hpp"

#include "data/MatchWeek.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/AppLook.hpp"
#include "platform/PostWhileAlive.hpp"
#include "platform/Scheduler.hpp"
#include "state/MatchesFetcher.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace fixtora {

std::shared_ptr<FixturesViewModel> FixturesViewModel::create(
    std::shared_ptr<MatchWeekSchedule> schedule, std::shared_ptr<MatchesFetcher> fetcher,
    std::shared_ptr<ImageCache> images, std::shared_ptr<Preferences> preferences,
    std::shared_ptr<const Clock> clock, std::shared_ptr<Scheduler> mainScheduler,
    DateContext dates) {
    if (!schedule || !fetcher || !preferences || !clock || !mainScheduler)
        throw std::invalid_argument(
            "FixturesViewModel needs a schedule, a fetcher, preferences, a clock and a scheduler");
    auto model = std::make_shared<FixturesViewModel>(
        Token{}, std::move(schedule), std::move(fetcher), std::move(images), std::move(preferences),
        std::move(clock), std::move(mainScheduler), std::move(dates));
    model->start();
    return model;
}

FixturesViewModel::FixturesViewModel(Token, std::shared_ptr<MatchWeekSchedule> schedule,
                                     std::shared_ptr<MatchesFetcher> fetcher,
                                     std::shared_ptr<ImageCache> images,
                                     std::shared_ptr<Preferences> preferences,
                                     std::shared_ptr<const Clock> clock,
                                     std::shared_ptr<Scheduler> mainScheduler, DateContext dates)
    : m_schedule(std::move(schedule)),
      m_fetcher(std::move(fetcher)),
      m_images(std::move(images)),
      m_preferences(std::move(preferences)),
      m_clock(std::move(clock)),
      m_main(std::move(mainScheduler)),
      m_dates(std::move(dates)),
      m_statusBarTitle(kFootballSign) {}

FixturesViewModel::~FixturesViewModel() {
    for (auto* timer : {&m_titleTimer, &m_autoRefreshTimer, &m_cycleTimer})
        if (*timer) (*timer)->invalidate();
}

void FixturesViewModel::start() {
    Batch batch(*this);
    restoreFavourite();
    std::weak_ptr<FixturesViewModel> weak = weak_from_this();
    // Keeps countdowns current to the minute for the whole life of the model.
    m_titleTimer = m_main->scheduleRepeating(kTitleIntervalSeconds, [weak] {
        if (auto self = weak.lock()) {
            Batch tick(*self);
            self->updateStatusBar();
        }
    });
    loadSchedule();
}

// ---------------------------------------------------------------------------
// Change notification

Subscription FixturesViewModel::subscribe(std::function<void()> onChange) {
    return m_changeObservers.add(std::move(onChange));
}

Subscription FixturesViewModel::subscribeTitle(std::function<void(const std::string&)> onTitle) {
    auto first = onTitle;
    auto subscription = m_titleObservers.add(std::move(onTitle));
    first(m_statusBarTitle);
    return subscription;
}

void FixturesViewModel::markChanged() {
    m_changed = true;
}

void FixturesViewModel::setTitle(std::string title) {
    if (title == m_statusBarTitle) return;
    m_statusBarTitle = std::move(title);
    m_titleChanged = true;
    m_changed = true;
}

void FixturesViewModel::flush() {
    if (m_flushing) return;  // the loop below picks up changes made by observers
    // An observer may drop the last other reference to the model.
    auto keepAlive = weak_from_this().lock();
    m_flushing = true;
    while (m_changed || m_titleChanged) {
        const bool title = std::exchange(m_titleChanged, false);
        m_changed = false;
        if (title) m_titleObservers.notify(m_statusBarTitle);
        m_changeObservers.notify();
    }
    m_flushing = false;
}

// ---------------------------------------------------------------------------
// Schedule loading

void FixturesViewModel::loadSchedule() {
    m_isLoadingSchedule = true;
    markChanged();
    // The schedule may answer at once (from its cache file) or later; either
    // way the answer is handled as a task of its own on the main scheduler.
    m_schedule->load([weak = weak_from_this(), main = std::weak_ptr<Scheduler>(m_main)](
                         Result<std::vector<MatchWeek>> result) {
        postWhileAlive(main, weak, [result = std::move(result)](FixturesViewModel& self) {
            self.onScheduleLoaded(result);
        });
    });
}

void FixturesViewModel::onScheduleLoaded(const Result<std::vector<MatchWeek>>& result) {
    Batch batch(*this);
    m_isLoadingSchedule = false;
    markChanged();
    if (!result.ok()) {
        // Stays until the next start; nothing retries.
        m_scheduleError = result.error().description;
        return;
    }
    // The largest week number, not the count: with gaps in the numbering a
    // count would make the last matchweeks unreachable.
    std::int64_t largest = 0;
    for (const auto& week : result.value()) largest = std::max(largest, week.number);
    constexpr std::int64_t kMax = std::numeric_limits<int>::max();
    m_totalGWs = static_cast<int>(std::min(largest, kMax));
    const auto current = m_schedule->currentWeekNumber(m_clock->now());
    m_liveGW = static_cast<int>(std::clamp<std::int64_t>(current, -kMax, kMax));
    m_currentGW = m_liveGW;
    m_scheduleError.reset();
    fetchMatches();
}

// ---------------------------------------------------------------------------
// Navigation

void FixturesViewModel::showWeek(int gw) {
    Batch batch(*this);
    m_currentGW = gw;
    m_matchError.reset();
    auto cached = m_matchCache.find(gw);
    m_events = cached != m_matchCache.end() ? cached->second : std::vector<ESPNEvent>{};
    markChanged();
    fetchMatches();
}

void FixturesViewModel::prevGW() {
    if (m_currentGW > 1) showWeek(m_currentGW - 1);
}

void FixturesViewModel::nextGW() {
    if (m_currentGW < m_totalGWs) showWeek(m_currentGW + 1);
}

void FixturesViewModel::goToCurrentGW() {
    if (m_currentGW != m_liveGW) showWeek(m_liveGW);
}

std::string FixturesViewModel::weekRangeLabel() const {
    const auto week = m_schedule->week(m_currentGW);
    if (!week) return {};
    return formatWeekRange(week->startDate, week->endDate, m_dates);
}

}  // namespace fixtora
