#include "view/IndicatorRules.h"
#include "view/TalvexView.h"

void CTalvexView::ShowPageIndicator(bool opening)
{
    if (!m_bPageIndicator || !m_bContent || (m_book.bImages && m_bPagesPending))
        return;
    const SizeGeometry g = ListGeometry::ForIndex(SizeIndex());
    m_pageIndicator.Flash(
        IndicatorRules::Compose(m_book, opening), m_fonts[g.line1Font], m_fonts[g.line2Font]);
}
