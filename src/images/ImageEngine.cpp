#include "images/ImageEngine.h"

#include "images/DecodeCost.h"
#include "images/FolderPages.h"
#include "images/PageCache.h"
#include "images/ReadWatch.h"
#include "platform/LeftRunning.h"
#include "platform/MainThreadCalls.h"
#include "platform/WorkerPriority.h"

#include <QSet>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace
{
constexpr int kThreads = 2;
// Quitting waits this long at most for reads under way to notice they are abandoned.
constexpr auto kQuitWait = std::chrono::seconds(2);
// An abandoned decode stops at its next read or row, where its decoder can stop at all.
// One that has been inside a single read of the file system this long is stuck there
// (a dead drive, a pipe), and its thread is left behind; one merely decoding slowly is
// waited for, since another decode beside it would only add to the memory it takes.
constexpr qint64 kStuckAfterMs = 1000;
constexpr int kWatchMs = 250;
// A drive that swallows thread after thread gets no more than these.
constexpr int kMaxLeftBehind = 16;

std::mutex s_hookMutex;
ImageEngine::DecodeHook s_hook;

ImageEngine::DecodeHook CurrentHook()
{
    const std::lock_guard<std::mutex> lock(s_hookMutex);
    return s_hook;
}
} // namespace

struct ImageEngine::Task {
    PageKey key;
    std::shared_ptr<const PageSource> source;
    int generation = 0;
    std::atomic<bool> abandoned { false };
    // What its decode takes, counted against the budget once the decode starts.
    qint64 cost = 0;
    // Its decoder stops soon once the page is given up on (until measured, it only
    // reads a header, and a read given up on fails).
    bool stoppable = true;
};

struct ImageEngine::Worker {
    std::thread thread;
    std::shared_ptr<Task> task;
    // When the read the thread is inside began; written by the thread itself.
    ReadWatch::Mark reading { 0 };
    bool leftBehind = false;
    bool ended = false;
};

struct ImageEngine::Shared {
    explicit Shared(qint64 budget)
        : cache(budget)
    {
    }

    void Abandon(const std::shared_ptr<Task>& task) { task->abandoned = true; }

    bool UnderWay(const PageKey& key) const
    {
        return std::any_of(running.cbegin(), running.cend(), [&](const auto& task) {
            return task->key == key && !task->abandoned && task->generation == generation;
        });
    }

    // The decodes under way on threads that were not left behind.
    qint64 LiveInFlight() const
    {
        qint64 bytes = 0;
        for (const auto& task : running)
            bytes += task->cost;
        return bytes;
    }

    qint64 HeldInSight() const
    {
        qint64 bytes = 0;
        for (const PageKey& key : inSight) {
            if (const PageImage* image = cache.Find(key))
                bytes += image->Bytes();
        }
        return bytes;
    }

    // Whether a decode of that cost may start now. What is in sight may start beside
    // what is held in sight and the decodes under way while the budget holds, and alone
    // whatever it takes (no more than PageImage::kLargestDecode): the reader must see
    // it. Read-ahead waits until the pages wanted and every decode, a thread left
    // behind included, leave room for it.
    bool Fits(const PageKey& key, qint64 cost) const
    {
        const qint64 budget = cache.Budget();
        if (inSight.contains(key))
            return HeldInSight() + inFlight + cost <= budget || LiveInFlight() == 0;
        return cache.WantedBytes() + inFlight + cost <= budget;
    }

    // What a key's decode is known to take, or at least its page's box.
    qint64 CostOf(const PageKey& key) const
    {
        const auto known = costs.constFind(key);
        return known == costs.cend() ? PageCache::Estimate(key) : known->bytes;
    }

    // Read-ahead under way whose decoder cannot stop.
    bool StubbornReadAhead() const
    {
        return std::any_of(running.cbegin(), running.cend(), [&](const auto& task) {
            return !task->abandoned && !task->stoppable && !inSight.contains(task->key);
        });
    }

    // Whether read-ahead of key may start beside what runs: both threads may read ahead,
    // since a page coming in sight takes the place of read-ahead that stops, but only one
    // may hold read-ahead that cannot.
    bool MayReadAhead(const PageKey& key) const
    {
        const auto known = costs.constFind(key);
        return known == costs.cend() || known->stoppable || !StubbornReadAhead();
    }

