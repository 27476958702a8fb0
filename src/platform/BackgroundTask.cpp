#include "platform/BackgroundTask.h"

#include "platform/LeftRunning.h"
#include "platform/MainThreadCalls.h"
#include "platform/TestHook.h"

#include <QPointer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace
{
TestHook s_hook;
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
        s_hook.Run();
        work([&shared] { return shared->abandoned.load(std::memory_order_relaxed); });
        {
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->done = true;
        }
        shared->ended.notify_all();
        if (shared->abandoned)
            return;
        // Told on the application's thread, where the task is known to be alive or not.
        MainThreadCalls::Post([shared, self] {
            if (self && !shared->abandoned)
                emit self->done();
        });
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
    s_hook.Set(std::move(hook));
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
