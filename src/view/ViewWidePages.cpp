#include "view/TalvexView.h"

SpreadPairing CTalvexView::Pairing(const BookRecord& record) const
{
    return SpreadPairing(
        record.nLayout, record.nPageCount, record.bImages ? m_pageShapes : PageShapes());
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
