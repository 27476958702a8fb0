#include "reader/CutPages.h"

#include "images/PageScaler.h"
#include "platform/BackgroundTask.h"
#include "platform/WorkerPriority.h"

#include <QPainter>

#include <algorithm>

CutPages::~CutPages()
{
    Clear();
}

QImage CutPages::Scaled(const QImage& part, const QSize& device)
{
    if (device.width() < part.width() || device.height() < part.height())
        return PageScaler::Scaled(part, device);
    // Enlarged (a strip narrower than the screen): Qt's bilinear painting is several times
    // quicker than the decoders' scaler, and area averaging has nothing to average. The
    // band is Qt's own image: one on the pages' mapped memory took five times longer to
    // paint at 4K on the test machine.
    QImage scaled(device, QImage::Format_RGB32);
    if (scaled.isNull())
        return scaled;
    QPainter painter(&scaled);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), device), part);
    return scaled;
}

QRect CutPages::SourceRect(const QImage& source, const QRectF& part)
{
    const QRect rect(qRound(part.x() * source.width()), qRound(part.y() * source.height()),
        qRound(part.width() * source.width()), qRound(part.height() * source.height()));
    return rect & source.rect();
}

bool CutPages::Same(const Piece& piece, const Made& made)
{
    return piece.source.cacheKey() == made.source && piece.part == made.part
        && piece.device == made.device;
}

CutPages::Made CutPages::KeyOf(const Piece& piece)
{
    return { piece.source.cacheKey(), piece.part, piece.device, {} };
}

QImage CutPages::Finished(const QImage& source, const QRectF& part, const QSize& device) const
{
    const Piece piece { source, part, device };
    for (const Made& made : m_made) {
        if (Same(piece, made))
            return made.image;
    }
    return {};
}

void CutPages::Want(const QList<Piece>& pieces)
{
    m_wanted = pieces;
    m_made.removeIf([&pieces](const Made& made) {
        return std::none_of(pieces.cbegin(), pieces.cend(),
            [&made](const Piece& piece) { return Same(piece, made); });
    });
    m_queue.clear();
    for (const Piece& piece : pieces) {
        const bool making = m_pTask && Same(piece, KeyOf(m_making));
        if (!making && Finished(piece.source, piece.part, piece.device).isNull())
            m_queue.append(piece);
    }
    StartNext();
}

void CutPages::Clear()
{
    m_wanted.clear();
    m_made.clear();
    m_queue.clear();
    if (m_pTask) {
        // Left to end on its own; what it makes goes nowhere.
        m_pTask->disconnect(this);
        m_pTask->deleteLater();
        m_pTask = nullptr;
    }
}

void CutPages::StartNext()
{
    if (m_pTask || m_queue.isEmpty())
        return;
    m_making = m_queue.takeFirst();
    m_result = std::make_shared<QImage>();
    m_pTask = new BackgroundTask(
        [piece = m_making, result = m_result](const BackgroundTask::Abandoned&) {
            // Below the window's thread, which paints what is made meanwhile.
            WorkerPriority::Lower();
            const QRect from = SourceRect(piece.source, piece.part);
            if (from.isEmpty() || piece.device.isEmpty())
                return;
            // Read in place: the page's pixels are shared and never written once decoded.
            const QImage part(piece.source.constScanLine(from.top())
                    + qsizetype(from.left()) * piece.source.depth() / 8,
                from.width(), from.height(), piece.source.bytesPerLine(), piece.source.format());
            *result = Scaled(part, piece.device);
        },
        this);
    connect(m_pTask, &BackgroundTask::done, this, &CutPages::OnDone);
}

void CutPages::OnDone()
{
    m_pTask->deleteLater();
    m_pTask = nullptr;
    Made done = KeyOf(m_making);
    const bool wanted = std::any_of(m_wanted.cbegin(), m_wanted.cend(),
        [&done](const Piece& piece) { return Same(piece, done); });
    const bool madeOne = wanted && !m_result->isNull();
    if (madeOne) {
        done.image = *m_result;
        m_made.append(done);
    }
    m_making = {};
    m_result.reset();
    StartNext();
    // Told last: whoever hears of it may want other pieces at once.
    if (madeOne)
        emit made();
}
