// SPDX-License-Identifier: MIT
#include "platform/ManualScheduler.hpp"
#include "platform/ObserverList.hpp"
#include "platform/PostWhileAlive.hpp"

#include <gtest/gtest.h>

#include <memory>
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
