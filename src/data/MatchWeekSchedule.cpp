// SPDX-License-Identifier: MIT
#include "data/MatchWeekSchedule.hpp"

#include "data/APIClient.hpp"
#include "data/CacheFiles.hpp"
#include "data/MatchWeekComputation.hpp"
#include "data/ScoreboardDecoder.hpp"
#include "platform/ProcessMemory.hpp"

#include <chrono>
#include <cstring>
#include <system_error>
#include <utility>

namespace fixtora {

namespace {

constexpr const char* kSchedulePath = "/api/epl/schedule";
constexpr const char* kNoSeasonData = "No season data from ESPN";
constexpr const char* kInvalidBackendUrl = "Invalid backend URL";

Error scheduleError(const char* description) {
    return Error{kScheduleErrorDomain, -1, description};
}

std::optional<Instant> modificationTime(const std::filesystem::path& file) {
    std::error_code ec;
    const auto mtime = std::filesystem::last_write_time(file, ec);
    if (ec) return std::nullopt;
    const auto sys = std::chrono::file_clock::to_sys(mtime);
    return std::chrono::duration<double>(sys.time_since_epoch()).count();
}

// The table of a schedule answer, or nothing when it holds no usable season.
std::optional<std::vector<MatchWeek>> tableOf(std::string body) {
    if (body.empty()) return std::nullopt;
    auto document = decodeScoreboard(body);
    if (!document.ok() || !document.value().events || document.value().events->empty())
        return std::nullopt;
    auto weeks = computeMatchWeeks(*document.value().events);
    // Events of which no week can be built are no season either; an empty
    // table would otherwise be cached and leave the user without matchweeks.
    if (weeks.empty()) return std::nullopt;
    return weeks;
}

}  // namespace

bool isValidBackendUrl(const std::string& url) {
    for (const char c : url) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7f || std::strchr("\"<>\\^`{|}", c)) return false;
    }
    std::size_t hostStart = 0;
    const auto lower = [&](std::size_t n) {
        std::string s = url.substr(0, n);
        for (auto& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return s;
    };
    if (lower(7) == "http://") {
        hostStart = 7;
    } else if (lower(8) == "https://") {
        hostStart = 8;
    } else {
        return false;
    }
    const auto hostEnd = url.find_first_of("/?#", hostStart);
    const auto host = url.substr(
        hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
    return !host.empty() && host.front() != ':' && host.front() != '@';
}

MatchWeekSchedule::MatchWeekSchedule(std::shared_ptr<HttpClient> http, std::string baseUrl,
                                     std::shared_ptr<const Paths> paths,
                                     std::shared_ptr<const Clock> clock,
                                     std::shared_ptr<Scheduler> mainScheduler)
    : m_http(std::move(http)),
      m_clock(std::move(clock)),
      m_main(std::move(mainScheduler)),
      m_scheduleUrl(backendEndpoint(baseUrl, kSchedulePath)),
      m_cacheFile(paths->cachesDir() / "Fixtora" / "schedule_v2.json") {
    std::error_code ignored;  // without the folder the cache simply misses
    std::filesystem::create_directories(m_cacheFile.parent_path(), ignored);
}

std::optional<std::vector<MatchWeek>> MatchWeekSchedule::readCache() const {
    const auto bytes = readCacheFile(m_cacheFile);
    if (!bytes) return std::nullopt;
    if (const auto modified = modificationTime(m_cacheFile)) {
        const double age = m_clock->now() - *modified;
        // A file from the future was left by a clock that ran fast; trusting
        // it would keep the table for as long as the clock is behind.
        if (age > kCacheTTL || age < 0) return std::nullopt;
    }
    auto weeks = decodeMatchWeeks(*bytes);
    // An empty table is never a season: fetch rather than show nothing all day.
    if (!weeks || weeks->empty()) return std::nullopt;
    return weeks;
}

void MatchWeekSchedule::load(Completion completion) {
    if (auto cached = readCache()) {
        m_weeks = *cached;
        completion(std::move(*cached));
        return;
    }
    fetchAndBuild(std::move(completion));
}

void MatchWeekSchedule::fetchAndBuild(Completion completion) {
    if (!isValidBackendUrl(m_scheduleUrl)) {
        completion(scheduleError(kInvalidBackendUrl));
        return;
    }
    HttpRequest request;
    request.url = m_scheduleUrl;
    request.timeoutSeconds = kRequestTimeoutSeconds;
    std::weak_ptr<MatchWeekSchedule> weak = weak_from_this();
    auto deliver = [weak, main = m_main,
                    completion = std::move(completion)](Result<std::vector<MatchWeek>> result) {
        main->post([weak, completion, result = std::move(result)] {
            auto self = weak.lock();
            if (!self) return;
            if (result.ok()) {
                self->m_weeks = result.value();
                // Here rather than on the HTTP thread: a schedule that is gone
                // by now leaves no file behind.
                std::error_code ignored;
                std::filesystem::create_directories(self->m_cacheFile.parent_path(), ignored);
                const auto bytes = encodeMatchWeeks(self->m_weeks);
                writeCacheFileAtomically(self->m_cacheFile, bytes);  // best effort
            }
            completion(result);
        });
    };
    // Runs on the HTTP client's thread; the schedule itself and its cache file
    // are touched only back on the main scheduler.
    auto onAnswer = [weak, deliver = std::move(deliver)](Result<HttpResponse> answer) {
        if (weak.expired()) return;
        if (!answer.ok()) {
            deliver(answer.error());
            return;
        }
        // The status is not examined: a body that decodes is the season.
        // The body goes with the decoded events, and the memory both took
        // goes back to the system: this runs once a day at most.
        auto table = tableOf(std::move(answer.value().body));
        releaseFreedMemory();
        if (!table) {
            deliver(scheduleError(kNoSeasonData));
            return;
        }
        deliver(std::move(*table));
    };
    m_http->send(std::move(request), std::move(onAnswer));
}

std::int64_t MatchWeekSchedule::currentWeekNumber(Instant t) const {
    if (m_weeks.empty()) return 1;
    for (const auto& w : m_weeks) {
        if (w.startDate <= t && t <= w.endDate) return w.number;
    }
    if (t < m_weeks.front().startDate) return 1;
    if (t > m_weeks.back().endDate) return m_weeks.back().number;
    for (std::size_t i = 1; i < m_weeks.size(); ++i) {
        if (t > m_weeks[i - 1].endDate && t < m_weeks[i].startDate) return m_weeks[i].number;
    }
    return m_weeks.back().number;
}

std::optional<MatchWeek> MatchWeekSchedule::week(std::int64_t number) const {
    for (const auto& w : m_weeks) {
        if (w.number == number) return w;
    }
    return std::nullopt;
}

}  // namespace fixtora
