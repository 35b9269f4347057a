// SPDX-License-Identifier: MIT
#include "DemoSeason.hpp"

#include "DemoClubs.hpp"
#include "JsonText.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <set>

namespace fixtora::demo {

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kMinute = 60;
constexpr int kSaturday = 6;
constexpr int kTuesday = 2;

// Rounds (counted from 0) played midweek, and rounds preceded by an
// international break (one weekend without football).
const std::set<int> kMidweekRounds = {5, 12, 18, 26, 33};
const std::set<int> kBreakBeforeRounds = {3, 7, 11, 22, 29, 33};

struct SlotTime {
    int dayOffset;
    int hour;
    int minute;
};
// Kick-off times (UTC) of the ten matches of a weekend and of a midweek round.
constexpr std::array<SlotTime, 10> kWeekendSlots = {{
    {0, 11, 30},
    {0, 14, 0},
    {0, 14, 0},
    {0, 14, 0},
    {0, 14, 0},
    {0, 16, 30},
    {1, 13, 0},
    {1, 13, 0},
    {1, 15, 30},
    {1, 18, 0},
}};
constexpr std::array<SlotTime, 10> kMidweekSlots = {{
    {0, 19, 30},
    {0, 19, 30},
    {0, 19, 30},
    {0, 20, 0},
    {0, 20, 0},
    {1, 19, 30},
    {1, 19, 30},
    {1, 19, 30},
    {1, 20, 0},
    {1, 20, 0},
}};

/// splitmix64: small, fast and the same on every platform.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    /// An index drawn with the given relative weights.
    template <std::size_t N>
    int weighted(const std::array<int, N>& weights) {
        int total = 0;
        for (int w : weights) total += w;
        int r = below(total);
        for (std::size_t i = 0; i < N; ++i) {
            if (r < weights[i]) return static_cast<int>(i);
            r -= weights[i];
        }
        return 0;
    }

  private:
    std::uint64_t m_state;
};

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

int weekday(std::int64_t day) {
    return static_cast<int>(((day % 7) + 11) % 7);
}  // 1970-01-01 was a Thursday

std::int64_t latestWeekdayOnOrBefore(int wd, std::int64_t day) {
    return day - ((weekday(day) - wd + 7) % 7);
}
std::int64_t earliestWeekdayOnOrAfter(int wd, std::int64_t day) {
    return day + ((wd - weekday(day) + 7) % 7);
}

std::tm utcTm(std::int64_t t) {
    std::tm tm{};
    const std::time_t tt = static_cast<std::time_t>(t);
    gmtime_r(&tt, &tm);
    return tm;
}

std::int64_t utcDayOf(int year, int month, int day) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    return floorDiv(static_cast<std::int64_t>(timegm(&tm)), kDay);
}

