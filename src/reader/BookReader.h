#pragma once

#include "browser/BookRecord.h"
#include "pdf/PdfOutline.h"
#include "reader/PageStrip.h"
#include "reader/SpreadPairing.h"
#include "reader/ThumbMakers.h"

#include <QList>
#include <QObject>

class QPainter;

// What the viewer asks of an open book, whatever it is made of. A reader opens the book a
// record names, shows the record's page as it changes, and tells when a spread it turned
// to waits and when it is shown. The record stays the viewer's; the reader follows it
// from Enter to Close.
class BookReader : public QObject
{
    Q_OBJECT
public:
    // What the settings say of how books open, taken when one opens.
    struct Options {
        int picExt = 0xE7;
        bool naturalSort = true;
        // The layouts of books their records do not settle, and the binding.
        int layoutImage = LAYOUT_SPREAD_COVER;
        int layoutPdf = LAYOUT_SPREAD_COVER;
        int bind = BIND_RIGHT;
        int space = 0;
        bool picEnlarge = false;
        bool widePageAlone = false;
        bool night = false;
        // Kept around a page whose borders are cut, in percent of its size.
        int cropMargin = 1;
        // Books no entry speaks for open fitted to the width.
        bool fitWidthPdf = false;
        bool fitWidthImages = false;
    };
    // Failed: the reader was told the book cannot be opened. GaveUp: the reader gave the
    // opening up, or cancelled a question; nothing more is said.
    enum class Opening { Opened, Failed, GaveUp };

    using QObject::QObject;

    // Opens the record's book, settling its page count, and waits, with the window alive,
    // until its first pages can be shown.
    virtual Opening Open(BookRecord& record, const Options& options) = 0;
    // From here on book is the one shown: its page, layout and binding as it opened.
    virtual void Enter(BookRecord& book) = 0;
    // Lets the book go.
    virtual void Close() = 0;
    // Shows the book's page after a jump.
    virtual void Show(BookRecord& book) = 0;
    // Shows the book's page after a turn; newSpread: the turn left the spread in sight.
    virtual void Turn(BookRecord& book, bool newSpread) = 0;
    // The direction of the move that led to the page: pages ahead are read that way.
    virtual void SetTurnForward(bool forward) = 0;
    // The book's layout, binding, magnifier or fit to the width changed.
    virtual void ApplyLayout(BookRecord& book) = 0;
    // The window's size or the magnification changed.
    virtual void Resize(BookRecord& book) = 0;
    // The book's crop, night reading or the crop's margin changed.
    virtual void Restyle(BookRecord& book, const Options& options) = 0;
    virtual void Paint(QPainter& painter) = 0;
    // How the record's pages pair into spreads.
    virtual SpreadPairing Pairing(const BookRecord& record) const = 0;
    // A spread turned to is still on its way.
    virtual bool PagesPending() const { return false; }
    // Of a book cut short, the pages from the first that can be read; else -1.
    virtual int ReadablePages() const { return -1; }
    // The book's outline, once read; none for a book without one.
    virtual const QList<OutlineEntry>& Outline() const = 0;
    virtual bool OutlineRead() const = 0;
    // The pages fitted to the width, scrolled through while the record's bFitWidth is set.
    virtual PageStrip& Strip() = 0;
    // The book's pages are long strips, read one under the other without a gap.
    virtual bool LongStrip() const { return false; }
    // What makes small pictures of the open book's pages, fitted into side pixels, off
    // this thread and keeping them on disk.
    virtual ThumbQueue::Factory PagePictures(int side, const ThumbMakers::Disk& disk) const = 0;

signals:
    // A question or a message is about to be put to the reader.
    void asking();
    // A spread turned to waits for its pages: the reader's input is held back.
    void spreadWaits();
    // What the reader sees changed (a spread turned to arrived, or the pages in sight
    // paired anew), before the input held meanwhile goes on.
    void spreadShown();
    // A page arrived from the engine.
    void pagesArrived();
    // Scrolled to another page: the record's page is now the one in the middle.
    void scrolledTo(int page);
};
