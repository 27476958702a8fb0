#pragma once

#include <functional>
#include <mutex>

// A function tests put where a worker thread starts a piece of work, to hold it up as a
// slow drive or a slow library would. Set from the tests' thread, run on the workers'.
class TestHook
{
public:
    void Set(std::function<void()> hook)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_hook = std::move(hook);
    }
    void Run() const
    {
        std::function<void()> hook;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            hook = m_hook;
        }
        if (hook)
            hook();
    }

private:
    mutable std::mutex m_mutex;
    std::function<void()> m_hook;
};
