#include "pdf/AcroAXDocShim.h"

#include "images/BorderCrop.h"
#include "images/NightColours.h"

#include <QPainter>
#include <QStringList>

#include <poppler-qt6.h>

namespace
{
// The current spread, two ahead and one behind stay rendered.
constexpr int kAhead = 2;
constexpr int kBehind = 1;
// Under the magnifier whole enlarged spreads are kept only up to this size each.
constexpr qint64 kMaxWholeBytes = 64 << 20;
} // namespace

std::function<bool(const QString&)> CAcroAXDocShim::s_accepts;

CAcroAXDocShim::CAcroAXDocShim(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    connect(&m_renderer, &PdfRenderer::rendered, this, &CAcroAXDocShim::OnRendered,
        Qt::QueuedConnection);
    connect(
        &m_renderer, &PdfRenderer::outlineRead, this, [this](const QList<OutlineEntry>& entries) {
            m_outline = entries;
            m_bOutlineRead = true;
            emit outlineRead();
        });
    connect(&m_renderer, &PdfRenderer::sizesRead, this, &CAcroAXDocShim::OnSizesRead);
    connect(&m_renderer, &PdfRenderer::contentsRead, this, &CAcroAXDocShim::OnContentsRead);
}

CAcroAXDocShim::~CAcroAXDocShim()
{
    m_renderer.Open(QString());
}

void CAcroAXDocShim::setPathFilter(std::function<bool(const QString&)> accepts)
{
    s_accepts = std::move(accepts);
}

void CAcroAXDocShim::setPageMode(const QString& mode)
{
    emit dispatched(QStringLiteral("setPageMode"), mode);
}

bool CAcroAXDocShim::LoadFile(
    const QString& path, PopplerDocuments::Opened opened, const PdfPassword& password)
{
    emit dispatched(QStringLiteral("LoadFile"), path);
    m_renderer.Open(QString());
    m_cache.clear();
    m_pageSizes.clear();
    m_sizesAsked.clear();
    m_nPageCount = 0;
    m_nPage = 1;
    m_outline.clear();
    m_bOutlineRead = false;
    m_bReadsRightToLeft = false;
    m_crops.Clear();
    m_contentsAsked.clear();
    m_bCutShown = false;
    // A new document shows each page alone until the reader's pairing comes.
    m_spreads = nullptr;
    m_bLoaded = !path.isEmpty() && opened.document && (!s_accepts || s_accepts(path));
    update();
    if (!m_bLoaded)
        return false;
    m_nPageCount = opened.pages;
    // Read while the book opened, so that the first spread is laid out at once.
    m_pageSizes = opened.sizes;
    m_bReadsRightToLeft = opened.rightToLeft;
    // The document the opening found serves the first renderer; once the renderers have
    // their own, the password is gone.
    m_renderer.Open(path, password, std::move(opened.document));
    return true;
}

void CAcroAXDocShim::setCurrentPage(int page)
{
    emit dispatched(QStringLiteral("setCurrentPage"), page);
    m_nPage = std::clamp(page, 1, std::max(m_nPageCount, 1));
    ScheduleRenders();
    update();
}

void CAcroAXDocShim::setLayoutMode(const QString& mode)
{
    emit dispatched(QStringLiteral("setLayoutMode"), mode);
}

void CAcroAXDocShim::setRightToLeft(bool rightToLeft)
{
    emit dispatched(QStringLiteral("setRightToLeft"), rightToLeft);
}

void CAcroAXDocShim::setLook(bool crop, bool night, double margin)
{
    if (crop == m_bCrop && night == m_bNight && margin == m_cropMargin)
        return;
    m_bCutShown = m_bCutShown && crop;
    m_bCrop = crop;
    m_bNight = night;
    m_cropMargin = margin;
    ScheduleRenders();
    update();
}

void CAcroAXDocShim::setSpreads(SpreadLayout::Spreads spreads)
{
    m_spreads = std::move(spreads);
    ScheduleRenders();
    update();
}

void CAcroAXDocShim::ReadEveryPageSize()
{
    if (!m_bLoaded)
        return;
    // The pages before decide how the current one pairs; those after, the turns to come.
    QList<int> pages;
    for (int page = m_nPage; page >= 1; --page)
        pages.append(page);
    for (int page = m_nPage + 1; page <= m_nPageCount; ++page)
        pages.append(page);
    pages.removeIf([this](int page) { return m_pageSizes.contains(page); });
    m_renderer.WantSizesLater(pages);
}

