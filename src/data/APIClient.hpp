// SPDX-License-Identifier: MIT
#pragma once

#include "data/ESPNModels.hpp"
#include "platform/HttpClient.hpp"
#include "platform/Result.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora {

/// Error domain of the backend's non-200 answers; the code is the HTTP
/// status (or -1 without an HTTP response) and the description reads
/// "Server returned HTTP " followed by that code.
inline constexpr const char* kAPIClientErrorDomain = "APIClient";

/// The URL of `path` (which starts with "/") on the backend at `baseUrl`.
/// "https://host/" and "https://host" name the same backend: trailing
/// slashes of the base are dropped, so that no path starts with "//".
std::string backendEndpoint(std::string_view baseUrl, std::string_view path);

/// Fetches the matches of a date range from the backend's scoreboard
/// endpoint. Stateless: no cache and nothing kept between calls, so it may
/// be called from any thread and concurrent calls are independent.
class APIClient final {
  public:
    using Completion = std::function<void(Result<std::vector<ESPNEvent>>)>;

    static constexpr double kTimeoutSeconds = 15;

    /// `baseUrl` is scheme and host (and port), e.g. "https://api.example.org".
    APIClient(std::shared_ptr<HttpClient> http, std::string baseUrl);

    /// Asks for the calendar days of `from` and `to` in the user's current
    /// time zone. `completion` runs exactly once, on the HTTP client's
    /// callback thread, with the events in response order or an error:
    /// transport and decoding errors unchanged, any other answer than a 200
    /// with a body as a `kAPIClientErrorDomain` error.
    void fetchMatches(Instant from, Instant to, Completion completion) const;

    /// The URL that `fetchMatches` requests, e.g.
    /// base + "/api/epl/scoreboard?dates=20250816-20250818"; absent when a
    /// day cannot be formatted (an instant that is not finite).
    std::optional<std::string> scoreboardUrl(Instant from, Instant to) const;

    /// The calendar day of `instant` in ICU's default time zone as
    /// "yyyyMMdd": Gregorian calendar and ASCII digits whatever the locale.
    static std::optional<std::string> formatDay(Instant instant);

  private:
    std::shared_ptr<HttpClient> m_http;
    std::string m_baseUrl;
};

}  // namespace fixtora
