#include "reader/ThumbQueue.h"

#include "images/DecodeCost.h"
#include "platform/LeftRunning.h"
#include "platform/MainThreadCalls.h"
#include "platform/WorkerPriority.h"

#include <condition_variable>
#include <mutex>
#include <new>

#include <pthread.h>

struct ThumbQueue::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    int threads = 0;
    // Each Start begins a generation; work of an older one is abandoned.
    int generation = 0;
    Factory factory;
    QList<int> queue;
    // What was last wanted: work on anything else is given up.
    QSet<int> wanted;
    QList<int> running;
    QList<Result> results;
    // Told of results while it lives; cleared under the lock before it goes.
    ThumbQueue* owner = nullptr;
    bool told = false;
};

ThumbQueue::ThumbQueue(QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

ThumbQueue::~ThumbQueue()
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->owner = nullptr;
    m_shared->stop = true;
    m_shared->queue.clear();
    m_shared->wake.notify_all();
}

void ThumbQueue::Start(Factory factory)
{
    m_held.clear();
    m_failed.clear();
    m_wanted.clear();
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    ++m_shared->generation;
    m_shared->factory = std::move(factory);
    m_shared->queue.clear();
    m_shared->wanted.clear();
    m_shared->running.clear();
    m_shared->results.clear();
}

void ThumbQueue::Stop()
{
    Start({});
}

void ThumbQueue::Want(const QList<int>& items)
{
    m_wanted = items;
    const QSet<int> wanted(items.cbegin(), items.cend());
    m_held.removeIf([&wanted](const auto& it) { return !wanted.contains(it.key()); });
    m_failed.removeIf([&wanted](int item) { return !wanted.contains(item); });
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->wanted = wanted;
    if (!m_shared->factory)
        return;
    m_shared->queue.clear();
    for (int item : items) {
        if (!m_held.contains(item) && !m_failed.contains(item) && !m_shared->running.contains(item))
            m_shared->queue.append(item);
    }
    // Threads start when first needed: a book whose grid is never opened costs none. A
    // process short of address space makes no pictures at all (they stay grey boxes):
    // even a small thread's stack was once what the page being opened lacked.
    constexpr qint64 kThreadRoom = qint64(64) << 20;
    while (m_shared->threads < std::min<qsizetype>(kThreads, m_shared->queue.size())) {
        if (!DecodeCost::Plentiful(kThreadRoom) || !StartThread(m_shared))
            break;
        ++m_shared->threads;
    }
    m_shared->wake.notify_all();
}

QImage ThumbQueue::Thumb(int item) const
{
    return m_held.value(item);
}

bool ThumbQueue::Failed(int item) const
{
    return m_failed.contains(item);
}

qint64 ThumbQueue::HeldBytes() const
{
    qint64 bytes = 0;
    for (const QImage& image : m_held)
        bytes += image.sizeInBytes();
    return bytes;
}

bool ThumbQueue::StartThread(const std::shared_ptr<Shared>& shared)
{
    // A small stack: on a machine short of address space the default eight megabytes a
    // thread would be taken from the page being opened.
    constexpr size_t kStack = size_t(2) << 20;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    pthread_attr_setstacksize(&attributes, kStack);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto* owned = new std::shared_ptr<Shared>(shared);
    pthread_t thread;
    const int started = pthread_create(
        &thread, &attributes,
        [](void* argument) -> void* {
            const std::unique_ptr<std::shared_ptr<Shared>> held(
                static_cast<std::shared_ptr<Shared>*>(argument));
            Work(*held);
            return nullptr;
        },
        owned);
    pthread_attr_destroy(&attributes);
    if (started != 0)
        delete owned;
    return started == 0;
}

void ThumbQueue::Work(const std::shared_ptr<Shared>& shared)
{
    WorkerPriority::Lower();
    // Below the decoders of the pages read, which are a notch below the window already.
    WorkerPriority::Lower();
    int makerGeneration = -1;
    Make make;
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stop || !shared->queue.isEmpty(); });
        if (shared->stop)
            break;
        const int item = shared->queue.takeFirst();
        const int generation = shared->generation;
        shared->running.append(item);
        Factory factory = makerGeneration == generation ? Factory() : shared->factory;
        lock.unlock();

        // Inside the decoders and poppler: the program must not tear them down on its way
        // out under this thread.
        LeftRunning::Started();
        if (factory) {
            // The maker of the book before goes first: a PDF's document is let go.
            make = {};
            make = factory();
            makerGeneration = generation;
        }
        bool gaveUp = false;
        const auto abandoned = [&shared, &gaveUp, generation, item] {
            std::lock_guard<std::mutex> guard(shared->mutex);
            gaveUp = gaveUp || shared->stop || shared->generation != generation
                || !shared->wanted.contains(item);
            return gaveUp;
        };
        QImage image;
        try {
            if (make)
                image = make(item, abandoned);
        } catch (const std::bad_alloc&) {
            image = QImage();
        }
        LeftRunning::Ended();

        lock.lock();
        if (shared->generation != generation)
            continue;
        shared->running.removeOne(item);
        if (gaveUp && image.isNull()) {
            // Given up and wanted again meanwhile (scrolled away and back): made anew, not
            // taken for a page that cannot be made.
            if (shared->wanted.contains(item))
                shared->queue.prepend(item);
            continue;
        }
        shared->results.append({ generation, item, image });
        if (shared->owner && !shared->told) {
            shared->told = true;
            MainThreadCalls::Post([shared] {
                ThumbQueue* owner = nullptr;
                {
                    const std::lock_guard<std::mutex> guard(shared->mutex);
                    owner = shared->owner;
                }
                if (owner)
                    owner->TakeResults();
            });
        }
    }
    --shared->threads;
}

void ThumbQueue::TakeResults()
{
    QList<Result> results;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        results.swap(m_shared->results);
        m_shared->told = false;
    }
    bool any = false;
    for (const Result& result : std::as_const(results)) {
        if (!m_wanted.contains(result.item))
            continue;
        if (result.image.isNull())
            m_failed.insert(result.item);
        else
            m_held.insert(result.item, result.image);
        any = true;
    }
    if (any)
        emit arrived();
}
