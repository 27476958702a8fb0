#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "browser/ResumeRules.h"
#include "platform/CursorCounter.h"
#include "view/TalvexView.h"

void CTalvexView::ShowPage()
{
    m_pReader->Show(m_book);
}

void CTalvexView::ShowPageAt(int page, bool forward)
{
    m_pReader->SetTurnForward(forward);
    m_book.nPage = page;
    ShowPage();
    ShowPageIndicator();
}

bool CTalvexView::TurnTo(int page, bool forward)
{
    if (page == m_book.nPage)
        return false;
    const SpreadPairing pairing = Pairing(m_book);
    const bool newSpread = pairing.SpreadStart(page) != pairing.SpreadStart(m_book.nPage);
    m_pReader->SetTurnForward(forward);
    m_book.nPage = page;
    m_pReader->Turn(m_book, newSpread);
    ShowPageIndicator();
    return true;
}

bool CTalvexView::GoNextPage()
{
    return TurnTo(Pairing(m_book).NextPage(m_book.nPage), true);
}

bool CTalvexView::GoPrevPage()
{
    return TurnTo(Pairing(m_book).PrevPage(m_book.nPage), false);
}

void CTalvexView::GoSkipForward()
{
    const int c = std::min(m_book.nPage + m_nSkipForward, m_book.nPageCount);
    if (m_bContent && c != m_book.nPage)
        ShowPageAt(c, true);
}

void CTalvexView::GoSkipBack()
{
    const int c = std::max(m_book.nPage - m_nSkipBack, 1);
    if (m_bContent && c != m_book.nPage)
        ShowPageAt(c, false);
}

void CTalvexView::GoFirstPage()
{
    if (m_bContent)
        ShowPageAt(1, false);
}

void CTalvexView::GoLastPage()
{
    if (m_bContent)
        ShowPageAt(m_book.nPageCount, true);
}

void CTalvexView::CloseBook(int mode)
{
    m_pageGrid.Close();
    m_bContent = false;
    m_pReader->Close();
    m_inputGate.Open();
    m_dlgCover.hide();
    m_pageIndicator.Dismiss();
    m_pDocument->SetTitle(QString());
    if (m_bHideCursor)
        CursorCounter::ShowCursorNow();
    if (CMainFrame* frame = GetParentFrame())
        frame->m_bContentShown = false;
    // Every way out keeps the place, the Resume screen's entries aside.
    m_placeKeeper.Remember(m_book);
    if (mode == CLOSE_OVERWRITE_RESUME || mode == CLOSE_ADD_RESUME) {
        RegisterResume(mode);
    } else {
        m_book.nPage = m_nOpenedPage;
        m_book.strPath = m_strOpenedPath;
    }
    ShowListScreen();
}
