#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace
{
const QByteArray kActivate = "activate\n";
const QByteArray kDone = "done\n";
} // namespace

SingleInstance::SingleInstance(const QString& id, QObject* parent)
    : QObject(parent)
    , m_id(id)
{
}

SingleInstance::~SingleInstance()
{
    release();
}

SingleInstance::Claim SingleInstance::claim()
{
    // An unusable TMPDIR gives no temp folder at all; a lock elsewhere would not be
    // found by the next start.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty())
        return Claim::Failed;
    m_lock = std::make_unique<QLockFile>(QDir(folder).filePath(m_id + ".lock"));
    // Staleness is judged by the owner's process alone, never by the lock's age:
    // a viewer may run for days.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Claim::First;
    const QLockFile::LockError error = m_lock->error();
    m_lock.reset();
    return error == QLockFile::LockFailedError ? Claim::AnotherRuns : Claim::Failed;
}

bool SingleInstance::askFirstToActivate(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_id);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Wait for the answer so the request is known to have arrived before we exit.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine() == kDone;
}

bool SingleInstance::listen()
{
    if (!m_lock)
        return false;
    // We hold the lock, so a socket of this name can only be left over from a crash.
    QLocalServer::removeServer(m_id);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::WorldAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return m_server->listen(m_id);
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == kActivate) {
                    emit activateRequested();
                    socket->write(kDone);
                    socket->flush();
                }
            }
        });
    }
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}
