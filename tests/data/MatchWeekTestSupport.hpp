// SPDX-License-Identifier: MIT
#pragma once

// Builders shared by the matchweek tests.

#include "data/ESPNModels.hpp"
#include "data/InternetDateTime.hpp"
#include "data/MatchWeek.hpp"

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

/// Sets ICU's default time zone (the "user's zone") for one scope.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* id) : m_saved(icu::TimeZone::createDefault()) {
        icu::TimeZone::adoptDefault(
            icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id)));
    }
    ~ScopedTimeZone() { icu::TimeZone::adoptDefault(m_saved.release()); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::unique_ptr<icu::TimeZone> m_saved;
};

}  // namespace fixtora::test

namespace fixtora {
inline void PrintTo(const MatchWeek& w, std::ostream* os) {
    *os << "{" << w.number << ", " << formatInternetDateTime(w.startDate) << ", "
        << formatInternetDateTime(w.endDate) << "}";
}
}  // namespace fixtora
