// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"
#include "data/MatchWeek.hpp"
#include "platform/Clock.hpp"
#include "platform/ObserverList.hpp"
#include "platform/Result.hpp"
#include "platform/Subscription.hpp"
#include "state/DateText.hpp"
#include "state/MatchGroups.hpp"
#include "state/StatusTitle.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {

class ImageCache;
class MatchWeekSchedule;
class MatchesFetcher;
class Preferences;
class Scheduler;
class Timer;
struct MatchWeek;

/// The one observable state object behind the popup and the status title:
/// loads the season's matchweek table, lets the user move between
/// matchweeks, loads and caches each matchweek's matches, refreshes the
/// displayed one on a timer, computes the status title, keeps the favourite
/// team and the known teams, and groups the displayed matches by day.
///
/// Everything is read and written on the main scheduler only. Completions of
/// the backend and the schedule hop to it and hold the view model weakly: an
/// answer arriving after the view model is gone does nothing.
class FixturesViewModel final : public std::enable_shared_from_this<FixturesViewModel> {
  public:
    using DayGroup = fixtora::DayGroup;
    using MatchCache = fixtora::MatchCache;

    static constexpr int kTitleIntervalSeconds = 60;
    static constexpr int kCycleIntervalSeconds = 10;
    static constexpr int kFastRefreshSeconds = 60;
    static constexpr int kSlowRefreshSeconds = 300;
    static constexpr int kInitialTotalGWs = static_cast<int>(kMaxMatchWeeks);

    /// Preference keys of the favourite team.
    static constexpr const char* kFavouriteIdKey = "fav_id";
    static constexpr const char* kFavouriteAbbreviationKey = "fav_abbr";
    static constexpr const char* kFavouriteNameKey = "fav_name";
    static constexpr const char* kFavouriteLogoKey = "fav_logo";

    /// Creates the view model and starts it, on the main scheduler's thread:
    /// restores the favourite from `preferences`, starts the 60-second title
    /// timer and asks `schedule` for the season's table. `images` may be null
    /// (no crest prefetching). `dates` fixes the locale and time zone of every
    /// text (empty fields: the user's, read at each use).
    static std::shared_ptr<FixturesViewModel> create(std::shared_ptr<MatchWeekSchedule> schedule,
                                                     std::shared_ptr<MatchesFetcher> fetcher,
                                                     std::shared_ptr<ImageCache> images,
                                                     std::shared_ptr<Preferences> preferences,
                                                     std::shared_ptr<const Clock> clock,
                                                     std::shared_ptr<Scheduler> mainScheduler,
                                                     DateContext dates = {});

  private:
    struct Token {
        explicit Token() = default;
    };

  public:
    /// Use `create`; the token keeps the constructor to it.
    FixturesViewModel(Token, std::shared_ptr<MatchWeekSchedule> schedule,
                      std::shared_ptr<MatchesFetcher> fetcher, std::shared_ptr<ImageCache> images,
                      std::shared_ptr<Preferences> preferences, std::shared_ptr<const Clock> clock,
                      std::shared_ptr<Scheduler> mainScheduler, DateContext dates);
    ~FixturesViewModel();
    FixturesViewModel(const FixturesViewModel&) = delete;
    FixturesViewModel& operator=(const FixturesViewModel&) = delete;

    // Observable state.
    const std::vector<ESPNEvent>& events() const { return m_events; }
    const std::vector<ESPNTeam>& knownTeams() const { return m_knownTeams; }
    int currentGW() const { return m_currentGW; }
    int liveGW() const { return m_liveGW; }
    int totalGWs() const { return m_totalGWs; }
    bool isLoadingSchedule() const { return m_isLoadingSchedule; }
    bool isFetchingMatches() const { return m_isFetchingMatches; }
    const std::optional<std::string>& scheduleError() const { return m_scheduleError; }
    const std::optional<std::string>& matchError() const { return m_matchError; }
    const std::string& statusBarTitle() const { return m_statusBarTitle; }
    const std::optional<ESPNTeam>& favouriteTeam() const { return m_favouriteTeam; }

    /// The displayed matchweek's dates, "d MMM – d MMM yyyy", or "" while the
    /// schedule does not know it.
    std::string weekRangeLabel() const;
    /// The displayed matches grouped by local calendar day, in order of first
    /// appearance; matches without a parsable kick-off are left out.
    std::vector<DayGroup> groupedEvents() const;

