// SPDX-License-Identifier: MIT
#pragma once

#include <httplib.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace fixtora::test {

/// A real HTTP server on 127.0.0.1 and a free port, running on its own
/// thread for the lifetime of the object. Register handlers on `server()`
/// before calling `start()`.
class LoopbackServer {
  public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& server() { return m_server; }

    /// A canned answer: every GET whose path matches the regular expression
    /// `pattern` gets `status` and `body`. The first answer for a pattern goes
    /// before `start()`; later ones change it while the server runs.
    struct Answer {
        int status = 200;
        std::string body;
        std::string contentType = "application/json";
    };
    void answer(const std::string& pattern, Answer answer);
    /// GET requests seen for one path / in all.
    int hits(const std::string& path) const;
    int totalHits() const;
    void start();
    void stop();
    int port() const { return m_port; }
    std::string url(const std::string& path = "") const;

  private:
    mutable std::mutex m_mutex;
    std::map<std::string, Answer> m_answers;
    std::map<std::string, int> m_hits;
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

/// A loopback port that nothing listens on (connection refused).
int unusedLoopbackPort();

}  // namespace fixtora::test
