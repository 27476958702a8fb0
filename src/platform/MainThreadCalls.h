#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Work a thread of ours hands to the application's thread, to run there after the events
// already queued. What the work carries is handed over under a lock of our own: a call
// posted through Qt alone would be read with only Qt's own futex between the threads,
// which ThreadSanitizer cannot see, and every result posted so was reported as a race.
class MainThreadCalls : public QObject
{
    Q_OBJECT
public:
    static void Post(std::function<void()> work);

private:
    MainThreadCalls() = default;
    static MainThreadCalls& Instance();
    Q_INVOKABLE void RunPosted();

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_calls;
};