std::string two(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

/// "2026-08-16T14:00Z", the way the scoreboard documents write kick-offs.
std::string isoMinute(std::int64_t t) {
    const std::tm tm = utcTm(t);
    return std::to_string(tm.tm_year + 1900) + "-" + two(tm.tm_mon + 1) + "-" + two(tm.tm_mday) +
           "T" + two(tm.tm_hour) + ":" + two(tm.tm_min) + "Z";
}

/// "Sat, December 5th at 3:00 PM UTC", the long text of a scheduled match.
std::string kickoffDetail(std::int64_t t) {
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> kMonths = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    const std::tm tm = utcTm(t);
    const int d = tm.tm_mday;
    const char* suffix = (d % 100 >= 11 && d % 100 <= 13) ? "th"
                         : d % 10 == 1                    ? "st"
                         : d % 10 == 2                    ? "nd"
                         : d % 10 == 3                    ? "rd"
                                                          : "th";
    const int hour12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    return std::string(kDays[static_cast<std::size_t>(tm.tm_wday)]) + ", " +
           kMonths[static_cast<std::size_t>(tm.tm_mon)] + " " + std::to_string(d) + suffix +
           " at " + std::to_string(hour12) + ":" + two(tm.tm_min) +
           (tm.tm_hour < 12 ? " AM" : " PM") + " UTC";
}

std::string minuteText(int minute, int stoppage) {
    return std::to_string(minute) + "'" +
           (stoppage > 0 ? "+" + std::to_string(stoppage) + "'" : "");
}

/// Start and end (exclusive) of the local calendar day that contains `t`.
std::pair<std::int64_t, std::int64_t> localDayBounds(std::int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
    tm.tm_isdst = -1;
    std::tm startTm = tm;
    const std::int64_t start = mktime(&startTm);
    tm.tm_mday += 1;
    tm.tm_isdst = -1;
    const std::int64_t end = mktime(&tm);
    return {start, end};
}

struct StatusText {
    const char* id;
    const char* name;
    const char* state;
    bool completed;
    const char* description;
    std::string detail;
    std::string shortDetail;
    double clock;
    std::string displayClock;
    int period;  // negative: not written, as for a match not yet started
};

void writeStatus(JsonText& out, const StatusText& s) {
    out.beginObject().key("clock").decimal(s.clock).member("displayClock", s.displayClock);
    if (s.period >= 0) out.member("period", s.period);
    out.key("type")
        .beginObject()
        .member("id", s.id)
        .member("name", s.name)
        .member("state", s.state)
        .member("completed", s.completed)
        .member("description", s.description)
        .member("detail", s.detail)
        .member("shortDetail", s.shortDetail)
        .endObject()
        .endObject();
}

}  // namespace

DemoSeason::DemoSeason(Settings settings) : m_settings(std::move(settings)) {
    placeRounds(m_settings.placedAt.value_or(m_settings.now));
    if (m_settings.placedAt) followClock(m_settings.now);
}

int DemoSeason::localDay(std::int64_t unixSeconds) {
    const std::time_t tt = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
}

