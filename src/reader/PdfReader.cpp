#include "reader/PdfReader.h"

#include "pdf/AcroAXDocShim.h"
#include "pdf/InqNumPagesDlg.h"
#include "pdf/InqPasswordDlg.h"
#include "pdf/TempCopy.h"
#include "platform/OpeningWait.h"
#include "platform/Prompt.h"

#include <QFile>
#include <QWidget>

PdfReader::PdfReader(QWidget* host, OpeningWait& opening, CAcroAXDocShim& control)
    : QObject(host)
    , m_host(host)
    , m_opening(opening)
    , m_control(control)
{
}

PdfReader::~PdfReader()
{
    RemoveTempCopy();
}

std::optional<int> PdfReader::Open(const BookRecord& record)
{
    // Held while the book opens, and wiped once each of its documents is open.
    PdfPassword password;
    std::optional<PopplerDocuments::Opened> opened
        = OpenPdf(record.strPath, { PdfPassword() }, std::max(record.nPage, 1), password);
    // Given up by the reader while the file was read, it ends quietly.
    if (!opened)
        return std::nullopt;
    // The password comes before anything else, even with a count stored: every
    // document of the book needs it.
    if (opened->access == PopplerDocuments::Access::Locked
        && !AskPdfPassword(record, password, *opened))
        return std::nullopt;
    if (opened->access == PopplerDocuments::Access::Unreadable) {
        CannotOpen();
        return std::nullopt;
    }
    int pages = record.nPageCount >= 1 ? record.nPageCount : opened->pages;
    if (pages < 1) {
        // The reader is asked with the normal cursor, not the busy one.
        emit asking();
        CInqNumPagesDlg dlg(m_host);
        dlg.m_nPages = 1;
        dlg.OnInitDialog();
        if (Prompt::RunModal(dlg) != QDialog::Accepted)
            return std::nullopt;
        pages = dlg.m_nPages;
    }
    if (!opened->document) {
        // The file may have been finished while the reader was asked.
        PdfPassword used;
        opened = OpenPdf(record.strPath, { password }, std::max(record.nPage, 1), used);
        if (!opened)
            return std::nullopt;
    }
    // Only a file the control cannot reach by its own path is worth a copy: one that
    // poppler read and found no pages in would read the same from the copy.
    const bool readable = opened->document != nullptr;
    if (!m_control.LoadFile(record.strPath, std::move(*opened), password)
        && !(readable && LoadTempCopy(record, password))) {
        CannotOpen();
        return std::nullopt;
    }
    return pages;
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
    std::optional<Tried> tried = m_opening.Compute<Tried>(
        [path, spellings, nearPage](const BackgroundTask::Abandoned& abandoned) {
            Tried result;
            for (qsizetype i = 0; i < spellings.size() && !abandoned(); ++i) {
                result = { PopplerDocuments::Open(path, spellings[i], nearPage), i };
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
