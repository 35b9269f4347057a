// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace analytics {

/// Why a batch was not accepted.
class AnalyticsError {
  public:
    enum class Kind {
        invalidStatusCode,
        unauthorised,
        forbidden,
        payloadTooLarge,
        invalidEndpointUrl
    };

    static AnalyticsError invalidStatusCode(int statusCode) {
        return {Kind::invalidStatusCode, statusCode};
    }
    static AnalyticsError unauthorised() { return {Kind::unauthorised, 401}; }
    static AnalyticsError forbidden() { return {Kind::forbidden, 403}; }
    static AnalyticsError payloadTooLarge() { return {Kind::payloadTooLarge, 413}; }
    static AnalyticsError invalidEndpointUrl() { return {Kind::invalidEndpointUrl, 0}; }

    Kind kind() const { return m_kind; }
    int statusCode() const { return m_statusCode; }
    /// "Unauthorized (401)", "Invalid status code 500", ...
    std::string description() const;

    friend bool operator==(const AnalyticsError&, const AnalyticsError&) = default;

  private:
    AnalyticsError(Kind kind, int statusCode) : m_kind(kind), m_statusCode(statusCode) {}
    Kind m_kind;
    int m_statusCode;
};

}  // namespace analytics
