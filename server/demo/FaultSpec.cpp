// SPDX-License-Identifier: MIT
#include "FaultSpec.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace fixtora::demo {

namespace {

constexpr std::array<std::pair<const char*, Endpoint>, 5> kNames = {{
    {"schedule", Endpoint::Schedule},
    {"scoreboard", Endpoint::Scoreboard},
    {"crest", Endpoint::Crest},
    {"ingest", Endpoint::Ingest},
    {"feed", Endpoint::UpdateFeed},
}};

// A huge body is for testing a client's size limit, not the machine's memory.
constexpr std::size_t kMaxHugeBodyMegabytes = 4096;

Error specError(std::string text) {
    return Error{"DemoBackend", 1, std::move(text)};
}

std::optional<bool> parseSwitch(std::string_view v) {
    if (v == "1" || v == "true" || v == "on" || v == "yes") return true;
    if (v == "0" || v == "false" || v == "off" || v == "no") return false;
    return std::nullopt;
}

}  // namespace

std::optional<Endpoint> endpointFromName(std::string_view name) {
    for (const auto& [n, e] : kNames)
        if (name == n) return e;
    return std::nullopt;
}

std::string endpointName(Endpoint endpoint) {
    for (const auto& [n, e] : kNames)
        if (e == endpoint) return n;
    return "unknown";
}

std::string applyFaultField(Fault& fault, std::string_view name,
                            std::optional<std::string_view> value) {
    const std::string shown = std::string(name) + (value ? "=" + std::string(*value) : "");
    if (name == "status") {
        int code = 0;
        if (!value) return "\"status\" needs a value, for example status=503";
        const auto [end, ec] = std::from_chars(value->data(), value->data() + value->size(), code);
        if (ec != std::errc() || end != value->data() + value->size() ||
            (code != 0 && (code < 100 || code > 599)))
            return "invalid status in \"" + shown +
                   "\": expected an HTTP status code from 100 to 599 (or 0 for none)";
        fault.status = code;
        return {};
    }
    if (name == "delay") {
        if (!value) return "\"delay\" needs a value in seconds, for example delay=5";
        double seconds = 0;
        const auto [end, ec] =
            std::from_chars(value->data(), value->data() + value->size(), seconds);
        if (ec != std::errc() || end != value->data() + value->size() || !std::isfinite(seconds) ||
            seconds < 0 || seconds > 3600)
            return "invalid delay in \"" + shown + "\": expected seconds from 0 to 3600";
        fault.delaySeconds = seconds;
        return {};
    }
    if (name == "malformed" || name == "drop" || name == "truncate") {
        const auto on = value ? parseSwitch(*value) : std::optional<bool>(true);
        if (!on) return "invalid switch \"" + shown + "\": expected 0 or 1";
        (name == "drop"       ? fault.dropConnection
         : name == "truncate" ? fault.truncateBody
                              : fault.malformed) = *on;
        return {};
    }
    if (name == "huge") {
        if (!value) return "\"huge\" needs a size in megabytes, for example huge=100";
        std::size_t megabytes = 0;
        const auto [end, ec] =
            std::from_chars(value->data(), value->data() + value->size(), megabytes);
        if (ec != std::errc() || end != value->data() + value->size() ||
            megabytes > kMaxHugeBodyMegabytes)
            return "invalid size in \"" + shown + "\": expected megabytes from 0 to " +
                   std::to_string(kMaxHugeBodyMegabytes);
        fault.hugeBodyMegabytes = megabytes;
        return {};
    }
    return "unknown fault field \"" + std::string(name) +
           "\" (expected status, delay, malformed, drop, truncate or huge)";
}

Result<FaultSpec> FaultSpec::parse(std::string_view text,
                                   const std::map<Endpoint, Fault>& earlier) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return specError("invalid fault \"" + std::string(text) +
                         "\": expected ENDPOINT:FIELD[,FIELD...]");
    const auto endpoint = endpointFromName(text.substr(0, colon));
    if (!endpoint)
        return specError("unknown endpoint \"" + std::string(text.substr(0, colon)) +
                         "\" (expected schedule, scoreboard, crest, ingest or feed)");
    FaultSpec parsed;
    parsed.endpoint = *endpoint;
    if (const auto it = earlier.find(*endpoint); it != earlier.end()) parsed.fault = it->second;
    std::string_view rest = text.substr(colon + 1);
    if (rest.empty())
        return specError("invalid fault \"" + std::string(text) + "\": no field after the colon");
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string_view field = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const auto eq = field.find('=');
        const std::string_view name = field.substr(0, eq);
        const std::optional<std::string_view> value =
            eq == std::string_view::npos ? std::nullopt
                                         : std::optional<std::string_view>(field.substr(eq + 1));
        if (auto problem = applyFaultField(parsed.fault, name, value); !problem.empty())
            return specError(problem);
    }
    return parsed;
}

}  // namespace fixtora::demo
