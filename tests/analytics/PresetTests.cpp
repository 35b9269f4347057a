// SPDX-License-Identifier: MIT
// Presets that only pair a name with a key are left to the whole-app tests;
// these pin the optional keys, the caller's overrides and the limits.
#include "AnalyticsTestSupport.hpp"

#include "analytics/AnyIdentifiableError.hpp"
#include "analytics/ErrorCategory.hpp"
#include "analytics/PresetSignals.hpp"

#include <gtest/gtest.h>

namespace analytics::test {
namespace {

using Parameters = std::map<std::string, std::string>;

TEST(PresetSignals, SendTheirNameKeysAndTheCallersParameters) {
    RecordingServices r;
    PresetSignals p(r.services());
    const auto sent = [&](const std::string& type, const Parameters& parameters,
                          std::optional<double> value = {}, std::optional<std::string> user = {}) {
        const auto all = r.signals();
        ASSERT_EQ(all.size(), 1u) << type;
        EXPECT_EQ(all[0].type, type);
        EXPECT_EQ(all[0].parameters, parameters) << type;
        EXPECT_EQ(all[0].floatValue, value) << type;
        EXPECT_EQ(all[0].customUserID, user) << type;
        r.clear();
    };
    const std::string error = "Analytics.Error.", referral = "Analytics.Referral.";
    p.acquiredUser("news", {{"Analytics.Acquisition.channel", "ad"}, {"x", "1"}}, "u");
    sent("Analytics.Acquisition.userAcquired",
         {{"Analytics.Acquisition.channel", "ad"}, {"x", "1"}}, {}, "u");
    p.referralSent(3);
    sent(referral + "sent", {{referral + "receiversCount", "3"}});
    p.referralSent(12000, "email");
    sent(referral + "sent", {{referral + "receiversCount", "12000"}, {referral + "kind", "email"}});
    p.userRatingSubmitted(0);
    sent(referral + "userRatingSubmitted", {{referral + "ratingValue", "0"}});
    p.userRatingSubmitted(10, "Great");
    sent(referral + "userRatingSubmitted",
         {{referral + "ratingValue", "10"}, {referral + "ratingComment", "Great"}});
    p.errorOccurred("E1", std::nullopt, std::nullopt, {}, 2.5);
    sent(error + "occurred", {{error + "id", "E1"}}, 2.5);
    p.errorOccurred("E2", ErrorCategory::userInput, "Bad");
    sent(error + "occurred",
         {{error + "id", "E2"}, {error + "category", "user-input"}, {error + "message", "Bad"}});
    const auto timeout = with(fixtora::Error{"APIClient", 504, "No answer."}, "E-504");
    p.errorOccurred(timeout, ErrorCategory::thrownException, {}, 1.0, "u");
    sent(error + "occurred",
         {{error + "id", "E-504"},
          {error + "category", "thrown-exception"},
          {error + "message", "No answer."}},
         1.0, "u");
    p.errorOccurred(timeout, ErrorCategory::appState, std::optional<std::string>{});
    sent(error + "occurred", {{error + "id", "E-504"}, {error + "category", "app-state"}});
}

TEST(PresetSignals, RatingsOutsideZeroToTenAreRefusedWithALogMessage) {
    for (const int rating : {-1, 11}) {
        RecordingServices r;
        PresetSignals(r.services()).userRatingSubmitted(rating, "x");
        EXPECT_TRUE(r.signals().empty()) << rating;
        EXPECT_EQ(r.logs(), (std::vector<RecordingLog::Entry>{
                                {LogHandler::LogLevel::error, "Rating must be between 0 and 10"}}));
    }
}

TEST(ErrorCategoryText, OnlyTheExactRawValuesNameACategory) {
    EXPECT_EQ(errorCategoryFromRawValue("thrown-exception"), ErrorCategory::thrownException);
    EXPECT_EQ(errorCategoryFromRawValue("user-input"), ErrorCategory::userInput);
    EXPECT_EQ(errorCategoryFromRawValue("app-state"), ErrorCategory::appState);
    for (const char* other : {"User-Input", "user_input", "", "app-state "})
        EXPECT_FALSE(errorCategoryFromRawValue(other)) << other;
}

}  // namespace
}  // namespace analytics::test
