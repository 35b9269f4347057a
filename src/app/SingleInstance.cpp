// SPDX-License-Identifier: MIT
#include "app/SingleInstance.hpp"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <algorithm>
#include <stdexcept>
#include <system_error>

namespace fixtora {
namespace {

constexpr QByteArrayView kRequest = "activate\n";
constexpr QByteArrayView kReply = "ok\n";

QString pathOf(const std::filesystem::path& dir, const char* name) {
    return QString::fromStdString((dir / name).string());
}

}  // namespace

SingleInstance::SingleInstance(std::filesystem::path runtimeDir, QObject* parent)
    : QObject(parent), m_dir(std::move(runtimeDir)) {}

SingleInstance::~SingleInstance() {
    if (m_server) m_server->close();  // removes the socket file
    if (m_lock) m_lock->unlock();
}

bool SingleInstance::acquire() {
    if (m_primary) return true;
    std::error_code ec;
    std::filesystem::create_directories(m_dir, ec);
    if (ec) throw std::runtime_error("cannot create the runtime folder " + m_dir.string() + ": " + ec.message());

    m_lock = std::make_unique<QLockFile>(pathOf(m_dir, kLockName));
    // Never by age: the lock is as old as the running process. A lock whose
    // process is gone is still recognised as stale and taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) return false;
        throw std::runtime_error("cannot create the lock file in " + m_dir.string());
    }

    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString socket = pathOf(m_dir, kSocketName);
    // We hold the lock, so a socket file left there belongs to a dead process.
    QLocalServer::removeServer(socket);
    if (!m_server->listen(socket))
        throw std::runtime_error("cannot listen on " + socket.toStdString() + ": " +
                                 m_server->errorString().toStdString());
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    m_primary = true;
    return true;
}

void SingleInstance::onConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 64) socket->abort();  // not one of ours
                return;
            }
            const QByteArray line = socket->readLine();
            if (line == kRequest) {
                socket->write(kReply.data(), kReply.size());
                socket->flush();
                emit activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::askRunningInstanceToActivate(const std::filesystem::path& runtimeDir, int timeoutMs) {
    const QString path = pathOf(runtimeDir, kSocketName);
    QDeadlineTimer deadline(timeoutMs);
    // The running instance may hold the lock but not listen yet: retry.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 500)))) {
            socket.write(kRequest.data(), kRequest.size());
            if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
            while (!socket.canReadLine() && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            }
            return socket.canReadLine() && socket.readLine() == kReply;
        }
        QThread::msleep(100);
    }
    return false;
}

}  // namespace fixtora
