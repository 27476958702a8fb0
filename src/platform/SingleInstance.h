#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One running viewer per machine, whichever user starts it. The mark is a local socket
// in Linux's abstract namespace: it belongs to no file, so it cannot go stale, and it
// goes away with its process however that ends. A later start finds it in use and asks
// the first, through it, to come forward; only a start by the same user is answered.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim { First, AnotherRuns, Failed };

    explicit SingleInstance(const QString& id, QObject* parent = nullptr);
    ~SingleInstance() override;

    Claim claim();
    // A later start asks the first to come forward and, with a path, to open it; the
    // launcher's activation token lets the window system let it. False when no first
    // instance answered, or it refused (another user's).
    bool askFirst(const QString& path, const QString& token, int timeoutMs = 2000) const;
    void release();

    // The peer of a connection is a process of this user.
    static bool SameUser(const QLocalSocket& socket);

signals:
    // path is "" for a plain activation.
    void activateRequested(const QString& path, const QString& token);

private:
    void onNewConnection();

    QString m_id;
    QLocalServer* m_server = nullptr;
};
