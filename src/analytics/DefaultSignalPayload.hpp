// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <string>

namespace analytics {

/// The standard parameters of every signal (device, system, application,
/// calendar, retention...). The signal manager calls `parameters()` once per
/// signal on the main scheduler and layers the enrichers' and the signal's
/// own parameters on top. Reach the platform through
/// `AnalyticsManager::shared()->environment()` or
/// `Analytics::defaultEnvironment()`.
struct DefaultSignalPayload {
    static std::map<std::string, std::string> parameters();
};

}  // namespace analytics
