// SPDX-License-Identifier: MIT
#include "analytics/AnalyticsError.hpp"

namespace analytics {

std::string AnalyticsError::description() const {
    switch (m_kind) {
        case Kind::invalidStatusCode:
            return "Invalid status code " + std::to_string(m_statusCode);
        case Kind::unauthorised:
            return "Unauthorized (401)";
        case Kind::forbidden:
            return "Forbidden (403)";
        case Kind::payloadTooLarge:
            return "Payload is too large (413)";
        case Kind::invalidEndpointUrl:
            return "Invalid endpoint URL";
    }
    return {};
}

}  // namespace analytics