QList<SpreadLayout::Slot> CAcroAXDocShim::Spread(int page) const
{
    page = std::clamp(page, 1, std::max(m_nPageCount, 1));
    if (m_spreads)
        return m_spreads(page);
    return { SpreadLayout::Slot { page } };
}

void CAcroAXDocShim::setView(const QString& view)
{
    emit dispatched(QStringLiteral("setView"), view);
    // Fitting is the only view there is; the spread may have changed with the layout or
    // the direction.
    ScheduleRenders();
    update();
}

void CAcroAXDocShim::setShowToolbar(bool show)
{
    emit dispatched(QStringLiteral("setShowToolbar"), show);
}

QSizeF CAcroAXDocShim::PageSize(int page) const
{
    if (m_pageSizes.isEmpty())
        return PopplerDocuments::kA4;
    // Most books have pages of one size: the nearest page read stands in until then.
    auto next = m_pageSizes.lowerBound(page);
    if (next == m_pageSizes.constEnd())
        return std::prev(next).value();
    if (next.key() == page || next == m_pageSizes.constBegin())
        return next.value();
    const auto before = std::prev(next);
    return page - before.key() <= next.key() - page ? before.value() : next.value();
}

bool CAcroAXDocShim::SizesKnown(int page, QList<int>& missing) const
{
    bool known = true;
    for (const SpreadLayout::Slot& slot : Spread(page)) {
        const int p = slot.page;
        if (p == 0 || m_pageSizes.contains(p))
            continue;
        known = false;
        if (!m_sizesAsked.contains(p) && !missing.contains(p))
            missing.append(p);
    }
    return known;
}

void CAcroAXDocShim::OnSizesRead(const QMap<int, QSizeF>& sizes)
{
    if (!m_bLoaded)
        return;
    for (auto it = sizes.constBegin(); it != sizes.constEnd(); ++it) {
        m_pageSizes.insert(it.key(), it.value());
        m_sizesAsked.remove(it.key());
    }
    ScheduleRenders();
    update();
    emit pageSizesRead(sizes);
}

QList<SpreadLayout::Placed> CAcroAXDocShim::PagesShown(QList<QRectF>* parts) const
{
    if (!m_bLoaded)
        return {};
    return Place(m_nPage, parts);
}

QList<SpreadLayout::Placed> CAcroAXDocShim::Place(int page, QList<QRectF>* shown) const
{
    const QList<SpreadLayout::Slot> spread = Spread(page);
    QMap<int, QRectF> parts;
    for (const SpreadLayout::Slot& slot : spread) {
        if (slot.page > 0)
            parts.insert(slot.page,
                m_bCrop ? BorderCrop::WithMargin(
                    m_crops.Shown(slot.page, m_nPageCount, [this](int p) { return PageSize(p); }),
                    PageSize(slot.page), m_cropMargin)
                        : QRectF(0, 0, 1, 1));
    }
    if (parts.size() == 2) {
        // The smaller cut of the two at the top and at the bottom, so that a picture across
        // the gutter still meets itself.
        const qreal top = std::min(parts.first().top(), parts.last().top());
        const qreal bottom = std::max(parts.first().bottom(), parts.last().bottom());
        for (QRectF& part : parts) {
            part.setTop(top);
            part.setBottom(bottom);
        }
    }
    const QList<SpreadLayout::Placed> placed = SpreadLayout::Fit(
        spread,
        [&](int p) {
            const QRectF part = parts.value(p);
            const QSizeF size = PageSize(p);
            return QSizeF(size.width() * part.width(), size.height() * part.height());
        },
        QRectF(rect()));
    if (shown) {
        shown->clear();
        for (const SpreadLayout::Placed& p : placed)
            shown->append(parts.value(p.page));
    }
    return placed;
}

bool CAcroAXDocShim::ContentsKnown(int page, QList<int>& missing) const
{
    if (!m_bCrop)
        return true;
    bool known = true;
    for (const SpreadLayout::Slot& slot : Spread(page)) {
        if (slot.page == 0)
            continue;
        for (const int p : m_crops.Missing(slot.page, m_nPageCount)) {
            known = false;
            if (!m_contentsAsked.contains(p) && !missing.contains(p))
                missing.append(p);
        }
    }
    return known;
}

void CAcroAXDocShim::OnContentsRead(const QMap<int, QRectF>& contents)
{
    if (!m_bLoaded)
        return;
    m_crops.Add(contents);
    for (auto it = contents.constBegin(); it != contents.constEnd(); ++it)
        m_contentsAsked.remove(it.key());
    ScheduleRenders();
    update();
}

