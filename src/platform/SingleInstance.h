#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <sys/types.h>
#include <unistd.h>

class QSocketNotifier;

// One running viewer per machine, whichever user starts it. The mark is a local socket
// in Linux's abstract namespace: it belongs to no file, so it cannot go stale, and it
// goes away with its process however that ends. A later start finds it in use and asks
// the first, through it, to come forward and open what it was given.
//
// Any local process can reach the socket, so both ends guard it. A later start says
// nothing unless the first is its own user's. The first answers only its own user, reads
// at most one bounded request per connection, answers it before acting on it, holds few
// connections and only briefly, and never stops listening: the socket is a plain one
// rather than a QLocalServer, which closes itself for good when an accept fails (as it
// does once the process runs out of file descriptors).
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim { First, AnotherRuns, Failed };
    // What became of a later start's request.
    enum class Answer {
        Taken, // the first will act on it
        Refused, // the request could not be sound (a path too long to be a file's)
        NotOurs, // the first belongs to another user: nothing was sent
        Silent, // the first did not answer in time
        Gone, // nobody listens any more: the first has just ended
    };

    // user: whose requests the first copy answers, and whose first copy a later start talks
    // to.
    explicit SingleInstance(const QString& id, uid_t user = getuid(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Needs no event loop, so it can run before the application object exists.
    Claim claim();
    // Once claimed, and the application object exists: starts answering later starts.
    void serve();
    // A later start asks the first to come forward and, with a path, to open it; the
    // launcher's activation token lets the window system let it. Blocks up to timeoutMs.
    Answer askFirst(const QString& path, const QString& token, int timeoutMs = 5000) const;
    void release();

signals:
    // path is "" for a plain activation. Emitted from the event loop, after the request
    // has been answered and its connection closed.
    void activateRequested(const QString& path, const QString& token);

private:
    struct Connection {
        int fd = -1;
        QSocketNotifier* notifier = nullptr;
        QByteArray received;
        QDeadlineTimer idleUntil; // a complete request must have come by then
    };

    void acceptPending();
    void adopt(int fd);
    void readFrom(int fd);
    void answer(qsizetype index, const QByteArray& line);
    void drop(qsizetype index);
    void dropIdle();

    QString m_id;
    uid_t m_user;
    int m_listener = -1;
    QSocketNotifier* m_listening = nullptr;
    QList<Connection> m_connections; // oldest first
    QTimer m_idleSweep;
    QTimer m_resumeListening;
};
