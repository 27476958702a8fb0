#include "platform/FileSaver.h"

#include "platform/LeftRunning.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

struct FileSaver::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    QString path;
    std::optional<QByteArray> pending;
    // Counts the contents handed over and those on disk (or given up on), for Flush.
    quint64 saved = 0;
    quint64 done = 0;
    bool running = false;
    bool stop = false;
};

FileSaver::FileSaver(const QString& path)
    : m_shared(std::make_shared<Shared>())
{
    m_shared->path = path;
}

FileSaver::~FileSaver()
{
    Flush(2000);
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stop = true;
    }
    m_shared->wake.notify_all();
}

void FileSaver::Save(const QByteArray& contents)
{
    bool start = false;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->pending = contents;
        ++m_shared->saved;
        start = !m_shared->running;
        m_shared->running = true;
    }
    m_shared->wake.notify_all();
    if (!start)
        return;
    LeftRunning::Started();
    try {
        std::thread([shared = m_shared] { Run(shared); }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: this time the reader's thread writes.
        std::unique_lock<std::mutex> lock(m_shared->mutex);
        const QByteArray latest = *m_shared->pending;
        m_shared->pending.reset();
        Write(m_shared->path, latest);
        m_shared->done = m_shared->saved;
        m_shared->running = false;
        lock.unlock();
        m_shared->wake.notify_all();
        LeftRunning::Ended();
    }
}

void FileSaver::Write(const QString& path, const QByteArray& contents)
{
    // A write that fails leaves the file as it was; the next one writes it all again.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (file.write(contents) == contents.size())
        file.commit();
    else
        file.cancelWriting();
}

bool FileSaver::Flush(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    const quint64 wanted = m_shared->saved;
    return m_shared->wake.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [&] { return m_shared->done >= wanted; });
}

void FileSaver::Run(const std::shared_ptr<Shared>& shared)
{
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        // A thread lingers a little after a write, as writes come in bursts.
        shared->wake.wait_for(lock, std::chrono::seconds(5),
            [&] { return shared->stop || shared->pending.has_value(); });
        if (!shared->pending)
            break;
        const QByteArray contents = *shared->pending;
        shared->pending.reset();
        const quint64 upTo = shared->saved;
        lock.unlock();
        Write(shared->path, contents);
        lock.lock();
        shared->done = upTo;
        shared->wake.notify_all();
    }
    shared->running = false;
    lock.unlock();
    LeftRunning::Ended();
}
