// SPDX-License-Identifier: MIT
#include "platform/ManualScheduler.hpp"
#include "platform/WorkerScheduler.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <vector>

using namespace fixtora;

TEST(ManualScheduler, TimersFireInDueOrderAndMoveTheClock) {
    auto clock = std::make_shared<SettableClock>(1000);
    ManualScheduler s(clock);
    std::vector<std::string> log;
    s.scheduleOnce(5, [&] { log.push_back("a@" + std::to_string(int(clock->now()))); });
    s.scheduleOnce(2, [&] { log.push_back("b@" + std::to_string(int(clock->now()))); });
    s.scheduleOnce(2, [&] { log.push_back("c@" + std::to_string(int(clock->now()))); });
    s.advance(1.9);
    EXPECT_TRUE(log.empty());
    s.advance(3.1);
    EXPECT_EQ(log, (std::vector<std::string>{"b@1002", "c@1002", "a@1005"}));
    EXPECT_DOUBLE_EQ(clock->now(), 1005);
    EXPECT_EQ(s.timerCount(), 0u);
}

TEST(ManualScheduler, RepeatingTimersTickUntilInvalidated) {
    ManualScheduler s;
    int ticks = 0;
    auto timer = s.scheduleRepeating(10, [&] { ++ticks; });
    s.advance(35);
    EXPECT_EQ(ticks, 3);
    EXPECT_NEAR(*s.nextTimerDelay(), 5, 1e-9);
    timer->invalidate();
    EXPECT_FALSE(timer->isValid());
    s.advance(100);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(s.nextTimerDelay());
}

// Posted tasks run before the next timer, even one due at the same instant.
TEST(ManualScheduler, OneShotIsInvalidAfterFiringAndPostedTasksRunBeforeLaterTimers) {
    ManualScheduler s;
    std::vector<int> order;
    std::shared_ptr<Timer> t;
    t = s.scheduleOnce(1, [&] {
        order.push_back(1);
        s.post([&] { order.push_back(3); });
        s.scheduleOnce(0, [&] { order.push_back(4); });
    });
    s.scheduleOnce(1, [&] { order.push_back(2); });
    s.advance(1);
    EXPECT_EQ(order, (std::vector<int>{1, 3, 2, 4}));
    EXPECT_FALSE(t->isValid());
}

TEST(ManualScheduler, RunUntilWaitsForPostsFromOtherThreads) {
    ManualScheduler s;
    std::atomic<bool> ran{false};
    std::thread other([&] { s.post([&] { ran = s.isCurrent(); }); });
    EXPECT_TRUE(s.runUntil([&] { return ran.load(); }));
    other.join();
    EXPECT_FALSE(s.runUntil([] { return false; }, std::chrono::milliseconds(10)));
}

TEST(WorkerScheduler, RunsPostsSeriallyOnItsOwnThread) {
    WorkerScheduler w("test");
    std::vector<int> seen;
    std::atomic<bool> onWorker{true};
    for (int i = 0; i < 1000; ++i) {
        w.post([&, i] {
            if (!w.isCurrent()) onWorker = false;
            seen.push_back(i);
        });
    }
    w.drain();
    ASSERT_EQ(seen.size(), 1000u);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(seen[i], i);
    EXPECT_TRUE(onWorker);
    EXPECT_FALSE(w.isCurrent());
}

TEST(WorkerScheduler, TimersFireAndCanBeInvalidated) {
    WorkerScheduler w;
    std::promise<void> fired;
    std::atomic<int> cancelledRuns{0};
    // Half a second leaves room to invalidate it first even on a slow run
    // (under Valgrind, or with every core busy).
    auto cancelled = w.scheduleOnce(0.5, [&] { ++cancelledRuns; });
    cancelled->invalidate();
    w.scheduleOnce(0.55, [&] { fired.set_value(); });
    EXPECT_EQ(fired.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
    w.drain();
    EXPECT_EQ(cancelledRuns, 0);
}
