// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/SignalManager.hpp"

namespace analytics::test {

void SchedulingHttpClient::send(fixtora::HttpRequest request, Completion completion) {
    m_client.send(std::move(request), [scheduler = m_scheduler, completion = std::move(completion)](
                                          fixtora::Result<fixtora::HttpResponse> result) mutable {
        scheduler->post([completion = std::move(completion), result = std::move(result)]() mutable {
            completion(std::move(result));
        });
    });
}

VirtualEnvironment::VirtualEnvironment()
    : clock(std::make_shared<fixtora::SettableClock>(kStart)),
      scheduler(std::make_shared<fixtora::ManualScheduler>(clock)),
      http(std::make_shared<SchedulingHttpClient>(scheduler)),
      preferences(std::make_shared<fixtora::InMemoryPreferencesStore>()),
      paths(std::make_shared<fixtora::FixedPaths>(dir.path())) {}

analytics::Environment VirtualEnvironment::environment() const {
    return {clock, scheduler, scheduler, scheduler, http, preferences, paths};
}

std::filesystem::path VirtualEnvironment::cacheFile() const {
    return SignalManager::cacheFileIn(paths->cachesDir());
}

std::function<void(LogHandler::LogLevel, const std::string&)> RecordingLog::sink() const {
    return [shared = m_shared](LogHandler::LogLevel l, const std::string& message) {
        std::lock_guard lock(shared->mutex);
        shared->entries.emplace_back(l, message);
    };
}

std::vector<RecordingLog::Entry> RecordingLog::entries() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->entries;
}

std::vector<std::string> RecordingLog::messages(LogHandler::LogLevel level) const {
    std::vector<std::string> out;
    for (const auto& [l, m] : entries())
        if (l == level) out.push_back(m);
    return out;
}

std::size_t RecordingLog::count(LogHandler::LogLevel level, const std::string& text,
                                bool prefix) const {
    std::size_t n = 0;
    for (const auto& m : messages(level)) n += (prefix ? m.rfind(text, 0) == 0 : m == text) ? 1 : 0;
    return n;
}

void RecordingLog::clear() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->entries.clear();
}

}  // namespace analytics::test
