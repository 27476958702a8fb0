#include "platform/BackgroundTask.h"

#include "platform/LeftRunning.h"

#include <QCoreApplication>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace
{
std::mutex s_hookMutex;
std::function<void()> s_hook;

void RunHook()
{
    std::function<void()> hook;
    {
        const std::lock_guard<std::mutex> lock(s_hookMutex);
        hook = s_hook;
    }
    if (hook)
        hook();
}
} // namespace

struct BackgroundTask::Shared {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::atomic<bool> abandoned { false };
};

BackgroundTask::BackgroundTask(Work work, QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    const auto run = [shared = m_shared, work = std::move(work), self = QPointer(this)] {
        RunHook();
        work([&shared] { return shared->abandoned.load(std::memory_order_relaxed); });
        {
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->done = true;
        }
        shared->ended.notify_all();
        if (shared->abandoned)
            return;
        // Told on the application's thread, where the task is known to be alive or not.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [shared, self] {
                if (self && !shared->abandoned)
                    emit self->done();
            },
            Qt::QueuedConnection);
    };
    LeftRunning::Started();
    try {
        std::thread([run] {
            run();
            LeftRunning::Ended();
        }).detach();
    } catch (const std::system_error&) {
        LeftRunning::Ended();
        run();
    }
}

void BackgroundTask::setWorkHook(std::function<void()> hook)
{
    const std::lock_guard<std::mutex> lock(s_hookMutex);
    s_hook = std::move(hook);
}

BackgroundTask::~BackgroundTask()
{
    Abandon();
}

bool BackgroundTask::IsDone() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->done;
}

bool BackgroundTask::WaitFor(int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->ended.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [this] { return m_shared->done; });
}

void BackgroundTask::Abandon()
{
    m_shared->abandoned = true;
}
