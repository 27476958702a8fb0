#include "images/ZoomRules.h"
#include "view/TalvexView.h"

void CTalvexView::ApplyZoom(int zoom)
{
    m_book.nZoom = zoom;
    LayoutContent();
    ShowPageIndicator();
}

void CTalvexView::StepUp()
{
    const int zoom = m_book.nZoom;
    if (zoom == 0) {
        GoPrevPage();
    } else if (zoom >= 4 && zoom <= 9) {
        ApplyZoom(zoom - 3);
    } else if (zoom >= 1 && zoom <= 3) {
        // Up from the top row shows the bottom of the page before; in the first spread
        // nothing changes.
        if (TurnsSpread(Pairing(m_book).PrevPage(m_book.nPage)) && GoPrevPage())
            ApplyZoom(zoom + 6);
    } else {
        LayoutContent();
    }
}

void CTalvexView::StepDown()
{
    const int zoom = m_book.nZoom;
    if (zoom == 0) {
        GoNextPage();
    } else if (zoom >= 1 && zoom <= 6) {
        ApplyZoom(zoom + 3);
    } else if (zoom >= 7 && zoom <= 9) {
        if (TurnsSpread(Pairing(m_book).NextPage(m_book.nPage)) && GoNextPage())
            ApplyZoom(zoom - 6);
    } else {
        LayoutContent();
    }
}

bool CTalvexView::TurnsSpread(int page) const
{
    const SpreadPairing pairing = Pairing(m_book);
    return pairing.SpreadStart(page) != pairing.SpreadStart(m_book.nPage);
}

void CTalvexView::MoveZoomLeft()
{
    MoveZoomTo(ZoomRules::MoveLeft(m_book.nZoom));
}

void CTalvexView::MoveZoomRight()
{
    MoveZoomTo(ZoomRules::MoveRight(m_book.nZoom));
}

void CTalvexView::MoveZoomTo(int zoom)
{
    // Without zoom, or at the edge column, nothing happens; a damaged value is re-applied.
    if (zoom != m_book.nZoom || (!ZoomRules::IsRegion(zoom) && zoom != 0))
        ApplyZoom(zoom);
}
