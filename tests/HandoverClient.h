#pragma once

#include <QByteArray>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// One raw connection to the hand-over socket, for throwing at it whatever a local process
// might: nothing, garbage, endless lines, bursts. It never blocks unless asked to wait.
class HandoverClient
{
public:
    explicit HandoverClient(const QByteArray& name = "Lumivo.2016.Oberkan")
        : m_name(name)
    {
    }
    ~HandoverClient() { Close(); }
    HandoverClient(const HandoverClient&) = delete;
    HandoverClient& operator=(const HandoverClient&) = delete;

    // "activate PATH TOKEN\n", as a later start of the program writes it.
    static QByteArray Request(const QByteArray& path, const QByteArray& token = {})
    {
        return "activate " + path.toBase64() + ' ' + token.toBase64() + '\n';
    }

    // False when nobody listens, or the listener's queue is full.
    bool Connect()
    {
        Close();
        m_received.clear();
        m_closed = false;
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (m_fd < 0)
            return false;
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, m_name.constData(), size_t(m_name.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + m_name.size());
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
            Close();
            return false;
        }
        return true;
    }

    // Writes as much as the socket takes now, waiting up to timeoutMs for room; false once
    // the other end has gone.
    bool Send(const QByteArray& bytes, int timeoutMs = 0)
    {
        qsizetype sent = 0;
        while (m_fd >= 0 && sent < bytes.size()) {
            const ssize_t n
                = ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n > 0) {
                sent += n;
            } else if (n < 0 && errno == EAGAIN && timeoutMs > 0) {
                pollfd p { m_fd, POLLOUT, 0 };
                if (::poll(&p, 1, timeoutMs) <= 0)
                    return true;
            } else {
                return n < 0 && errno == EAGAIN;
            }
        }
        return m_fd >= 0;
    }

    // Reads what has arrived, waiting up to timeoutMs for the first of it. True once the
    // other end has closed the connection (or dropped it).
    bool Read(int timeoutMs = 0)
    {
        if (m_fd < 0)
            return m_closed;
        pollfd p { m_fd, POLLIN, 0 };
        if (::poll(&p, 1, timeoutMs) <= 0)
            return m_closed;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                m_received.append(buffer, n);
                continue;
            }
            if (n == 0 || errno != EAGAIN)
                m_closed = true;
            return m_closed;
        }
    }

    bool IsOpen() const { return m_fd >= 0; }
    QByteArray Received() const { return m_received; }

    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    QByteArray m_name;
    int m_fd = -1;
    QByteArray m_received;
    bool m_closed = false;
};