QRect CAcroAXDocShim::VisibleRect() const
{
    const QWidget* parent = parentWidget();
    if (!parent)
        return rect();
    return rect() & QRect(mapFromParent(QPoint(0, 0)), parent->size());
}

QString CAcroAXDocShim::KeyFor(int page, const QRect& area) const
{
    // Named by its pages in their columns and the part of each shown, a render stays
    // right whatever the pairing and the cut.
    const QList<SpreadLayout::Placed> placed = Place(page);
    QStringList columns;
    for (qsizetype i = 0; i < placed.size(); ++i) {
        const QRect rect = placed[i].rect.toAlignedRect();
        columns.append(QStringLiteral("%1@%2,%3,%4x%5")
                           .arg(placed[i].page)
                           .arg(rect.x())
                           .arg(rect.y())
                           .arg(rect.width())
                           .arg(rect.height()));
    }
    return QStringLiteral("%1/%2x%3/%4,%5,%6x%7/%8/%9")
        .arg(columns.join(QLatin1Char(';')))
        .arg(width())
        .arg(height())
        .arg(area.x())
        .arg(area.y())
        .arg(area.width())
        .arg(area.height())
        .arg(devicePixelRatioF())
        .arg(m_bNight ? QStringLiteral("night") : QStringLiteral("day"));
}

RenderJob CAcroAXDocShim::JobFor(int page, const QRect& area) const
{
    const qreal dpr = devicePixelRatioF();
    RenderJob job;
    job.key = KeyFor(page, area);
    job.area = area;
    job.devicePixelRatio = dpr;
    job.imageSize = (QSizeF(area.size()) * dpr).toSize();
    job.night = m_bNight;
    QList<QRectF> shown;
    const QList<SpreadLayout::Placed> placed = Place(page, &shown);
    for (qsizetype i = 0; i < placed.size(); ++i) {
        const SpreadLayout::Placed& p = placed[i];
        const QRectF device(
            (p.rect.topLeft() - QPointF(area.topLeft())) * dpr, p.rect.size() * dpr);
        // The whole page lies around the part shown, its borders outside the clip.
        const QRectF& part = shown[i];
        const QSizeF wholeSize(device.width() / part.width(), device.height() / part.height());
        const QRectF whole(
            device.topLeft() - QPointF(part.x() * wholeSize.width(), part.y() * wholeSize.height()),
            wholeSize);
        RenderPiece piece;
        piece.pageIndex = p.page - 1;
        piece.dpi = 72.0 * whole.width() / PageSize(p.page).width();
        piece.pageRect = whole.toAlignedRect();
        piece.clip = device.toAlignedRect();
        job.pieces.append(piece);
    }
    return job;
}

bool CAcroAXDocShim::WholeFits() const
{
    const qreal dpr = devicePixelRatioF();
    return qint64(width() * dpr) * qint64(height() * dpr) * 4 <= kMaxWholeBytes;
}

void CAcroAXDocShim::ScheduleRenders()
{
    // A step of the magnifier turns the page and then moves to its region: asked for
    // once things have settled, the renders are of where the reader ends up, and what
    // is read ahead for it is not thrown away half way.
    if (m_bRendersScheduled)
        return;
    m_bRendersScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bRendersScheduled = false;
            RequestRenders();
        },
        Qt::QueuedConnection);
}

