// SPDX-License-Identifier: MIT
#include "platform/ManualScheduler.hpp"
#include "platform/ObserverList.hpp"
#include "platform/PostWhileAlive.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace fixtora;

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
}

TEST(ObserverList, SubscriptionMayOutliveTheList) {
    Subscription kept;
    {
        ObserverList<> list;
        kept = list.add([] {});
    }
    EXPECT_TRUE(kept.active());
    kept.reset();
    EXPECT_FALSE(kept.active());
}

TEST(ObserverList, NotifyAndUnsubscribeFromManyThreads) {
    ObserverList<int> list;
    std::atomic<int> calls{0};
    Subscription steady = list.add([&](int n) { calls += n; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto passing = list.add([](int) {});
                list.notify(1);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(calls, 800);
    EXPECT_EQ(list.size(), 1u);
}

TEST(PostWhileAlive, RunsOnlyWhileTheOwnerLives) {
    auto scheduler = std::make_shared<ManualScheduler>();
    auto owner = std::make_shared<int>(0);
    const std::weak_ptr<int> weak = owner;
    postWhileAlive(*scheduler, weak, [](int& n) { n += 1; });
    postWhileAlive(std::weak_ptr<Scheduler>(scheduler), weak, [](int& n) { n += 10; });
    EXPECT_EQ(*owner, 0);  // only on the scheduler's turn
    scheduler->runUntilIdle();
    EXPECT_EQ(*owner, 11);

    bool ran = false;
    postWhileAlive(*scheduler, weak, [&](int&) { ran = true; });
    owner.reset();  // gone between the post and the run
    EXPECT_EQ(scheduler->runUntilIdle(), 1u);
    postWhileAlive(*scheduler, weak, [&](int&) { ran = true; });
    EXPECT_EQ(scheduler->runUntilIdle(), 0u);  // not even posted
    EXPECT_FALSE(ran);
}

TEST(PostWhileAlive, NothingHappensOnceTheSchedulerIsGone) {
    auto owner = std::make_shared<int>(0);
    std::weak_ptr<Scheduler> gone = std::make_shared<ManualScheduler>();
    postWhileAlive(gone, std::weak_ptr<int>(owner), [](int& n) { n = 1; });
    EXPECT_EQ(*owner, 0);
}
