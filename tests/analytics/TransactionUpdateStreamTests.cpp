// SPDX-License-Identifier: MIT
#include "analytics/TransactionUpdates.hpp"

#include <gtest/gtest.h>

#include <vector>

using namespace analytics;

namespace {

TransactionUpdate update(std::uint64_t id) {
    TransactionUpdate u;
    u.transaction.originalID = id;
    return u;
}

TEST(TransactionUpdateStream, DeliversInOrderUntilTheHandleGoesOrTheStreamEnds) {
    auto stream = std::make_shared<TransactionUpdateStream>();
    std::vector<std::uint64_t> first, second;
    auto dropped = stream->observe(
        [&](const TransactionUpdate& u) { first.push_back(u.transaction.originalID); });
    auto kept = stream->observe(
        [&](const TransactionUpdate& u) { second.push_back(u.transaction.originalID); });
    stream->publish(update(1));
    dropped.reset();
    stream->publish(update(2));
    EXPECT_EQ(first, (std::vector<std::uint64_t>{1}));
    EXPECT_EQ(second, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(stream->observerCount(), 1u);

    stream->finish();
    EXPECT_TRUE(kept->isCancelled());
    stream->publish(update(3));
    const auto late = stream->observe([&](const TransactionUpdate&) { first.push_back(0); });
    stream->publish(update(4));
    EXPECT_TRUE(late->isCancelled());
    EXPECT_EQ(second, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(first, (std::vector<std::uint64_t>{1}));
    EXPECT_EQ(stream->observerCount(), 0u);
}

}  // namespace
