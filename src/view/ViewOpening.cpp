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
    const QString cannotOpen = QStringLiteral("ファイルを開けません。");
    if (record.bImages) {
        const ImageBookReader::Opening opened = m_imageBook.Open(record, ImageOptions());
        if (opened != ImageBookReader::Opening::Opened) {
            m_imageBook.Close();
            // Given up by the reader, it ends quietly, as the page-count dialog's Cancel.
            if (opened == ImageBookReader::Opening::Failed) {
                ShowListBehindDialog();
                Prompt::MessageBox(this, cannotOpen, Prompt::ErrorIcon);
            }
            return false;
        }
        EnterContent(record, record.nPageCount);
        return true;
    }
    const std::optional<int> pages = m_pdfBook.Open(record, m_bWidePageAlone);
    if (!pages)
        return false;
    EnterContent(record, *pages);
    return true;
}

SpreadPairing CTalvexView::Pairing(const BookRecord& record) const
{
    return record.bImages ? m_imageBook.Pairing(record) : m_pdfBook.Pairing(record);
}

ImageBookReader::Options CTalvexView::ImageOptions() const
{
    return { m_nPicExt, m_bNaturalSort, m_nLayoutImage, m_nBind, m_nSpace, m_bPicEnlarge,
        m_bWidePageAlone };
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

void CTalvexView::EnterContent(const BookRecord& record, int pages)
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
    m_book.nPageCount = pages;
    if (m_book.bImages)
        m_imageBook.Enter(m_book);
    else {
        // A record without a layout has no resume entry or last place behind it: nothing
        // chose a layout or a binding, and the document's own reading direction stands.
        if (record.nLayout == 0) {
            if (pages == 1)
                m_book.nLayout = LAYOUT_SINGLE;
            else if (pages == 2 && m_nLayoutPdf != LAYOUT_SINGLE)
                m_book.nLayout = LAYOUT_SPREAD_NOCOVER;
            else
                m_book.nLayout = m_nLayoutPdf;
            m_book.bRightToLeft = m_wndPdf.ReadsRightToLeft();
        }
        // The stored count came first; the document's own count wins once it is known.
        if (m_wndPdf.PageCount() > 0)
            m_book.nPageCount = m_wndPdf.PageCount();
        m_book.nPage = std::clamp(record.nPage, 1, m_book.nPageCount);
        m_wndPdf.setCurrentPage(m_book.nPage);
        m_pdfBook.Enter(m_book);
        ApplyLayout();
        LayoutContent();
        m_wndPdf.show();
    }
    if (CMainFrame* frame = GetParentFrame())
        frame->m_bContentShown = m_bContent;
    m_dlgCover.raise();
    m_dlgCover.show();
    update();
    ShowPageIndicator(true);
}

void CTalvexView::ApplyLayout()
{
    if (m_book.bImages) {
        m_imageBook.LoadPages(m_book);
        m_imageBook.SetTurnForward(true);
        update();
        return;
    }
    static const char* const kModes[] = { "SinglePage", "TwoColumnRight", "TwoColumnLeft" };
    if (m_book.nLayout >= LAYOUT_SINGLE && m_book.nLayout <= LAYOUT_SPREAD_NOCOVER)
        m_wndPdf.setLayoutMode(QString::fromLatin1(kModes[m_book.nLayout - 1]));
    m_wndPdf.setRightToLeft(m_book.SpreadBinding() == BIND_RIGHT);
    m_pdfBook.Pair();
    m_wndPdf.setView(QStringLiteral("Fit"));
    ShowPageIndicator();
}

void CTalvexView::LayoutContent()
{
    if (m_imageBook.IsOpening() || m_book.bImages) {
        m_imageBook.Resize();
        return;
    }
    const QRect geometry = ZoomRules::PdfGeometry(size(), m_book.nZoom, m_nTaskPaneWidth);
    if (!geometry.isEmpty())
        m_wndPdf.setGeometry(geometry);
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
