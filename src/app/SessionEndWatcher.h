#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when the desktop session or a signal (SIGTERM, SIGHUP, SIGINT) ends the
// program, so that it can keep the reader's state before it goes.
class SessionEndWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SessionEndWatcher(QObject* parent = nullptr);
    ~SessionEndWatcher() override;

signals:
    void sessionEnding();

private:
    static void OnSignal(int signal);
    void OnNotified();

    static int s_fds[2];
    QSocketNotifier* m_notifier = nullptr;
};
