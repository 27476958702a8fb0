#include "reader/PdfReader.h"

#include "images/ZoomRules.h"
#include "pdf/AcroAXDocShim.h"
#include "pdf/InqNumPagesDlg.h"
#include "pdf/InqPasswordDlg.h"
#include "pdf/TempCopy.h"
#include "platform/OpeningWait.h"
#include "platform/Prompt.h"

#include <QFile>
#include <QWidget>

PdfReader::PdfReader(QWidget* host, OpeningWait& opening, CAcroAXDocShim& control)
    : BookReader(host)
    , m_host(host)
    , m_opening(opening)
    , m_control(control)
    , m_stripTiles(control.Renderer(), [this](int page) { return PageSize(page); })
    , m_strip(host, m_stripTiles)
{
    connect(&m_control, &CAcroAXDocShim::pageSizesRead, this, &PdfReader::OnSizesRead);
    connect(&m_strip, &PageStrip::pageChanged, this, [this](int page) {
        if (!m_pBook)
            return;
        m_pBook->nPage = page;
        emit scrolledTo(page);
    });
}

PdfReader::~PdfReader()
{
    RemoveTempCopy();
}

PdfReader::Opening PdfReader::Open(BookRecord& record, const Options& options)
{
    m_options = options;
    // Held while the book opens, and wiped once each of its documents is open.
    PdfPassword password;
    std::optional<PopplerDocuments::Opened> opened
        = OpenPdf(record.strPath, { PdfPassword() }, std::max(record.nPage, 1), password);
    // Given up by the reader while the file was read, it ends quietly.
    if (!opened)
        return Opening::GaveUp;
    // The password comes before anything else, even with a count stored: every
    // document of the book needs it.
    if (opened->access == PopplerDocuments::Access::Locked
        && !AskPdfPassword(record, password, *opened))
        return Opening::GaveUp;
    if (opened->access == PopplerDocuments::Access::Unreadable) {
        CannotOpen();
        return Opening::Failed;
    }
    int pages = record.nPageCount >= 1 ? record.nPageCount : opened->pages;
    if (pages < 1) {
        // The reader is asked with the normal cursor, not the busy one.
        emit asking();
        CInqNumPagesDlg dlg(m_host);
        dlg.m_nPages = 1;
        dlg.OnInitDialog();
        if (Prompt::RunModal(dlg) != QDialog::Accepted)
            return Opening::GaveUp;
        pages = dlg.m_nPages;
    }
    if (!opened->document) {
        // The file may have been finished while the reader was asked.
        PdfPassword used;
        opened = OpenPdf(record.strPath, { password }, std::max(record.nPage, 1), used);
        if (!opened)
            return Opening::GaveUp;
    }
    // Only a file the control cannot reach by its own path is worth a copy: one that
    // poppler read and found no pages in would read the same from the copy.
    const bool readable = opened->document != nullptr;
    const bool direct = m_control.LoadFile(record.strPath, std::move(*opened), password);
    if (!direct && !(readable && LoadTempCopy(record, password))) {
        CannotOpen();
        return Opening::Failed;
    }
    record.nPageCount = pages;
    m_strShownFile = direct ? record.strPath : m_strTempFile;
    m_password = password;
    return Opening::Opened;
}

void PdfReader::Enter(BookRecord& book)
{
    m_pBook = &book;
    // A record without a layout has no resume entry or last place behind it: nothing
    // chose a layout or a binding, and the document's own reading direction stands.
    if (book.nLayout == 0) {
        const int pages = book.nPageCount;
        if (pages == 1)
            book.nLayout = LAYOUT_SINGLE;
        else if (pages == 2 && m_options.layoutPdf != LAYOUT_SINGLE)
            book.nLayout = LAYOUT_SPREAD_NOCOVER;
        else
            book.nLayout = m_options.layoutPdf;
        book.bRightToLeft = m_control.ReadsRightToLeft();
        book.bFitWidth = m_options.fitWidthPdf;
    }
    // The stored count came first; the document's own count wins once it is known.
    if (m_control.PageCount() > 0)
        book.nPageCount = m_control.PageCount();
    book.nPage = std::clamp(book.nPage, 1, book.nPageCount);
    m_control.setCurrentPage(book.nPage);
    m_control.setLook(book.bCrop, m_options.night, m_options.cropMargin / 100.0);
    ReadShapes(book);
    ApplyLayout(book);
    Resize(book);
    if (!m_strip.IsOn())
        m_control.show();
}

void PdfReader::ReadShapes(const BookRecord& book)
{
    m_pageShapes.clear();
    if (!m_options.widePageAlone)
        return;
    // The sizes read while it opened at once, the others as the control reads them.
    m_pageShapes = PageShapes(book.nPageCount, PageShape::Unknown);
    TakeSizes(m_control.PageSizes());
    m_control.ReadEveryPageSize();
}

void PdfReader::Close()
{
    m_control.hide();
    m_strip.Stop();
    m_control.LoadFile(QString());
    m_pageShapes.clear();
    m_pBook = nullptr;
    m_strShownFile.clear();
    m_password.Wipe();
}

