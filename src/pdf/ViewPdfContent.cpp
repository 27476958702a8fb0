#include "app/MainFrame.h"
#include "app/TalvexDoc.h"
#include "images/ZoomRules.h"
#include "pdf/InqNumPagesDlg.h"
#include "pdf/InqPasswordDlg.h"
#include "pdf/TempCopy.h"
#include "platform/CursorCounter.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

#include <QApplication>
#include <QCursor>
#include <QFile>

namespace
{
constexpr int kIdleTicks = 20;
constexpr int kMoveThreshold = 32; // squared pixels
} // namespace

std::optional<PopplerDocuments::Opened> CTalvexView::OpenPdf(
    const QString& path, const QList<PdfPassword>& spellings, int nearPage, PdfPassword& used)
{
    using Tried = std::pair<PopplerDocuments::Opened, qsizetype>;
    std::optional<Tried> tried
        = m_opening.Compute<Tried>([path, spellings, nearPage, before = m_bWidePageAlone](
                                       const BackgroundTask::Abandoned& abandoned) {
              Tried result;
              for (qsizetype i = 0; i < spellings.size() && !abandoned(); ++i) {
                  result = { PopplerDocuments::Open(path, spellings[i], nearPage, before), i };
                  if (result.first.access != PopplerDocuments::Access::Locked)
                      break;
              }
              return result;
          });
    if (!tried)
        return std::nullopt;
    used = spellings.value(tried->second);
    return std::move(tried->first);
}

bool CTalvexView::OpenBook(BookRecord& record)
{
    const QString cannotOpen = QStringLiteral("ファイルを開けません。");
    if (record.bImages) {
        const Opening opened = OpenImageBook(record);
        if (opened != Opening::Opened) {
            ReleasePages();
            // Given up by the reader, it ends quietly, as the page-count dialog's Cancel.
            if (opened == Opening::Failed) {
                ShowListBehindDialog();
                Prompt::MessageBox(this, cannotOpen, Prompt::ErrorIcon);
            }
            return false;
        }
        EnterContent(record, record.nPageCount);
        return true;
    }
    // Held while the book opens, and wiped once each of its documents is open.
    PdfPassword password;
    std::optional<PopplerDocuments::Opened> opened
        = OpenPdf(record.strPath, { PdfPassword() }, std::max(record.nPage, 1), password);
    // Given up by the reader while the file was read, it ends quietly.
    if (!opened)
        return false;
    // The password comes before anything else, even with a count stored: every
    // document of the book needs it.
    if (opened->access == PopplerDocuments::Access::Locked
        && !AskPdfPassword(record, password, *opened))
        return false;
    if (opened->access == PopplerDocuments::Access::Unreadable) {
        ShowListBehindDialog();
        Prompt::MessageBox(this, cannotOpen, Prompt::ErrorIcon);
        return false;
    }
    int pages = record.nPageCount >= 1 ? record.nPageCount : opened->pages;
    if (pages < 1) {
        // The reader is asked with the normal cursor, not the busy one.
        ShowListBehindDialog();
        CInqNumPagesDlg dlg(this);
        dlg.m_nPages = 1;
        dlg.OnInitDialog();
        if (Prompt::RunModal(dlg) != QDialog::Accepted)
            return false;
        pages = dlg.m_nPages;
    }
    if (!opened->document) {
        // The file may have been finished while the reader was asked.
        PdfPassword used;
        opened = OpenPdf(record.strPath, { password }, std::max(record.nPage, 1), used);
        if (!opened)
            return false;
    }
    // Only a file the control cannot reach by its own path is worth a copy: one that
    // poppler read and found no pages in would read the same from the copy.
    const bool readable = opened->document != nullptr;
    if (!m_wndPdf.LoadFile(record.strPath, std::move(*opened), password)
        && !(readable && LoadTempCopy(record, password))) {
        ShowListBehindDialog();
        Prompt::MessageBox(this, cannotOpen, Prompt::ErrorIcon);
        return false;
    }
    EnterContent(record, pages);
    return true;
}

bool CTalvexView::AskPdfPassword(
    const BookRecord& record, PdfPassword& password, PopplerDocuments::Opened& opened)
{
    ShowListBehindDialog();
    for (;;) {
        CInqPasswordDlg dlg(this);
        if (Prompt::RunModal(dlg) != QDialog::Accepted)
            return false;
        QString typed = dlg.TakePassword();
        const QList<PdfPassword> spellings = PdfPassword::Spellings(typed);
        typed.fill(QChar(0));
        // The spelling that opens it is the one the renderers open it with.
        std::optional<PopplerDocuments::Opened> tried
            = OpenPdf(record.strPath, spellings, std::max(record.nPage, 1), password);
        if (!tried)
            return false;
        if (tried->access != PopplerDocuments::Access::Locked) {
            opened = std::move(*tried);
            return true;
        }
        Prompt::MessageBox(this, QStringLiteral("パスワードが違います。"), Prompt::WarningIcon);
    }
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

bool CTalvexView::LoadTempCopy(const BookRecord& record, const PdfPassword& password)
{
    const QString path = record.strPath;
    const std::optional<QString> copy
        = m_opening.Compute<QString>([path](const BackgroundTask::Abandoned&) {
              const QString copy = TempCopy::Create();
              if (!copy.isEmpty())
                  TempCopy::CopyOver(path, copy);
              return copy;
          });
    if (!copy || copy->isEmpty())
        return false;
    if (!m_strTempFile.isEmpty())
        QFile::remove(m_strTempFile);
    m_strTempFile = *copy;
    PdfPassword used;
    std::optional<PopplerDocuments::Opened> opened
        = OpenPdf(m_strTempFile, { password }, std::max(record.nPage, 1), used);
    return opened && m_wndPdf.LoadFile(m_strTempFile, std::move(*opened), password);
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
        ReadPdfShapes();
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
    PairPdfPages();
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
