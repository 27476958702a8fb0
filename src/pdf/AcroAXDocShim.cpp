#include "pdf/AcroAXDocShim.h"

#include "pdf/PopplerCore.h"

#include <QPainter>
#include <QSet>

#include <poppler-qt6.h>

namespace
{
// The current spread, two ahead and one behind stay rendered.
constexpr int kAhead = 2;
constexpr int kBehind = 1;
} // namespace

std::function<bool(const QString&)> CAcroAXDocShim::s_accepts;

CAcroAXDocShim::CAcroAXDocShim(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    connect(&m_renderer, &PdfRenderer::rendered, this, &CAcroAXDocShim::OnRendered,
        Qt::QueuedConnection);
}

CAcroAXDocShim::~CAcroAXDocShim()
{
    m_renderer.Open(QString());
    const std::lock_guard<std::mutex> guard(PopplerCore::DocumentLock());
    m_pDoc.reset();
}

void CAcroAXDocShim::setPathFilter(std::function<bool(const QString&)> accepts)
{
    s_accepts = std::move(accepts);
}

void CAcroAXDocShim::setPageMode(const QString& mode)
{
    emit dispatched(QStringLiteral("setPageMode"), mode);
}

bool CAcroAXDocShim::LoadFile(const QString& path)
{
    emit dispatched(QStringLiteral("LoadFile"), path);
    m_renderer.Open(QString());
    m_cache.clear();
    m_pageSizes.clear();
    m_nPageCount = 0;
    m_nPage = 1;
    {
        const std::lock_guard<std::mutex> guard(PopplerCore::DocumentLock());
        m_pDoc.reset();
        if (!path.isEmpty() && (!s_accepts || s_accepts(path)))
            m_pDoc = Poppler::Document::load(path);
        if (m_pDoc && (m_pDoc->isLocked() || m_pDoc->numPages() < 1))
            m_pDoc.reset();
    }
    update();
    if (!m_pDoc)
        return false;
    m_nPageCount = m_pDoc->numPages();
    m_renderer.Open(path);
    return true;
}

void CAcroAXDocShim::setCurrentPage(int page)
{
    emit dispatched(QStringLiteral("setCurrentPage"), page);
    m_nPage = std::clamp(page, 1, std::max(m_nPageCount, 1));
    RequestRenders();
    update();
}

void CAcroAXDocShim::setLayoutMode(const QString& mode)
{
    emit dispatched(QStringLiteral("setLayoutMode"), mode);
    m_mode = SpreadLayout::ModeFromName(mode, m_mode);
}

void CAcroAXDocShim::setView(const QString& view)
{
    emit dispatched(QStringLiteral("setView"), view);
    // Fitting is the only view there is; the spread may have changed with the layout.
    RequestRenders();
    update();
}

void CAcroAXDocShim::setShowToolbar(bool show)
{
    emit dispatched(QStringLiteral("setShowToolbar"), show);
}

QSizeF CAcroAXDocShim::PageSize(int page) const
{
    auto found = m_pageSizes.constFind(page);
    if (found != m_pageSizes.constEnd())
        return *found;
    QSizeF size;
    if (m_pDoc) {
        const std::unique_ptr<Poppler::Page> p(m_pDoc->page(page - 1));
        if (p)
            size = p->pageSizeF();
    }
    // A page without a usable size is shown in the proportions of A4.
    if (size.isEmpty())
        size = QSizeF(595, 842);
    m_pageSizes.insert(page, size);
    return size;
}

QList<SpreadLayout::Placed> CAcroAXDocShim::PagesShown() const
{
    if (!m_pDoc)
        return {};
    return SpreadLayout::Fit(
        SpreadLayout::SpreadOf(m_nPage, m_nPageCount, m_mode),
        [this](int page) { return PageSize(page); }, QRectF(rect()));
}

QRect CAcroAXDocShim::VisibleRect() const
{
    const QWidget* parent = parentWidget();
    if (!parent)
        return rect();
    return rect() & QRect(mapFromParent(QPoint(0, 0)), parent->size());
}

