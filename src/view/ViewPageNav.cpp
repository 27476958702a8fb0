#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "browser/ResumeRules.h"
#include "platform/CursorCounter.h"
#include "view/PageRules.h"
#include "view/TalvexView.h"

void CTalvexView::ShowPage()
{
    m_wndPdf.setCurrentPage(m_book.nPage);
}

bool CTalvexView::GoNextPage()
{
    const int layout = m_book.nLayout;
    const int s = PageRules::SpreadStart(m_book.nPage, layout);
    const int c = PageRules::NextPage(m_book.nPage, m_book.nPageCount, layout);
    if (c == m_book.nPage)
        return false;
    m_bTurnForward = true;
    m_book.nPage = c;
    if (!m_book.bImages || PageRules::SpreadStart(c, layout) != s)
        ShowPage();
    return true;
}

bool CTalvexView::GoPrevPage()
{
    const int layout = m_book.nLayout;
    const int s = PageRules::SpreadStart(m_book.nPage, layout);
    const int c = PageRules::PrevPage(m_book.nPage, m_book.nPageCount, layout);
    if (c == m_book.nPage)
        return false;
    m_bTurnForward = false;
    m_book.nPage = c;
    if (!m_book.bImages || PageRules::SpreadStart(c, layout) != s)
        ShowPage();
    return true;
}

void CTalvexView::GoSkipForward()
{
    if (!m_bContent)
        return;
    const int c = std::min(m_book.nPage + m_nSkipForward, m_book.nPageCount);
    if (c == m_book.nPage)
        return;
    m_bTurnForward = true;
    m_book.nPage = c;
    ShowPage();
}

void CTalvexView::GoSkipBack()
{
    if (!m_bContent)
        return;
    const int c = std::max(m_book.nPage - m_nSkipBack, 1);
    if (c == m_book.nPage)
        return;
    m_bTurnForward = false;
    m_book.nPage = c;
    ShowPage();
}

void CTalvexView::GoFirstPage()
{
    if (!m_bContent)
        return;
    m_bTurnForward = false;
    m_book.nPage = 1;
    ShowPage();
}

void CTalvexView::GoLastPage()
{
    if (!m_bContent)
        return;
    m_bTurnForward = true;
    m_book.nPage = m_book.nPageCount;
    ShowPage();
}

void CTalvexView::CloseBook(int mode)
{
    m_bContent = false;
    m_wndPdf.hide();
    m_wndPdf.LoadFile(QString());
    m_dlgCover.hide();
    m_pDocument->SetTitle(QString());
    if (m_bHideCursor)
        CursorCounter::ShowCursorNow();
    if (CMainFrame* frame = GetParentFrame())
        frame->m_bContentShown = false;
    if (mode == CLOSE_OVERWRITE_RESUME || mode == CLOSE_ADD_RESUME) {
        RegisterResume(mode);
    } else {
        m_book.nPage = m_nOpenedPage;
        m_book.strPath = m_strOpenedPath;
    }
    ShowListScreen();
}
