#include "view/IndicatorRules.h"
#include "view/TalvexView.h"

void CTalvexView::ShowPageIndicator(bool opening, const QString& notice)
{
    const bool resumed = opening && m_bOpenedAtLastPlace;
    if (opening)
        m_bOpenedAtLastPlace = false;
    // A notice answers what the reader asked for: it shows with the plate turned off too.
    if ((!m_bPageIndicator && notice.isEmpty()) || !m_bContent
        || (m_book.bImages && m_bPagesPending))
        return;
    const SizeGeometry g = ListGeometry::ForIndex(SizeIndex());
    IndicatorRules::Text text = IndicatorRules::Compose(
        m_book, opening, m_pageShapes, m_book.bImages ? m_nReadablePages : -1, resumed);
    if (!notice.isEmpty())
        text.notice = notice;
    m_pageIndicator.Flash(text, m_fonts[g.line1Font], m_fonts[g.line2Font]);
}