void DemoSeason::placeRounds(Instant nowInstant) {
    const auto& clubs = demoClubs();
    const int n = static_cast<int>(clubs.size());
    const auto now = static_cast<std::int64_t>(std::floor(nowInstant));

    // Fixtures by the circle method: slot n-1 stays put while the others
    // rotate; the second half of the season repeats the first with home and
    // away swapped, so every club is at home exactly 19 times. Slots map to
    // clubs through a fixed permutation so that no club is always first.
    auto clubOfSlot = [n](int slot) { return static_cast<std::size_t>((slot * 7 + 3) % n); };
    std::vector<std::array<std::pair<std::size_t, std::size_t>, kMatchesPerRound>> rounds(kRounds);
    for (int r = 0; r < n - 1; ++r) {
        for (int k = 0; k < kMatchesPerRound; ++k) {
            int a = 0;
            int b = 0;
            if (k == 0) {
                a = n - 1;
                b = r;
            } else {
                a = (r + k) % (n - 1);
                b = (r - k + (n - 1)) % (n - 1);
            }
            if ((r + k) % 2 == 1) std::swap(a, b);
            rounds[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] = {clubOfSlot(a),
                                                                                clubOfSlot(b)};
            rounds[static_cast<std::size_t>(r + n - 1)][static_cast<std::size_t>(k)] = {
                clubOfSlot(b), clubOfSlot(a)};
        }
    }

    // The round in play: as far into the season as today is into the
    // August-to-May calendar (the last round in the summer break).
    const std::tm today = utcTm(now);
    const int year = today.tm_year + 1900;
    const std::int64_t todayDay = floorDiv(now, kDay);
    const std::int64_t seasonStart = utcDayOf(today.tm_mon + 1 >= 8 ? year : year - 1, 8, 10);
    const int current = static_cast<int>(
        std::clamp<std::int64_t>((todayDay - seasonStart) * kRounds / 280, 0, kRounds - 1));

    // The current round is built around a 20-minute anchor so that the
    // clocks of the live matches run between requests.
    constexpr std::int64_t kAnchor = 20 * kMinute;
    const std::int64_t anchor = floorDiv(now, kAnchor) * kAnchor;
    const int elapsedMinutes = static_cast<int>((now - anchor) / kMinute);
    struct CurrentSlot {
        Phase phase;
        std::int64_t offsetMinutes;
        bool today;
        int minute;
    };
    const std::array<CurrentSlot, kMatchesPerRound> currentSlots = {{
        {Phase::Finished, -180, true, 0},
        {Phase::Finished, -130, true, 0},
        {Phase::SecondHalf, -80, true, 65 + elapsedMinutes},
        {Phase::HalfTime, -50, true, 45},
        {Phase::FirstHalf, -20, true, 20 + elapsedMinutes},
        {Phase::Postponed, 60, true, 0},
        {Phase::Scheduled, 130, true, 0},
        {Phase::Scheduled, 190, true, 0},
        {Phase::Scheduled, 24 * 60, false, 0},
        {Phase::Scheduled, 26 * 60 + 30, false, 0},
    }};
    // Today's matches stay on today's local calendar day whatever the hour,
    // so that the scoreboard of today always shows every state.
    const auto [dayStart, dayEnd] = localDayBounds(now);

    std::vector<std::int64_t> firstDay(kRounds);
    std::vector<std::int64_t> lastDay(kRounds);
    std::vector<std::array<std::int64_t, kMatchesPerRound>> kickoffs(kRounds);
    for (std::size_t s = 0; s < kMatchesPerRound; ++s) {
        const auto& slot = currentSlots[s];
        std::int64_t t = anchor + slot.offsetMinutes * kMinute;
        if (slot.today) t = std::clamp(t, dayStart, dayEnd - kMinute);
        kickoffs[static_cast<std::size_t>(current)][s] = floorDiv(t, kMinute) * kMinute;
    }
    const auto& cur = kickoffs[static_cast<std::size_t>(current)];
    firstDay[static_cast<std::size_t>(current)] =
        floorDiv(*std::min_element(cur.begin(), cur.end()), kDay);
    lastDay[static_cast<std::size_t>(current)] =
        floorDiv(*std::max_element(cur.begin(), cur.end()), kDay);

    // Other rounds keep at least one free day (UTC) between each other so
    // that every round is a cluster of its own.
    auto placeAt = [&](int round, std::int64_t first) {
        const auto r = static_cast<std::size_t>(round);
        const bool midweek = kMidweekRounds.count(round) > 0;
        const auto& slots = midweek ? kMidweekSlots : kWeekendSlots;
        firstDay[r] = first;
        lastDay[r] = first + 1;
        for (std::size_t s = 0; s < kMatchesPerRound; ++s)
            kickoffs[r][s] = (first + slots[s].dayOffset) * kDay + slots[s].hour * 3600 +
                             slots[s].minute * kMinute;
    };
    for (int round = current - 1; round >= 0; --round) {
        const std::int64_t limit = firstDay[static_cast<std::size_t>(round + 1)] - 2 -
                                   (kBreakBeforeRounds.count(round + 1) ? 7 : 0);
        const int wd = kMidweekRounds.count(round) ? kTuesday : kSaturday;
        placeAt(round, latestWeekdayOnOrBefore(wd, limit - 1));
    }
    for (int round = current + 1; round < kRounds; ++round) {
        const std::int64_t limit = lastDay[static_cast<std::size_t>(round - 1)] + 2 +
                                   (kBreakBeforeRounds.count(round) ? 7 : 0);
        const int wd = kMidweekRounds.count(round) ? kTuesday : kSaturday;
        placeAt(round, earliestWeekdayOnOrAfter(wd, limit));
    }

    const std::tm opening = utcTm(firstDay[0] * kDay);
    m_seasonYear = opening.tm_mon + 1 >= 7 ? opening.tm_year + 1900 : opening.tm_year + 1899;

    m_matches.clear();
    m_matches.reserve(kRounds * kMatchesPerRound);
    for (int round = 0; round < kRounds; ++round) {
        const auto r = static_cast<std::size_t>(round);
        std::vector<Match> inRound;
        for (int s = 0; s < kMatchesPerRound; ++s) {
            Match m;
            m.round = round;
            m.slot = s;
            m.home = rounds[r][static_cast<std::size_t>(s)].first;
            m.away = rounds[r][static_cast<std::size_t>(s)].second;
            m.kickoff = kickoffs[r][static_cast<std::size_t>(s)];
            if (round < current) {
                m.phase = Phase::Finished;
            } else if (round > current) {
                m.phase = Phase::Scheduled;
            } else {
                m.phase = currentSlots[static_cast<std::size_t>(s)].phase;
                m.liveMinute = currentSlots[static_cast<std::size_t>(s)].minute;
            }
            inRound.push_back(m);
        }
        std::stable_sort(inRound.begin(), inRound.end(),
                         [](const Match& a, const Match& b) { return a.kickoff < b.kickoff; });
        m_matches.insert(m_matches.end(), inRound.begin(), inRound.end());
    }
    m_currentRound = current;
}

