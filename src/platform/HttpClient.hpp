// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Result.hpp"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace fixtora {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string method = "GET";  // "GET" or "POST"
    std::string url;
    HttpHeaders headers;
    std::string body;
    double timeoutSeconds = 60;
};

struct HttpResponse {
    int status = 0;
    HttpHeaders headers;  // names lower-cased
    std::string body;

    /// The first header of that (lower-case) name, or "".
    std::string header(const std::string& lowerName) const {
        for (const auto& [k, v] : headers)
            if (k == lowerName) return v;
        return {};
    }
};

/// Error domain of transport failures; the description is the transport's own.
inline constexpr const char* kHttpErrorDomain = "HTTP";

/// Asynchronous HTTP. Every request stands alone (no cookies, no shared
/// state). The completion runs exactly once, on the client's own callback
/// thread, with the response (any status) or a transport error.
class HttpClient {
  public:
    using Completion = std::function<void(Result<HttpResponse>)>;
    virtual ~HttpClient() = default;
    virtual void send(HttpRequest request, Completion completion) = 0;
};

}  // namespace fixtora
