#include "images/MemberBudget.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace
{
// Pages are given back when their decoders are done, which takes well under a second;
// a holder that keeps its share longer leaves the waiting page damaged, not stuck.
constexpr auto kLongestWait = std::chrono::seconds(5);
constexpr auto kPoll = std::chrono::milliseconds(20);

std::mutex& Mutex()
{
    static std::mutex mutex;
    return mutex;
}

std::condition_variable& GivenBack()
{
    static std::condition_variable given;
    return given;
}

qint64 g_held = 0;
} // namespace

MemberBudget::Share::~Share()
{
    if (m_bytes == 0)
        return;
    {
        const std::lock_guard<std::mutex> lock(Mutex());
        g_held -= m_bytes;
    }
    GivenBack().notify_all();
}

MemberBudget::Share::Share(Share&& other) noexcept
    : m_bytes(std::exchange(other.m_bytes, 0))
{
}

MemberBudget::Share& MemberBudget::Share::operator=(Share&& other) noexcept
{
    if (this != &other) {
        Share dropped(std::move(*this));
        m_bytes = std::exchange(other.m_bytes, 0);
    }
    return *this;
}

bool MemberBudget::Share::GrowTo(qint64 bytes, const std::function<bool()>& abandoned)
{
    if (bytes <= m_bytes)
        return true;
    if (bytes > kBytes)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(Mutex());
            if (g_held - m_bytes + bytes <= kBytes) {
                g_held += bytes - m_bytes;
                m_bytes = bytes;
                return true;
            }
            GivenBack().wait_for(lock, kPoll);
        }
        // Asked without the lock: whoever answers may take locks of its own.
        if ((abandoned && abandoned()) || std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

qint64 MemberBudget::Held()
{
    const std::lock_guard<std::mutex> lock(Mutex());
    return g_held;
}
