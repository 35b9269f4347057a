// SPDX-License-Identifier: MIT
// Match loading, the per-matchweek cache, neighbour and crest prefetching,
// and the auto-refresh of the displayed matchweek.
#include "state/FixturesViewModel.hpp"

#include "data/ImageCache.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/PostWhileAlive.hpp"
#include "platform/Scheduler.hpp"
#include "state/MatchStatus.hpp"
#include "state/MatchesFetcher.hpp"

#include <algorithm>
#include <utility>

namespace fixtora {

void FixturesViewModel::fetchMatches() {
    Batch batch(*this);
    const int gw = m_currentGW;
    if (m_activeFetch == gw) {
        // One user-visible request per matchweek at a time.
        if (m_events.empty() && !m_isFetchingMatches) {
            m_isFetchingMatches = true;
            markChanged();
        }
        return;
    }
    // A matchweek that the schedule does not know is never requested.
    if (!m_schedule->week(gw)) return;
    m_activeFetch = gw;
    if (m_events.empty() && !m_isFetchingMatches) {
        // Shown matches stay visible while they are reloaded.
        m_isFetchingMatches = true;
        markChanged();
    }
    requestWeek(gw, true);
}

void FixturesViewModel::refresh() {
    Batch batch(*this);
    m_matchCache.erase(m_currentGW);
    m_activeFetch.reset();  // so that fetchMatches() cannot hold the new load back
    fetchMatches();
    refreshLiveCachedWeeks();
}

void FixturesViewModel::requestWeek(std::int64_t gw, bool userVisible) {
    const auto week = m_schedule->week(gw);
    if (!week) return;
    const auto seq = m_nextSeq++;
    // Runs on the fetcher's thread: touches nothing but the queue.
    m_fetcher->fetchMatches(
        week->startDate, week->endDate,
        [weak = weak_from_this(), main = std::weak_ptr<Scheduler>(m_main), gw, seq,
         userVisible](Result<std::vector<ESPNEvent>> result) {
            postWhileAlive(main, weak,
                           [gw, seq, userVisible,
                            result = std::move(result)](FixturesViewModel& self) mutable {
                               self.onMatchesAnswer(gw, seq, userVisible, std::move(result));
                           });
        });
}

void FixturesViewModel::onMatchesAnswer(std::int64_t gw, std::uint64_t seq, bool userVisible,
                                        Result<std::vector<ESPNEvent>> result) {
    Batch batch(*this);
    if (!userVisible) {
        // Prefetches and quiet reloads only ever fill the cache; their
        // failures are dropped.
        if (result.ok()) storeAndShow(std::move(result).value(), gw, seq);
        return;
    }
    if (m_activeFetch && *m_activeFetch == gw) m_activeFetch.reset();
    if (m_isFetchingMatches) {
        m_isFetchingMatches = false;
        markChanged();
    }
    if (!result.ok()) {
        // Only the matchweek on screen gets a text; a left one stays quiet.
        if (m_currentGW == gw) {
            m_matchError = result.error().description;
            markChanged();
        }
        scheduleAutoRefresh();
        return;
    }
    // An answer older than the one already stored is dropped; the timer
    // still restarts so that the refresh chain never breaks.
    if (!storeAndShow(std::move(result).value(), gw, seq)) scheduleAutoRefresh();
    prefetchAdjacent();
}

bool FixturesViewModel::storeAndShow(std::vector<ESPNEvent> list, std::int64_t gw,
                                     std::uint64_t seq) {
    auto& storedSeq = m_cacheSeq[gw];
    if (seq < storedSeq) return false;  // a refresh overtook this request
    storedSeq = seq;
    auto& cached = m_matchCache[gw];
    cached = std::move(list);
    if (m_currentGW == gw) {
        m_events = cached;
        m_matchError.reset();
    }
    markChanged();
    updateKnownTeams();
    updateStatusBar();
    startCyclingIfNeeded();
    prefetchLogos(cached);
    scheduleAutoRefresh();
    return true;
}

void FixturesViewModel::prefetchAdjacent() {
    for (const std::int64_t n : {std::int64_t{m_currentGW} - 1, std::int64_t{m_currentGW} + 1}) {
        if (n < 1 || n > m_totalGWs || m_matchCache.count(n) != 0) continue;
        requestWeek(n, false);
    }
}

void FixturesViewModel::refreshLiveCachedWeeks() {
    // A match that ended while the user looked at another matchweek must not
    // stay "live" in the cache that the title reads.
    std::vector<std::int64_t> live;
    for (const auto& [gw, list] : m_matchCache) {
        if (gw != m_currentGW && std::any_of(list.begin(), list.end(), isLiveEvent))
            live.push_back(gw);
    }
    for (auto gw : live) requestWeek(gw, false);
}

void FixturesViewModel::prefetchLogos(const std::vector<ESPNEvent>& list) {
    if (!m_images) return;
    std::vector<std::string> urls;
    auto add = [&urls](const std::optional<ESPNCompetitor>& side) {
        if (side && side->team.logo && ImageCache::key(*side->team.logo))
            urls.push_back(*side->team.logo);
    };
    for (const auto& event : list) {
        add(event.home());
        add(event.away());
    }
    m_images->prefetch(urls);
}

int FixturesViewModel::autoRefreshSeconds(const std::vector<ESPNEvent>& events, Instant now) {
    if (std::any_of(events.begin(), events.end(), isLiveEvent)) return kFastRefreshSeconds;
    // Kick-off in at most ten minutes, or at most two minutes ago without
    // the match being reported live yet.
    const bool aboutToStart =
        std::any_of(events.begin(), events.end(), [now](const ESPNEvent& event) {
            if (isFinishedEvent(event)) return false;
            const auto kickOff = event.localDate();
            if (!kickOff) return false;
            const double untilKickOff = *kickOff - now;
            return untilKickOff >= -120 && untilKickOff <= 600;
        });
    return aboutToStart ? kFastRefreshSeconds : kSlowRefreshSeconds;
}

void FixturesViewModel::scheduleAutoRefresh() {
    if (m_autoRefreshTimer) m_autoRefreshTimer->invalidate();
    m_autoRefreshInterval = autoRefreshSeconds(m_events, m_clock->now());
    std::weak_ptr<FixturesViewModel> weak = weak_from_this();
    m_autoRefreshTimer = m_main->scheduleOnce(m_autoRefreshInterval, [weak] {
        if (auto self = weak.lock()) {
            Batch batch(*self);
            self->m_autoRefreshTimer.reset();
            self->refresh();
        }
    });
}

std::optional<double> FixturesViewModel::autoRefreshInterval() const {
    if (!m_autoRefreshTimer || !m_autoRefreshTimer->isValid()) return std::nullopt;
    return m_autoRefreshInterval;
}

}  // namespace fixtora
