#include "platform/SingleInstance.h"

#include "platform/HandoverRequest.h"
#include "platform/Paths.h"

#include <QScopeGuard>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace
{
const QByteArray kDone = "done\n";
const QByteArray kRefused = "refused\n";

// Enough for a person's starts, few enough that a flood costs nothing to hold.
constexpr qsizetype kMaxConnections = 32;
constexpr int kIdleMs = 2000;
constexpr int kBacklog = 64;
// How long listening rests when no descriptor can be had for a new connection.
constexpr int kRestMs = 100;

// The name in the abstract namespace: a leading NUL, then the name's bytes and no more,
// which both ends must agree on, since the length is part of the address.
struct Address {
    sockaddr_un un {};
    socklen_t length = 0;
};

std::optional<Address> AddressOf(const QString& id)
{
    const QByteArray name = id.toUtf8();
    Address address;
    if (name.isEmpty() || size_t(name.size()) >= sizeof(address.un.sun_path))
        return std::nullopt;
    address.un.sun_family = AF_UNIX;
    std::memcpy(address.un.sun_path + 1, name.constData(), size_t(name.size()));
    address.length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(name.size()));
    return address;
}

std::optional<uid_t> PeerUser(int fd)
{
    ucred peer {};
    socklen_t size = sizeof(peer);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return std::nullopt;
    return peer.uid;
}

// Waits for the socket to become ready for events until the deadline; false on timeout.
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    pollfd p { fd, events, 0 };
    for (;;) {
        const int n = ::poll(&p, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (n >= 0 || errno != EINTR)
            return n > 0;
    }
}
} // namespace

SingleInstance::SingleInstance(const QString& id, uid_t user, QObject* parent)
    : QObject(parent)
    , m_id(id)
    , m_user(user)
{
    m_idleSweep.setInterval(kIdleMs / 4);
    connect(&m_idleSweep, &QTimer::timeout, this, &SingleInstance::dropIdle);
    m_resumeListening.setSingleShot(true);
    m_resumeListening.setInterval(kRestMs);
    connect(&m_resumeListening, &QTimer::timeout, this, [this] {
        if (m_listening)
            m_listening->setEnabled(true);
    });
}

SingleInstance::~SingleInstance()
{
    release();
}

SingleInstance::Claim SingleInstance::claim()
{
    release();
    const std::optional<Address> address = AddressOf(m_id);
    if (!address)
        return Claim::Failed;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Claim::Failed;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address->un), address->length) != 0) {
        const bool inUse = errno == EADDRINUSE;
        ::close(fd);
        return inUse ? Claim::AnotherRuns : Claim::Failed;
    }
    if (::listen(fd, kBacklog) != 0) {
        ::close(fd);
        return Claim::Failed;
    }
    m_listener = fd;
    return Claim::First;
}

void SingleInstance::serve()
{
    if (m_listener < 0 || m_listening)
        return;
    m_listening = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_listening, &QSocketNotifier::activated, this, &SingleInstance::acceptPending);
}

void SingleInstance::acceptPending()
{
    bool dropped = false;
    // A queue's worth at a time, so that a flood of connections cannot hold the event loop.
    for (int taken = 0; taken < kBacklog; ++taken) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            dropped = false;
            adopt(fd);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno != EMFILE && errno != ENFILE && errno != ENOBUFS && errno != ENOMEM)
            return;
        // Out of descriptors: the oldest connection gives its own up for the newcomer.
        // When that frees nothing, listening rests a moment rather than spin on a queue
        // it cannot take from; it never stops.
        if (dropped || m_connections.isEmpty()) {
            m_listening->setEnabled(false);
            m_resumeListening.start();
            return;
        }
        drop(0);
        dropped = true;
    }
}

void SingleInstance::adopt(int fd)
{
    if (PeerUser(fd) != m_user) {
        ::close(fd);
        return;
    }
    if (m_connections.size() >= kMaxConnections)
        drop(0);
    Connection connection;
    connection.fd = fd;
    connection.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connection.idleUntil = QDeadlineTimer(kIdleMs);
    connect(connection.notifier, &QSocketNotifier::activated, this, [this, fd] { readFrom(fd); });
    m_connections.append(connection);
    if (!m_idleSweep.isActive())
        m_idleSweep.start();
}

