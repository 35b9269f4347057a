// SPDX-License-Identifier: MIT
#include "platform/qt/TerminationSignals.hpp"

#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fixtora {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// The write end of the self-pipe, read by the handler: the only state a
// signal handler may touch.
std::atomic<int> g_writeFd{-1};

extern "C" void onTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // Nothing to do if the pipe is full: a quit is already pending.
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

struct TerminationSignals::State {
    std::array<int, 2> fds{-1, -1};
    std::array<struct sigaction, kSignals.size()> previous{};
    std::unique_ptr<QSocketNotifier> notifier;
    bool installed = false;
};

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), m_state(std::make_unique<State>()) {
    if (g_writeFd.load() >= 0)
        throw std::logic_error("TerminationSignals: only one may exist at a time");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_state->fds.data()) !=
        0)
        throw std::runtime_error(std::string("TerminationSignals: socketpair failed: ") +
                                 std::strerror(errno));
    g_writeFd.store(m_state->fds[0]);

    m_state->notifier = std::make_unique<QSocketNotifier>(m_state->fds[1], QSocketNotifier::Read);
    connect(m_state->notifier.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(m_state->fds[1], &byte, 1) == 1) emit terminationRequested(byte);
    });

    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(kSignals[i], &action, &m_state->previous[i]);
    }
    m_state->installed = true;
}

TerminationSignals::~TerminationSignals() {
    if (m_state->installed)
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            ::sigaction(kSignals[i], &m_state->previous[i], nullptr);
    g_writeFd.store(-1);
    m_state->notifier.reset();
    for (int fd : m_state->fds)
        if (fd >= 0) ::close(fd);
}

bool TerminationSignals::isActive() const {
    return m_state->installed;
}

}  // namespace fixtora
