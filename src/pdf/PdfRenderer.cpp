#include "pdf/PdfRenderer.h"

#include "pdf/PopplerDocuments.h"

#include <QPainter>

#include <poppler-qt6.h>

const QColor PdfRenderer::kBackground(96, 96, 96);

PdfRenderer::PdfRenderer()
    : m_thread([this] { Run(); })
{
}

PdfRenderer::~PdfRenderer()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_abortRunning = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void PdfRenderer::Open(const QString& path)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wantPath = path;
    m_jobs.clear();
    m_abortRunning = true;
    m_wake.notify_all();
    if (path.isEmpty())
        m_opened.wait(lock, [this] { return (m_docPath.isEmpty() && !m_loading) || m_stop; });
}

void PdfRenderer::Submit(const QList<RenderJob>& jobs)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_jobs = jobs;
    if (!m_runningKey.isEmpty()) {
        // A render under way that is still wanted is kept, and not queued twice.
        const qsizetype before = m_jobs.size();
        m_jobs.removeIf([this](const RenderJob& job) { return job.key == m_runningKey; });
        m_abortRunning = m_jobs.size() == before;
    }
    m_wake.notify_all();
}

bool PdfRenderer::ShouldAbort(const QVariant& closure)
{
    return static_cast<PdfRenderer*>(closure.value<void*>())->m_abortRunning.load();
}

void PdfRenderer::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(
            lock, [this] { return m_stop || m_wantPath != m_docPath || !m_jobs.isEmpty(); });
        if (m_stop)
            break;
        if (m_wantPath != m_docPath) {
            const QString path = m_wantPath;
            m_loading = true;
            lock.unlock();
            PopplerDocuments::Release(m_doc);
            if (!path.isEmpty())
                m_doc = PopplerDocuments::Load(path);
            if (m_doc) {
                m_doc->setRenderHint(Poppler::Document::Antialiasing);
                m_doc->setRenderHint(Poppler::Document::TextAntialiasing);
            }
            lock.lock();
            m_docPath = path;
            m_loading = false;
            m_opened.notify_all();
            continue;
        }
        const RenderJob job = m_jobs.takeFirst();
        if (!m_doc || m_doc->isLocked())
            continue;
        m_runningKey = job.key;
        m_abortRunning = false;
        lock.unlock();
        const QImage image = Render(job);
        lock.lock();
        const bool abandoned = m_abortRunning;
        m_runningKey.clear();
        if (!abandoned && !image.isNull())
            emit rendered(job.key, image, job.area);
    }
    lock.unlock();
    PopplerDocuments::Release(m_doc);
}

QImage PdfRenderer::Render(const RenderJob& job)
{
    QImage image(job.imageSize, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    const QRect bounds(QPoint(0, 0), job.imageSize);
    for (const RenderPiece& piece : job.pieces) {
        const std::unique_ptr<Poppler::Page> page(m_doc->page(piece.pageIndex));
        const QRect part = piece.pageRect & bounds;
        if (!page || part.isEmpty())
            continue;
        // Only the visible part of the page is rendered, at full sharpness.
        const QRect source = part.translated(-piece.pageRect.topLeft());
        const QImage rendered = page->renderToImage(piece.dpi, piece.dpi, source.x(), source.y(),
            source.width(), source.height(), Poppler::Page::Rotate0, nullptr, nullptr,
            &PdfRenderer::ShouldAbort, QVariant::fromValue(static_cast<void*>(this)));
        if (m_abortRunning)
            return {};
        painter.drawImage(part.topLeft(), rendered);
    }
    painter.end();
    image.setDevicePixelRatio(job.devicePixelRatio);
    return image;
}