void CAcroAXDocShim::RequestRenders()
{
    const QRect visible = VisibleRect();
    if (!m_bLoaded || !isVisible() || visible.isEmpty())
        return;
    // What is in sight comes first. Under the magnifier the whole enlarged spread
    // follows, so that moving to another region only paints.
    const QRect whole = WholeFits() ? rect() : visible;
    QList<QPair<int, QRect>> wanted;
    if (!m_cache.contains(KeyFor(m_nPage, whole)))
        wanted.append({ m_nPage, visible });
    wanted.append({ m_nPage, whole });
    if (whole != rect()) {
        // Too large to keep whole (a magnified spread on a 4K screen): the regions the
        // next two steps down show are read ahead, each half a view lower, and from the
        // bottom row the top of the next spread. A region of a scanned page can take
        // longer than a reader's step to render; two ahead keep both threads on them.
        int page = m_nPage;
        QRect region = visible;
        for (int step = 0; step < 2; ++step) {
            const QRect below = region.translated(0, region.height() / 2);
            if (rect().contains(below)) {
                region = below;
            } else {
                page = SpreadLayout::Neighbour(Spread(page), m_nPageCount, 1);
                if (page == 0)
                    break;
                region.moveTop(0);
            }
            wanted.append({ page, region });
        }
    }
    // Enlarged spreads are large: under the magnifier one is read ahead, not two.
    const int ahead = visible != rect() ? 1 : kAhead;
    for (int i = 0, p = m_nPage; i < ahead; ++i) {
        p = SpreadLayout::Neighbour(Spread(p), m_nPageCount, 1);
        if (p == 0)
            break;
        wanted.append({ p, whole });
    }
    for (int i = 0, p = m_nPage; i < kBehind; ++i) {
        p = SpreadLayout::Neighbour(Spread(p), m_nPageCount, -1);
        if (p == 0)
            break;
        wanted.append({ p, whole });
    }
    QList<RenderJob> jobs;
    QSet<QString> keys;
    QList<int> missing;
    QList<int> contents;
    for (const auto& [page, area] : wanted) {
        const QString key = KeyFor(page, area);
        if (keys.contains(key))
            continue;
        keys.insert(key);
        // A spread is laid out, and so rendered, only once its pages' sizes are read, and
        // with the borders cut, what is left of the pages around it.
        // Until what is left of the pages around is known, the first spread of a book cut
        // is rendered whole, so that the reader sees it at once; later spreads wait for
        // their cut, so that the type does not change size under the reader's eyes.
        const bool cut = ContentsKnown(page, contents);
        const bool standIn = page == m_nPage && !m_bCutShown;
        if (!m_cache.contains(key) && SizesKnown(page, missing) && (cut || standIn))
            jobs.append(JobFor(page, area));
    }
    m_cache.removeIf(
        [&keys](QHash<QString, Rendered>::iterator entry) { return !keys.contains(entry.key()); });
    // Then those of the turns to come, so that their renders need not wait for them.
    for (int page = std::max(m_nPage - PopplerDocuments::kSizesBehind, 1);
         page <= std::min(m_nPage + PopplerDocuments::kSizesAhead, m_nPageCount); ++page) {
        if (!m_pageSizes.contains(page) && !m_sizesAsked.contains(page) && !missing.contains(page))
            missing.append(page);
    }
    for (const int page : std::as_const(missing))
        m_sizesAsked.insert(page);
    m_renderer.WantSizes(missing);
    for (const int page : std::as_const(contents))
        m_contentsAsked.insert(page);
    m_renderer.WantContents(contents);
    m_renderer.Submit(jobs);
}

void CAcroAXDocShim::OnRendered(const QString& key, const QImage& image, const QRect& area)
{
    // Hidden, it asks for nothing: what arrives then was asked for by others.
    if (!m_bLoaded || !isVisible())
        return;
    m_cache.insert(key, Rendered { area, image });
    if (InSight())
        update();
}

const CAcroAXDocShim::Rendered* CAcroAXDocShim::InSight() const
{
    if (!m_bLoaded)
        return nullptr;
    const QRect visible = VisibleRect();
    for (const QRect& area : { visible, rect() }) {
        const auto found = m_cache.constFind(KeyFor(m_nPage, area));
        if (found != m_cache.constEnd() && found->area.contains(visible))
            return &*found;
    }
    return nullptr;
}

bool CAcroAXDocShim::IsShowingRendered() const
{
    return InSight() != nullptr;
}

bool CAcroAXDocShim::IsShowingSettled() const
{
    QList<int> missing;
    return IsShowingRendered() && ContentsKnown(m_nPage, missing);
}

void CAcroAXDocShim::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), PdfRenderer::kBackground);
    if (!m_bLoaded)
        return;
    if (const Rendered* shown = InSight()) {
        const QRect visible = VisibleRect();
        const qreal dpr = shown->image.devicePixelRatio();
        const QRectF source(
            QPointF(visible.topLeft() - shown->area.topLeft()) * dpr, QSizeF(visible.size()) * dpr);
        painter.drawImage(QRectF(visible), shown->image, source);
        m_bCutShown = m_bCutShown || (m_bCrop && IsShowingSettled());
        emit renderedSpreadPainted(m_nPage);
        return;
    }
    // Until the render arrives, the pages show as blank paper in their places.
    QImage paper(1, 1, QImage::Format_RGB32);
    paper.fill(Qt::white);
    if (m_bNight)
        NightColours::Apply(paper);
    for (const SpreadLayout::Placed& p : PagesShown())
        painter.fillRect(p.rect, paper.pixelColor(0, 0));
}

void CAcroAXDocShim::resizeEvent(QResizeEvent*)
{
    ScheduleRenders();
}

void CAcroAXDocShim::moveEvent(QMoveEvent*)
{
    ScheduleRenders();
}

void CAcroAXDocShim::showEvent(QShowEvent*)
{
    ScheduleRenders();
}