    // Read-only views of the loading machinery, for diagnostics and tests.
    const MatchCache& matchCache() const { return m_matchCache; }
    std::optional<int> activeFetch() const { return m_activeFetch; }
    int cycleIndex() const { return m_cycleIndex; }
    bool isCycling() const { return m_cycleTimer != nullptr; }
    /// Interval of the pending auto-refresh, when one is pending.
    std::optional<double> autoRefreshInterval() const;

    // Navigation and loading.
    void prevGW();
    void nextGW();
    void goToCurrentGW();
    /// Loads the displayed matchweek unless its load is already under way.
    void fetchMatches();
    /// Forces a new load of the displayed matchweek (its matches stay shown)
    /// and quietly reloads every other cached matchweek still holding a live
    /// match.
    void refresh();

    // Favourite team.
    /// Clears the favourite when `team` is it (same id), else makes `team` it.
    void toggleFavourite(const ESPNTeam& team);
    /// Sets or clears the favourite; stores it and recomputes the title.
    void setFavouriteTeam(std::optional<ESPNTeam> team);

    /// Calls `onChange` on the main scheduler after every batch of changes
    /// to the observable state.
    [[nodiscard]] Subscription subscribe(std::function<void()> onChange);
    /// Calls `onTitle` with the current title at once, then with each new one.
    [[nodiscard]] Subscription subscribeTitle(std::function<void(const std::string&)> onTitle);

    /// Seconds until the next auto-refresh for the displayed `events`.
    static int autoRefreshSeconds(const std::vector<ESPNEvent>& events, Instant now);

  private:
    /// Groups the changes of one entry point (a call, a completion, a timer
    /// tick): observers hear of them once, when the outermost batch ends.
    class Batch {
      public:
        explicit Batch(FixturesViewModel& model) : m_model(model) { ++m_model.m_batchDepth; }
        ~Batch() {
            if (--m_model.m_batchDepth == 0) m_model.flush();
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        FixturesViewModel& m_model;
    };

    void start();

    // Schedule and navigation.
    void loadSchedule();
    void onScheduleLoaded(const Result<std::vector<MatchWeek>>& result);
    void showWeek(int gw);

    // Match loading.
    void requestWeek(std::int64_t gw, bool userVisible);
    void onMatchesAnswer(std::int64_t gw, std::uint64_t seq, bool userVisible,
                         Result<std::vector<ESPNEvent>> result);
    bool storeAndShow(std::vector<ESPNEvent> list, std::int64_t gw, std::uint64_t seq);
    void prefetchAdjacent();
    void refreshLiveCachedWeeks();
    void prefetchLogos(const std::vector<ESPNEvent>& list);
    void scheduleAutoRefresh();

    // Title.
    void updateStatusBar();
    void startCyclingIfNeeded();
    void onCycleTick();

    // Favourite and known teams.
    void restoreFavourite();
    void storeFavourite();
    void updateKnownTeams();

    // Change notification.
    void markChanged();
    void setTitle(std::string title);
    void flush();

    std::shared_ptr<MatchWeekSchedule> m_schedule;
    std::shared_ptr<MatchesFetcher> m_fetcher;
    std::shared_ptr<ImageCache> m_images;
    std::shared_ptr<Preferences> m_preferences;
    std::shared_ptr<const Clock> m_clock;
    std::shared_ptr<Scheduler> m_main;
    DateContext m_dates;

    // Observable state.
    std::vector<ESPNEvent> m_events;
    std::vector<ESPNTeam> m_knownTeams;
    int m_currentGW = 1;
    int m_liveGW = 1;
    int m_totalGWs = kInitialTotalGWs;
    bool m_isLoadingSchedule = true;
    bool m_isFetchingMatches = false;
    std::optional<std::string> m_scheduleError;
    std::optional<std::string> m_matchError;
    std::string m_statusBarTitle;
    std::optional<ESPNTeam> m_favouriteTeam;

    // Loading machinery.
    MatchCache m_matchCache;
    /// Request number of the answer stored for each matchweek: an answer to
    /// an older request never replaces a newer one.
    std::map<std::int64_t, std::uint64_t> m_cacheSeq;
    std::uint64_t m_nextSeq = 1;
    std::optional<int> m_activeFetch;
    std::shared_ptr<Timer> m_autoRefreshTimer;
    double m_autoRefreshInterval = 0;
    std::shared_ptr<Timer> m_cycleTimer;
    int m_cycleIndex = 0;
    std::shared_ptr<Timer> m_titleTimer;

    // Observers.
    ObserverList<> m_changeObservers;
    ObserverList<const std::string&> m_titleObservers;
    int m_batchDepth = 0;
    bool m_changed = false;
    bool m_titleChanged = false;
    bool m_flushing = false;
};

}  // namespace fixtora
