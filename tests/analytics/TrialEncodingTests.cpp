// SPDX-License-Identifier: MIT
// A remembered trial whose product identifier cannot be written as JSON.
#include "AnalyticsTestSupport.hpp"

#include "analytics/TrialConversionTracker.hpp"

#include <gtest/gtest.h>

namespace analytics::test {
namespace {

TEST(TrialEncodingTest, ATrialThatCannotBeEncodedIsForgottenNotFatal) {
    RecordingServices r;
    auto tracker = TrialConversionTracker::create(r.services(), nullptr, r.scheduler);
    tracker->setCurrentTrial(TrialConversionTracker::StoredTrial{"fixtora.pro", 7});
    r.scheduler->runUntilIdle();
    ASSERT_TRUE(tracker->currentTrial());

    // Not UTF-8: a trial stored under another identifier would never convert.
    tracker->setCurrentTrial(TrialConversionTracker::StoredTrial{"fixtora.pro\xff", 8});
    r.scheduler->runUntilIdle();
    EXPECT_FALSE(r.suite->contains("lastTrial"));
}

}  // namespace
}  // namespace analytics::test
