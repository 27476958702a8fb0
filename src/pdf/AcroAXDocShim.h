#pragma once

#include "pdf/PageCrops.h"
#include "pdf/PdfOutline.h"
#include "pdf/PdfRenderer.h"
#include "pdf/PopplerDocuments.h"
#include "pdf/SpreadLayout.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QVariant>
#include <QWidget>

#include <functional>

// The PDF control: shows the page or spread that holds the current page, fitted to
// its own size, rendered by poppler off the reader's thread with the neighbouring
// spreads read ahead. It may be larger than the view and partly outside it (the 2x
// magnifier); only the part in sight is rendered. It has no panels and no toolbar.
class CAcroAXDocShim : public QWidget
{
    Q_OBJECT
public:
    explicit CAcroAXDocShim(QWidget* parent = nullptr);
    ~CAcroAXDocShim() override;

    void setPageMode(const QString& mode);
    // TRUE when the document opened from path (with its password, for a locked one) can
    // be shown; "" releases the document. The document is opened off the reader's thread
    // beforehand and handed over; the password is not kept once the renderers have
    // opened their own.
    bool LoadFile(const QString& path, PopplerDocuments::Opened opened = {},
        const PdfPassword& password = {});
    void setCurrentPage(int page);
    // The layout and the direction are told as calls, in the order a reader makes them;
    // how the pages then pair and on which side comes with setSpreads.
    void setLayoutMode(const QString& mode);
    void setRightToLeft(bool rightToLeft);
    // Pairs the pages as the reader has them, the same rules its page moves follow;
    // without them each page is shown alone.
    void setSpreads(SpreadLayout::Spreads spreads);
    // Reads the size of every page once the first is rendered, beside the renders: from
    // the current page back, then on. Sizes read are told with pageSizesRead.
    void ReadEveryPageSize();
    // Cuts the pages' borders, keeping margin (a fraction of a page's longer side) around
    // what is left, and turns their colours over for night reading.
    void setLook(bool crop, bool night, double margin);
    void setView(const QString& view);
    void setShowToolbar(bool show);

    bool IsLoaded() const { return m_bLoaded; }
    int PageCount() const { return m_nPageCount; }
    int CurrentPage() const { return m_nPage; }
    // The document's viewer preferences ask for its pages to be read right to left.
    bool ReadsRightToLeft() const { return m_bReadsRightToLeft; }
    // The sizes of the pages read so far, in points, counted from 1.
    const QMap<int, QSizeF>& PageSizes() const { return m_pageSizes; }
    // The document's outline, read off the reader's thread once the first page is
    // rendered; empty until then and when it has none.
    const QList<OutlineEntry>& Outline() const { return m_outline; }
    // Whether the outline has been read (after the first page), so an empty one is none.
    bool OutlineRead() const { return m_bOutlineRead; }
    // The pages in sight and where they are, in this widget's coordinates, and the part of
    // each page shown there (the whole page unless its borders are cut).
    QList<SpreadLayout::Placed> PagesShown(QList<QRectF>* parts = nullptr) const;
    // The spread in sight has been rendered; and with the borders cut, as it stays once what
    // is left of the pages around it is known.
    bool IsShowingRendered() const;
    bool IsShowingSettled() const;
    // Renders kept: the spread in sight and those read ahead (and under the magnifier
    // the part in sight until the whole enlarged spread is there).
    int RenderedSpreadCount() const { return int(m_cache.size()); }
    // The render threads of the document loaded, for pages shown otherwise while this
    // control is hidden (it renders nothing then).
    PdfRenderer& Renderer() { return m_renderer; }

    // Lets tests make LoadFile refuse some paths, as the control does for paths it
    // cannot reach.
    static void setPathFilter(std::function<bool(const QString&)> accepts);

signals:
    // Every method call, in order.
    void dispatched(const QString& method, const QVariant& argument);
    // A paint that showed the rendered spread of the current page.
    void renderedSpreadPainted(int page);
    // The outline of the document loaded has been read, whether it has one or not.
    void outlineRead();
    // Sizes of pages have been read.
    void pageSizesRead(const QMap<int, QSizeF>& sizes);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // A rendered part of a spread: area in this widget's coordinates.
    struct Rendered {
        QRect area;
        QImage image;
    };

    // The spread holding page, by the pairing in force.
    QList<SpreadLayout::Slot> Spread(int page) const;
    // The spread holding page fitted into this widget, and the part of each page shown:
    // with the borders cut, the pages of a spread keep the same top and bottom.
    QList<SpreadLayout::Placed> Place(int page, QList<QRectF>* shown = nullptr) const;
    // Whether what is left of every page around the spread holding page is known, with
    // the borders cut; asks for those that are not.
    bool ContentsKnown(int page, QList<int>& missing) const;
    void OnContentsRead(const QMap<int, QRectF>& contents);
    QRect VisibleRect() const;
    QString KeyFor(int page, const QRect& area) const;
    RenderJob JobFor(int page, const QRect& area) const;
    bool WholeFits() const;
    void ScheduleRenders();
    void RequestRenders();
    void OnRendered(const QString& key, const QImage& image, const QRect& area);
    // The render of the current spread that covers what is in sight, if any.
    const Rendered* InSight() const;
    // The page's size once read, else the nearest page's read so far (or A4's).
    QSizeF PageSize(int page) const;
    // Whether every page of the spread holding page has its size read; asks for those
    // that have not.
    bool SizesKnown(int page, QList<int>& missing) const;
    void OnSizesRead(const QMap<int, QSizeF>& sizes);

    static std::function<bool(const QString&)> s_accepts;

    bool m_bLoaded = false;
    QMap<int, QSizeF> m_pageSizes;
    // Asked for and not read yet.
    QSet<int> m_sizesAsked;
    int m_nPageCount = 0;
    QList<OutlineEntry> m_outline;
    bool m_bOutlineRead = false;
    int m_nPage = 1;
    SpreadLayout::Spreads m_spreads;
    bool m_bReadsRightToLeft = false;
    bool m_bCrop = false;
    bool m_bNight = false;
    double m_cropMargin = 0;
    // A spread has been shown cut since the book opened or the cut was turned on.
    bool m_bCutShown = false;
    PageCrops m_crops;
    QSet<int> m_contentsAsked;
    QHash<QString, Rendered> m_cache;
    bool m_bRendersScheduled = false;
    PdfRenderer m_renderer;
};
