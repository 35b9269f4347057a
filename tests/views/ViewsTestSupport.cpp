// SPDX-License-Identifier: MIT
#include "ViewsTestSupport.hpp"

#include "data/ImageCache.hpp"
#include "data/InternetDateTime.hpp"
#include "data/MatchWeekSchedule.hpp"
#include "platform/Paths.hpp"
#include "platform/WorkerScheduler.hpp"

#include <cmath>
#include <ctime>
#include <filesystem>

namespace fixtora::test {

namespace {
constexpr double kDay = 86400;

/// Fails every request at once, as a machine without network would.
class OfflineHttpClient final : public HttpClient {
  public:
    void send(HttpRequest, Completion completion) override {
        completion(
            Error{kHttpErrorDomain, -1009, "The Internet connection appears to be offline."});
    }
};
}  // namespace

const DateContext PopupWorld::kDates{"en_GB", "UTC"};

ESPNTeam club(const std::string& abbreviation, const std::string& name) {
    ESPNTeam team;
    team.id = "id-" + abbreviation;
    team.abbreviation = abbreviation;
    team.shortDisplayName = name.empty() ? abbreviation + " FC" : name;
    team.logo = "http://127.0.0.1:9/crests/" + abbreviation + ".png";
    return team;
}

ESPNDetail goal(std::optional<std::string> clock, std::optional<std::string> scorer,
                std::optional<std::string> teamId, bool penalty, bool ownGoal) {
    ESPNDetail detail{{}, {}, true, penalty, ownGoal, {}};
    if (clock) detail.clock = ESPNClock{std::move(clock)};
    if (teamId) detail.team = ESPNTeamRef{std::move(teamId)};
    if (scorer) detail.athletesInvolved = std::vector<ESPNAthlete>{ESPNAthlete{*scorer}};
    return detail;
}

ESPNEvent match(const MatchFixture& fixture) {
    ESPNEvent event;
    event.id = fixture.id;
    event.date = fixture.unparsableDate ? "soon" : formatInternetDateTime(fixture.kickOff);
    ESPNCompetition competition;
    competition.status.type.name = fixture.status;
    competition.status.type.completed =
        fixture.status == "STATUS_FULL_TIME" || fixture.status == "STATUS_FINAL";
    competition.status.type.shortDetail = fixture.shortDetail;
    if (fixture.home)
        competition.competitors.push_back({"home", *fixture.home, fixture.homeScore, std::nullopt});
    if (fixture.away)
        competition.competitors.push_back({"away", *fixture.away, fixture.awayScore, std::nullopt});
    if (!fixture.details.empty()) competition.details = fixture.details;
    event.competitions.push_back(std::move(competition));
    return event;
}

PopupWorld::PopupWorld(Options options) {
    // The schedule trusts its cache file only when it is younger than a day
    // by the clock and not from the future, so virtual time starts a little
    // after the real time (the file is written below, on a busy machine
    // perhaps seconds later).
    const auto realNow = static_cast<double>(std::time(nullptr)) + 60;
    clock = std::make_shared<SettableClock>(realNow);
    scheduler = std::make_shared<ManualScheduler>(clock);
    preferences = std::make_shared<InMemoryPreferences>();
    fetcher = std::make_shared<HeldFetcher>();
    const double today = std::floor(realNow / kDay) * kDay;
    m_seasonStart = today - (options.liveWeek - 1) * 7 * kDay - 2 * kDay;

    auto paths = std::make_shared<FixedPaths>(dir.path());
    auto http = std::make_shared<OfflineHttpClient>();
    schedule =
        std::make_shared<MatchWeekSchedule>(http, "http://127.0.0.1:9", paths, clock, scheduler);
    if (!options.scheduleFails) {
        std::vector<MatchWeek> weeks;
        for (int gw = 1; gw <= 38; ++gw) weeks.push_back(week(gw));
        std::filesystem::create_directories(schedule->cacheFile().parent_path());
        writeFile(schedule->cacheFile(), encodeMatchWeeks(weeks));
    }
    if (options.favourite) {
        preferences->setString(FixturesViewModel::kFavouriteIdKey, options.favourite->id);
        preferences->setString(FixturesViewModel::kFavouriteAbbreviationKey,
                               options.favourite->abbreviation);
        preferences->setString(FixturesViewModel::kFavouriteNameKey,
                               options.favourite->shortDisplayName);
    }
    if (options.crestDecoder) {
        m_io = std::make_shared<WorkerScheduler>("crests");
        images = std::make_shared<ImageCache>(http, paths, options.crestDecoder, scheduler, m_io);
        std::filesystem::create_directories(images->cacheDir());
    }
    model =
        FixturesViewModel::create(schedule, fetcher, images, preferences, clock, scheduler, kDates);
}

void PopupWorld::settle() {
    scheduler->runUntilIdle();
}

void PopupWorld::answer(int gw, const Result<std::vector<ESPNEvent>>& result) {
    settle();
    fetcher->answer(week(gw).startDate, result);
    settle();
}

MatchWeek PopupWorld::week(int gw) const {
    const double start = m_seasonStart + (gw - 1) * 7 * kDay;
    return MatchWeek{gw, start, start + 7 * kDay - 1};
}

}  // namespace fixtora::test
