// SPDX-License-Identifier: MIT
#include "platform/ManualScheduler.hpp"
#include "platform/WorkerScheduler.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <numeric>
#include <string>
#include <vector>

using namespace fixtora;

// Posted tasks run before the next timer, even one due at the same instant.
TEST(ManualScheduler, TimersFireInDueOrderYieldToPostedTasksAndRunUntilWaitsForOtherThreads) {
    auto clock = std::make_shared<SettableClock>(1000);
    ManualScheduler s(clock);
    std::vector<std::string> log;
    const auto note = [&](const char* what) {
        return [&, what] { log.push_back(what + std::to_string(int(clock->now()))); };
    };
    s.scheduleOnce(5, note("a@"));
    auto first = s.scheduleOnce(2, [&] {
        note("b@")();
        s.post(note("posted@"));
        s.scheduleOnce(0, note("now@"));
    });
    s.scheduleOnce(2, note("c@"));
    s.advance(1.9);
    EXPECT_TRUE(log.empty());
    s.advance(3.1);
    EXPECT_EQ(log,
              (std::vector<std::string>{"b@1002", "posted@1002", "c@1002", "now@1002", "a@1005"}));
    EXPECT_TRUE(!first->isValid() && s.timerCount() == 0);

    int ticks = 0;
    auto timer = s.scheduleRepeating(10, [&] { ++ticks; });
    s.advance(35);
    EXPECT_EQ(ticks, 3);
    EXPECT_NEAR(*s.nextTimerDelay(), 5, 1e-9);
    timer->invalidate();
    s.advance(100);
    EXPECT_TRUE(ticks == 3 && !s.nextTimerDelay());

    SCOPED_TRACE("runUntil waits for posts from other threads");
    std::atomic<bool> ran{false};
    std::thread other([&] { s.post([&] { ran = s.isCurrent(); }); });
    EXPECT_TRUE(s.runUntil([&] { return ran.load(); }));
    other.join();
    EXPECT_FALSE(s.runUntil([] { return false; }, std::chrono::milliseconds(10)));
}

TEST(WorkerScheduler, RunsPostsSeriallyOnItsOwnThreadAndTimersUnlessInvalidated) {
    WorkerScheduler w("test");
    std::vector<int> seen, expected(1000);
    std::iota(expected.begin(), expected.end(), 0);
    std::atomic<bool> onWorker{true};
    for (int i : expected)
        w.post([&, i] {
            onWorker = onWorker && w.isCurrent();
            seen.push_back(i);
        });
    std::promise<void> fired;
    std::atomic<int> cancelledRuns{0};
    // Half a second leaves room to invalidate it first even on a slow run
    // (under Valgrind, or with every core busy).
    w.scheduleOnce(0.5, [&] { ++cancelledRuns; })->invalidate();
    w.scheduleOnce(0.55, [&] { fired.set_value(); });
    EXPECT_EQ(fired.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    w.drain();
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(onWorker && !w.isCurrent() && cancelledRuns == 0);
}
