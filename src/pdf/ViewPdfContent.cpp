#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "images/ZoomRules.h"
#include "pdf/InqNumPagesDlg.h"
#include "pdf/InqPasswordDlg.h"
#include "pdf/TempCopy.h"
#include "platform/CursorCounter.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "platform/WaitCursor.h"
#include "view/TalvexView.h"

#include <QApplication>
#include <QCursor>
#include <QFile>

namespace
{
constexpr int kIdleTicks = 20;
constexpr int kMoveThreshold = 32; // squared pixels
} // namespace

PopplerDocuments::Examined CTalvexView::CountPdfPages(
    const QString& path, const PdfPassword& password)
{
    return PopplerDocuments::Examine(path, password);
}

bool CTalvexView::OpenBook(BookRecord& record)
{
    const QString cannotOpen = QStringLiteral("ファイルを開けません。");
    if (record.bImages) {
        const Opening opened = OpenImageBook(record);
        if (opened != Opening::Opened) {
            ReleasePages();
            // Given up by the reader, it ends quietly, as the page-count dialog's Cancel.
            if (opened == Opening::Failed)
                Prompt::MessageBox(this, cannotOpen, Prompt::ErrorIcon);
            return false;
        }
        EnterContent(record, record.nPageCount);
        return true;
    }
    // Held while the book opens, and wiped once each of its documents is open.
    PdfPassword password;
    PopplerDocuments::Examined examined;
    {
        const WaitCursor wait;
        examined = CountPdfPages(record.strPath, password);
    }
    // The password comes before anything else, even with a count stored: every
    // document of the book needs it.
    if (examined.access == PopplerDocuments::Access::Locked
        && !AskPdfPassword(record.strPath, password, examined))
        return false;
    if (examined.access == PopplerDocuments::Access::Unreadable) {
        Prompt::MessageBox(this, cannotOpen, Prompt::ErrorIcon);
        return false;
    }
    int pages = record.nPageCount >= 1 ? record.nPageCount : examined.pages;
    if (pages < 1) {
        // The reader is asked with the normal cursor, not the busy one.
        CInqNumPagesDlg dlg(this);
        dlg.m_nPages = 1;
        dlg.OnInitDialog();
        if (Prompt::RunModal(dlg) != QDialog::Accepted)
            return false;
        pages = dlg.m_nPages;
    }
    bool loaded = false;
    {
        const WaitCursor wait;
        loaded
            = m_wndPdf.LoadFile(record.strPath, password) || LoadTempCopy(record.strPath, password);
    }
    if (!loaded) {
        Prompt::MessageBox(this, cannotOpen, Prompt::ErrorIcon);
        return false;
    }
    EnterContent(record, pages);
    return true;
}

bool CTalvexView::AskPdfPassword(
    const QString& path, PdfPassword& password, PopplerDocuments::Examined& examined)
{
    for (;;) {
        CInqPasswordDlg dlg(this);
        if (Prompt::RunModal(dlg) != QDialog::Accepted)
            return false;
        {
            const WaitCursor wait;
            QString typed = dlg.TakePassword();
            const QList<PdfPassword> spellings = PdfPassword::Spellings(typed);
            typed.fill(QChar(0));
            for (const PdfPassword& spelling : spellings) {
                examined = CountPdfPages(path, spelling);
                if (examined.access != PopplerDocuments::Access::Locked) {
                    password = spelling;
                    return true;
                }
            }
        }
        Prompt::MessageBox(this, QStringLiteral("パスワードが違います。"), Prompt::WarningIcon);
    }
}

bool CTalvexView::LoadTempCopy(const QString& path, const PdfPassword& password)
{
    if (!TempCopy::StartsLikePdf(path))
        return false;
    const QString copy = TempCopy::Create();
    if (copy.isEmpty())
        return false;
    if (!m_strTempFile.isEmpty())
        QFile::remove(m_strTempFile);
    m_strTempFile = copy;
    TempCopy::CopyOver(path, m_strTempFile);
    return m_wndPdf.LoadFile(m_strTempFile, password);
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
    m_bTurnForward = true;
    if (!m_book.bImages) {
        if (record.nLayout == 0) {
            if (pages == 1)
                m_book.nLayout = LAYOUT_SINGLE;
            else if (pages == 2 && m_nLayoutPdf != LAYOUT_SINGLE)
                m_book.nLayout = LAYOUT_SPREAD_NOCOVER;
            else
                m_book.nLayout = m_nLayoutPdf;
        }
        // The stored count came first; the document's own count wins once it is known.
        if (m_wndPdf.PageCount() > 0)
            m_book.nPageCount = m_wndPdf.PageCount();
        m_book.nPage = std::clamp(record.nPage, 1, m_book.nPageCount);
        m_wndPdf.setCurrentPage(m_book.nPage);
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
        LoadPages(m_book);
        m_bTurnForward = true;
        update();
        return;
    }
    static const char* const kModes[] = { "SinglePage", "TwoColumnRight", "TwoColumnLeft" };
    if (m_book.nLayout >= LAYOUT_SINGLE && m_book.nLayout <= LAYOUT_SPREAD_NOCOVER)
        m_wndPdf.setLayoutMode(QString::fromLatin1(kModes[m_book.nLayout - 1]));
    m_wndPdf.setRightToLeft(m_book.SpreadBinding() == BIND_RIGHT);
    m_wndPdf.setView(QStringLiteral("Fit"));
    ShowPageIndicator();
}

void CTalvexView::LayoutContent()
{
    if (m_pOpening) {
        // The first pages are asked for again at the size they will be shown at.
        RequestPages(*m_pOpening);
        return;
    }
    if (m_book.bImages) {
        m_bTurnForward = true;
        if (m_bContent)
            ResizePages();
        update();
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
