// SPDX-License-Identifier: MIT
#pragma once

#include "data/MatchWeek.hpp"
#include "platform/Clock.hpp"
#include "platform/HttpClient.hpp"
#include "platform/Paths.hpp"
#include "platform/Result.hpp"
#include "platform/Scheduler.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fixtora {

/// Error domain of the schedule's own failures (code -1).
inline constexpr const char* kScheduleErrorDomain = "Schedule";

/// The season's table of matchweeks: from a cache file younger than a day,
/// or fetched from the backend's schedule endpoint and computed from its
/// events. Answers which matchweek holds an instant and what the range of
/// matchweek n is.
///
/// `weeks` is read and replaced on the main scheduler only, and every
/// completion runs there. Create it with `std::make_shared`: requests in
/// flight hold it weakly, and an answer that arrives after it is gone is
/// dropped.
class MatchWeekSchedule final : public std::enable_shared_from_this<MatchWeekSchedule> {
  public:
    using Completion = std::function<void(Result<std::vector<MatchWeek>>)>;

    /// How long the cache file is used, judged by its modification time.
    static constexpr double kCacheTTL = 86400;
    static constexpr double kRequestTimeoutSeconds = 20;

    /// `baseUrl` is scheme and host (and port), e.g. "https://api.example.org".
    MatchWeekSchedule(std::shared_ptr<HttpClient> http, std::string baseUrl,
                      std::shared_ptr<const Paths> paths, std::shared_ptr<const Clock> clock,
                      std::shared_ptr<Scheduler> mainScheduler);
    MatchWeekSchedule(const MatchWeekSchedule&) = delete;
    MatchWeekSchedule& operator=(const MatchWeekSchedule&) = delete;

    /// The table from the cache file when it is fresh (`completion` runs
    /// before `load` returns, no request is made), otherwise `fetchAndBuild`.
    /// Call on the main scheduler.
    void load(Completion completion);

    /// Fetches the season, computes its table, stores it in `weeks` and the
    /// cache file, and delivers it on the main scheduler. On failure `weeks`
    /// and the cache file are left as they were and the error is delivered:
    /// the transport's own, or a "Schedule" error: "No season data from ESPN"
    /// (no body, not a scoreboard, no events, or no matchweek could be built
    /// from them) or "Invalid backend URL" (delivered before returning).
    void fetchAndBuild(Completion completion);

    /// The number of the first week holding `t` (both bounds inclusive); in
    /// a gap the coming week's; before the season 1; after it the last
    /// week's; 1 for an empty table. Main scheduler only.
    std::int64_t currentWeekNumber(Instant t) const;

    /// The first week numbered `number`, if any. Main scheduler only.
    std::optional<MatchWeek> week(std::int64_t number) const;

    /// The current table, in computed order; empty until loaded. Main
    /// scheduler only.
    const std::vector<MatchWeek>& weeks() const { return m_weeks; }

    const std::filesystem::path& cacheFile() const { return m_cacheFile; }
    const std::string& scheduleUrl() const { return m_scheduleUrl; }

  private:
    std::optional<std::vector<MatchWeek>> readCache() const;

    std::shared_ptr<HttpClient> m_http;
    std::shared_ptr<const Clock> m_clock;
    std::shared_ptr<Scheduler> m_main;
    std::string m_scheduleUrl;
    std::filesystem::path m_cacheFile;
    std::vector<MatchWeek> m_weeks;
};

/// Whether `url` is an absolute http or https URL with a host and without
/// spaces or control characters.
bool isValidBackendUrl(const std::string& url);

}  // namespace fixtora
