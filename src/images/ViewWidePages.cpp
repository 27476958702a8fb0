#include "view/TalvexView.h"

SpreadPairing CTalvexView::Pairing(const BookRecord& record) const
{
    return SpreadPairing(record.nLayout, record.nPageCount, m_pageShapes);
}

void CTalvexView::ReadPageShapes(int fromPage)
{
    m_shapeReader.Stop();
    m_pageShapes.clear();
    if (!m_bWidePageAlone)
        return;
    m_pageShapes = PageShapes(m_pageSource->Count(), PageShape::Unknown);
    m_shapeReader.Start(m_pageSource, fromPage);
}

void CTalvexView::ReadPdfShapes()
{
    m_pageShapes.clear();
    if (!m_bWidePageAlone)
        return;
    m_pageShapes = PageShapes(m_book.nPageCount, PageShape::Unknown);
    TakePdfSizes(m_wndPdf.PageSizes());
    m_wndPdf.ReadEveryPageSize();
}

void CTalvexView::TakePdfSizes(const QMap<int, QSizeF>& sizes)
{
    for (auto it = sizes.constBegin(); it != sizes.constEnd(); ++it) {
        if (it.key() >= 1 && it.key() <= m_pageShapes.size())
            m_pageShapes[it.key() - 1] = ShapeOfSize(it.value());
    }
}

void CTalvexView::OnPdfSizesRead(const QMap<int, QSizeF>& sizes)
{
    if (!m_bContent || m_book.bImages || m_pageShapes.isEmpty())
        return;
    const int bind = m_book.SpreadBinding();
    const SpreadPairing::Shown before = Pairing(m_book).ShownAt(m_book.nPage, bind);
    TakePdfSizes(sizes);
    PairPdfPages();
    // A wide page found among those before it moves the pairing of the page in sight.
    if (Pairing(m_book).ShownAt(m_book.nPage, bind) != before)
        ShowPageIndicator();
}

void CTalvexView::PairPdfPages()
{
    if (m_pageShapes.isEmpty()) {
        m_wndPdf.setSpreads(nullptr);
        return;
    }
    m_wndPdf.setSpreads([pairing = Pairing(m_book), bind = m_book.SpreadBinding(),
                            count = m_book.nPageCount](int page) {
        const SpreadPairing::Shown shown = pairing.ShownAt(page, bind);
        const auto slot
            = [count](int p) { return SpreadLayout::Slot { p >= 1 && p <= count ? p : 0 }; };
        if (shown.layout == LAYOUT_SINGLE)
            return QList<SpreadLayout::Slot> { slot(page) };
        return QList<SpreadLayout::Slot> { slot(shown.sides.left), slot(shown.sides.right) };
    });
}

void CTalvexView::PendSpread(const BookRecord& record)
{
    const SpreadPairing::Shown shown = Pairing(record).ShownAt(record.nPage, record.nBind);
    m_pendingPages = shown.sides;
    m_nPendingLayout = shown.layout;
    m_nPendingZoom = record.nZoom;
    m_bPagesPending = true;
}

void CTalvexView::OnShapesRead()
{
    BookRecord* record = m_pOpening;
    if (!record && m_bContent && m_book.bImages)
        record = &m_book;
    if (!record)
        return;
    m_pageShapes = m_shapeReader.Shapes();
    const SpreadPairing::Shown shown = Pairing(*record).ShownAt(record->nPage, record->nBind);
    const bool pending = m_pOpening || m_bPagesPending;
    const bool moved = shown.sides != (pending ? m_pendingPages : m_shownPages)
        || shown.layout != (pending ? m_nPendingLayout : m_nShownLayout);
    if (m_pOpening) {
        if (moved)
            PendSpread(*record);
        RequestPages(*record);
        m_opening.Recheck();
    } else if (moved) {
        // A wide page found among those before it moves the pairing of the page in sight.
        LoadPages(m_book);
    } else {
        RequestPages(m_book);
    }
}