void DemoSeason::followClock(Instant nowInstant) {
    // A match lasts 47 minutes to half-time, rests 15, and ends 110 minutes
    // after its kick-off.
    constexpr std::int64_t kHalfTime = 47;
    constexpr std::int64_t kSecondHalf = 62;
    constexpr std::int64_t kFullTime = 110;
    const auto now = static_cast<std::int64_t>(std::floor(nowInstant));
    for (Match& m : m_matches) {
        if (m.phase == Phase::Postponed) continue;
        const std::int64_t minutes = floorDiv(now - m.kickoff, kMinute);
        m.liveMinute = 0;
        if (now < m.kickoff) {
            m.phase = Phase::Scheduled;
        } else if (minutes < kHalfTime) {
            m.phase = Phase::FirstHalf;
            m.liveMinute = static_cast<int>(std::clamp<std::int64_t>(minutes, 1, 45));
        } else if (minutes < kSecondHalf) {
            m.phase = Phase::HalfTime;
        } else if (minutes < kFullTime) {
            m.phase = Phase::SecondHalf;
            m.liveMinute = static_cast<int>(std::min<std::int64_t>(46 + minutes - kSecondHalf, 90));
        } else {
            m.phase = Phase::Finished;
        }
    }
}

std::vector<DemoSeason::Incident> DemoSeason::incidentsOf(const Match& match) const {
    std::vector<Incident> incidents;
    if (match.phase == Phase::Scheduled || match.phase == Phase::Postponed) return incidents;

    Rng rng(
        m_settings.seed * 0x100000001B3ULL ^
        (static_cast<std::uint64_t>(match.round * 100 + match.slot + 1) * 0x9E3779B97F4A7C15ULL));
    const int homeGoals = rng.weighted(std::array<int, 6>{24, 33, 24, 12, 5, 2});
    const int awayGoals = rng.weighted(std::array<int, 6>{32, 34, 21, 9, 3, 1});
    const int cards = rng.below(4);
    auto draw = [&](bool home, bool goal) {
        Incident inc;
        inc.home = home;
        inc.goal = goal;
        inc.minute = 1 + rng.below(94);
        if (inc.minute > 90) {
            inc.stoppage = inc.minute - 90;
            inc.minute = 90;
        } else if (inc.minute == 45 && rng.below(2) == 0) {
            inc.stoppage = 1 + rng.below(3);
        }
        inc.second = rng.below(60);
        if (goal) {
            const int r = rng.below(100);
            inc.kind = r < 8    ? GoalKind::Penalty
                       : r < 13 ? GoalKind::OwnGoal
                       : r < 28 ? GoalKind::Header
                                : GoalKind::Plain;
        }
        // Forwards score most goals.
        inc.player = static_cast<std::size_t>(
            rng.below(100) < 75 ? rng.below(4) : rng.below(static_cast<int>(kSquadSize)));
        incidents.push_back(inc);
    };
    for (int i = 0; i < homeGoals; ++i) draw(true, true);
    for (int i = 0; i < awayGoals; ++i) draw(false, true);
    for (int i = 0; i < cards; ++i) draw(rng.below(2) == 0, false);

    auto key = [](const Incident& i) {
        return i.minute * 100 + i.stoppage * 10 + (i.second * 10) / 60;
    };
    std::stable_sort(incidents.begin(), incidents.end(),
                     [&](const Incident& a, const Incident& b) { return key(a) < key(b); });

    // Today's two finished matches show a penalty and an own goal whatever the seed.
    if (match.round == m_currentRound && (match.slot == 0 || match.slot == 1)) {
        const GoalKind wanted = match.slot == 0 ? GoalKind::Penalty : GoalKind::OwnGoal;
        auto firstGoal = std::find_if(incidents.begin(), incidents.end(),
                                      [](const Incident& i) { return i.goal; });
        if (firstGoal == incidents.end()) {
            Incident inc;
            inc.minute = 38;
            inc.second = 12;
            inc.home = match.slot == 0;
            incidents.push_back(inc);
            std::stable_sort(incidents.begin(), incidents.end(),
                             [&](const Incident& a, const Incident& b) { return key(a) < key(b); });
            firstGoal = std::find_if(incidents.begin(), incidents.end(),
                                     [](const Incident& i) { return i.goal; });
        }
        firstGoal->kind = wanted;
    }

    // A match in play shows only what has happened so far.
    int upTo = 200;
    if (match.phase == Phase::HalfTime) upTo = 45 * 100 + 99;
    if (match.phase == Phase::FirstHalf || match.phase == Phase::SecondHalf)
        upTo = (match.liveMinute - 1) * 100 + 99;
    if (match.phase != Phase::Finished)
        incidents.erase(std::remove_if(incidents.begin(), incidents.end(),
                                       [&](const Incident& i) { return key(i) > upTo; }),
                        incidents.end());
    return incidents;
}

