// SPDX-License-Identifier: MIT
#include "data/APIClient.hpp"

#include "data/ScoreboardDecoder.hpp"

#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cmath>
#include <utility>

namespace fixtora {

namespace {

constexpr const char* kScoreboardPath = "/api/epl/scoreboard";

Error backendError(int code) {
    return Error{kAPIClientErrorDomain, code, "Server returned HTTP " + std::to_string(code)};
}

}  // namespace

std::string backendEndpoint(std::string_view baseUrl, std::string_view path) {
    while (!baseUrl.empty() && baseUrl.back() == '/') baseUrl.remove_suffix(1);
    std::string url(baseUrl);
    url += path;
    return url;
}

APIClient::APIClient(std::shared_ptr<HttpClient> http, std::string baseUrl)
    : m_http(std::move(http)), m_baseUrl(std::move(baseUrl)) {}

std::optional<std::string> APIClient::formatDay(Instant instant) {
    if (!std::isfinite(instant)) return std::nullopt;
    // The backend reads Gregorian dates in ASCII digits. A locale-default
    // date formatter would write a Buddhist or Persian year, or Thai or
    // Arabic-Indic digits, under such a locale; so the fields come from a
    // Gregorian calendar in the default zone and the digits are written here.
    UErrorCode status = U_ZERO_ERROR;
    icu::GregorianCalendar calendar(icu::TimeZone::createDefault(), icu::Locale::getRoot(), status);
    if (U_FAILURE(status)) return std::nullopt;
    calendar.setTime(instant * 1000.0, status);
    const int32_t year = calendar.get(UCAL_EXTENDED_YEAR, status);
    const int32_t month = calendar.get(UCAL_MONTH, status) + 1;
    const int32_t day = calendar.get(UCAL_DATE, status);
    if (U_FAILURE(status) || year < 0 || year > 9999) return std::nullopt;
    std::string out(8, '0');
    auto put = [&out](std::size_t pos, std::size_t width, int32_t value) {
        for (std::size_t i = 0; i < width; ++i, value /= 10)
            out[pos + width - 1 - i] = static_cast<char>('0' + value % 10);
    };
    put(0, 4, year);
    put(4, 2, month);
    put(6, 2, day);
    return out;
}

std::optional<std::string> APIClient::scoreboardUrl(Instant from, Instant to) const {
    const auto first = formatDay(from);
    const auto last = formatDay(to);
    if (!first || !last) return std::nullopt;
    return backendEndpoint(m_baseUrl, kScoreboardPath) + "?dates=" + *first + "-" + *last;
}

void APIClient::fetchMatches(Instant from, Instant to, Completion completion) const {
    auto url = scoreboardUrl(from, to);
    if (!url) {
        // Only a caller's bug gets here (an infinite or NaN instant); there is
        // no request to wait for, so the answer comes at once.
        completion(Error{kAPIClientErrorDomain, -1,
                         "Cannot request matches for a date that is not a valid day"});
        return;
    }
    HttpRequest request;
    request.method = "GET";
    request.url = std::move(*url);
    request.timeoutSeconds = kTimeoutSeconds;
    m_http->send(
        std::move(request), [completion = std::move(completion)](Result<HttpResponse> result) {
            if (!result) {
                completion(result.error());
                return;
            }
            const HttpResponse& response = result.value();
            if (response.status == 200 && !response.body.empty()) {
                auto decoded = decodeScoreboard(response.body);
                if (!decoded) {
                    completion(decoded.error());
                    return;
                }
                completion(std::move(decoded).value().events.value_or(std::vector<ESPNEvent>{}));
                return;
            }
            // A status of 0 means there was no HTTP response at all.
            completion(backendError(response.status > 0 ? response.status : -1));
        });
}

}  // namespace fixtora
