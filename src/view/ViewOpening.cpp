#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "images/ZoomRules.h"
#include "platform/CursorCounter.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

#include <QApplication>
#include <QCursor>

namespace
{
constexpr int kIdleTicks = 20;
constexpr int kMoveThreshold = 32; // squared pixels
} // namespace

bool CTalvexView::OpenBook(BookRecord& record)
{
    // The one place that asks what the book is made of.
    m_pReader = record.bImages ? static_cast<BookReader*>(&m_imageBook) : &m_pdfBook;
    if (m_pReader->Open(record, ReaderOptions()) != BookReader::Opening::Opened)
        return false;
    EnterContent(record);
    return true;
}

SpreadPairing CTalvexView::Pairing(const BookRecord& record) const
{
    return m_pReader->Pairing(record);
}

BookReader::Options CTalvexView::ReaderOptions() const
{
    return { m_nPicExt, m_bNaturalSort, m_nLayoutImage, m_nLayoutPdf, m_nBind, m_nSpace,
        m_bPicEnlarge, m_bWidePageAlone, m_bNightMode, m_nCropMargin, m_bFitWidthPdf,
        m_bFitWidthImages };
}

void CTalvexView::ShowListBehindDialog()
{
    // A book from the command line or a hand-over opens with the list out of sight, so
    // that it does not flash by; a question or a message shows it drawn behind them.
    CColorListCtrl& list = CurrentList();
    if (!m_bContent && list.isHidden()) {
        list.show();
        list.repaint();
    }
}

void CTalvexView::EnterContent(const BookRecord& record)
{
    m_pDocument->SetTitle(Paths::ForDisplay(Paths::FileNamePart(record.strPath)));
    m_listFolder.hide();
    m_listResume.hide();
    setFocus();
    if (m_bHideCursor)
        CursorCounter::HideCursorNow();
    m_nIdleTicks = 0;
    m_ptLastCursor = QCursor::pos();
    m_nOpenedPage = record.nPage;
    m_strOpenedPath = record.strPath;
    m_bContent = true;
    m_book = record;
    m_pReader->SetTurnForward(true);
    m_pReader->Enter(m_book);
    if (CMainFrame* frame = GetParentFrame())
        frame->m_bContentShown = m_bContent;
    m_dlgCover.raise();
    m_dlgCover.show();
    update();
    ShowPageIndicator(true);
}

void CTalvexView::ApplyLayout()
{
    m_pReader->ApplyLayout(m_book);
}

void CTalvexView::LayoutContent()
{
    m_pReader->Resize(m_book);
}

void CTalvexView::PlaceCoverWindow()
{
    m_dlgCover.setGeometry(rect());
}

void CTalvexView::OnContentTimer()
{
    // Over a menu, a dialog or the contents screen the reader needs the pointer.
    if (m_bMenuOpen || QApplication::activeModalWidget() || OutlineShown()) {
        if (m_bHideCursor)
            CursorCounter::ShowCursorNow();
        m_nIdleTicks = 0;
        return;
    }
    const QPoint cursor = QCursor::pos();
    if (!rect().contains(mapFromGlobal(cursor)))
        return;
    const QPoint moved = cursor - m_ptLastCursor;
    m_ptLastCursor = cursor;
    if (moved.x() * moved.x() + moved.y() * moved.y() > kMoveThreshold) {
        if (m_bHideCursor)
            CursorCounter::ShowCursorNow();
        m_nIdleTicks = 0;
    } else if (++m_nIdleTicks >= kIdleTicks && m_bHideCursor) {
        CursorCounter::HideCursorNow();
    }
}
