#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class QLocalServer;

// One running viewer per machine: a lock file in the temp folder marks the first
// instance, and a local server of the same name is how a later start finds it.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Claim { First, AnotherRuns, Failed };

    explicit SingleInstance(const QString& id, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock; a lock left by a crashed process is taken over.
    Claim claim();
    // A later start asks the first to bring its window forward. False when no first
    // instance answered (it may still be starting).
    bool askFirstToActivate(int timeoutMs = 2000) const;
    // The first instance opens its server at the end of start-up.
    bool listen();
    void release();

signals:
    void activateRequested();

private:
    void onNewConnection();

    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