void SingleInstance::readFrom(int fd)
{
    const auto at = std::find_if(m_connections.cbegin(), m_connections.cend(),
        [fd](const Connection& c) { return c.fd == fd; });
    if (at == m_connections.cend())
        return;
    const qsizetype index = at - m_connections.cbegin();
    QByteArray& received = m_connections[index].received;
    // Never more than a request's bound is read, however much is sent; nothing before this
    // call held the line's end, so only what arrives now is searched for it.
    qsizetype end = -1;
    bool ended = false;
    while (end < 0 && received.size() <= HandoverRequest::kMaxLine) {
        char buffer[4096];
        const qsizetype room = std::min<qsizetype>(
            qsizetype(sizeof buffer), HandoverRequest::kMaxLine + 1 - received.size());
        const ssize_t n = ::recv(fd, buffer, size_t(room), 0);
        if (n > 0) {
            const qsizetype before = received.size();
            received.append(buffer, n);
            end = received.indexOf('\n', before);
        } else if (n == 0 || errno != EINTR) {
            ended = n == 0 || errno != EAGAIN;
            break;
        }
    }
    if (end >= 0)
        answer(index, received.left(end));
    else if (received.size() > HandoverRequest::kMaxLine)
        answer(index, {});
    else if (ended)
        drop(index);
}

void SingleInstance::answer(qsizetype index, const QByteArray& line)
{
    // One request per connection, answered before it is acted on: acting may open a
    // message with an event loop of its own, and the connection must be done with by then.
    const std::optional<HandoverRequest::Request> request = HandoverRequest::Decode(line);
    const QByteArray& reply = request ? kDone : kRefused;
    const bool told = ::send(m_connections[index].fd, reply.constData(), size_t(reply.size()),
                          MSG_NOSIGNAL | MSG_DONTWAIT)
        == reply.size();
    drop(index);
    // A start that has given up waiting has been told nothing, and so nothing is done.
    if (!request || !told)
        return;
    const QString path = Paths::FromNative(request->path);
    const QString token = QString::fromLatin1(request->token);
    QMetaObject::invokeMethod(
        this, [this, path, token] { emit activateRequested(path, token); }, Qt::QueuedConnection);
}

void SingleInstance::drop(qsizetype index)
{
    const Connection connection = m_connections.takeAt(index);
    // Unhooked from the event loop before the descriptor goes, which may be reused at once;
    // deleted later, since this may run inside its own signal.
    connection.notifier->setEnabled(false);
    connection.notifier->deleteLater();
    ::close(connection.fd);
    if (m_connections.isEmpty())
        m_idleSweep.stop();
}

void SingleInstance::dropIdle()
{
    for (qsizetype i = m_connections.size() - 1; i >= 0; --i) {
        if (m_connections[i].idleUntil.hasExpired())
            drop(i);
    }
}

SingleInstance::Answer SingleInstance::askFirst(
    const QString& path, const QString& token, int timeoutMs) const
{
    HandoverRequest::Request request { Paths::ToNative(path), token.toUtf8() };
    if (!HandoverRequest::SoundPath(request.path))
        return Answer::Refused;
    // A token the first could not take would cost the whole request; it only helps.
    if (!HandoverRequest::SoundToken(request.token))
        request.token.clear();
    const std::optional<Address> address = AddressOf(m_id);
    if (!address)
        return Answer::Gone;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Answer::Silent;
    const auto closeSocket = qScopeGuard([fd] { ::close(fd); });
    const QDeadlineTimer deadline(timeoutMs);
    const auto* where = reinterpret_cast<const sockaddr*>(&address->un);
    // A full queue refuses at once; the first is taking from it, so try again.
    while (::connect(fd, where, address->length) != 0) {
        if (errno == ECONNREFUSED || errno == ENOENT)
            return Answer::Gone;
        if ((errno != EAGAIN && errno != EINTR) || deadline.hasExpired())
            return Answer::Silent;
        ::usleep(10000);
    }
    // Whoever holds the name hears nothing, not even the path, unless it is our own user's.
    if (PeerUser(fd) != m_user)
        return Answer::NotOurs;

    const QByteArray line = HandoverRequest::Encode(request);
    qsizetype sent = 0;
    while (sent < line.size()) {
        const ssize_t n
            = ::send(fd, line.constData() + sent, size_t(line.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return Answer::Silent;
        else if (!WaitFor(fd, POLLOUT, deadline))
            return Answer::Silent;
    }
    // The answer says the request has arrived, and whether it will be acted on.
    QByteArray reply;
    while (!reply.endsWith('\n') && reply.size() < kRefused.size()) {
        if (!WaitFor(fd, POLLIN, deadline))
            return Answer::Silent;
        char buffer[16];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            return Answer::Silent;
        if (n > 0)
            reply.append(buffer, n);
    }
    if (reply == kDone)
        return Answer::Taken;
    return reply == kRefused ? Answer::Refused : Answer::Silent;
}

void SingleInstance::release()
{
    while (!m_connections.isEmpty())
        drop(0);
    delete m_listening;
    m_listening = nullptr;
    m_resumeListening.stop();
    if (m_listener >= 0)
        ::close(m_listener);
    m_listener = -1;
}