    // The queued key to decode next: what is in sight first, and read-ahead only once
    // nothing in sight is still to come. A key whose cost is not known yet is taken to
    // learn it. -1 for none.
    qsizetype NextIndex() const
    {
        bool inSightWaits = false;
        for (qsizetype i = 0; i < queue.size(); ++i) {
            if (!inSight.contains(queue[i]))
                continue;
            if (!costs.contains(queue[i]) || Fits(queue[i], costs.value(queue[i]).bytes))
                return i;
            inSightWaits = true;
        }
        if (queue.isEmpty() || inSightWaits)
            return -1;
        for (const auto& task : running) {
            if (!task->abandoned && inSight.contains(task->key))
                return -1;
        }
        for (qsizetype i = 0; i < queue.size(); ++i) {
            if (Fits(queue[i], CostOf(queue[i])) && MayReadAhead(queue[i]))
                return i;
        }
        return -1;
    }

    // Puts a wanted key back in the queue, in its place among the others.
    void Requeue(const PageKey& key)
    {
        if (!wanted.contains(key) || queue.contains(key) || cache.Find(key) || UnderWay(key))
            return;
        const qsizetype rank = order.indexOf(key);
        qsizetype at = 0;
        while (at < queue.size() && order.indexOf(queue[at]) < rank)
            ++at;
        queue.insert(at, key);
    }

    void Count(qint64 bytes)
    {
        inFlight += bytes;
        cache.SetInFlight(inFlight);
    }

    int LiveWorkers() const
    {
        return int(std::count_if(workers.cbegin(), workers.cend(),
            [](const auto& worker) { return !worker->leftBehind && !worker->ended; }));
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable arrived;
    std::condition_variable finished;
    PageCache cache;
    QList<PageKey> queue;
    // The keys admitted, in priority order.
    QList<PageKey> order;
    QSet<PageKey> wanted;
    QSet<PageKey> inSight;
    QList<std::shared_ptr<Task>> running;
    QList<std::shared_ptr<Worker>> workers;
    struct Measure {
        qint64 bytes = 0;
        bool stoppable = true;
    };
    // What the decodes of keys measured already take.
    QHash<PageKey, Measure> costs;
    // The bytes every decode under way will take, those of threads left behind included.
    qint64 inFlight = 0;
    std::shared_ptr<const PageSource> source = std::make_shared<FolderPages>();
    int generation = 0;
    bool stop = false;
    // Read and written on the reader's thread only.
    ImageEngine* engine = nullptr;
};

ImageEngine::ImageEngine(qint64 budget, QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>(budget))
{
    m_shared->engine = this;
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &ImageEngine::ReplaceStuckWorkers);
    EnsureWorkers();
}

qint64 ImageEngine::BudgetFor(const QSize& screenPixels)
{
    const qint64 screen = qint64(std::max(screenPixels.width(), 0))
        * qint64(std::max(screenPixels.height(), 0)) * 4;
    return std::clamp(screen * 12, kDefaultBudget, kLargestBudget);
}

void ImageEngine::SetBudget(qint64 budget)
{
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->cache.SetBudget(budget);
    }
    m_shared->wake.notify_all();
}

void ImageEngine::SetSource(std::shared_ptr<const PageSource> source)
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->source = std::move(source);
}

ImageEngine::~ImageEngine()
{
    QList<std::shared_ptr<Worker>> ended;
    QList<std::shared_ptr<Worker>> stuck;
    {
        std::unique_lock<std::mutex> lock(m_shared->mutex);
        m_shared->engine = nullptr;
        m_shared->stop = true;
        ++m_shared->generation;
        m_shared->queue.clear();
        for (const auto& task : m_shared->running)
            m_shared->Abandon(task);
        m_shared->wake.notify_all();
        m_shared->finished.wait_for(
            lock, kQuitWait, [this] { return m_shared->LiveWorkers() == 0; });
        for (const auto& worker : m_shared->workers)
            (worker->ended ? ended : stuck).append(worker);
    }
    for (const auto& worker : ended)
        worker->thread.join();
    // A read stuck in the file system must not keep the program from ending; its
    // thread holds only shared state and ends on its own.
    for (const auto& worker : stuck)
        worker->thread.detach();
}

void ImageEngine::setDecodeHook(DecodeHook hook)
{
    const std::lock_guard<std::mutex> lock(s_hookMutex);
    s_hook = std::move(hook);
}

