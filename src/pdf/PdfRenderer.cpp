#include "pdf/PdfRenderer.h"

#include "images/BorderCrop.h"
#include "images/NightColours.h"
#include "pdf/PopplerDocuments.h"
#include "platform/Allocator.h"
#include "platform/LeftRunning.h"
#include "platform/MainThreadCalls.h"
#include "platform/TestHook.h"
#include "platform/WorkerPriority.h"

#include <QPainter>

#include <poppler-qt6.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

const QColor PdfRenderer::kBackground(96, 96, 96);

namespace
{
// One render thread per core, two at most: the reader's thread paints besides.
int RenderThreads()
{
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 2u));
}

// The longer side of the small render a page's borders are found on.
constexpr double kContentSide = 600;
// Sizes are read a few at a time, so that a render waits for no more than these.
constexpr qsizetype kSizesAtOnce = 16;
// Sizes asked for later are told in slices of this long: often enough that the reader
// sees them come, seldom enough that telling costs little.
constexpr auto kSizesSlice = std::chrono::milliseconds(10);
} // namespace

// What the threads rendering one document share.
struct PdfRenderer::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    QString path;
    // Until every thread has opened its document with it.
    PdfPassword password;
    int toOpen = 0;
    // Opened before the threads started; the first thread takes it.
    PopplerDocuments::Document opened;
    QList<RenderJob> jobs;
    // The first job is what shows now: it goes before the contents of pages.
    bool sightFirst = false;
    QList<int> sizesWanted;
    QList<int> contentsWanted;
    // Read by a thread of their own.
    QList<int> sizesLater;
    bool readingLater = false;
    bool stop = false;
    // One thread reads the outline, once, after the first render.
    bool outlineRead = false;
    // Poppler builds some state of its own lazily and without a lock: only once one
    // render has finished may a second thread render beside the first.
    bool warmed = false;
    // The first thread has started opening its document.
    bool opening = false;
    // Read and written on the reader's thread only; null once the document is let go.
    PdfRenderer* owner = nullptr;
    QList<Worker*> workers;
};

// One render thread, with a document of its own: one document must never be rendered
// from two threads at once.
struct PdfRenderer::Worker {
    QString runningKey;
    std::atomic<bool> abortRunning { false };
    PopplerDocuments::Document document;
};

namespace
{
TestHook s_hook;

bool ShouldAbort(const QVariant& closure)
{
    return static_cast<std::atomic<bool>*>(closure.value<void*>())->load();
}

} // namespace

void PdfRenderer::setRenderHook(std::function<void()> hook)
{
    s_hook.Set(std::move(hook));
}

PdfRenderer::PdfRenderer() = default;

PdfRenderer::~PdfRenderer()
{
    Retire();
}

void PdfRenderer::Retire()
{
    if (!m_shared)
        return;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->owner = nullptr;
        m_shared->stop = true;
        m_shared->jobs.clear();
        for (Worker* worker : std::as_const(m_shared->workers))
            worker->abortRunning = true;
    }
    m_shared->wake.notify_all();
    m_shared.reset();
}

void PdfRenderer::Open(
    const QString& path, const PdfPassword& password, PopplerDocuments::Document opened)
{
    Retire();
    if (path.isEmpty())
        return;
    m_shared = std::make_shared<Shared>();
    m_shared->path = path;
    m_shared->password = password;
    m_shared->opened = std::move(opened);
    m_shared->owner = this;
    // Counted here once: the threads count toOpen down as soon as they start, and the
    // outline's document is one more.
    const int threads = RenderThreads();
    m_shared->toOpen = threads + 1;
    for (int i = 0; i < threads; ++i) {
        LeftRunning::Started();
        try {
            std::thread([shared = m_shared] { Run(shared); }).detach();
        } catch (const std::system_error&) {
            // Short of memory: the threads that did start render alone, and none may
            // wait for one that never came.
            LeftRunning::Ended();
            const std::lock_guard<std::mutex> lock(m_shared->mutex);
            TakePassword(*m_shared);
        }
    }
}

void PdfRenderer::Submit(const QList<RenderJob>& jobs)
{
    if (!m_shared)
        return;
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->jobs = jobs;
    // A render under way that is still wanted is kept, and not queued twice; one that
    // is not wanted any more stops.
    for (Worker* worker : std::as_const(m_shared->workers)) {
        if (worker->runningKey.isEmpty())
            continue;
        const qsizetype before = m_shared->jobs.size();
        m_shared->jobs.removeIf(
            [worker](const RenderJob& job) { return job.key == worker->runningKey; });
        worker->abortRunning = m_shared->jobs.size() == before;
    }
    m_shared->sightFirst = !jobs.isEmpty() && !m_shared->jobs.isEmpty()
        && m_shared->jobs.first().key == jobs.first().key;
    m_shared->wake.notify_all();
}

void PdfRenderer::WantSizes(const QList<int>& pages)
{
    Want(&Shared::sizesWanted, pages);
}

void PdfRenderer::WantContents(const QList<int>& pages)
{
    Want(&Shared::contentsWanted, pages);
}

