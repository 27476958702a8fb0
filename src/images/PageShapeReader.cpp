#include "images/PageShapeReader.h"

#include "images/AbortableFile.h"
#include "images/Orientation.h"
#include "images/PageHeader.h"
#include "platform/LeftRunning.h"
#include "platform/MainThreadCalls.h"
#include "platform/Paths.h"
#include "platform/WorkerPriority.h"

#include <QImageReader>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace
{
// Pages after the one opened at read before the ones behind it.
constexpr int kAhead = 4;
// The reader hears of progress no more often than this, and of a wide page at once.
constexpr auto kTellEvery = std::chrono::milliseconds(20);
} // namespace

struct PageShapeReader::Shared {
    std::mutex mutex;
    PageShapes shapes;
    QList<QSize> sizes;
    QList<int> order;
    std::atomic<bool> stop { false };
    bool told = true;
    // Read and written on the reader's thread only, under the mutex.
    PageShapeReader* owner = nullptr;
};

PageShapeReader::PageShapeReader(QObject* parent)
    : QObject(parent)
{
}

PageShapeReader::~PageShapeReader()
{
    Stop();
}

QList<int> PageShapeReader::ReadingOrder(int count, int fromPage)
{
    const int from = std::clamp(fromPage, 1, std::max(count, 1)) - 1;
    QList<int> order;
    order.reserve(count);
    const int aheadEnd = std::min(count, from + kAhead);
    for (int i = from; i < aheadEnd; ++i)
        order.append(i);
    for (int i = from - 1; i >= 0; --i)
        order.append(i);
    for (int i = aheadEnd; i < count; ++i)
        order.append(i);
    return order;
}

PageShape PageShapeReader::ShapeOf(const QString& path, const std::function<bool()>& abandoned)
{
    AbortableFile file(abandoned);
    if (!Paths::OpenForReading(file, path))
        return PageShape::NotWide;
    return ShapeOf(file);
}

QSize PageShapeReader::UprightSize(QIODevice& page)
{
    if (const std::optional<QSize> own = PageHeader::UprightSize(page))
        return *own;
    page.seek(0);
    QImageReader reader(&page);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    return Orientation::Turned(reader.transformation()) ? size.transposed() : size;
}

PageShape PageShapeReader::ShapeOf(QIODevice& page)
{
    const QSize upright = UprightSize(page);
    if (!upright.isValid())
        return PageShape::NotWide;
    return ShapeOfSize(upright);
}

void PageShapeReader::Start(std::shared_ptr<const PageSource> pages, int fromPage)
{
    Stop();
    auto shared = std::make_shared<Shared>();
    shared->shapes = PageShapes(pages->Count(), PageShape::Unknown);
    shared->sizes = QList<QSize>(pages->Count());
    shared->order = ReadingOrder(pages->Count(), fromPage);
    shared->owner = this;
    m_shared = shared;
    LeftRunning::Started();
    try {
        std::thread([shared, pages] {
            Read(shared, *pages);
            LeftRunning::Ended();
        }).detach();
    } catch (const std::system_error&) {
        // Without a thread no page counts as wide, and the book pairs as usual.
        LeftRunning::Ended();
    }
}

void PageShapeReader::Stop()
{
    // Held here until the lock is let go: the reader's thread may have dropped its copy
    // already, and the mutex must outlive the guard.
    const std::shared_ptr<Shared> shared = std::exchange(m_shared, nullptr);
    if (!shared)
        return;
    shared->stop = true;
    const std::lock_guard<std::mutex> lock(shared->mutex);
    shared->owner = nullptr;
}

PageShapes PageShapeReader::Shapes() const
{
    if (!m_shared)
        return {};
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->shapes;
}

QList<QSize> PageShapeReader::Sizes() const
{
    if (!m_shared)
        return {};
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    // A copy of its own, made under the lock: a shared one would be copied by whoever
    // changes it first, here or on the reading thread, without the lock.
    return QList<QSize>(m_shared->sizes.cbegin(), m_shared->sizes.cend());
}

void PageShapeReader::Read(const std::shared_ptr<Shared>& shared, const PageSource& pages)
{
    WorkerPriority::Lower();
    const auto abandoned = [&shared] { return shared->stop.load(std::memory_order_relaxed); };
    auto toldAt = std::chrono::steady_clock::now();
    for (qsizetype n = 0; n < shared->order.size() && !abandoned(); ++n) {
        const int page = shared->order[n];
        const std::unique_ptr<QIODevice> device = pages.Open(pages.PageId(page + 1), abandoned);
        const QSize size = device ? UprightSize(*device) : QSize();
        const PageShape shape = size.isValid() ? ShapeOfSize(size) : PageShape::NotWide;
        const auto now = std::chrono::steady_clock::now();
        const bool last = n + 1 == shared->order.size();
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->shapes[page] = shape;
        shared->sizes[page] = size;
        if (!shared->told || (shape != PageShape::Wide && !last && now - toldAt < kTellEvery))
            continue;
        shared->told = false;
        toldAt = now;
        MainThreadCalls::Post([shared] {
            PageShapeReader* owner = nullptr;
            {
                const std::lock_guard<std::mutex> guard(shared->mutex);
                shared->told = true;
                owner = shared->owner;
            }
            if (owner)
                emit owner->shapesRead();
        });
    }
}
