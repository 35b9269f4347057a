// SPDX-License-Identifier: MIT
#pragma once

#include "platform/HttpClient.hpp"

#include <cstddef>
#include <memory>

namespace fixtora {

/// `HttpClient` on libcurl: one multi handle driven by a thread of its own,
/// on which every completion runs. Each request is a fresh easy handle (no
/// cookies, no shared state). Only http and https are spoken; redirects are
/// followed by hand, at most five, never to another scheme and never from
/// https down to plain http unless the target is a loopback address. TLS
/// certificates are verified. Bodies over `maxBodyBytes` are refused.
class CurlHttpClient final : public HttpClient {
  public:
    static constexpr std::size_t kDefaultMaxBodyBytes = 32u * 1024 * 1024;

    explicit CurlHttpClient(std::size_t maxBodyBytes = kDefaultMaxBodyBytes);
    /// Requests still running are cancelled; their completions run with an
    /// error before the destructor returns (or, when the client is destroyed
    /// by one of its own completions, soon after).
    ~CurlHttpClient() override;
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    void send(HttpRequest request, Completion completion) override;

  private:
    class Engine;
    std::unique_ptr<Engine> m_engine;
};

}  // namespace fixtora
