// SPDX-License-Identifier: MIT
#pragma once

#include "Payload.hpp"

#include <memory>
#include <string>
#include <string_view>

namespace fixtora::server {

/// What a data endpoint answers: a cached payload (fresh or stale) or an
/// error text with its status.
struct DataAnswer {
    int status = 200;
    std::shared_ptr<const Payload> payload;  // null for errors
    std::string error;                       // the text of {"error": ...} when there is no payload
    double maxAgeSeconds = 0;                // freshness left
    bool stale = false;
    double ageSeconds = 0;  // how old a stale payload is
};

/// Where the matches of the two data endpoints come from. Called from the
/// server's request threads; never blocks longer than its upstream time-out.
class MatchSource {
  public:
    virtual ~MatchSource() = default;
    /// `dates` is the raw query value ("" when missing).
    virtual DataAnswer scoreboard(std::string_view dates) = 0;
    virtual DataAnswer schedule() = 0;
    /// True once a season is held.
    virtual bool healthy() const = 0;
};

}  // namespace fixtora::server
