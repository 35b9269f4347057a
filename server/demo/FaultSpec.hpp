// SPDX-License-Identifier: MIT
#pragma once

#include "DemoBackend.hpp"
#include "platform/Result.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace fixtora::demo {

/// A fault for one endpoint as written on the command line:
/// "ENDPOINT:FIELD[,FIELD...]" with ENDPOINT one of schedule, scoreboard,
/// crest, ingest, feed and FIELD one of status=CODE, delay=SECONDS,
/// malformed[=0|1], drop[=0|1], truncate[=0|1] (send half the body, then hang
/// up), huge=MEGABYTES (a body that large, streamed; 0 for none); for example
/// "scoreboard:status=503,delay=2" or "schedule:huge=100".
struct FaultSpec {
    Endpoint endpoint = Endpoint::Schedule;
    Fault fault;

    /// Parses `text`. The fields it names are set on the fault that `earlier`
    /// holds for the endpoint (none when absent), so that several specs for
    /// one endpoint add up.
    static Result<FaultSpec> parse(std::string_view text,
                                   const std::map<Endpoint, Fault>& earlier = {});
};

/// The endpoint of that name ("schedule", "scoreboard", "crest", "ingest",
/// "feed"), or nothing.
std::optional<Endpoint> endpointFromName(std::string_view name);
std::string endpointName(Endpoint endpoint);

/// Sets one field of `fault` from its name and text value (a missing value
/// means "1" for the switches); returns what is wrong, or "" when it is fine.
std::string applyFaultField(Fault& fault, std::string_view name,
                            std::optional<std::string_view> value);

}  // namespace fixtora::demo