void PdfRenderer::Want(QList<int> Shared::*wanted, const QList<int>& pages)
{
    if (!m_shared || pages.isEmpty())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        QList<int>& list = (*m_shared).*wanted;
        for (const int page : pages) {
            if (!list.contains(page))
                list.append(page);
        }
    }
    m_shared->wake.notify_all();
}

void PdfRenderer::WantSizesLater(const QList<int>& pages)
{
    if (!m_shared || pages.isEmpty())
        return;
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->sizesLater = pages;
    if (m_shared->readingLater)
        return;
    m_shared->readingLater = true;
    // The password is kept for one more document, if the others have not all taken it.
    const bool password = m_shared->toOpen > 0;
    if (password)
        ++m_shared->toOpen;
    LeftRunning::Started();
    try {
        std::thread([shared = m_shared, password] { ReadSizesLater(shared, password); }).detach();
    } catch (const std::system_error&) {
        // Short of memory: the pages pair as if none were wide.
        LeftRunning::Ended();
        m_shared->readingLater = false;
        if (password)
            TakePassword(*m_shared);
    }
}

void PdfRenderer::ReadSizesLater(const std::shared_ptr<Shared>& shared, bool takesPassword)
{
    WorkerPriority::Lower();
    PdfPassword password;
    bool stopped = false;
    {
        // Once the first page is rendered, so as to take no time from it.
        std::unique_lock<std::mutex> lock(shared->mutex);
        if (takesPassword)
            password = TakePassword(*shared);
        shared->wake.wait(lock, [&] { return shared->stop || shared->warmed; });
        stopped = shared->stop;
    }
    // A document of its own: poppler keeps every page it has been asked for as long as
    // its document, a hundred megabytes for a hundred thousand pages. Let go once the
    // sizes are read, that memory goes back.
    PopplerDocuments::Document document
        = stopped ? nullptr : PopplerDocuments::Load(shared->path, password);
    password.Wipe();
    for (;;) {
        QList<int> pages;
        {
            const std::lock_guard<std::mutex> lock(shared->mutex);
            if (shared->stop || !document || shared->sizesLater.isEmpty()) {
                shared->readingLater = false;
                break;
            }
            pages = std::exchange(shared->sizesLater, {});
        }
        TellSizes(shared, ReadSizesFor(*document, pages));
        const std::lock_guard<std::mutex> lock(shared->mutex);
        // Unless asked for others meanwhile, the rest are read in the next slice.
        if (shared->sizesLater.isEmpty())
            shared->sizesLater = pages;
    }
    document.reset();
    Allocator::GiveBack();
    LeftRunning::Ended();
}

void PdfRenderer::Run(const std::shared_ptr<Shared>& shared)
{
    WorkerPriority::Lower();
    Worker self;
    PdfPassword password;
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->opening) {
        shared->opening = true;
    } else {
        // The others open their documents once the first page is rendered, so that
        // they take no time from it.
        shared->wake.wait(lock, [&] { return shared->stop || shared->warmed; });
    }
    password = TakePassword(*shared);
    self.document = std::move(shared->opened);
    const bool stopped = shared->stop;
    lock.unlock();
    if (!stopped && !self.document)
        self.document = PopplerDocuments::Load(shared->path, password);
    password.Wipe();
    if (self.document) {
        self.document->setRenderHint(Poppler::Document::Antialiasing);
        self.document->setRenderHint(Poppler::Document::TextAntialiasing);
    }
    lock.lock();
    shared->workers.append(&self);
    if (!self.document) {
        // The others are not kept waiting for a render that will not come.
        shared->warmed = true;
        shared->wake.notify_all();
    }
    for (;;) {
        // The first thread to find work renders alone until one render is done.
        // A small render for a page's borders counts as a render here.
        const auto mayRenderNow = [&] {
            return shared->warmed
                || std::none_of(shared->workers.cbegin(), shared->workers.cend(),
                    [](const Worker* w) { return !w->runningKey.isEmpty(); });
        };
        const auto mayRender = [&] {
            return (!shared->jobs.isEmpty() || !shared->contentsWanted.isEmpty()) && mayRenderNow();
        };
        shared->wake.wait(
            lock, [&] { return shared->stop || !shared->sizesWanted.isEmpty() || mayRender(); });
        if (shared->stop || !self.document)
            break;
        if (!shared->sizesWanted.isEmpty()) {
            const QList<int> pages = shared->sizesWanted.mid(0, kSizesAtOnce);
            shared->sizesWanted.remove(0, pages.size());
            lock.unlock();
            TellSizes(shared, ReadSizes(self, pages));
            lock.lock();
            continue;
        }
        if (!shared->contentsWanted.isEmpty() && !(shared->sightFirst && !shared->jobs.isEmpty())) {
            // One page at a time, so a spread asked for meanwhile waits little.
            const int page = shared->contentsWanted.takeFirst();
            self.runningKey = QStringLiteral("content");
            lock.unlock();
            const QMap<int, QRectF> contents { { page, ReadContent(self, page) } };
            MainThreadCalls::Post([shared, contents] {
                if (PdfRenderer* owner = shared->owner)
                    emit owner->contentsRead(contents);
            });
            lock.lock();
            self.runningKey.clear();
            shared->warmed = true;
            shared->wake.notify_all();
            continue;
        }
        const RenderJob job = shared->jobs.takeFirst();
        shared->sightFirst = false;
        self.runningKey = job.key;
        self.abortRunning = false;
        lock.unlock();
        s_hook.Run();
        const QImage image = Render(self, job);
        lock.lock();
        const bool abandoned = self.abortRunning;
        self.runningKey.clear();
        shared->warmed = true;
        shared->wake.notify_all();
        if (!abandoned && !image.isNull() && !shared->stop) {
            MainThreadCalls::Post([shared, job, image] {
                // Runs on the reader's thread, where the owner is let go.
                if (PdfRenderer* owner = shared->owner)
                    emit owner->rendered(job.key, image, job.area);
            });
        }
        if (!shared->outlineRead && !shared->stop) {
            shared->outlineRead = true;
            const PdfPassword outlinePassword = TakePassword(*shared);
            lock.unlock();
            ReadOutline(shared, outlinePassword);
            lock.lock();
        }
    }
    shared->workers.removeOne(&self);
    lock.unlock();
    self.document.reset();
    LeftRunning::Ended();
}

