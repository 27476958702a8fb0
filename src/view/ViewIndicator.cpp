#include "view/IndicatorRules.h"
#include "view/TalvexView.h"

void CTalvexView::ShowPageIndicator(bool opening)
{
    const bool resumed = opening && m_bOpenedAtLastPlace;
    if (opening)
        m_bOpenedAtLastPlace = false;
    if (!m_bPageIndicator || !m_bContent || (m_book.bImages && m_bPagesPending))
        return;
    const SizeGeometry g = ListGeometry::ForIndex(SizeIndex());
    const PageShapes shapes = m_book.bImages ? m_pageShapes : PageShapes();
    m_pageIndicator.Flash(
        IndicatorRules::Compose(
            m_book, opening, shapes, m_book.bImages ? m_nReadablePages : -1, resumed),
        m_fonts[g.line1Font], m_fonts[g.line2Font]);
}
