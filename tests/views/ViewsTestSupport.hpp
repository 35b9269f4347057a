// SPDX-License-Identifier: MIT
#pragma once

// A small world for the popup's widgets: a real FixturesViewModel in virtual
// time (ManualScheduler + SettableClock), a season table served from its
// cache file, and a matches source whose answers the test gives.

#include "data/ESPNModels.hpp"
#include "data/MatchWeek.hpp"
#include "platform/Clock.hpp"
#include "platform/HttpClient.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Preferences.hpp"
#include "state/DateText.hpp"
#include "state/FixturesViewModel.hpp"
#include "state/MatchesFetcher.hpp"
#include "support/TempDir.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {
class ImageCache;
class ImageDecoder;
class MatchWeekSchedule;
}  // namespace fixtora

namespace fixtora::test {

/// A club whose id, short name and logo derive from its abbreviation.
ESPNTeam club(const std::string& abbreviation, const std::string& name = {});

/// A goal at `clock` by `scorer` for the club `teamId`.
ESPNDetail goal(std::optional<std::string> clock, std::optional<std::string> scorer,
                std::optional<std::string> teamId, bool penalty = false, bool ownGoal = false);

/// One match. `status` is a status code; full time and final are completed.
struct MatchFixture {
    std::string id;
    Instant kickOff = 0;
    std::string status = "STATUS_SCHEDULED";
    std::optional<ESPNTeam> home;
    std::optional<ESPNTeam> away;
    std::optional<std::string> homeScore;
    std::optional<std::string> awayScore;
    std::optional<std::string> shortDetail;
    std::vector<ESPNDetail> details;
    bool unparsableDate = false;
};
ESPNEvent match(const MatchFixture& fixture);

/// Holds every matches request until the test answers it. The view model
/// asks, and the test answers, on the test's thread.
struct HeldFetcher final : MatchesFetcher {
    void fetchMatches(Instant from, Instant, Completion completion) override {
        pending.emplace_back(from, std::move(completion));
        ++requestCount;
    }
    /// Answers every pending request for the range starting at `from`.
    void answer(Instant from, const Result<std::vector<ESPNEvent>>& result) {
        std::vector<Completion> due;
        std::erase_if(pending, [&](auto& p) {
            return p.first == from ? due.push_back(std::move(p.second)), true : false;
        });
        for (auto& completion : due) completion(result);
    }
    std::vector<std::pair<Instant, Completion>> pending;
    int requestCount = 0;
};

/// The view model with a 38-week season whose week `liveWeek` holds "now".
class PopupWorld {
  public:
    struct Options {
        int liveWeek = 12;
        bool scheduleFails = false;
        std::optional<ESPNTeam> favourite;
        /// When set, a crest cache (offline: crests come from its folder) is
        /// created with this decoder and handed to the view model.
        std::shared_ptr<const ImageDecoder> crestDecoder;
    };

    static const DateContext kDates;  // en_GB, UTC

    explicit PopupWorld(Options options);

    /// Runs whatever the main scheduler has queued.
    void settle();
    /// Answers the pending load(s) of week `gw`, then settles.
    void answer(int gw, const Result<std::vector<ESPNEvent>>& result);

    MatchWeek week(int gw) const;

    TempDir dir;
    std::shared_ptr<SettableClock> clock;
    std::shared_ptr<ManualScheduler> scheduler;
    std::shared_ptr<InMemoryPreferences> preferences;
    std::shared_ptr<HeldFetcher> fetcher;
    std::shared_ptr<MatchWeekSchedule> schedule;
    std::shared_ptr<ImageCache> images;
    std::shared_ptr<FixturesViewModel> model;

  private:
    std::shared_ptr<Scheduler> m_io;
    Instant m_seasonStart = 0;
};

}  // namespace fixtora::test
