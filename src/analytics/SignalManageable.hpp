// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace analytics {

class AnalyticsConfiguration;

/// What the entry points need of a signal manager.
class SignalManageable {
  public:
    virtual ~SignalManageable() = default;

    /// Queues one signal; returns at once.
    virtual void processSignal(const std::string& signalType,
                               std::map<std::string, std::string> parameters,
                               std::optional<double> floatValue,
                               std::optional<std::string> customUserID,
                               std::shared_ptr<AnalyticsConfiguration> configuration) = 0;

    /// Posts the next batch of queued signals now; returns at once.
    virtual void attemptToSendNextBatchOfCachedSignals() = 0;

    /// The installation's user identifier (see `SignalManager`).
    virtual std::string defaultUserIdentifier() = 0;
};

}  // namespace analytics
