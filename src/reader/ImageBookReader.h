#pragma once

#include "browser/BookRecord.h"
#include "images/FolderPages.h"
#include "images/ImageEngine.h"
#include "images/ImageRules.h"
#include "images/PageImage.h"
#include "images/PageShapeReader.h"
#include "reader/BookReader.h"
#include "reader/CroppedSpread.h"
#include "reader/CutPages.h"
#include "reader/ImageStripTiles.h"
#include "reader/PageStrip.h"

#include <QTimer>

#include <memory>
#include <optional>

class OpeningWait;
class QPainter;
class QWidget;

// An image book open in a window: a folder of pictures or an archive, its pages decoded
// by the page engine at the size the window shows them, a spread at a time, with those
// around it read ahead. It paints onto the host widget and holds the reader's input
// back while a spread it turned to is on its way.
class ImageBookReader : public BookReader
{
    Q_OBJECT
public:
    explicit ImageBookReader(QWidget* host, OpeningWait& opening);

    // Finds the book's pages, settles the record's page, layout and binding, and waits,
    // with the window alive, for the page the reader chose and the one beside it; only
    // the chosen page must decode.
    Opening Open(BookRecord& record, const Options& options) override;
    void Enter(BookRecord& book) override;
    // Lets the pages, the archive's handles and the shapes go.
    void Close() override;
    void Show(BookRecord& book) override;
    void Turn(BookRecord& book, bool newSpread) override;
    void SetTurnForward(bool forward) override { m_bTurnForward = forward; }
    void ApplyLayout(BookRecord& book) override;
    void Resize(BookRecord& book) override;
    // A crop or night reading asks for the pages anew; what is held shows meanwhile.
    void Restyle(BookRecord& book, const Options& options) override;
    void Paint(QPainter& painter) override;
    // Wide pages alone once their shapes are known, with the setting on.
    SpreadPairing Pairing(const BookRecord& record) const override;
    bool PagesPending() const override { return m_bPagesPending; }
    int ReadablePages() const override { return m_nReadablePages; }
    const QList<OutlineEntry>& Outline() const override;
    bool OutlineRead() const override { return true; }
    PageStrip& Strip() override { return m_strip; }
    bool LongStrip() const override { return m_bLongStrip; }
    ThumbQueue::Factory PagePictures(int side, const ThumbMakers::Disk& disk) const override
    {
        return ThumbMakers::ImagePages(m_pageSource, side, disk);
    }
    // Most pages whose sizes are known are at least twice as tall as wide.
    static bool IsLongStrip(const QList<QSize>& sizes);

    QString PagePath(int n) const;

    // The pages of the open book; none before one is open.
    std::shared_ptr<const PageSource> m_pageSource = std::make_shared<FolderPages>();
    PageImage m_image1;
    PageImage m_image2;
    ImageEngine m_imageEngine;
    PageShapeReader m_shapeReader;
    // The shapes of the open book's pages; empty unless wide pages stand alone.
    PageShapes m_pageShapes;
    // Of an archive cut short, the pages from the first that can be read; else -1.
    int m_nReadablePages = -1;

private:
    // Asks for the pages the record shows. A spread not decoded yet keeps the old one on
    // the screen and holds the reader's input back until it is ready. False when a page
    // shown could not be decoded.
    bool LoadPages(BookRecord& record);
    // Finds the pages of the book and returns the record's page among them, or -1;
    // nothing when the reader gave up waiting.
    std::optional<int> Scan(const BookRecord& record);
    Opening OpenPages(BookRecord& record);
    Opening LoadFirstPages(BookRecord& record);
    PageKey PageKeyOf(int page, int layout, int zoom, bool leftSide) const;
    QList<PageKey> SpreadKeys(const ImageRules::Sides& pages, int layout, int zoom) const;
    // The spread in sight, then read-ahead in the reading direction and one behind.
    void RequestPages(const BookRecord& record);
    // Puts the spread waited for on the screen once each of its pages is decoded, or
    // failed, or held at another size; with force, whatever there is.
    bool ShowPendingPages(bool force = false);
    // Swaps in pages decoded at the exact size for the ones shown stretched.
    void RefreshShownPages();
    // Asks for the pages at the host's new size or magnification.
    void ResizePages();
    void OnPageDecoded(const QString& path);
    // Starts reading the shapes of the pages, with the setting on.
    void ReadPageShapes(int fromPage);
    // Shows the spread a page now pairs into, once more shapes are known.
    void OnShapesRead();
    // Where the pages of a spread go in frame, and the part of each drawn there.
    CroppedSpread::Placed Place(const ImageRules::Frame& frame, int layout, const PageImage& left,
        const PageImage& right) const;
    // Has the cut pages of the spread in sight, and of the next once decoded, scaled to
    // their places, so that their paint and the turn to them are copies.
    void WantCutPieces();
    // Makes the spread holding the record's page the one waited for.
    void PendSpread(const BookRecord& record);

    // ImageBookStrip.cpp: the pages fitted to the width and scrolled through, and the
    // sizes and shapes of the pages read for them.
    // Whether the sizes read settle whether the book is a long strip, and if so takes it.
    bool SettleLongStrip();
    // The fit of a book no entry speaks for: a long strip is read scrolling, one page
    // under the other; other books as the setting says.
    void ChooseFit(BookRecord& record) const;
    void StartStrip(BookRecord& book);
    void RelayoutStrip();
    PageStrip::Rows StripRows(const BookRecord& book) const;
    // The sizes the pages are laid out by.
    std::function<QSizeF(int)> StripSizes() const;
    void OnStripPage(int page);

    QWidget* m_host;
    OpeningWait& m_opening;
    Options m_options;
    // The open book's borders are cut (decoded with room for it, drawn cut).
    bool m_bCrop = false;
    CutPages m_cutPages;
    // The record of the book being opened while its first pages are waited for, and
    // of the book shown once it is entered.
    BookRecord* m_pOpening = nullptr;
    BookRecord* m_pBook = nullptr;
    bool m_bTurnForward = true;
    // The spread on the screen, and the one a turn is waiting for with what is held of
    // its pages at another size.
    ImageRules::Sides m_shownPages;
    int m_nShownLayout = 0;
    int m_nShownZoom = 0;
    bool m_bPagesPending = false;
    ImageRules::Sides m_pendingPages;
    int m_nPendingLayout = 0;
    int m_nPendingZoom = 0;
    PageImage m_pendingImage1;
    PageImage m_pendingImage2;
    QTimer m_pageWait;
    qreal m_requestedPixelRatio = 1;
    // The sizes of the pages as their headers are read.
    QList<QSize> m_pageSizes;
    bool m_bLongStrip = false;
    bool m_bLongStripSettled = false;
    ImageStripTiles m_stripTiles;
    PageStrip m_strip;
};
