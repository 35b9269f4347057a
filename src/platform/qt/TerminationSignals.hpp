// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <memory>

namespace fixtora {

/// Turns the system's requests to end the process (SIGTERM, SIGINT and
/// SIGHUP on POSIX systems: logout, Ctrl+C, a closed terminal) into a signal
/// on the main thread, so the application can quit normally and save what
/// it must. Only one may exist at a time; the previous handlers come back
/// when it is destroyed. Where the system has no such signals it never fires.
class TerminationSignals final : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    /// Whether the handlers are installed.
    bool isActive() const;

  signals:
    /// `signalNumber` is the system's number of the signal received.
    void terminationRequested(int signalNumber);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace fixtora
