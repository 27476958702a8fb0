#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

bool CTalvexView::OutlineShown() const
{
    return !m_outline.isHidden();
}

void CTalvexView::ShowOutline()
{
    const QList<OutlineEntry>& entries = m_pReader->Outline();
    if (!m_bContent || OutlineShown())
        return;
    if (m_pReader->OutlineRead() && entries.isEmpty()) {
        ShowPageIndicator(false, QStringLiteral("目次がありません"));
        return;
    }
    // Read after the first page: until then there is nothing to show yet.
    if (entries.isEmpty())
        return;
    m_outline.Fill(entries, m_book.nPage, Paths::ForDisplay(Paths::FileNamePart(m_book.strPath)));
    LayoutOutline();
    m_outline.raise();
    m_outline.show();
    m_outline.List().setFocus();
}

void CTalvexView::LayoutOutline()
{
    m_outline.setGeometry(rect());
    m_outline.Layout(m_fonts, SizeIndex());
}

void CTalvexView::CloseOutline()
{
    m_outline.hide();
    setFocus();
}

void CTalvexView::OpenOutlineEntry()
{
    const int page = m_outline.SelectedPage();
    if (page < 1) {
        Prompt::Beep();
        return;
    }
    CloseOutline();
    JumpToPage(page);
}
