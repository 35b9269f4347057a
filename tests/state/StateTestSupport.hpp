// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"
#include "state/MatchesFetcher.hpp"

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace fixtora::test {

/// A club with id, abbreviation and short name derived from `abbreviation`.
ESPNTeam club(const std::string& abbreviation, std::optional<std::string> logo = std::nullopt);

/// One side of a match.
struct Side {
    ESPNTeam team;
    std::optional<std::string> score;
};

/// A match of `home` against `away` kicking off at `kickOff` with status
/// `status` (completed for the full-time and final codes).
ESPNEvent match(const std::string& id, Instant kickOff, const std::string& status, Side home, Side away,
                std::optional<std::string> shortDetail = std::nullopt);
/// The same with the teams given by abbreviation and scores as text.
ESPNEvent match(const std::string& id, Instant kickOff, const std::string& status, const std::string& home,
                const std::string& away, std::optional<std::string> homeScore = std::nullopt,
                std::optional<std::string> awayScore = std::nullopt,
                std::optional<std::string> shortDetail = std::nullopt);

/// A matches source that holds every request until the test answers it, so
/// that the order of answers is exact.
class ScriptedFetcher final : public MatchesFetcher {
public:
    struct Request {
        Instant from = 0;
        Instant to = 0;
        Completion completion;
        bool answered = false;
    };

    void fetchMatches(Instant from, Instant to, Completion completion) override;

    std::size_t count() const;
    Request request(std::size_t index) const;
    /// Indices of the unanswered requests starting at `from`.
    std::vector<std::size_t> pendingFrom(Instant from) const;
    /// Answers request `index` now, on the calling thread.
    void answer(std::size_t index, Result<std::vector<ESPNEvent>> result);

private:
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
};

}  // namespace fixtora::test
