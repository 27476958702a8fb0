#include "app/SessionEndWatcher.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

int SessionEndWatcher::s_fds[2] = { -1, -1 };

SessionEndWatcher::SessionEndWatcher(QObject* parent)
    : QObject(parent)
{
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &SessionEndWatcher::sessionEnding);
    // A signal handler may only write to a descriptor; the event loop reads it.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_fds) != 0)
        return;
    m_notifier = new QSocketNotifier(s_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SessionEndWatcher::OnNotified);
    struct sigaction action = {};
    action.sa_handler = &SessionEndWatcher::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : { SIGTERM, SIGHUP, SIGINT })
        sigaction(sig, &action, nullptr);
}

SessionEndWatcher::~SessionEndWatcher()
{
    for (int sig : { SIGTERM, SIGHUP, SIGINT })
        std::signal(sig, SIG_DFL);
    for (int& fd : s_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SessionEndWatcher::OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_fds[0], &byte, 1);
}

void SessionEndWatcher::OnNotified()
{
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(s_fds[1], &byte, 1);
    emit sessionEnding();
}
