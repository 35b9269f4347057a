// SPDX-License-Identifier: MIT
#include "platform/ManualScheduler.hpp"
#include "platform/ObserverList.hpp"
#include "platform/Paths.hpp"
#include "platform/PostWhileAlive.hpp"
#include "platform/WorkerScheduler.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
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

TEST(ObserverList, ObserversComeAndGoEvenWhileBeingCalled) {
    ObserverList<const std::string&> list;
    std::vector<std::string> log;
    std::optional<Subscription> first, second, late;
    first = list.add([&](const std::string& s) {
        log.push_back("1" + s);
        first.reset();   // removes itself
        second.reset();  // and the next one, before its turn
        late = list.add([&](const std::string& t) { log.push_back("3" + t); });
    });
    second = list.add([&](const std::string& s) { log.push_back("2" + s); });
    Subscription third = list.add([&](const std::string& s) { log.push_back("4" + s); });
    list.notify("a");
    list.notify("b");
    EXPECT_EQ(log, (std::vector<std::string>{"1a", "4a", "4b", "3b"}));
    EXPECT_EQ(list.size(), 2u);
    third = Subscription{};  // moving over a subscription ends the old one
    EXPECT_EQ(list.size(), 1u);
    auto list2 = std::make_unique<ObserverList<const std::string&>>();
    late = list2->add([](const std::string&) {});
    list2.reset();
    late.reset();  // outlives its list
}

TEST(ObserverList, NotifyAndUnsubscribeFromManyThreads) {
    ObserverList<int> list;
    std::atomic<int> calls{0};
    Subscription steady = list.add([&](int n) { calls += n; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto passing = list.add([](int) {});
                list.notify(1);
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(std::pair(calls.load(), list.size()), std::pair(800, std::size_t{1}));
}

TEST(PostWhileAlive, RunsOnlyWhileOwnerAndSchedulerLive) {
    auto scheduler = std::make_shared<ManualScheduler>();
    auto owner = std::make_shared<int>(0);
    const std::weak_ptr<int> weak = owner;
    postWhileAlive(*scheduler, weak, [](int& n) { n += 1; });
    postWhileAlive(std::weak_ptr<Scheduler>(scheduler), weak, [](int& n) { n += 10; });
    EXPECT_EQ(*owner, 0);  // only on the scheduler's turn
    scheduler->runUntilIdle();
    EXPECT_EQ(*owner, 11);
    postWhileAlive(std::weak_ptr<Scheduler>(std::make_shared<ManualScheduler>()), weak,
                   [](int& n) { n = -1; });

    bool ran = false;
    postWhileAlive(*scheduler, weak, [&](int&) { ran = true; });
    owner.reset();  // gone between the post and the run
    EXPECT_EQ(scheduler->runUntilIdle(), 1u);
    postWhileAlive(*scheduler, weak, [&](int&) { ran = true; });
    EXPECT_EQ(scheduler->runUntilIdle(), 0u);  // not even posted
    EXPECT_FALSE(ran);
}

TEST(XdgPaths, UsesAbsoluteXdgVariablesElseHomeFallbacks) {
    // This program's own environment: nothing else in it reads these.
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CACHE_HOME", "/var/cache-x", 1);
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(XdgPaths().cachesDir().string() + " " + XdgPaths().configDir().string(),
              "/var/cache-x /home/someone/.config");
    unsetenv("XDG_CACHE_HOME");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(XdgPaths().cachesDir().string() + " " + XdgPaths().runtimeDir().string(),
              "/home/someone/.cache /home/someone/.cache");
}
