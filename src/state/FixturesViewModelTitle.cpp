// SPDX-License-Identifier: MIT
// The status title's recomputation and the cycling through live matches.
#include "state/FixturesViewModel.hpp"

#include "platform/Scheduler.hpp"
#include "state/MatchStatus.hpp"

#include <algorithm>
#include <string>

namespace fixtora {

void FixturesViewModel::updateStatusBar() {
    setTitle(computeStatusBarTitle(
        {m_events, m_matchCache, m_favouriteTeam, m_cycleIndex, m_clock->now(), m_dates}));
}

void FixturesViewModel::startCyclingIfNeeded() {
    const auto live = std::count_if(m_events.begin(), m_events.end(), isLiveEvent);
    if (!m_favouriteTeam && live >= 2) {
        if (m_cycleTimer) return;
        m_cycleIndex = 0;
        std::weak_ptr<FixturesViewModel> weak = weak_from_this();
        m_cycleTimer = m_main->scheduleRepeating(kCycleIntervalSeconds, [weak] {
            if (auto self = weak.lock()) self->onCycleTick();
        });
        markChanged();
        return;
    }
    if (m_cycleTimer) {
        m_cycleTimer->invalidate();
        m_cycleTimer.reset();
        markChanged();
    }
    m_cycleIndex = 0;
}

void FixturesViewModel::onCycleTick() {
    Batch batch(*this);
    const auto live =
        static_cast<int>(std::count_if(m_events.begin(), m_events.end(), isLiveEvent));
    if (live < 2) {
        // Only stops; the title waits for its next recomputation.
        if (m_cycleTimer) m_cycleTimer->invalidate();
        m_cycleTimer.reset();
        m_cycleIndex = 0;
        markChanged();
        return;
    }
    m_cycleIndex = (m_cycleIndex + 1) % live;
    updateStatusBar();
}

}  // namespace fixtora
