// SPDX-License-Identifier: MIT
#pragma once

// Match, club and date builders shared by the data and state tests.

#include "data/ESPNModels.hpp"
#include "data/InternetDateTime.hpp"
#include "data/MatchWeek.hpp"

#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fixtora::test {

inline ESPNEvent event(const std::string& date, std::optional<std::int64_t> week = std::nullopt) {
    ESPNEvent e;
    e.id = date;
    e.date = date;
    if (week) e.week = ESPNWeek{week};
    return e;
}

/// `count` events on one day ("yyyy-MM-dd"), kicking off at `hhmm` UTC.
inline void addMatches(std::vector<ESPNEvent>& events, const std::string& day, int count,
                       std::optional<std::int64_t> week = std::nullopt,
                       const std::string& hhmm = "15:00") {
    for (int i = 0; i < count; ++i) events.push_back(event(day + "T" + hhmm + "Z", week));
}

inline Instant at(const std::string& iso) {
    auto t = parseInternetDateTime(iso);
    if (!t) throw std::invalid_argument("bad instant " + iso);
    return *t;
}

/// Sets ICU's default time zone (the "user's zone"), and the locale when
/// given, for one scope.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* id, const char* locale = nullptr)
        : m_saved(icu::TimeZone::createDefault()), m_locale(icu::Locale::getDefault()) {
        icu::TimeZone::adoptDefault(
            icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id)));
        UErrorCode status = U_ZERO_ERROR;
        if (locale) icu::Locale::setDefault(icu::Locale(locale), status);
    }
    ~ScopedTimeZone() {
        icu::TimeZone::adoptDefault(m_saved.release());
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(m_locale, status);
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::unique_ptr<icu::TimeZone> m_saved;
    icu::Locale m_locale;
};

/// A club with id, abbreviation and short name derived from `abbreviation`.
inline ESPNTeam club(const std::string& abbreviation,
                     std::optional<std::string> logo = std::nullopt) {
    return ESPNTeam{"id-" + abbreviation, abbreviation, "Club " + abbreviation, std::move(logo)};
}

/// One side of a match.
struct Side {
    ESPNTeam team;
    std::optional<std::string> score;
};

/// A match of `home` against `away` kicking off at `kickOff` with status
/// `status` (completed for the full-time and final codes).
inline ESPNEvent match(const std::string& id, Instant kickOff, const std::string& status, Side home,
                       Side away, std::optional<std::string> shortDetail = std::nullopt) {
    ESPNCompetition competition;
    competition.status.type.name = status;
    competition.status.type.completed = status == "STATUS_FULL_TIME" || status == "STATUS_FINAL";
    competition.status.type.shortDetail = std::move(shortDetail);
    competition.competitors.push_back(
        ESPNCompetitor{"home", std::move(home.team), std::move(home.score), {}});
    competition.competitors.push_back(
        ESPNCompetitor{"away", std::move(away.team), std::move(away.score), {}});
    ESPNEvent e;
    e.id = id;
    e.date = formatInternetDateTime(kickOff);
    e.competitions.push_back(std::move(competition));
    return e;
}

/// The same with the teams given by abbreviation and scores as text.
inline ESPNEvent match(const std::string& id, Instant kickOff, const std::string& status,
                       const std::string& home, const std::string& away,
                       std::optional<std::string> homeScore = std::nullopt,
                       std::optional<std::string> awayScore = std::nullopt,
                       std::optional<std::string> shortDetail = std::nullopt) {
    return match(id, kickOff, status, Side{club(home), std::move(homeScore)},
                 Side{club(away), std::move(awayScore)}, std::move(shortDetail));
}

}  // namespace fixtora::test

namespace fixtora {
inline void PrintTo(const MatchWeek& w, std::ostream* os) {
    *os << "{" << w.number << ", " << formatInternetDateTime(w.startDate) << ", "
        << formatInternetDateTime(w.endDate) << "}";
}
}  // namespace fixtora
