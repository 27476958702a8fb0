#include "platform/SingleInstance.h"

#include "platform/Paths.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <sys/socket.h>
#include <unistd.h>

namespace
{
// "activate PATH TOKEN": the path's bytes and the token in base64, either may be empty.
const QByteArray kActivate = "activate";
const QByteArray kDone = "done\n";
const QByteArray kRefused = "refused\n";
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
    release();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (m_server->listen(m_id)) {
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
        return Claim::First;
    }
    const bool inUse = m_server->serverError() == QAbstractSocket::AddressInUseError;
    delete m_server;
    m_server = nullptr;
    return inUse ? Claim::AnotherRuns : Claim::Failed;
}

bool SingleInstance::askFirst(const QString& path, const QString& token, int timeoutMs) const
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_id);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kActivate + ' ' + Paths::ToNative(path).toBase64() + ' '
        + token.toUtf8().toBase64() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Wait for the answer so the request is known to have arrived before we exit.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine() == kDone;
}

bool SingleInstance::SameUser(const QLocalSocket& socket)
{
    ucred peer {};
    socklen_t size = sizeof(peer);
    return getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
        && peer.uid == getuid();
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const bool sameUser = SameUser(*socket);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, sameUser] {
            if (!socket->canReadLine())
                return;
            const QList<QByteArray> words = socket->readLine().trimmed().split(' ');
            // Answered first: acting may open a message with an event loop of its own, in
            // which the later start gives up waiting and the connection goes away.
            socket->write(sameUser ? kDone : kRefused);
            socket->flush();
            socket->disconnectFromServer();
            // Another user's start may learn that a viewer runs, and nothing more.
            if (!sameUser || words.value(0) != kActivate)
                return;
            const QString path = Paths::FromNative(QByteArray::fromBase64(words.value(1)));
            const QString token = QString::fromUtf8(QByteArray::fromBase64(words.value(2)));
            QMetaObject::invokeMethod(
                this, [this, path, token] { emit activateRequested(path, token); },
                Qt::QueuedConnection);
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
}
