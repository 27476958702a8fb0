#include "platform/MainThreadCalls.h"

#include <QCoreApplication>
#include <QThread>

MainThreadCalls& MainThreadCalls::Instance()
{
    // Made by whichever thread posts first, and handed to the application's thread, where
    // it lives until the program ends.
    static MainThreadCalls* const instance = [] {
        auto* made = new MainThreadCalls;
        if (QCoreApplication* app = QCoreApplication::instance())
            made->moveToThread(app->thread());
        return made;
    }();
    return *instance;
}

void MainThreadCalls::Post(std::function<void()> work)
{
    MainThreadCalls& calls = Instance();
    {
        const std::lock_guard<std::mutex> lock(calls.m_mutex);
        calls.m_calls.push_back(std::move(work));
    }
    QMetaObject::invokeMethod(&calls, "RunPosted", Qt::QueuedConnection);
}

void MainThreadCalls::RunPosted()
{
    std::deque<std::function<void()>> calls;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        calls.swap(m_calls);
    }
    for (const std::function<void()>& call : calls)
        call();
}
