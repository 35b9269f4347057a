// SPDX-License-Identifier: MIT
#include "AnalyticsTestSupport.hpp"

#include "analytics/AnyIdentifiableError.hpp"
#include "analytics/ErrorCategory.hpp"
#include "analytics/PresetSignals.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace analytics::test {
namespace {

using Parameters = std::map<std::string, std::string>;

struct PresetCase {
    const char* name;
    std::function<void(const PresetSignals&)> call;
    const char* signal;
    Parameters parameters;
    std::optional<double> floatValue;
    std::optional<std::string> user;
};

// Names the case in test output; gtest's fallback dumps the raw bytes,
// padding included.
void PrintTo(const PresetCase& c, std::ostream* os) {
    *os << c.name;
}

const AnyIdentifiableError kTimeout = with(fixtora::Error{"APIClient", 504, "The backend did not answer."}, "E-504");

const PresetCase kPresets[] = {
    {"AcquiredUser", [](auto& p) { p.acquiredUser("newsletter"); },
     "Analytics.Acquisition.userAcquired", {{"Analytics.Acquisition.channel", "newsletter"}}, {}, {}},
    {"CallerReplacesAPresetKey",
     [](auto& p) { p.acquiredUser("newsletter", {{"Analytics.Acquisition.channel", "ads"}, {"extra", "1"}}, "u1"); },
     "Analytics.Acquisition.userAcquired", {{"Analytics.Acquisition.channel", "ads"}, {"extra", "1"}}, {}, "u1"},
    {"LeadStarted", [](auto& p) { p.leadStarted("L-1"); },
     "Analytics.Acquisition.leadStarted", {{"Analytics.Acquisition.leadID", "L-1"}}, {}, {}},
    {"LeadConverted", [](auto& p) { p.leadConverted("L-1"); },
     "Analytics.Acquisition.leadConverted", {{"Analytics.Acquisition.leadID", "L-1"}}, {}, {}},
    {"OnboardingCompleted", [](auto& p) { p.onboardingCompleted({{"steps", "4"}}); },
     "Analytics.Activation.onboardingCompleted", {{"steps", "4"}}, {}, {}},
    {"CoreFeatureUsed", [](auto& p) { p.coreFeatureUsed("favourite-team"); },
     "Analytics.Activation.coreFeatureUsed", {{"Analytics.Activation.featureName", "favourite-team"}}, {}, {}},
    {"PaywallShown", [](auto& p) { p.paywallShown("limit"); },
     "Analytics.Revenue.paywallShown", {{"Analytics.Revenue.paywallShowReason", "limit"}}, {}, {}},
    {"ReferralWithoutKind", [](auto& p) { p.referralSent(3); },
     "Analytics.Referral.sent", {{"Analytics.Referral.receiversCount", "3"}}, {}, {}},
    {"ReferralWithKind", [](auto& p) { p.referralSent(12000, "email"); },
     "Analytics.Referral.sent", {{"Analytics.Referral.receiversCount", "12000"}, {"Analytics.Referral.kind", "email"}}, {}, {}},
    {"RatingZero", [](auto& p) { p.userRatingSubmitted(0); },
     "Analytics.Referral.userRatingSubmitted", {{"Analytics.Referral.ratingValue", "0"}}, {}, {}},
    {"RatingTenWithComment", [](auto& p) { p.userRatingSubmitted(10, "Great"); },
     "Analytics.Referral.userRatingSubmitted",
     {{"Analytics.Referral.ratingValue", "10"}, {"Analytics.Referral.ratingComment", "Great"}}, {}, {}},
    {"ErrorWithIdOnly", [](auto& p) { p.errorOccurred("E1", std::nullopt, std::nullopt, {}, 2.5); },
     "Analytics.Error.occurred", {{"Analytics.Error.id", "E1"}}, 2.5, {}},
    {"ErrorWithCategoryAndMessage", [](auto& p) { p.errorOccurred("E2", ErrorCategory::userInput, "Bad date"); },
     "Analytics.Error.occurred",
     {{"Analytics.Error.id", "E2"}, {"Analytics.Error.category", "user-input"}, {"Analytics.Error.message", "Bad date"}},
     {}, {}},
    {"IdentifiableErrorTakesItsDescription",
     [](auto& p) { p.errorOccurred(kTimeout, ErrorCategory::thrownException, {}, 1.0, "u2"); },
     "Analytics.Error.occurred",
     {{"Analytics.Error.id", "E-504"}, {"Analytics.Error.category", "thrown-exception"},
      {"Analytics.Error.message", "The backend did not answer."}},
     1.0, "u2"},
    {"IdentifiableErrorWithoutMessage",
     [](auto& p) { p.errorOccurred(kTimeout, ErrorCategory::appState, std::optional<std::string>{}); },
     "Analytics.Error.occurred", {{"Analytics.Error.id", "E-504"}, {"Analytics.Error.category", "app-state"}}, {}, {}},
};

class PresetTest : public ::testing::TestWithParam<PresetCase> {};

TEST_P(PresetTest, SendsItsNameKeysAndTheCallersParameters) {
    RecordingServices r;
    GetParam().call(PresetSignals(r.services()));
    const auto sent = r.signals();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, GetParam().signal);
    EXPECT_EQ(sent[0].parameters, GetParam().parameters);
    EXPECT_EQ(sent[0].floatValue, GetParam().floatValue);
    EXPECT_EQ(sent[0].customUserID, GetParam().user);
}

INSTANTIATE_TEST_SUITE_P(Presets, PresetTest, ::testing::ValuesIn(kPresets),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(RatingPreset, RatingsOutsideZeroToTenAreRefusedWithALogMessage) {
    for (const int rating : {-1, 11, 1000}) {
        RecordingServices r;
        PresetSignals(r.services()).userRatingSubmitted(rating, "x");
        EXPECT_TRUE(r.signals().empty()) << rating;
        ASSERT_EQ(r.logs().size(), 1u) << rating;
        EXPECT_EQ(r.logs()[0].first, LogHandler::LogLevel::error);
        EXPECT_EQ(r.logs()[0].second, "Rating must be between 0 and 10");
    }
}

TEST(ErrorCategoryText, OnlyTheExactRawValuesNameACategory) {
    EXPECT_EQ(errorCategoryFromRawValue("thrown-exception"), ErrorCategory::thrownException);
    EXPECT_EQ(errorCategoryFromRawValue("user-input"), ErrorCategory::userInput);
    EXPECT_EQ(errorCategoryFromRawValue("app-state"), ErrorCategory::appState);
    for (const char* other : {"User-Input", "user_input", "", "userInput", "app-state "})
        EXPECT_FALSE(errorCategoryFromRawValue(other)) << other;
}

}  // namespace
}  // namespace analytics::test
