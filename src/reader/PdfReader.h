#pragma once

#include "browser/BookRecord.h"
#include "pdf/PdfPassword.h"
#include "pdf/PopplerDocuments.h"
#include "reader/SpreadPairing.h"

#include <QObject>

#include <optional>

class CAcroAXDocShim;
class OpeningWait;
class QWidget;

// A PDF opened into the PDF control: read off the window's thread, its password asked
// for until it opens, its page count asked for when the file does not say, and a copy
// in the temp folder made for a path the control cannot reach. Questions and messages go
// to the host window.
class PdfReader : public QObject
{
    Q_OBJECT
public:
    PdfReader(QWidget* host, OpeningWait& opening, CAcroAXDocShim& control);
    ~PdfReader() override;

    // Loads the record's PDF into the control; the pages it has, or nothing when it
    // cannot be opened (said to the reader) or the reader gave it up (quietly). With
    // wide pages alone, the sizes of the pages before the record's are read with it.
    std::optional<int> Open(const BookRecord& record, bool widePageAlone);
    // From here on the reader's record is the book shown; with wide pages alone, the
    // shapes of its pages are read.
    void Enter(BookRecord& book);
    // Empties the control and lets the shapes go.
    void Close();
    // How the record's pages pair: wide pages alone once their shapes are known.
    SpreadPairing Pairing(const BookRecord& record) const;
    // Hands the control the pairing the spreads follow.
    void Pair();
    // The temp copy goes once the book is closed for good.
    void RemoveTempCopy();

    QString m_strTempFile;
    // The shapes of the open book's pages; empty unless wide pages stand alone.
    PageShapes m_pageShapes;

signals:
    // A question or a message is about to be put to the reader.
    void asking();
    // Sizes read later moved the pages of the spread in sight.
    void spreadMoved();

private:
    // Opens the PDF off this thread with the first spelling of the password it takes,
    // which is then used; the sizes of the pages around nearPage are read with it.
    // Nothing when the reader gave up waiting.
    std::optional<PopplerDocuments::Opened> OpenPdf(
        const QString& path, const QList<PdfPassword>& spellings, int nearPage, PdfPassword& used);
    // The control takes a copy of the book in the temp folder, for a path it cannot reach.
    bool LoadTempCopy(const BookRecord& record, const PdfPassword& password);
    // Asks until the password opens the file, which opened then holds; false when the
    // reader cancels.
    bool AskPdfPassword(
        const BookRecord& record, PdfPassword& password, PopplerDocuments::Opened& opened);
    void CannotOpen();
    void TakeSizes(const QMap<int, QSizeF>& sizes);
    void OnSizesRead(const QMap<int, QSizeF>& sizes);

    QWidget* m_host;
    OpeningWait& m_opening;
    CAcroAXDocShim& m_control;
    bool m_bWidePageAlone = false;
    BookRecord* m_pBook = nullptr;
};