PdfPassword PdfRenderer::TakePassword(Shared& shared)
{
    const PdfPassword password = shared.password;
    if (--shared.toOpen == 0)
        shared.password.Wipe();
    return password;
}

void PdfRenderer::ReadOutline(const std::shared_ptr<Shared>& shared, const PdfPassword& password)
{
    // Poppler reads a level of the outline whole and keeps it as long as its document,
    // whatever our cap: a file's 300,000 entries held 135 MB for as long as the book
    // was open. A document of its own, let go once the entries are copied, gives that
    // memory back.
    QList<OutlineEntry> entries;
    if (PopplerDocuments::Document document = PopplerDocuments::Load(shared->path, password))
        entries = PdfOutline::Read(*document);
    Allocator::GiveBack();
    MainThreadCalls::Post([shared, entries] {
        if (PdfRenderer* owner = shared->owner)
            emit owner->outlineRead(entries);
    });
}

QMap<int, QSizeF> PdfRenderer::ReadSizes(Worker& worker, const QList<int>& pages)
{
    QMap<int, QSizeF> sizes;
    for (const int page : pages)
        sizes.insert(page, PopplerDocuments::PageSize(*worker.document, page));
    return sizes;
}

QMap<int, QSizeF> PdfRenderer::ReadSizesFor(const Poppler::Document& document, QList<int>& pages)
{
    const auto end = std::chrono::steady_clock::now() + kSizesSlice;
    QMap<int, QSizeF> sizes;
    qsizetype read = 0;
    while (read < pages.size() && (read == 0 || std::chrono::steady_clock::now() < end)) {
        sizes.insert(pages[read], PopplerDocuments::PageSize(document, pages[read]));
        ++read;
    }
    pages.remove(0, read);
    return sizes;
}

QRectF PdfRenderer::ReadContent(Worker& worker, int page)
{
    const std::unique_ptr<Poppler::Page> shown(worker.document->page(page - 1));
    const QSizeF points = shown ? shown->pageSizeF() : QSizeF();
    if (points.isEmpty())
        return QRectF(0, 0, 1, 1);
    // Small enough to take a text page a few milliseconds; a band of borders still
    // spans a few of its pixels.
    const double dpi = 72.0 * kContentSide / std::max(points.width(), points.height());
    return BorderCrop::Content(shown->renderToImage(dpi, dpi));
}

void PdfRenderer::TellSizes(const std::shared_ptr<Shared>& shared, const QMap<int, QSizeF>& sizes)
{
    MainThreadCalls::Post([shared, sizes] {
        if (PdfRenderer* owner = shared->owner)
            emit owner->sizesRead(sizes);
    });
}

QImage PdfRenderer::Render(Worker& worker, const RenderJob& job)
{
    QImage image(job.imageSize, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    const QRect bounds(QPoint(0, 0), job.imageSize);
    for (const RenderPiece& piece : job.pieces) {
        const std::unique_ptr<Poppler::Page> page(worker.document->page(piece.pageIndex));
        const QRect part
            = piece.pageRect & bounds & (piece.clip.isEmpty() ? piece.pageRect : piece.clip);
        if (!page || part.isEmpty())
            continue;
        // Only the visible part of the page is rendered, at full sharpness.
        const QRect source = part.translated(-piece.pageRect.topLeft());
        QImage rendered = page->renderToImage(piece.dpi, piece.dpi, source.x(), source.y(),
            source.width(), source.height(), Poppler::Page::Rotate0, nullptr, nullptr, &ShouldAbort,
            QVariant::fromValue(static_cast<void*>(&worker.abortRunning)));
        if (worker.abortRunning)
            return {};
        if (job.night)
            NightColours::Apply(rendered);
        painter.drawImage(part.topLeft(), rendered);
    }
    painter.end();
    image.setDevicePixelRatio(job.devicePixelRatio);
    return image;
}
