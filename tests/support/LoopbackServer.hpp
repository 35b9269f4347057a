// SPDX-License-Identifier: MIT
#pragma once

#include <httplib.h>

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
    void start();
    void stop();
    int port() const { return m_port; }
    std::string url(const std::string& path = "") const;

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

/// A loopback port that nothing listens on (connection refused).
int unusedLoopbackPort();

}  // namespace fixtora::test
