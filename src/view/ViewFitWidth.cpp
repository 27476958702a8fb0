#include "view/CommandIds.h"
#include "view/InputRules.h"
#include "view/TalvexView.h"

#include <QApplication>

void CTalvexView::ToggleFitWidth()
{
    // The book keeps its fit in its entry and its last place; the magnifier has no place
    // among pages as wide as the screen.
    m_book.bFitWidth = !m_book.bFitWidth;
    if (m_book.bFitWidth && m_book.nZoom != 0) {
        m_book.nZoom = 0;
        LayoutContent();
    }
    ApplyLayout();
    ShowPageIndicator();
}

bool CTalvexView::Scrolls() const
{
    return m_bContent && m_book.bFitWidth;
}

bool CTalvexView::ScrollCommand(int id)
{
    PageStrip& strip = m_pReader->Strip();
    switch (id) {
    case ID_PAGE_NEXT:
        strip.Scroll(PageStrip::Step::ScreenDown);
        return true;
    case ID_PAGE_PREV:
        strip.Scroll(PageStrip::Step::ScreenUp);
        return true;
    case ID_PAGE_FIRST:
        strip.Scroll(PageStrip::Step::Top);
        return true;
    case ID_PAGE_LAST:
        strip.Scroll(PageStrip::Step::Bottom);
        return true;
    default:
        return InputRules::ZoomOfCommand(id) >= 0;
    }
}

bool CTalvexView::ScrollAction(int action)
{
    switch (action) {
    case InputRules::ACT_STEP_UP:
        m_pReader->Strip().Scroll(PageStrip::Step::LineUp);
        return true;
    case InputRules::ACT_STEP_DOWN:
        m_pReader->Strip().Scroll(PageStrip::Step::LineDown);
        return true;
    case InputRules::ACT_TOGGLE_ZOOM:
        return true;
    default:
        return false;
    }
}

void CTalvexView::ScrollWheel(int angle, int pixels)
{
    // A touchpad's pixels as they come; a wheel's notch moves the lines the desktop sets,
    // each a twentieth of the screen.
    if (pixels != 0) {
        m_pReader->Strip().ScrollBy(-pixels);
        return;
    }
    const int lines = std::max(QApplication::wheelScrollLines(), 1);
    m_pReader->Strip().ScrollBy(-angle / 120.0 * lines * height() / 20.0);
}
