// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <map>
#include <memory>

class QLockFile;
class QSocketNotifier;

namespace fixtora {

/// Keeps to one running application per user, so that two processes never
/// share the caches and the unsent-signals file. The first process takes a
/// lock file in the user's runtime folder and listens on a local socket
/// beside it (a Unix socket only its user may open); a later one finds the
/// lock taken and, through the socket, asks the running one to show itself.
/// Main thread only (the static ask may run on any thread).
class SingleInstance final : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kLockName = "fixtora.lock";
    static constexpr const char* kSocketName = "fixtora.sock";

    explicit SingleInstance(std::filesystem::path runtimeDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// Takes the lock and starts listening; false when another live process
    /// holds it. A lock left by a process that died is taken over. Throws
    /// std::runtime_error when the folder cannot hold the lock or the socket.
    bool acquire();
    bool isPrimary() const { return m_primary; }

    /// Asks the instance running with `runtimeDir` to show its popup; true
    /// when it confirmed within `timeoutMs`. Blocks the calling thread.
    static bool askRunningInstanceToActivate(const std::filesystem::path& runtimeDir,
                                             int timeoutMs = 3000);

  signals:
    /// Another start of the application asked this one to show itself.
    void activationRequested();

  private:
    struct Client {
        std::unique_ptr<QSocketNotifier> notifier;
        QByteArray received;
    };

    void onConnection();
    void onClientReadable(int fd);
    void closeClient(int fd);

    std::filesystem::path m_dir;
    std::unique_ptr<QLockFile> m_lock;
    int m_listenFd = -1;
    std::unique_ptr<QSocketNotifier> m_listener;
    std::map<int, Client> m_clients;
    bool m_primary = false;
};

}  // namespace fixtora
