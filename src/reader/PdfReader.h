#pragma once

#include "pdf/PdfPassword.h"
#include "pdf/PopplerDocuments.h"
#include "reader/BookReader.h"
#include "reader/PdfStripTiles.h"

#include <optional>

class CAcroAXDocShim;
class OpeningWait;
class QWidget;

// A PDF opened into the PDF control: read off the window's thread, its password asked
// for until it opens, its page count asked for when the file does not say, and a copy
// in the temp folder made for a path the control cannot reach. Questions and messages go
// to the host window.
class PdfReader : public BookReader
{
    Q_OBJECT
public:
    PdfReader(QWidget* host, OpeningWait& opening, CAcroAXDocShim& control);
    ~PdfReader() override;

    // Loads the record's PDF into the control and settles its page count. With wide
    // pages alone, the sizes of the pages before the record's are read with it.
    Opening Open(BookRecord& record, const Options& options) override;
    // Settles the layout and binding of a book no entry speaks for, its page count by
    // the document's own, and shows it; with wide pages alone, its pages' shapes are read.
    void Enter(BookRecord& book) override;
    // Empties the control and lets the shapes go.
    void Close() override;
    void Show(BookRecord& book) override;
    void Turn(BookRecord& book, bool newSpread) override;
    void SetTurnForward(bool) override { }
    void ApplyLayout(BookRecord& book) override;
    void Resize(BookRecord& book) override;
    void Restyle(BookRecord& book, const Options& options) override;
    // The control paints the pages itself, but for those fitted to the width.
    void Paint(QPainter& painter) override;
    // Wide pages alone once their shapes are known.
    SpreadPairing Pairing(const BookRecord& record) const override;
    const QList<OutlineEntry>& Outline() const override;
    bool OutlineRead() const override;
    PageStrip& Strip() override { return m_strip; }
    ThumbQueue::Factory PagePictures(int side, const ThumbMakers::Disk& disk) const override;
    // Hands the control the pairing the spreads follow.
    void Pair();
    // The temp copy goes once the book is closed for good.
    void RemoveTempCopy();

    QString m_strTempFile;
    // The shapes of the open book's pages; empty unless wide pages stand alone.
    PageShapes m_pageShapes;

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
    static int LayoutOf(const BookRecord& record);
    void ReadShapes(const BookRecord& book);
    void TakeSizes(const QMap<int, QSizeF>& sizes);
    void OnSizesRead(const QMap<int, QSizeF>& sizes);
    // The page's size once read, else the nearest page's read so far.
    QSizeF PageSize(int page) const;
    // The pages fitted to the width and scrolled through, in place of the control.
    void StartStrip(BookRecord& book);
    void StopStrip(BookRecord& book);
    void RelayoutStrip();
    PageStrip::Rows StripRows(const BookRecord& book) const;

    QWidget* m_host;
    OpeningWait& m_opening;
    CAcroAXDocShim& m_control;
    Options m_options;
    int m_nTaskPaneWidth = 0;
    BookRecord* m_pBook = nullptr;
    // The file the control shows: the book, or its copy for a book it could not reach.
    QString m_strShownFile;
    // The password the open book took, for the documents its page pictures are made from;
    // wiped when it closes.
    PdfPassword m_password;
    PdfStripTiles m_stripTiles;
    PageStrip m_strip;
};
