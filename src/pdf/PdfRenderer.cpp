#include "pdf/PdfRenderer.h"

#include "pdf/PopplerDocuments.h"
#include "platform/LeftRunning.h"

#include <QCoreApplication>
#include <QPainter>

#include <poppler-qt6.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

const QColor PdfRenderer::kBackground(96, 96, 96);

struct PdfRenderer::Worker {
    std::mutex mutex;
    std::condition_variable wake;
    QString path;
    QList<RenderJob> jobs;
    QString runningKey;
    std::atomic<bool> abortRunning { false };
    bool stop = false;
    bool outlineRead = false;
    // Read and written on the reader's thread only; null once the worker is retired.
    PdfRenderer* owner = nullptr;
    std::unique_ptr<Poppler::Document> document; // the worker's own
};

namespace
{
std::mutex s_hookMutex;
std::function<void()> s_hook;

bool ShouldAbort(const QVariant& closure)
{
    return static_cast<std::atomic<bool>*>(closure.value<void*>())->load();
}

void RunHook()
{
    std::function<void()> hook;
    {
        const std::lock_guard<std::mutex> lock(s_hookMutex);
        hook = s_hook;
    }
    if (hook)
        hook();
}
} // namespace

void PdfRenderer::setRenderHook(std::function<void()> hook)
{
    const std::lock_guard<std::mutex> lock(s_hookMutex);
    s_hook = std::move(hook);
}

PdfRenderer::PdfRenderer() = default;

PdfRenderer::~PdfRenderer()
{
    Retire();
}

void PdfRenderer::Retire()
{
    if (!m_worker)
        return;
    {
        const std::lock_guard<std::mutex> lock(m_worker->mutex);
        m_worker->owner = nullptr;
        m_worker->stop = true;
        m_worker->jobs.clear();
        m_worker->abortRunning = true;
    }
    m_worker->wake.notify_all();
    m_worker.reset();
}

void PdfRenderer::Open(const QString& path)
{
    Retire();
    if (path.isEmpty())
        return;
    m_worker = std::make_shared<Worker>();
    m_worker->path = path;
    m_worker->owner = this;
    LeftRunning::Started();
    std::thread([worker = m_worker] { Run(worker); }).detach();
}

void PdfRenderer::Submit(const QList<RenderJob>& jobs)
{
    if (!m_worker)
        return;
    const std::lock_guard<std::mutex> lock(m_worker->mutex);
    m_worker->jobs = jobs;
    if (!m_worker->runningKey.isEmpty()) {
        // A render under way that is still wanted is kept, and not queued twice.
        const QString running = m_worker->runningKey;
        const qsizetype before = m_worker->jobs.size();
        m_worker->jobs.removeIf([&running](const RenderJob& job) { return job.key == running; });
        m_worker->abortRunning = m_worker->jobs.size() == before;
    }
    m_worker->wake.notify_all();
}

void PdfRenderer::Run(const std::shared_ptr<Worker>& worker)
{
    worker->document = PopplerDocuments::Load(worker->path);
    if (worker->document) {
        worker->document->setRenderHint(Poppler::Document::Antialiasing);
        worker->document->setRenderHint(Poppler::Document::TextAntialiasing);
    }
    std::unique_lock<std::mutex> lock(worker->mutex);
    for (;;) {
        worker->wake.wait(lock, [&] { return worker->stop || !worker->jobs.isEmpty(); });
        if (worker->stop || !worker->document)
            break;
        const RenderJob job = worker->jobs.takeFirst();
        worker->runningKey = job.key;
        worker->abortRunning = false;
        lock.unlock();
        RunHook();
        const QImage image = Render(*worker, job);
        lock.lock();
        const bool abandoned = worker->abortRunning;
        worker->runningKey.clear();
        if (!abandoned && !image.isNull() && !worker->stop) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [worker, job, image] {
                    // Runs on the reader's thread, where the owner is let go.
                    if (PdfRenderer* owner = worker->owner)
                        emit owner->rendered(job.key, image, job.area);
                },
                Qt::QueuedConnection);
        }
        if (!worker->outlineRead && !worker->stop) {
            worker->outlineRead = true;
            lock.unlock();
            const QList<OutlineEntry> entries = PdfOutline::Read(*worker->document);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [worker, entries] {
                    if (PdfRenderer* owner = worker->owner)
                        emit owner->outlineRead(entries);
                },
                Qt::QueuedConnection);
            lock.lock();
        }
    }
    lock.unlock();
    PopplerDocuments::Release(worker->document);
    LeftRunning::Ended();
}

QImage PdfRenderer::Render(Worker& worker, const RenderJob& job)
{
    QImage image(job.imageSize, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    const QRect bounds(QPoint(0, 0), job.imageSize);
    for (const RenderPiece& piece : job.pieces) {
        const std::unique_ptr<Poppler::Page> page(worker.document->page(piece.pageIndex));
        const QRect part = piece.pageRect & bounds;
        if (!page || part.isEmpty())
            continue;
        // Only the visible part of the page is rendered, at full sharpness.
        const QRect source = part.translated(-piece.pageRect.topLeft());
        const QImage rendered = page->renderToImage(piece.dpi, piece.dpi, source.x(), source.y(),
            source.width(), source.height(), Poppler::Page::Rotate0, nullptr, nullptr, &ShouldAbort,
            QVariant::fromValue(static_cast<void*>(&worker.abortRunning)));
        if (worker.abortRunning)
            return {};
        painter.drawImage(part.topLeft(), rendered);
    }
    painter.end();
    image.setDevicePixelRatio(job.devicePixelRatio);
    return image;
}
