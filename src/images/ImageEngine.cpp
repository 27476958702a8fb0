#include "images/ImageEngine.h"

#include "images/PageCache.h"
#include "platform/LeftRunning.h"

#include <QCoreApplication>
#include <QSet>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace
{
constexpr int kThreads = 2;
// Quitting waits this long at most for reads under way to notice they are abandoned.
constexpr auto kQuitWait = std::chrono::seconds(2);

std::mutex s_hookMutex;
std::function<void(const QString&)> s_hook;

void RunHook(const QString& path)
{
    std::function<void(const QString&)> hook;
    {
        const std::lock_guard<std::mutex> lock(s_hookMutex);
        hook = s_hook;
    }
    if (hook)
        hook(path);
}
} // namespace

struct ImageEngine::Shared {
    explicit Shared(qint64 budget)
        : cache(budget)
    {
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable arrived;
    std::condition_variable finished;
    PageCache cache;
    QList<PageKey> queue;
    QSet<PageKey> wanted;
    // Keys being decoded, by the generation they were asked for in.
    QHash<PageKey, int> running;
    std::atomic<int> generation { 0 };
    bool stop = false;
    int liveThreads = 0;
    // Read and written on the reader's thread only.
    ImageEngine* engine = nullptr;
};

ImageEngine::ImageEngine(qint64 budget, QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>(budget))
{
    m_shared->engine = this;
    m_shared->liveThreads = kThreads;
    for (int i = 0; i < kThreads; ++i) {
        LeftRunning::Started();
        m_threads.emplace_back([shared = m_shared] { Work(shared); });
    }
}

ImageEngine::~ImageEngine()
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->engine = nullptr;
    m_shared->stop = true;
    ++m_shared->generation;
    m_shared->queue.clear();
    m_shared->wake.notify_all();
    const bool done = m_shared->finished.wait_for(
        lock, kQuitWait, [this] { return m_shared->liveThreads == 0; });
    lock.unlock();
    // A read stuck in the file system (a network drive gone away) must not keep the
    // program from ending; its thread holds only shared state and ends on its own.
    for (std::thread& thread : m_threads) {
        if (done)
            thread.join();
        else
            thread.detach();
    }
}

void ImageEngine::setDecodeHook(std::function<void(const QString& path)> hook)
{
    const std::lock_guard<std::mutex> lock(s_hookMutex);
    s_hook = std::move(hook);
}

void ImageEngine::Want(const QList<PageKey>& keys, int inSight)
{
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        const QList<PageKey> admitted = m_shared->cache.Admit(keys, inSight);
        m_shared->cache.Keep(admitted);
        m_shared->wanted = QSet<PageKey>(admitted.cbegin(), admitted.cend());
        m_shared->queue.clear();
        for (const PageKey& key : admitted) {
            if (!m_shared->cache.Find(key)
                && m_shared->running.value(key, -1) != m_shared->generation)
                m_shared->queue.append(key);
        }
    }
    m_shared->wake.notify_all();
}

std::optional<PageImage> ImageEngine::Held(const PageKey& key) const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (const PageImage* image = m_shared->cache.Find(key))
        return *image;
    return std::nullopt;
}

std::optional<PageImage> ImageEngine::Largest(const QString& path) const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (const PageImage* image = m_shared->cache.Largest(path))
        return *image;
    return std::nullopt;
}

bool ImageEngine::WaitFor(const QList<PageKey>& keys, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return std::all_of(keys.cbegin(), keys.cend(),
            [&](const PageKey& key) { return m_shared->cache.Find(key) != nullptr; });
    });
}

void ImageEngine::Close()
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    ++m_shared->generation;
    m_shared->queue.clear();
    m_shared->wanted.clear();
    m_shared->cache.Clear();
}

bool ImageEngine::IsIdle() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->queue.isEmpty() && m_shared->running.isEmpty();
}

qint64 ImageEngine::HeldBytes() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->cache.Bytes();
}

void ImageEngine::Work(const std::shared_ptr<Shared>& shared)
{
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stop || !shared->queue.isEmpty(); });
        if (shared->stop)
            break;
        const PageKey key = shared->queue.takeFirst();
        const int generation = shared->generation;
        shared->running.insert(key, generation);
        lock.unlock();

        RunHook(key.path);
        PageImage image;
        image.Load(
            key.path, key.fit, [&shared, generation] { return shared->generation != generation; });

        lock.lock();
        if (shared->running.value(key) == generation)
            shared->running.remove(key);
        if (generation != shared->generation || !shared->wanted.contains(key))
            continue;
        shared->cache.Insert(key, image);
        shared->arrived.notify_all();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [shared, key, generation] {
                bool current = false;
                {
                    const std::lock_guard<std::mutex> guard(shared->mutex);
                    current = generation == shared->generation && shared->wanted.contains(key);
                }
                if (current && shared->engine)
                    emit shared->engine->pageDecoded(key.path);
            },
            Qt::QueuedConnection);
    }
    --shared->liveThreads;
    shared->finished.notify_all();
    lock.unlock();
    LeftRunning::Ended();
}
