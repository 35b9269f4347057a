// SPDX-License-Identifier: MIT
#include "app/SingleInstance.hpp"

#include <QByteArray>
#include <QLockFile>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

namespace fixtora {
namespace {

constexpr std::string_view kRequest = "activate\n";
constexpr std::string_view kReply = "ok\n";
// Anything longer without a line end is not one of ours.
constexpr qsizetype kMaxRequest = 64;

QString pathOf(const std::filesystem::path& dir, const char* name) {
    return QString::fromStdString((dir / name).string());
}

/// The socket address of `path`, or nothing when the path is too long for one.
std::optional<sockaddr_un> addressOf(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof(address.sun_path)) return std::nullopt;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

/// Waits until `fd` is ready for `events` or `deadline` passes.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(left.count()));
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return false;
    }
}

}  // namespace

SingleInstance::SingleInstance(std::filesystem::path runtimeDir, QObject* parent)
    : QObject(parent), m_dir(std::move(runtimeDir)) {}

SingleInstance::~SingleInstance() {
    while (!m_clients.empty()) closeClient(m_clients.begin()->first);
    m_listener.reset();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink((m_dir / kSocketName).c_str());
    }
    if (m_lock) m_lock->unlock();
}

bool SingleInstance::acquire() {
    if (m_primary) return true;
    std::error_code ec;
    std::filesystem::create_directories(m_dir, ec);
    if (ec)
        throw std::runtime_error("cannot create the runtime folder " + m_dir.string() + ": " +
                                 ec.message());

    m_lock = std::make_unique<QLockFile>(pathOf(m_dir, kLockName));
    // Never by age: the lock is as old as the running process. A lock whose
    // process is gone is still recognised as stale and taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) return false;
        throw std::runtime_error("cannot create the lock file in " + m_dir.string());
    }

    const std::filesystem::path socketPath = m_dir / kSocketName;
    const auto address = addressOf(socketPath);
    if (!address)
        throw std::runtime_error("the runtime folder's path is too long for a socket: " +
                                 socketPath.string());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) throw std::runtime_error(systemError("cannot create a socket"));
    // We hold the lock, so a socket file left there belongs to a dead process.
    ::unlink(socketPath.c_str());
    // Only the user may connect: the socket is created without rights for
    // anyone else.
    const mode_t previous = ::umask(0077);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address));
    ::umask(previous);
    if (bound != 0 || ::listen(fd, 8) != 0) {
        const std::string message = systemError("cannot listen on " + socketPath.string());
        ::close(fd);
        throw std::runtime_error(message);
    }
    m_listenFd = fd;
    m_listener = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_listener.get(), &QSocketNotifier::activated, this, &SingleInstance::onConnection);
    m_primary = true;
    return true;
}

void SingleInstance::onConnection() {
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;  // nothing more waiting (or the peer went away already)
        Client& client = m_clients[fd];
        client.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(client.notifier.get(), &QSocketNotifier::activated, this,
                [this, fd] { onClientReadable(fd); });
    }
}

void SingleInstance::onClientReadable(int fd) {
    auto it = m_clients.find(fd);
    if (it == m_clients.end()) return;
    char buffer[kMaxRequest];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        closeClient(fd);
        return;
    }
    QByteArray& received = it->second.received;
    received.append(buffer, n);
    const qsizetype end = received.indexOf('\n');
    if (end < 0) {
        if (received.size() > kMaxRequest) closeClient(fd);
        return;
    }
    const bool asked =
        QByteArrayView(received).first(end + 1) == QByteArrayView(kRequest.data(), kRequest.size());
    if (asked) {
        // A few bytes on a fresh socket: the send does not block.
        (void)::send(fd, kReply.data(), kReply.size(), MSG_NOSIGNAL);
    }
    closeClient(fd);
    if (asked) emit activationRequested();
}

void SingleInstance::closeClient(int fd) {
    m_clients.erase(fd);  // the notifier goes before its descriptor
    ::close(fd);
}

bool SingleInstance::askRunningInstanceToActivate(const std::filesystem::path& runtimeDir,
                                                  int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto address = addressOf(runtimeDir / kSocketName);
    if (!address) return false;
    // The running instance may hold the lock but not listen yet: retry.
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
            ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        bool confirmed = false;
        if (::send(fd, kRequest.data(), kRequest.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(kRequest.size())) {
            std::string reply;
            char buffer[16];
            while (reply.find('\n') == std::string::npos && waitFor(fd, POLLIN, deadline)) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                reply.append(buffer, static_cast<std::size_t>(n));
            }
            confirmed = reply == kReply;
        }
        ::close(fd);
        return confirmed;
    }
    return false;
}

}  // namespace fixtora