QString CAcroAXDocShim::KeyFor(int page) const
{
    const QRect visible = VisibleRect();
    return QStringLiteral("%1/%2/%3x%4/%5,%6,%7x%8/%9")
        .arg(SpreadLayout::SpreadFirst(page, m_nPageCount, m_mode))
        .arg(int(m_mode))
        .arg(width())
        .arg(height())
        .arg(visible.x())
        .arg(visible.y())
        .arg(visible.width())
        .arg(visible.height())
        .arg(devicePixelRatioF());
}

RenderJob CAcroAXDocShim::JobFor(int page) const
{
    const qreal dpr = devicePixelRatioF();
    const QRect visible = VisibleRect();
    RenderJob job;
    job.key = KeyFor(page);
    job.devicePixelRatio = dpr;
    job.imageSize = (QSizeF(visible.size()) * dpr).toSize();
    const auto placed = SpreadLayout::Fit(
        SpreadLayout::SpreadOf(page, m_nPageCount, m_mode), [this](int p) { return PageSize(p); },
        QRectF(rect()));
    for (const SpreadLayout::Placed& p : placed) {
        const QRectF device(
            (p.rect.topLeft() - QPointF(visible.topLeft())) * dpr, p.rect.size() * dpr);
        RenderPiece piece;
        piece.pageIndex = p.page - 1;
        piece.dpi = 72.0 * device.width() / PageSize(p.page).width();
        piece.pageRect = device.toAlignedRect();
        job.pieces.append(piece);
    }
    return job;
}

void CAcroAXDocShim::RequestRenders()
{
    if (!m_pDoc || !isVisible() || VisibleRect().isEmpty())
        return;
    QList<int> pages = { m_nPage };
    for (int i = 0, p = m_nPage; i < kAhead; ++i) {
        p = SpreadLayout::NeighbourSpread(p, m_nPageCount, m_mode, 1);
        if (p == 0)
            break;
        pages.append(p);
    }
    for (int i = 0, p = m_nPage; i < kBehind; ++i) {
        p = SpreadLayout::NeighbourSpread(p, m_nPageCount, m_mode, -1);
        if (p == 0)
            break;
        pages.append(p);
    }
    QList<RenderJob> jobs;
    QSet<QString> wanted;
    for (int page : pages) {
        const QString key = KeyFor(page);
        wanted.insert(key);
        if (!m_cache.contains(key))
            jobs.append(JobFor(page));
    }
    m_cache.removeIf([&wanted](QHash<QString, QImage>::iterator entry) {
        return !wanted.contains(entry.key());
    });
    m_renderer.Submit(jobs);
}

void CAcroAXDocShim::OnRendered(const QString& key, const QImage& image)
{
    if (!m_pDoc)
        return;
    m_cache.insert(key, image);
    if (key == KeyFor(m_nPage))
        update();
}

bool CAcroAXDocShim::IsShowingRendered() const
{
    return m_pDoc && m_cache.contains(KeyFor(m_nPage));
}

void CAcroAXDocShim::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), PdfRenderer::kBackground);
    if (!m_pDoc)
        return;
    const auto found = m_cache.constFind(KeyFor(m_nPage));
    if (found != m_cache.constEnd()) {
        painter.drawImage(VisibleRect().topLeft(), *found);
        emit renderedSpreadPainted(m_nPage);
        return;
    }
    // Until the render arrives, the pages show as blank paper in their places.
    for (const SpreadLayout::Placed& p : PagesShown())
        painter.fillRect(p.rect, Qt::white);
}

void CAcroAXDocShim::resizeEvent(QResizeEvent*)
{
    RequestRenders();
}

void CAcroAXDocShim::moveEvent(QMoveEvent*)
{
    RequestRenders();
}

void CAcroAXDocShim::showEvent(QShowEvent*)
{
    RequestRenders();
}
