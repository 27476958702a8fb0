#include "view/IndicatorRules.h"
#include "view/TalvexView.h"

void CTalvexView::ShowPageIndicator(bool opening, const QString& notice, bool asked)
{
    const bool resumed = opening && m_bOpenedAtLastPlace;
    if (opening)
        m_bOpenedAtLastPlace = false;
    // A notice answers what the reader asked for, as the plate's own key does: both show
    // with the plate turned off too.
    const bool wanted = m_nPageIndicator != IndicatorRules::SHOWN_NEVER || asked;
    if ((!wanted && notice.isEmpty()) || !m_bContent || m_pReader->PagesPending())
        return;
    const SizeGeometry g = ListGeometry::ForIndex(SizeIndex());
    IndicatorRules::Text text = IndicatorRules::Compose(m_book, opening, Pairing(m_book),
        m_pReader->ReadablePages(), resumed, m_pReader->LongStrip());
    if (!notice.isEmpty())
        text.notice = notice;
    m_pageIndicator.Flash(text, m_fonts[g.line1Font], m_fonts[g.line2Font]);
}