bool ImageEngine::EnsureWorkers()
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    int live = m_shared->LiveWorkers();
    while (live < kThreads) {
        // Short of memory a thread may not start; the engine goes on with fewer.
        try {
            auto worker = std::make_shared<Worker>();
            LeftRunning::Started();
            try {
                worker->thread = std::thread([shared = m_shared, worker] { Work(shared, worker); });
            } catch (...) {
                LeftRunning::Ended();
                throw;
            }
            m_shared->workers.append(worker);
            ++live;
        } catch (const std::exception&) {
            break;
        }
    }
    return live > 0;
}

void ImageEngine::Want(const QList<PageKey>& keys, int inSight)
{
    const bool canDecode = EnsureWorkers();
    bool abandoned = false;
    QStringList failed;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        Shared& s = *m_shared;
        const QList<PageKey> admitted = s.cache.Admit(keys, inSight);
        s.cache.Want(admitted);
        s.order = admitted;
        s.wanted = QSet<PageKey>(admitted.cbegin(), admitted.cend());
        const QList<PageKey> seen = admitted.mid(0, inSight);
        s.inSight = QSet<PageKey>(seen.cbegin(), seen.cend());
        for (const auto& task : s.running) {
            if (!s.wanted.contains(task->key))
                s.Abandon(task);
            abandoned = abandoned || task->abandoned;
        }
        s.queue.clear();
        for (const PageKey& key : admitted) {
            if (!s.cache.Find(key) && !s.UnderWay(key))
                s.queue.append(key);
        }
        // A page come in sight while every thread reads ahead takes the place of
        // read-ahead that can stop; that goes back in the queue.
        const bool sightWaits = std::any_of(s.queue.cbegin(), s.queue.cend(),
            [&](const PageKey& key) { return s.inSight.contains(key); });
        const bool threadFree
            = std::any_of(s.workers.cbegin(), s.workers.cend(), [](const auto& worker) {
                  return !worker->leftBehind && !worker->ended && !worker->task;
              });
        if (sightWaits && !threadFree) {
            for (const auto& task : s.running) {
                if (!s.inSight.contains(task->key)) {
                    s.Abandon(task);
                    abandoned = true;
                }
            }
        }
        if (!canDecode) {
            // Without a thread to decode on, every page counts as one that cannot be.
            for (const PageKey& key : std::as_const(s.queue)) {
                s.cache.Insert(key, PageImage());
                failed << key.path;
            }
            s.queue.clear();
        }
    }
    m_shared->wake.notify_all();
    if (abandoned && !m_watch.isActive())
        m_watch.start();
    for (const QString& path : std::as_const(failed))
        QMetaObject::invokeMethod(
            this, [this, path] { emit pageDecoded(path); }, Qt::QueuedConnection);
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
    bool running = false;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        ++m_shared->generation;
        m_shared->queue.clear();
        m_shared->wanted.clear();
        m_shared->inSight.clear();
        m_shared->cache.Clear();
        m_shared->costs.clear();
        for (const auto& task : m_shared->running)
            m_shared->Abandon(task);
        running = !m_shared->running.isEmpty();
    }
    if (running && !m_watch.isActive())
        m_watch.start();
}

bool ImageEngine::IsIdle() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->running.isEmpty() && m_shared->NextIndex() < 0;
}

qint64 ImageEngine::HeldBytes() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->cache.Bytes();
}

int ImageEngine::Workers() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->LiveWorkers();
}

int ImageEngine::LeftBehind() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return int(std::count_if(m_shared->workers.cbegin(), m_shared->workers.cend(),
        [](const auto& worker) { return worker->leftBehind && !worker->ended; }));
}

void ImageEngine::ReplaceStuckWorkers()
{
    bool waiting = false;
    bool replace = false;
    QList<std::shared_ptr<Worker>> ended;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        Shared& s = *m_shared;
        int behind = 0;
        for (const auto& worker : std::as_const(s.workers))
            behind += worker->leftBehind && !worker->ended ? 1 : 0;
        const qint64 now = ReadWatch::Now();
        for (const auto& worker : std::as_const(s.workers)) {
            const std::shared_ptr<Task> task = worker->task;
            if (worker->leftBehind || !task || !task->abandoned)
                continue;
            const qint64 readSince = worker->reading.load();
            if (readSince == 0 || now - readSince < kStuckAfterMs || behind >= kMaxLeftBehind) {
                waiting = waiting || behind < kMaxLeftBehind;
                continue;
            }
            worker->leftBehind = true;
            s.running.removeOne(task);
            ++behind;
            replace = true;
        }
        // Threads that were left behind and came back since are done with.
        for (qsizetype i = s.workers.size() - 1; i >= 0; --i) {
            if (s.workers[i]->leftBehind && s.workers[i]->ended)
                ended.append(s.workers.takeAt(i));
        }
        s.wake.notify_all();
    }
    for (const auto& worker : std::as_const(ended))
        worker->thread.join();
    if (replace)
        EnsureWorkers();
    if (!waiting)
        m_watch.stop();
}