void DemoSeason::writeTeam(JsonText& out, std::size_t club) const {
    const DemoClub& c = demoClubs()[club];
    out.beginObject()
        .member("id", c.id)
        .member("uid", "s:600~t:" + c.id)
        .member("abbreviation", c.abbreviation)
        .member("displayName", c.displayName())
        .member("shortDisplayName", c.location)
        .member("name", c.displayName())
        .member("location", c.location)
        .member("color", c.color)
        .member("alternateColor", c.alternateColor)
        .member("isActive", true)
        .member("logo", m_settings.baseUrl + "/crests/" + c.abbreviation + ".png")
        .endObject();
}

void DemoSeason::writeEvent(JsonText& out, const Match& match) const {
    const auto& clubs = demoClubs();
    const DemoClub& home = clubs[match.home];
    const DemoClub& away = clubs[match.away];
    const std::string id = std::to_string(740000 + match.round * 10 + match.slot + 1);
    const std::string date = isoMinute(match.kickoff);

    int homeScore = 0;
    int awayScore = 0;
    int lastStoppage = 3;
    JsonText details;
    details.beginArray();
    for (const Incident& inc : incidentsOf(match)) {
        const DemoClub& credited = inc.home ? home : away;
        // An own goal is scored by a player of the other side.
        const bool scorerHome = inc.goal && inc.kind == GoalKind::OwnGoal ? !inc.home : inc.home;
        const DemoPlayer player = demoPlayer(scorerHome ? match.home : match.away, inc.player);
        const DemoClub& playerClub = scorerHome ? home : away;
        if (inc.goal) (inc.home ? homeScore : awayScore) += 1;
        if (inc.minute == 90 && inc.stoppage > lastStoppage) lastStoppage = inc.stoppage;

        const char* typeId = "70";
        const char* typeText = "Goal";
        if (!inc.goal) {
            typeId = "94";
            typeText = "Yellow Card";
        } else if (inc.kind == GoalKind::Penalty) {
            typeId = "98";
            typeText = "Penalty - Scored";
        } else if (inc.kind == GoalKind::OwnGoal) {
            typeId = "97";
            typeText = "Own Goal";
        } else if (inc.kind == GoalKind::Header) {
            typeId = "137";
            typeText = "Goal - Header";
        }
        const double clockValue =
            inc.stoppage > 0 ? inc.minute * 60.0 : (inc.minute - 1) * 60.0 + inc.second;
        details.beginObject()
            .key("type")
            .beginObject()
            .member("id", typeId)
            .member("text", typeText)
            .endObject()
            .key("clock")
            .beginObject()
            .key("value")
            .decimal(clockValue)
            .member("displayValue", minuteText(inc.minute, inc.stoppage))
            .endObject()
            .key("team")
            .beginObject()
            .member("id", credited.id)
            .endObject()
            .member("scoreValue", inc.goal ? 1 : 0)
            .member("scoringPlay", inc.goal)
            .member("redCard", false)
            .member("yellowCard", !inc.goal)
            .member("penaltyKick", inc.goal && inc.kind == GoalKind::Penalty)
            .member("ownGoal", inc.goal && inc.kind == GoalKind::OwnGoal)
            .member("shootout", false)
            .key("athletesInvolved")
            .beginArray()
            .beginObject()
            .member("id", player.id)
            .member("displayName", player.displayName)
            .member("shortName", player.shortName)
            .member("fullName", player.displayName)
            .member("jersey", player.jersey)
            .key("team")
            .beginObject()
            .member("id", playerClub.id)
            .endObject()
            .endObject()
            .endArray()
            .endObject();
    }
    details.endArray();

    StatusText status{};
    switch (match.phase) {
        case Phase::Finished:
            status = {"28",
                      "STATUS_FULL_TIME",
                      "post",
                      true,
                      "Full Time",
                      "FT",
                      "FT",
                      5400.0,
                      "90'+" + std::to_string(lastStoppage) + "'",
                      2};
            break;
        case Phase::SecondHalf: {
            const std::string minute = minuteText(match.liveMinute, 0);
            status = {"26",   "STATUS_SECOND_HALF",    "in",   false, "Second Half", minute,
                      minute, match.liveMinute * 60.0, minute, 2};
            break;
        }
        case Phase::FirstHalf: {
            const std::string minute = minuteText(match.liveMinute, 0);
            status = {"25",   "STATUS_FIRST_HALF",     "in",   false, "First Half", minute,
                      minute, match.liveMinute * 60.0, minute, 1};
            break;
        }
        case Phase::HalfTime:
            status = {"23",   "STATUS_HALFTIME", "in", false, "Halftime", "HT", "HT",
                      2700.0, "45'+2'",          1};
            break;
        case Phase::Postponed:
            status = {"6",         "STATUS_POSTPONED", "post", false, "Postponed",
                      "Postponed", "Postponed",        0.0,    "0'",  0};
            break;
        case Phase::Scheduled:
            status = {"1",         "STATUS_SCHEDULED",
                      "pre",       false,
                      "Scheduled", kickoffDetail(match.kickoff),
                      "Scheduled", 0.0,
                      "0'",        -1};
            break;
    }

    const bool finished = match.phase == Phase::Finished;
    auto writeCompetitor = [&](std::size_t club, bool isHome, int score, int otherScore) {
        out.beginObject()
            .member("id", clubs[club].id)
            .member("uid", "s:600~t:" + clubs[club].id)
            .member("type", "team")
            .member("order", isHome ? 0 : 1)
            .member("homeAway", isHome ? "home" : "away")
            .member("winner", finished && score > otherScore)
            .member("score", std::to_string(score))
            .key("team");
        writeTeam(out, club);
        out.endObject();
    };
    const std::string venueName = home.location + " Park";
    const std::string slug = std::to_string(m_seasonYear) + "-" + two((m_seasonYear + 1) % 100) +
                             "-english-premier-league";

    out.beginObject()
        .member("id", id)
        .member("uid", "s:600~l:700~e:" + id)
        .member("date", date)
        .member("name", away.displayName() + " at " + home.displayName())
        .member("shortName", away.abbreviation + " @ " + home.abbreviation)
        .key("season")
        .beginObject()
        .member("year", m_seasonYear)
        .member("type", 12700)
        .member("slug", slug)
        .endObject();
    if (m_settings.weekNumbers)
        out.key("week").beginObject().member("number", match.round + 1).endObject();
    out.key("competitions")
        .beginArray()
        .beginObject()
        .member("id", id)
        .member("uid", "s:600~l:700~e:" + id + "~c:" + id)
        .member("date", date)
        .member("startDate", date)
        .member("attendance",
                finished
                    ? 18000 + static_cast<int>((match.home * 7919 + match.round * 104729) % 24000)
                    : 0)
        .member("timeValid", true)
        .member("recent", false)
        .key("status");
    writeStatus(out, status);
    out.key("venue")
        .beginObject()
        .member("id", std::to_string(8100 + match.home))
        .member("fullName", venueName)
        .key("address")
        .beginObject()
        .member("city", home.location)
        .member("country", "England")
        .endObject()
        .endObject()
        .key("format")
        .beginObject()
        .key("regulation")
        .beginObject()
        .member("periods", 2)
        .endObject()
        .endObject()
        .key("notes")
        .beginArray()
        .endArray()
        .key("competitors")
        .beginArray();
    writeCompetitor(match.home, true, homeScore, awayScore);
    writeCompetitor(match.away, false, awayScore, homeScore);
    out.endArray();
    out.key("details");
    out.raw(details.text());
    out.member("wasSuspended", false)
        .member("playByPlayAvailable", finished)
        .endObject()
        .endArray()
        .key("status");
    writeStatus(out, status);
    out.key("venue")
        .beginObject()
        .member("displayName", venueName)
        .endObject()
        .key("links")
        .beginArray()
        .endArray()
        .endObject();
}

