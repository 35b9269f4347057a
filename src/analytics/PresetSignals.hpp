// SPDX-License-Identifier: MIT
#pragma once

#include "analytics/ClientServices.hpp"
#include "analytics/ErrorCategory.hpp"
#include "analytics/IdentifiableError.hpp"

#include <map>
#include <optional>
#include <string>

namespace analytics {

/// Ready-made signals for common product events. Each builds its own
/// parameters, lets the caller's parameters replace them on a clash and
/// sends through the internal entry point (no prefixes, no warnings).
class PresetSignals final {
  public:
    using Parameters = std::map<std::string, std::string>;
    using UserID = std::optional<std::string>;

    explicit PresetSignals(ClientServices services) : m_services(std::move(services)) {}

    void acquiredUser(const std::string& channel, const Parameters& parameters = {},
                      const UserID& customUserID = {}) const;
    void leadStarted(const std::string& leadID, const Parameters& parameters = {},
                     const UserID& customUserID = {}) const;
    void leadConverted(const std::string& leadID, const Parameters& parameters = {},
                       const UserID& customUserID = {}) const;
    void onboardingCompleted(const Parameters& parameters = {},
                             const UserID& customUserID = {}) const;
    void coreFeatureUsed(const std::string& featureName, const Parameters& parameters = {},
                         const UserID& customUserID = {}) const;
    void paywallShown(const std::string& reason, const Parameters& parameters = {},
                      const UserID& customUserID = {}) const;
    void referralSent(int receiversCount, const std::optional<std::string>& kind = std::nullopt,
                      const Parameters& parameters = {}, const UserID& customUserID = {}) const;
    /// Only ratings 0 to 10 are sent; others log "Rating must be between 0 and 10".
    void userRatingSubmitted(int rating, const std::optional<std::string>& comment = std::nullopt,
                             const Parameters& parameters = {},
                             const UserID& customUserID = {}) const;
    void errorOccurred(const std::string& id,
                       const std::optional<ErrorCategory>& category = std::nullopt,
                       const std::optional<std::string>& message = std::nullopt,
                       const Parameters& parameters = {},
                       std::optional<double> floatValue = std::nullopt,
                       const UserID& customUserID = {}) const;
    /// The message is the error's localized description.
    void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                       const Parameters& parameters = {},
                       std::optional<double> floatValue = std::nullopt,
                       const UserID& customUserID = {}) const;
    /// The message only when given.
    void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                       const std::optional<std::string>& message, const Parameters& parameters = {},
                       std::optional<double> floatValue = std::nullopt,
                       const UserID& customUserID = {}) const;

  private:
    void send(const std::string& signalType, Parameters own, const Parameters& parameters,
              std::optional<double> floatValue, const UserID& customUserID) const;

    ClientServices m_services;
};

/// The presets on the client's current configuration (see `PresetSignals`).
namespace Analytics {

using PresetParameters = std::map<std::string, std::string>;

void acquiredUser(const std::string& channel, const PresetParameters& parameters = {},
                  const std::optional<std::string>& customUserID = std::nullopt);
void leadStarted(const std::string& leadID, const PresetParameters& parameters = {},
                 const std::optional<std::string>& customUserID = std::nullopt);
void leadConverted(const std::string& leadID, const PresetParameters& parameters = {},
                   const std::optional<std::string>& customUserID = std::nullopt);
void onboardingCompleted(const PresetParameters& parameters = {},
                         const std::optional<std::string>& customUserID = std::nullopt);
void coreFeatureUsed(const std::string& featureName, const PresetParameters& parameters = {},
                     const std::optional<std::string>& customUserID = std::nullopt);
void paywallShown(const std::string& reason, const PresetParameters& parameters = {},
                  const std::optional<std::string>& customUserID = std::nullopt);
void referralSent(int receiversCount, const std::optional<std::string>& kind = std::nullopt,
                  const PresetParameters& parameters = {},
                  const std::optional<std::string>& customUserID = std::nullopt);
void userRatingSubmitted(int rating, const std::optional<std::string>& comment = std::nullopt,
                         const PresetParameters& parameters = {},
                         const std::optional<std::string>& customUserID = std::nullopt);
void errorOccurred(const std::string& id,
                   const std::optional<ErrorCategory>& category = std::nullopt,
                   const std::optional<std::string>& message = std::nullopt,
                   const PresetParameters& parameters = {},
                   std::optional<double> floatValue = std::nullopt,
                   const std::optional<std::string>& customUserID = std::nullopt);
void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                   const PresetParameters& parameters = {},
                   std::optional<double> floatValue = std::nullopt,
                   const std::optional<std::string>& customUserID = std::nullopt);
void errorOccurred(const IdentifiableError& identifiableError, ErrorCategory category,
                   const std::optional<std::string>& message,
                   const PresetParameters& parameters = {},
                   std::optional<double> floatValue = std::nullopt,
                   const std::optional<std::string>& customUserID = std::nullopt);

}  // namespace Analytics
}  // namespace analytics