void ImageEngine::Work(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Worker>& me)
{
    WorkerPriority::Lower();
    ReadWatch::Attach(&me->reading);
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(
            lock, [&] { return shared->stop || me->leftBehind || shared->NextIndex() >= 0; });
        if (shared->stop || me->leftBehind)
            break;
        auto task = std::make_shared<Task>();
        task->key = shared->queue.takeAt(shared->NextIndex());
        task->generation = shared->generation;
        task->source = shared->source;
        const auto measured = shared->costs.constFind(task->key);
        const bool known = measured != shared->costs.cend();
        qint64 cost = known ? measured->bytes : -1;
        bool stoppable = known ? measured->stoppable : true;
        shared->running.append(task);
        me->task = task;
        lock.unlock();

        const auto abandoned = [task] { return task->abandoned.load(std::memory_order_relaxed); };
        // Everything from opening the page's bytes to the scaled result happens at the
        // page's edge: a page that cannot have the memory it needs is a damaged page.
        PageImage image;
        std::unique_ptr<QIODevice> page;
        try {
            {
                // An archive's member is read whole here, a file only opened.
                const ReadWatch::Scope reading;
                page = task->source->Open(task->key.path, abandoned);
            }
            if (page && !known) {
                cost = DecodeCost::Of(*page, task->key.fit);
                stoppable = DecodeCost::Stoppable(*page);
            }
        } catch (const std::bad_alloc&) {
            page.reset();
        }

        lock.lock();
        bool decode = page && cost <= PageImage::kLargestDecode && !task->abandoned;
        const bool ahead = !shared->inSight.contains(task->key);
        if (decode
            && (!shared->Fits(task->key, cost)
                || (ahead && !stoppable && shared->StubbornReadAhead()))) {
            // Not now: the page waits in the queue, its cost known, until decodes under
            // way or the pages wanted leave room, or a thread is free of read-ahead that
            // cannot stop.
            shared->costs.insert(task->key, { cost, stoppable });
            shared->running.removeOne(task);
            me->task.reset();
            shared->Requeue(task->key);
            // The file is closed outside the lock.
            lock.unlock();
            page.reset();
            lock.lock();
            continue;
        }
        if (decode) {
            task->cost = cost;
            task->stoppable = stoppable;
            shared->Count(cost);
        }
        lock.unlock();

        if (decode) {
            try {
                if (const DecodeHook hook = CurrentHook())
                    hook(task->key.path, abandoned);
                image.Load(*page, task->key.fit, abandoned);
            } catch (const std::bad_alloc&) {
                image.Destroy();
            }
        }
        // The file is closed before the result is handed over.
        page.reset();

        lock.lock();
        shared->Count(-task->cost);
        me->task.reset();
        if (me->leftBehind)
            break;
        shared->running.removeOne(task);
        // Read-ahead may start now that this page is done.
        shared->wake.notify_all();
        if (task->generation != shared->generation || !shared->wanted.contains(task->key))
            continue;
        // A page given up on that came back whole is kept all the same; one that stopped
        // part way goes back in the queue, as read-ahead set aside for a page in sight does.
        if (task->abandoned && image.IsNull()) {
            shared->Requeue(task->key);
            continue;
        }
        try {
            shared->cache.Insert(task->key, image);
            shared->arrived.notify_all();
            MainThreadCalls::Post([shared, key = task->key, generation = task->generation] {
                bool current = false;
                {
                    const std::lock_guard<std::mutex> guard(shared->mutex);
                    current = generation == shared->generation && shared->wanted.contains(key);
                }
                if (current && shared->engine)
                    emit shared->engine->pageDecoded(key.path);
            });
        } catch (const std::bad_alloc&) {
            // Asked for again with the next request.
        }
    }
    me->ended = true;
    shared->finished.notify_all();
    lock.unlock();
    LeftRunning::Ended();
}
