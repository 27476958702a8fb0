#include "platform/Prompt.h"
#include "view/GoToPageDlg.h"
#include "view/TalvexView.h"

void CTalvexView::GoToPage()
{
    if (!m_bContent || m_book.nPageCount < 2)
        return;
    CGoToPageDlg dlg(this);
    dlg.m_nPage = m_book.nPage;
    dlg.m_nPageCount = m_book.nPageCount;
    dlg.OnInitDialog();
    if (Prompt::RunModal(dlg) == QDialog::Accepted)
        JumpToPage(dlg.m_nPage);
}

void CTalvexView::JumpToPage(int page)
{
    const int c = std::clamp(page, 1, std::max(m_book.nPageCount, 1));
    if (m_bContent && c != m_book.nPage)
        ShowPageAt(c, c > m_book.nPage);
}
