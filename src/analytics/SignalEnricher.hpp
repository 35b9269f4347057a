// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <optional>
#include <string>

namespace analytics {

/// Adds parameters to each signal. Called on a background thread.
class SignalEnricher {
  public:
    virtual ~SignalEnricher() = default;
    /// `customUserID` is the caller's own identifier, absent if none was given.
    virtual std::map<std::string, std::string> enrich(
        const std::string& signalType, const std::optional<std::string>& customUserID,
        std::optional<double> floatValue) = 0;
};

}  // namespace analytics
