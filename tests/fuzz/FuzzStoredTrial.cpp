// SPDX-License-Identifier: MIT
// The remembered free trial ("lastTrial" in the client's preferences suite).

#include "FuzzCheck.hpp"

#include "analytics/TrialConversionTracker.hpp"

using analytics::TrialConversionTracker;
using fixtora::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto trial =
        TrialConversionTracker::decode(std::string(fixtora::fuzz::asText(data, size)));
    if (!trial) return 0;
    const auto again =
        TrialConversionTracker::decode(TrialConversionTracker::encode(*trial).value());
    check(again == trial, "a stored trial writes back as itself");
    return 0;
}
