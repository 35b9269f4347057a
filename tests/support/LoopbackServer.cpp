// SPDX-License-Identifier: MIT
#include "support/LoopbackServer.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace fixtora::test {

LoopbackServer::LoopbackServer() = default;

LoopbackServer::~LoopbackServer() {
    stop();
}

void LoopbackServer::start() {
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0) throw std::runtime_error("cannot bind a loopback port");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    // The socket is bound already, so connections queue up until listen() runs;
    // still, wait for the server loop so that stop() cannot race its start.
    while (!m_server.is_running()) std::this_thread::yield();
}

void LoopbackServer::stop() {
    if (m_thread.joinable()) {
        m_server.stop();
        m_thread.join();
    }
}

void LoopbackServer::answer(const std::string& pattern, Answer canned) {
    std::lock_guard lock(m_mutex);
    const bool known = m_answers.count(pattern) > 0;
    m_answers[pattern] = std::move(canned);
    if (known) return;
    m_server.Get(pattern, [this, pattern](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard held(m_mutex);
        ++m_hits[req.path];
        const Answer& a = m_answers.at(pattern);
        res.status = a.status;
        if (!a.body.empty()) res.set_content(a.body, a.contentType);
    });
}

int LoopbackServer::hits(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_hits.find(path);
    return it == m_hits.end() ? 0 : it->second;
}

int LoopbackServer::totalHits() const {
    std::lock_guard lock(m_mutex);
    int total = 0;
    for (const auto& [path, n] : m_hits) total += n;
    return total;
}

std::string LoopbackServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

int unusedLoopbackPort() {
    // Bind to port 0 to get a free port, then close without listening.
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    const int port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

}  // namespace fixtora::test
