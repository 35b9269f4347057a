// SPDX-License-Identifier: MIT
#include "analytics/PresetSignals.hpp"

namespace analytics {

void PresetSignals::send(const std::string& signalType, Parameters own,
                         const Parameters& parameters, std::optional<double> floatValue,
                         const UserID& customUserID) const {
    for (const auto& [key, value] : parameters) own[key] = value;  // the caller's value wins
    m_services.send(signalType, own, floatValue, customUserID);
}

void PresetSignals::acquiredUser(const std::string& channel, const Parameters& parameters,
                                 const UserID& customUserID) const {
    send("Analytics.Acquisition.userAcquired", {{"Analytics.Acquisition.channel", channel}},
         parameters, std::nullopt, customUserID);
}

void PresetSignals::leadStarted(const std::string& leadID, const Parameters& parameters,
                                const UserID& customUserID) const {
    send("Analytics.Acquisition.leadStarted", {{"Analytics.Acquisition.leadID", leadID}},
         parameters, std::nullopt, customUserID);
}

void PresetSignals::leadConverted(const std::string& leadID, const Parameters& parameters,
                                  const UserID& customUserID) const {
    send("Analytics.Acquisition.leadConverted", {{"Analytics.Acquisition.leadID", leadID}},
         parameters, std::nullopt, customUserID);
}

void PresetSignals::onboardingCompleted(const Parameters& parameters,
                                        const UserID& customUserID) const {
    send("Analytics.Activation.onboardingCompleted", {}, parameters, std::nullopt, customUserID);
}

void PresetSignals::coreFeatureUsed(const std::string& featureName, const Parameters& parameters,
                                    const UserID& customUserID) const {
    send("Analytics.Activation.coreFeatureUsed",
         {{"Analytics.Activation.featureName", featureName}}, parameters, std::nullopt,
         customUserID);
}

void PresetSignals::paywallShown(const std::string& reason, const Parameters& parameters,
                                 const UserID& customUserID) const {
    send("Analytics.Revenue.paywallShown", {{"Analytics.Revenue.paywallShowReason", reason}},
         parameters, std::nullopt, customUserID);
}

void PresetSignals::referralSent(int receiversCount, const std::optional<std::string>& kind,
                                 const Parameters& parameters, const UserID& customUserID) const {
    Parameters own{{"Analytics.Referral.receiversCount", std::to_string(receiversCount)}};
    if (kind) own["Analytics.Referral.kind"] = *kind;
    send("Analytics.Referral.sent", std::move(own), parameters, std::nullopt, customUserID);
}

void PresetSignals::userRatingSubmitted(int rating, const std::optional<std::string>& comment,
                                        const Parameters& parameters,
                                        const UserID& customUserID) const {
    if (rating < 0 || rating > 10) {
        m_services.logMessage(LogHandler::LogLevel::error, "Rating must be between 0 and 10");
        return;
    }
    Parameters own{{"Analytics.Referral.ratingValue", std::to_string(rating)}};
    if (comment) own["Analytics.Referral.ratingComment"] = *comment;
    send("Analytics.Referral.userRatingSubmitted", std::move(own), parameters, std::nullopt,
         customUserID);
}

void PresetSignals::errorOccurred(const std::string& id,
                                  const std::optional<ErrorCategory>& category,
                                  const std::optional<std::string>& message,
                                  const Parameters& parameters, std::optional<double> floatValue,
                                  const UserID& customUserID) const {
    Parameters own{{"Analytics.Error.id", id}};
    if (category) own["Analytics.Error.category"] = std::string(rawValue(*category));
    if (message) own["Analytics.Error.message"] = *message;
    send("Analytics.Error.occurred", std::move(own), parameters, floatValue, customUserID);
}

void PresetSignals::errorOccurred(const IdentifiableError& identifiableError,
                                  ErrorCategory category, const Parameters& parameters,
                                  std::optional<double> floatValue,
                                  const UserID& customUserID) const {
    errorOccurred(identifiableError.id(), category, identifiableError.localizedDescription(),
                  parameters, floatValue, customUserID);
}

void PresetSignals::errorOccurred(const IdentifiableError& identifiableError,
                                  ErrorCategory category, const std::optional<std::string>& message,
                                  const Parameters& parameters, std::optional<double> floatValue,
                                  const UserID& customUserID) const {
    errorOccurred(identifiableError.id(), category, message, parameters, floatValue, customUserID);
}

namespace Analytics {
namespace {
PresetSignals presets() {
    return PresetSignals(ClientServices::production());
}
}  // namespace

void acquiredUser(const std::string& channel, const PresetParameters& parameters,
                  const std::optional<std::string>& customUserID) {
    presets().acquiredUser(channel, parameters, customUserID);
}
void leadStarted(const std::string& leadID, const PresetParameters& parameters,
                 const std::optional<std::string>& customUserID) {
    presets().leadStarted(leadID, parameters, customUserID);
}
void leadConverted(const std::string& leadID, const PresetParameters& parameters,
                   const std::optional<std::string>& customUserID) {
    presets().leadConverted(leadID, parameters, customUserID);
}
void onboardingCompleted(const PresetParameters& parameters,
                         const std::optional<std::string>& customUserID) {
    presets().onboardingCompleted(parameters, customUserID);
}
void coreFeatureUsed(const std::string& featureName, const PresetParameters& parameters,
                     const std::optional<std::string>& customUserID) {
    presets().coreFeatureUsed(featureName, parameters, customUserID);
}
void paywallShown(const std::string& reason, const PresetParameters& parameters,
                  const std::optional<std::string>& customUserID) {
    presets().paywallShown(reason, parameters, customUserID);
}
void referralSent(int receiversCount, const std::optional<std::string>& kind,
                  const PresetParameters& parameters,
                  const std::optional<std::string>& customUserID) {
    presets().referralSent(receiversCount, kind, parameters, customUserID);
}
void userRatingSubmitted(int rating, const std::optional<std::string>& comment,
                         const PresetParameters& parameters,
                         const std::optional<std::string>& customUserID) {
    presets().userRatingSubmitted(rating, comment, parameters, customUserID);
}
void errorOccurred(const std::string& id, const std::optional<ErrorCategory>& category,
                   const std::optional<std::string>& message, const PresetParameters& parameters,
                   std::optional<double> floatValue,
                   const std::optional<std::string>& customUserID) {
    presets().errorOccurred(id, category, message, parameters, floatValue, customUserID);
}
void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                   const PresetParameters& parameters, std::optional<double> floatValue,
                   const std::optional<std::string>& customUserID) {
    presets().errorOccurred(identifiableError, category, parameters, floatValue, customUserID);
}
void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                   const std::optional<std::string>& message, const PresetParameters& parameters,
                   std::optional<double> floatValue,
                   const std::optional<std::string>& customUserID) {
    presets().errorOccurred(identifiableError, category, message, parameters, floatValue,
                            customUserID);
}

}  // namespace Analytics
}  // namespace analytics