void DemoSeason::writeLeagues(JsonText& out) const {
    const std::string name = std::to_string(m_seasonYear) + "-" + two((m_seasonYear + 1) % 100) +
                             " English Premier League";
    const std::int64_t first = m_matches.empty() ? 0 : m_matches.front().kickoff;
    const std::int64_t last = m_matches.empty() ? 0 : m_matches.back().kickoff;
    out.beginArray()
        .beginObject()
        .member("id", "700")
        .member("uid", "s:600~l:700")
        .member("name", "English Premier League")
        .member("abbreviation", "Prem")
        .member("midsizeName", "ENG.1")
        .member("slug", "eng.1")
        .key("season")
        .beginObject()
        .member("year", m_seasonYear)
        .member("startDate", isoMinute(floorDiv(first, kDay) * kDay))
        .member("endDate", isoMinute(floorDiv(last, kDay) * kDay + kDay - kMinute))
        .member("displayName", name)
        .key("type")
        .beginObject()
        .member("id", "1")
        .member("type", 12700)
        .member("name", name)
        .member("abbreviation", name)
        .endObject()
        .endObject()
        .key("logos")
        .beginArray()
        .endArray()
        .member("calendarType", "day")
        .key("calendar")
        .beginArray()
        .endArray()
        .endObject()
        .endArray();
}

std::string DemoSeason::write(const std::vector<const Match*>& matches) const {
    JsonText out;
    out.beginObject().key("leagues");
    writeLeagues(out);
    out.key("events").beginArray();
    for (const Match* m : matches) writeEvent(out, *m);
    out.endArray().endObject();
    return out.take();
}

std::string DemoSeason::document() const {
    std::vector<const Match*> all;
    all.reserve(m_matches.size());
    for (const Match& m : m_matches) all.push_back(&m);
    return write(all);
}

std::string DemoSeason::document(int firstDay, int lastDay) const {
    std::vector<const Match*> chosen;
    for (const Match& m : m_matches) {
        const int day = localDay(m.kickoff);
        if (day >= firstDay && day <= lastDay) chosen.push_back(&m);
    }
    // A scoreboard lists its matches by kick-off, whichever rounds they belong to.
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const Match* a, const Match* b) { return a->kickoff < b->kickoff; });
    return write(chosen);
}

}  // namespace fixtora::demo