ThumbQueue::Factory PdfReader::PagePictures(int side, const ThumbMakers::Disk& disk) const
{
    if (m_strShownFile.isEmpty())
        return {};
    return ThumbMakers::PdfPages(m_strShownFile, m_password, side, disk);
}

void PdfReader::Show(BookRecord& book)
{
    if (m_strip.IsOn())
        m_strip.ShowPage(book.nPage);
    else
        m_control.setCurrentPage(book.nPage);
}

void PdfReader::Turn(BookRecord& book, bool)
{
    // The control follows every page, within the spread too.
    Show(book);
}

void PdfReader::ApplyLayout(BookRecord& book)
{
    static const char* const kModes[] = { "SinglePage", "TwoColumnRight", "TwoColumnLeft" };
    m_control.setLayoutMode(QString::fromLatin1(kModes[LayoutOf(book) - 1]));
    m_control.setRightToLeft(book.SpreadBinding() == BIND_RIGHT);
    Pair();
    if (book.bFitWidth && !m_strip.IsOn())
        StartStrip(book);
    else if (!book.bFitWidth && m_strip.IsOn())
        StopStrip(book);
    else
        RelayoutStrip();
    m_control.setView(QStringLiteral("Fit"));
    emit spreadShown();
}

void PdfReader::Resize(BookRecord& book)
{
    const QRect geometry = ZoomRules::PdfGeometry(m_host->size(), book.nZoom, m_nTaskPaneWidth);
    if (!geometry.isEmpty())
        m_control.setGeometry(geometry);
    RelayoutStrip();
}

void PdfReader::Restyle(BookRecord& book, const Options& options)
{
    m_options.night = options.night;
    m_options.cropMargin = options.cropMargin;
    m_control.setLook(book.bCrop, m_options.night, m_options.cropMargin / 100.0);
    m_stripTiles.SetNight(m_options.night);
    RelayoutStrip();
}

const QList<OutlineEntry>& PdfReader::Outline() const
{
    return m_control.Outline();
}

bool PdfReader::OutlineRead() const
{
    return m_control.OutlineRead();
}

SpreadPairing PdfReader::Pairing(const BookRecord& record) const
{
    return SpreadPairing(LayoutOf(record), record.nPageCount, m_pageShapes);
}

int PdfReader::LayoutOf(const BookRecord& record)
{
    // A layout out of range, from a damaged entry, counts as the nearest one.
    return std::clamp(record.nLayout, int(LAYOUT_SINGLE), int(LAYOUT_SPREAD_NOCOVER));
}

void PdfReader::TakeSizes(const QMap<int, QSizeF>& sizes)
{
    for (auto it = sizes.constBegin(); it != sizes.constEnd(); ++it) {
        if (it.key() >= 1 && it.key() <= m_pageShapes.size())
            m_pageShapes[it.key() - 1] = ShapeOfSize(it.value());
    }
}

void PdfReader::OnSizesRead(const QMap<int, QSizeF>& sizes)
{
    RelayoutStrip();
    if (!m_pBook || m_pageShapes.isEmpty())
        return;
    const int bind = m_pBook->SpreadBinding();
    const SpreadPairing::Shown before = Pairing(*m_pBook).ShownAt(m_pBook->nPage, bind);
    TakeSizes(sizes);
    Pair();
    // A wide page found among those before it moves the pairing of the page in sight.
    if (Pairing(*m_pBook).ShownAt(m_pBook->nPage, bind) != before)
        emit spreadShown();
}

void PdfReader::Pair()
{
    // The control lays its spreads out by the rules the page moves and the plate follow.
    if (!m_pBook) {
        m_control.setSpreads(nullptr);
        return;
    }
    m_control.setSpreads([pairing = Pairing(*m_pBook), bind = m_pBook->SpreadBinding()](int page) {
        QList<SpreadLayout::Slot> spread;
        for (const int column : pairing.Columns(page, bind))
            spread.append(SpreadLayout::Slot { column });
        return spread;
    });
}

void PdfReader::CannotOpen()
{
    emit asking();
    Prompt::MessageBox(m_host, QStringLiteral("ファイルを開けません。"), Prompt::ErrorIcon);
}

void PdfReader::RemoveTempCopy()
{
    if (!m_strTempFile.isEmpty()) {
        QFile::remove(m_strTempFile);
        m_strTempFile.clear();
    }
}

std::optional<PopplerDocuments::Opened> PdfReader::OpenPdf(
    const QString& path, const QList<PdfPassword>& spellings, int nearPage, PdfPassword& used)
{
    using Tried = std::pair<PopplerDocuments::Opened, qsizetype>;
    std::optional<Tried> tried
        = m_opening.Compute<Tried>([path, spellings, nearPage, before = m_options.widePageAlone](
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

bool PdfReader::AskPdfPassword(
    const BookRecord& record, PdfPassword& password, PopplerDocuments::Opened& opened)
{
    emit asking();
    for (;;) {
        CInqPasswordDlg dlg(m_host);
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
        Prompt::MessageBox(m_host, QStringLiteral("パスワードが違います。"), Prompt::WarningIcon);
    }
}

bool PdfReader::LoadTempCopy(const BookRecord& record, const PdfPassword& password)
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
    return opened && m_control.LoadFile(m_strTempFile, std::move(*opened), password);
}
