#include "images/PageMemory.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include <pthread.h>
#include <sys/mman.h>

namespace PageMemory
{

namespace
{
    // Set once the thread that gives mappings back has ended at the program's exit:
    // pages let go after that are given back at once.
    std::atomic<bool> s_over { false };
    // Giving mappings back needs next to no stack: with a thread's usual 8 MB, under a
    // small address space the thread would take the room of Qt's own pool threads.
    constexpr size_t kStack = size_t(128) << 10;

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
            if (m_started)
                pthread_join(m_thread, nullptr);
            s_over = true;
            for (const auto& [pixels, bytes] : m_pending)
                munmap(pixels, bytes);
        }

        // False when the mapping could not be queued: the caller gives it back itself.
        bool Queue(void* pixels, size_t bytes) noexcept
        {
            try {
                const std::lock_guard<std::mutex> lock(m_mutex);
                if (m_stop || (!m_started && !Start()))
                    return false;
                m_pending.emplace_back(pixels, bytes);
            } catch (...) {
                return false;
            }
            m_wake.notify_one();
            return true;
        }

    private:
        bool Start()
        {
            pthread_attr_t attributes;
            if (pthread_attr_init(&attributes) != 0)
                return false;
            pthread_attr_setstacksize(&attributes, kStack);
            m_started = pthread_create(
                            &m_thread, &attributes,
                            [](void* giver) -> void* {
                                static_cast<Giver*>(giver)->Run();
                                return nullptr;
                            },
                            this)
                == 0;
            pthread_attr_destroy(&attributes);
            return m_started;
        }

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
        pthread_t m_thread {};
        bool m_started = false;
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
