// SPDX-License-Identifier: MIT
#include "ConnectionDrop.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <filesystem>
#include <string>

namespace fixtora::demo {

namespace {

int portOf(const sockaddr_storage& addr) {
    if (addr.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(addr).sin_port);
    if (addr.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(addr).sin6_port);
    return -1;
}

}  // namespace

bool dropConnection(int localPort, int remotePort) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        // Only the socket calls touch the descriptors: those that are not
        // sockets fail them, and nothing else is read from another thread's files.
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localLen = sizeof local;
        socklen_t peerLen = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLen) != 0) continue;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLen) != 0) continue;
        if (portOf(local) == localPort && portOf(peer) == remotePort) {
            return ::shutdown(fd, SHUT_RDWR) == 0;
        }
    }
    return false;
}

}  // namespace fixtora::demo
