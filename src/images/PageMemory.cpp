#include "images/PageMemory.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <sys/mman.h>

namespace PageMemory
{

namespace
{
    // Set once the thread that gives mappings back has ended at the program's exit:
    // pages let go after that are given back at once.
    std::atomic<bool> s_over { false };

    class Giver
    {
    public:
        ~Giver()
        {
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_stop = true;
            }
            m_wake.notify_one();
            if (m_thread.joinable())
                m_thread.join();
            s_over = true;
            for (const auto& [pixels, bytes] : m_pending)
                munmap(pixels, bytes);
        }

        // False when the mapping could not be queued: the caller gives it back itself.
        bool Queue(void* pixels, size_t bytes) noexcept
        {
            try {
                const std::lock_guard<std::mutex> lock(m_mutex);
                if (m_stop)
                    return false;
                if (!m_thread.joinable())
                    m_thread = std::thread([this] { Run(); });
                m_pending.emplace_back(pixels, bytes);
            } catch (...) {
                return false;
            }
            m_wake.notify_one();
            return true;
        }

    private:
        void Run()
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            for (;;) {
                m_wake.wait(lock, [this] { return m_stop || !m_pending.empty(); });
                if (m_pending.empty())
                    return;
                std::vector<std::pair<void*, size_t>> batch;
                batch.swap(m_pending);
                lock.unlock();
                for (const auto& [pixels, bytes] : batch)
                    munmap(pixels, bytes);
                lock.lock();
            }
        }

        std::mutex m_mutex;
        std::condition_variable m_wake;
        std::vector<std::pair<void*, size_t>> m_pending;
        std::thread m_thread;
        bool m_stop = false;
    };

    Giver& TheGiver()
    {
        static Giver giver;
        return giver;
    }
} // namespace

void* Map(size_t bytes)
{
    void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pixels == MAP_FAILED ? nullptr : pixels;
}

void Unmap(void* pixels, size_t bytes)
{
    if (s_over || !TheGiver().Queue(pixels, bytes))
        munmap(pixels, bytes);
}

} // namespace PageMemory
