// SPDX-License-Identifier: MIT
// The stored sessions ("recentSessions" in the client's preferences suite):
// the list decoder, then a session manager that starts on that suite, works
// out its statistics and writes the list back.

#include "FuzzCheck.hpp"

#include "analytics/ClientServices.hpp"
#include "analytics/SessionManager.hpp"
#include "analytics/StoredSession.hpp"
#include "platform/Clock.hpp"
#include "platform/ManualScheduler.hpp"
#include "platform/Preferences.hpp"
#include "platform/SystemInfo.hpp"

#include <memory>

using namespace analytics;
using fixtora::fuzz::check;

namespace {

// 2026-06-01T12:00:00Z: stored sessions up to 90 days older are kept.
constexpr fixtora::Instant kNow = 1780315200.0;

void checkRoundTrip(const std::vector<StoredSession>& sessions) {
    const auto encoded = StoredSession::encodeList(sessions);
    if (!encoded) return;  // a start time beyond 64-bit seconds
    const auto decoded = StoredSession::decodeList(*encoded);
    check(decoded.has_value() && decoded->size() == sessions.size(), "an encoded list decodes");
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        check((*decoded)[i].durationInSeconds == sessions[i].durationInSeconds,
              "a stored session keeps its duration");
        check((*decoded)[i].startedAt == std::trunc(sessions[i].startedAt),
              "a stored session keeps its whole start second");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(fixtora::fuzz::asText(data, size));
    const auto sessions = StoredSession::decodeList(text);
    if (sessions) checkRoundTrip(*sessions);

    auto clock = std::make_shared<fixtora::SettableClock>(kNow);
    auto scheduler = std::make_shared<fixtora::ManualScheduler>(clock);
    auto suite = std::make_shared<fixtora::InMemoryPreferences>();
    suite->setData("recentSessions", fixtora::Preferences::Bytes(text.begin(), text.end()));
    ClientServices services;
    services.clock = clock;
    services.mainScheduler = scheduler;
    services.systemInfo = std::make_shared<fixtora::FixedSystemInfo>();
    services.customDefaults = [suite]() -> std::shared_ptr<fixtora::Preferences> { return suite; };

    auto manager = SessionManager::create(services, scheduler);
    const auto kept = manager->recentSessions();
    check(!sessions || kept.size() <= sessions->size(),
          "loading keeps at most the stored sessions");
    for (const auto& session : kept)
        check(session.startedAt > kNow - SessionManager::kRetentionSeconds,
              "old sessions are dropped");
    (void)manager->averageSessionSeconds();
    (void)manager->previousSessionSeconds();

    // A session of a few seconds is added and the list written back.
    manager->startNewSession();
    scheduler->advance(3);
    manager->handleDidEnterBackgroundNotification();
    scheduler->runUntilIdle();
    (void)manager->averageSessionSeconds();
    const auto written = suite->data("recentSessions");
    check(written.has_value(), "the list stays in the suite");
    manager.reset();
    scheduler->runUntilIdle();
    return 0;
}
