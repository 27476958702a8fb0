#include "reader/ImageBookReader.h"

#include "browser/BrowserRules.h"
#include "browser/FolderScan.h"
#include "images/ArchivePages.h"
#include "images/BorderCrop.h"
#include "platform/OpeningWait.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "platform/WaitCursor.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QWidget>

namespace
{
// A turn shows what it has after this; pages still coming fill in when they arrive.
// Opening shows the chosen page without waiting longer for the one beside it.
constexpr int kTurnWaitMs = 3000;
// Opening waits no longer than this for the shapes that settle how the page pairs.
constexpr int kSettleWaitMs = 300;
constexpr int kSpreadsAhead = 2;
constexpr int kSpreadsBehind = 1;
// Under the magnifier a spread takes four screens, and going down through it takes three
// steps: the spread after it has two steps' time to come, so one is read ahead.
constexpr int kMagnifiedSpreadsAhead = 1;
// A page whose borders are to be cut is decoded this much larger than its box, so that
// what is left, enlarged to the box, keeps its sharpness: enough for borders of a tenth
// of each side, as scans have them.
constexpr qreal kCropRoom = 1.25;
} // namespace

ImageBookReader::ImageBookReader(QWidget* host, OpeningWait& opening)
    : BookReader(host)
    , m_host(host)
    , m_opening(opening)
    , m_stripTiles(m_imageEngine, [this](int page) { return PagePath(page); })
    , m_strip(host, m_stripTiles)
{
    connect(&m_strip, &PageStrip::pageChanged, this, &ImageBookReader::OnStripPage);
    m_pageWait.setSingleShot(true);
    connect(&m_pageWait, &QTimer::timeout, this, [this] { ShowPendingPages(true); });
    connect(&m_imageEngine, &ImageEngine::pageDecoded, this, &ImageBookReader::OnPageDecoded);
    connect(&m_shapeReader, &PageShapeReader::shapesRead, this, &ImageBookReader::OnShapesRead);
    connect(&m_cutPages, &CutPages::made, m_host, qOverload<>(&QWidget::update));
}

QString ImageBookReader::PagePath(int n) const
{
    return m_pageSource->PageId(n);
}

ImageBookReader::Opening ImageBookReader::Open(BookRecord& record, const Options& options)
{
    Close();
    m_options = options;
    m_bCrop = record.bCrop;
    const Opening opened = OpenPages(record);
    if (opened != Opening::Opened) {
        Close();
        // Given up by the reader, it ends quietly, as the page-count dialog's Cancel.
        if (opened == Opening::Failed) {
            emit asking();
            Prompt::MessageBox(m_host, QStringLiteral("ファイルを開けません。"), Prompt::ErrorIcon);
        }
    }
    return opened;
}

ImageBookReader::Opening ImageBookReader::OpenPages(BookRecord& record)
{
    const std::optional<int> page = Scan(record);
    if (!page)
        return Opening::GaveUp;
    if (*page < 1)
        return Opening::Failed;
    const int pages = m_pageSource->Count();
    m_imageEngine.SetSource(m_pageSource);
    // A record without a layout has no resume entry or last place behind it.
    const bool chosen = record.nLayout != 0;
    record.nPage = *page;
    record.nPageCount = pages;
    if (pages == 1)
        record.nLayout = LAYOUT_SINGLE;
    else if (pages == 2 && m_options.layoutImage != LAYOUT_SINGLE)
        record.nLayout = LAYOUT_SPREAD_NOCOVER;
    else if (record.nLayout == 0)
        record.nLayout = m_options.layoutImage;
    if (record.nBind < 0)
        record.nBind = m_options.bind;
    const WaitCursor wait;
    m_bTurnForward = true;
    ReadPageShapes(record.nPage);
    const Opening opened = LoadFirstPages(record);
    if (!chosen)
        ChooseFit(record);
    return opened;
}

std::optional<int> ImageBookReader::Scan(const BookRecord& record)
{
    struct Scanned {
        std::shared_ptr<const PageSource> pages;
        int page = -1;
        int readable = -1;
    };
    const QString path = record.strPath;
    const int recordPage = record.nPage;
    const int picExt = m_options.picExt;
    const bool natural = m_options.naturalSort;
    // Listing a large archive, or a folder on a slow drive, takes its time: the window
    // goes on answering, and Esc gives the opening up.
    std::optional<Scanned> scanned = m_opening.Compute<Scanned>(
        [path, recordPage, picExt, natural](const BackgroundTask::Abandoned& abandoned) {
            Scanned found;
            if (BrowserRules::IsArchiveName(path)) {
                std::shared_ptr<ArchivePages> archive = ArchivePages::Scan(
                    path,
                    [picExt](const QString& name) {
                        return BrowserRules::ClassifyName(name, picExt).IsPicture();
                    },
                    abandoned);
                // An archive's entry holds its page by number; one that lost pages opens
                // on its last.
                if (archive)
                    found.page = std::clamp(recordPage, 1, archive->Count());
                if (archive && archive->Incomplete())
                    found.readable = archive->ReadableCount();
                found.pages = std::move(archive);
                return found;
            }
            QStringList files;
            found.page = FolderScan::ScanImageBook(path, picExt, files, natural);
            found.pages = std::make_shared<FolderPages>(Paths::FolderPart(path), files);
            return found;
        });
    if (!scanned)
        return std::nullopt;
    m_pageSource = scanned->pages ? scanned->pages : std::make_shared<FolderPages>();
    m_nReadablePages = scanned->readable;
    return scanned->page;
}

ImageBookReader::Opening ImageBookReader::LoadFirstPages(BookRecord& record)
{
    record.strPath = m_pageSource->RecordPath(record.nPage);
    PendSpread(record);
    RequestPages(record);
    // Keys follow the window's size, which may change while the wait goes on, and the
    // pairing, which may change as the shapes of the pages come in.
    const auto chosenKey = [this, &record] {
        return PageKeyOf(
            record.nPage, m_nPendingLayout, record.nZoom, record.nPage == m_pendingPages.left);
    };
    QElapsedTimer sinceChosen;
    const auto ready = [&] {
        if (!m_imageEngine.Held(chosenKey()))
            return false;
        if (!sinceChosen.isValid())
            sinceChosen.start();
        if ((!Pairing(record).Settled(record.nPage) || !SettleLongStrip())
            && sinceChosen.elapsed() < kSettleWaitMs)
            return false;
        const QList<PageKey> spread = SpreadKeys(m_pendingPages, m_nPendingLayout, record.nZoom);
        return sinceChosen.elapsed() >= kTurnWaitMs
            || std::all_of(spread.cbegin(), spread.cend(),
                [this](const PageKey& key) { return m_imageEngine.Held(key).has_value(); });
    };
    m_pOpening = &record;
    const bool arrived = m_opening.Run(ready);
    m_pOpening = nullptr;
    if (!arrived)
        return Opening::GaveUp;
    const std::optional<PageImage> chosen = m_imageEngine.Held(chosenKey());
    if (!chosen || chosen->IsNull()) {
        m_bPagesPending = false;
        return Opening::Failed;
    }
    // The page beside it shows grey when it cannot be decoded, and fills in when late.
    ShowPendingPages(true);
    return Opening::Opened;
}

void ImageBookReader::Enter(BookRecord& book)
{
    m_pBook = &book;
    m_bTurnForward = true;
    if (book.bFitWidth)
        StartStrip(book);
}

void ImageBookReader::Show(BookRecord& book)
{
    if (m_strip.IsOn()) {
        book.strPath = m_pageSource->RecordPath(book.nPage);
        m_strip.ShowPage(book.nPage);
        return;
    }
    LoadPages(book);
    m_host->update();
}

void ImageBookReader::Turn(BookRecord& book, bool newSpread)
{
    // Pages are decoded again only when the spread changes.
    if (newSpread)
        Show(book);
}

void ImageBookReader::ApplyLayout(BookRecord& book)
{
    if (book.bFitWidth && !m_strip.IsOn()) {
        StartStrip(book);
        return;
    }
    // Leaving the strip, the spread of the page is asked for below.
    if (!book.bFitWidth && m_strip.IsOn())
        m_strip.Stop();
    if (m_strip.IsOn()) {
        RelayoutStrip();
        return;
    }
    LoadPages(book);
    m_bTurnForward = true;
    m_host->update();
}

const QList<OutlineEntry>& ImageBookReader::Outline() const
{
    static const QList<OutlineEntry> none;
    return none;
}

PageKey ImageBookReader::PageKeyOf(int page, int layout, int zoom, bool leftSide) const
{
    const QString path = PagePath(page);
    if (path.isEmpty())
        return {};
    const ImageRules::Frame frame = ImageRules::LayoutFrame(m_host->rect(), zoom, m_options.space);
    const QSize box = ImageRules::BoxOf(frame, layout, leftSide);
    return { path,
        { m_bCrop ? box * kCropRoom : box, frame.zoomFactor, m_options.picEnlarge,
            m_host->devicePixelRatioF(), m_bCrop, m_options.night } };
}

QList<PageKey> ImageBookReader::SpreadKeys(
    const ImageRules::Sides& pages, int layout, int zoom) const
{
    QList<PageKey> keys;
    for (const bool left : { true, false }) {
        const PageKey key = PageKeyOf(left ? pages.left : pages.right, layout, zoom, left);
        if (!key.path.isEmpty())
            keys.append(key);
    }
    return keys;
}

void ImageBookReader::RequestPages(const BookRecord& record)
{
    const SpreadPairing pairing = Pairing(record);
    const auto keysAt = [&](int page) {
        const SpreadPairing::Shown shown = pairing.ShownAt(page, record.nBind);
        return SpreadKeys(shown.sides, shown.layout, record.nZoom);
    };
    QList<PageKey> keys = keysAt(record.nPage);
    const int inSight = int(keys.size());
    const auto neighbours = [&](bool forward, int count) {
        int page = record.nPage;
        for (int i = 0; i < count; ++i) {
            const int start = pairing.SpreadStart(page);
            while (pairing.SpreadStart(page) == start) {
                const int next = forward ? pairing.NextPage(page) : pairing.PrevPage(page);
                if (next == page)
                    return;
                page = next;
            }
            keys += keysAt(page);
        }
    };
    neighbours(m_bTurnForward, record.nZoom != 0 ? kMagnifiedSpreadsAhead : kSpreadsAhead);
    neighbours(!m_bTurnForward, kSpreadsBehind);
    m_requestedPixelRatio = m_host->devicePixelRatioF();
    m_imageEngine.SetBudget(ImageEngine::BudgetFor(m_host->size() * m_host->devicePixelRatioF()));
    m_imageEngine.Want(keys, inSight);
}

bool ImageBookReader::LoadPages(BookRecord& record)
{
    record.strPath = m_pageSource->RecordPath(record.nPage);
    PendSpread(record);
    // What is held of these pages at another size shows, stretched, until the exact
    // decode arrives: after a layout change the pages appear at once.
    const auto heldOf = [this](int page) {
        const std::optional<PageImage> held = m_imageEngine.Largest(PagePath(page));
        return held ? *held : PageImage();
    };
    m_pendingImage1 = heldOf(m_pendingPages.left);
    m_pendingImage2 = heldOf(m_pendingPages.right);
    RequestPages(record);
    return ShowPendingPages();
}

bool ImageBookReader::ShowPendingPages(bool force)
{
    if (!m_bPagesPending)
        return true;
    const int pages[2] = { m_pendingPages.left, m_pendingPages.right };
    const PageImage* interim[2] = { &m_pendingImage1, &m_pendingImage2 };
    PageImage shown[2];
    bool ready = true;
    bool loaded = true;
    for (int side = 0; side < 2; ++side) {
        const PageKey key = PageKeyOf(pages[side], m_nPendingLayout, m_nPendingZoom, side == 0);
        if (key.path.isEmpty())
            continue;
        const std::optional<PageImage> held = m_imageEngine.Held(key);
        if (held && !held->IsNull())
            shown[side] = *held;
        else if (!interim[side]->IsNull())
            shown[side] = *interim[side];
        else if (held)
            loaded = false;
        else
            ready = false;
    }
    if (!ready && !force) {
        emit spreadWaits();
        if (!m_pageWait.isActive())
            m_pageWait.start(kTurnWaitMs);
        return true;
    }
    m_image1 = shown[0];
    m_image2 = shown[1];
    m_shownPages = m_pendingPages;
    m_nShownLayout = m_nPendingLayout;
    m_nShownZoom = m_nPendingZoom;
    m_bPagesPending = false;
    m_pendingImage1.Destroy();
    m_pendingImage2.Destroy();
    m_pageWait.stop();
    m_host->update();
    WantCutPieces();
    // Before the keys held meanwhile act: they may turn on at once.
    emit spreadShown();
    return loaded;
}

void ImageBookReader::RefreshShownPages()
{
    PageImage* images[2] = { &m_image1, &m_image2 };
    const int pages[2] = { m_shownPages.left, m_shownPages.right };
    for (int side = 0; side < 2; ++side) {
        const PageKey key = PageKeyOf(pages[side], m_nShownLayout, m_nShownZoom, side == 0);
        if (key.path.isEmpty())
            continue;
        // A failed decode at the new size (the file is gone) keeps what is shown.
        const std::optional<PageImage> held = m_imageEngine.Held(key);
        if (held && !held->IsNull()
            && held->Pixels().cacheKey() != images[side]->Pixels().cacheKey()) {
            *images[side] = *held;
            m_host->update();
        }
    }
    WantCutPieces();
}

void ImageBookReader::Resize(BookRecord&)
{
    if (m_pOpening) {
        // The first pages are asked for again at the size they will be shown at.
        RequestPages(*m_pOpening);
        return;
    }
    m_bTurnForward = true;
    if (m_strip.IsOn())
        RelayoutStrip();
    else if (m_pBook)
        ResizePages();
    m_host->update();
}

void ImageBookReader::Restyle(BookRecord& book, const Options& options)
{
    m_options.night = options.night;
    m_options.cropMargin = options.cropMargin;
    m_bCrop = book.bCrop;
    if (m_strip.IsOn())
        RelayoutStrip();
    else if (m_pBook)
        ResizePages();
    m_host->update();
}

void ImageBookReader::ResizePages()
{
    // A new size or magnification paints at once from what is held, and the pages
    // decoded for it take over as they arrive. While a turn waits, the spread on the
    // screen keeps its region until the new one comes.
    m_nPendingZoom = m_pBook->nZoom;
    RequestPages(*m_pBook);
    if (m_bPagesPending) {
        ShowPendingPages();
    } else {
        m_nShownZoom = m_pBook->nZoom;
        RefreshShownPages();
    }
}

void ImageBookReader::OnPageDecoded(const QString&)
{
    m_opening.Recheck();
    if (!m_pBook)
        return;
    emit pagesArrived();
    if (m_strip.IsOn())
        m_stripTiles.OnDecoded();
    else if (m_bPagesPending)
        ShowPendingPages();
    else
        RefreshShownPages();
}

void ImageBookReader::Close()
{
    m_imageEngine.Close();
    m_shapeReader.Stop();
    // An archive's open handles and kept pages go with the book.
    m_pageSource = std::make_shared<FolderPages>();
    m_imageEngine.SetSource(m_pageSource);
    m_pageShapes.clear();
    m_nReadablePages = -1;
    m_image1.Destroy();
    m_image2.Destroy();
    m_pendingImage1.Destroy();
    m_pendingImage2.Destroy();
    m_cutPages.Clear();
    m_strip.Stop();
    m_pageSizes.clear();
    m_bLongStrip = false;
    m_bLongStripSettled = false;
    m_shownPages = {};
    m_bPagesPending = false;
    m_pageWait.stop();
    m_pBook = nullptr;
}

void ImageBookReader::Paint(QPainter& painter)
{
    const QRect client = m_host->rect();
    if (m_strip.IsOn()) {
        m_strip.Paint(painter);
        return;
    }
    painter.fillRect(client, PageStrip::kBackground);
    if (client.isEmpty() || !m_pBook)
        return;
    if (!qFuzzyCompare(m_host->devicePixelRatioF(), m_requestedPixelRatio))
        QMetaObject::invokeMethod(
            this, [this] { Resize(*m_pBook); }, Qt::QueuedConnection);
    const ImageRules::Frame frame = ImageRules::LayoutFrame(client, m_nShownZoom, m_options.space);
    const CroppedSpread::Placed placed = Place(frame, m_nShownLayout, m_image1, m_image2);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal dpr = m_host->devicePixelRatioF();
    const bool cut = m_bCrop && m_nShownZoom == 0;
    const auto draw = [&](const PageImage& image, const QRect& to, const QRectF& part) {
        if (image.IsNull() || to.isEmpty())
            return;
        if (cut) {
            const QImage finished
                = m_cutPages.Finished(image.Pixels(), part, (QSizeF(to.size()) * dpr).toSize());
            if (!finished.isNull()) {
                painter.drawImage(QRectF(to), finished);
                return;
            }
        }
        painter.drawImage(
            QRectF(to), image.Pixels(), QRectF(CutPages::SourceRect(image.Pixels(), part)));
    };
    if (m_nShownLayout == LAYOUT_SINGLE) {
        draw(m_image1, placed.left, placed.leftSource);
        return;
    }
    if (m_nShownLayout != LAYOUT_SPREAD_COVER && m_nShownLayout != LAYOUT_SPREAD_NOCOVER)
        return;
    // The page read first is painted first, except just after a move backwards.
    const bool rightFirst
        = m_bTurnForward ? m_pBook->nBind == BIND_RIGHT : m_pBook->nBind != BIND_RIGHT;
    m_bTurnForward = true;
    if (rightFirst) {
        draw(m_image2, placed.right, placed.rightSource);
        draw(m_image1, placed.left, placed.leftSource);
    } else {
        draw(m_image1, placed.left, placed.leftSource);
        draw(m_image2, placed.right, placed.rightSource);
    }
}

CroppedSpread::Placed ImageBookReader::Place(
    const ImageRules::Frame& frame, int layout, const PageImage& left, const PageImage& right) const
{
    if (!m_bCrop) {
        const ImageRules::Placement whole = ImageRules::PlacePages(
            frame, layout, m_options.picEnlarge, left.Size(), right.Size());
        const QRectF all(0, 0, 1, 1);
        return { whole.left, whole.right, all, all };
    }
    const auto page = [this](const PageImage& image) {
        return CroppedSpread::Page { image.Size(),
            BorderCrop::WithMargin(image.Content(), image.Size(), m_options.cropMargin / 100.0) };
    };
    return CroppedSpread::Place(frame, layout, m_options.picEnlarge, page(left), page(right));
}

void ImageBookReader::WantCutPieces()
{
    // While a turn waits, what was made for the spread it waits for stays.
    if (m_bPagesPending)
        return;
    // Under the magnifier a page's place is four screens: it is drawn scaled, only the part
    // in sight.
    if (!m_bCrop || !m_pBook || m_nShownZoom != 0 || m_strip.IsOn()) {
        m_cutPages.Want({});
        return;
    }
    const ImageRules::Frame frame = ImageRules::LayoutFrame(m_host->rect(), 0, m_options.space);
    const qreal dpr = m_host->devicePixelRatioF();
    QList<CutPages::Piece> pieces;
    const auto add = [&](int layout, const PageImage& left, const PageImage& right) {
        const CroppedSpread::Placed placed = Place(frame, layout, left, right);
        const auto piece = [&](const PageImage& image, const QRect& to, const QRectF& part) {
            if (!image.IsNull() && !to.isEmpty())
                pieces.append({ image.Pixels(), part, (QSizeF(to.size()) * dpr).toSize() });
        };
        piece(left, placed.left, placed.leftSource);
        piece(right, placed.right, placed.rightSource);
    };
    add(m_nShownLayout, m_image1, m_image2);
    // The spread after it, once both its pages are decoded at their sizes.
    const SpreadPairing pairing = Pairing(*m_pBook);
    const int next = pairing.NextPage(m_pBook->nPage);
    if (next != m_pBook->nPage) {
        const SpreadPairing::Shown shown = pairing.ShownAt(next, m_pBook->nBind);
        PageImage sides[2];
        bool ready = true;
        for (int side = 0; side < 2; ++side) {
            const int page = side == 0 ? shown.sides.left : shown.sides.right;
            const PageKey key = PageKeyOf(page, shown.layout, 0, side == 0);
            if (key.path.isEmpty())
                continue;
            const std::optional<PageImage> held = m_imageEngine.Held(key);
            ready = ready && held.has_value();
            if (held)
                sides[side] = *held;
        }
        if (ready)
            add(shown.layout, sides[0], sides[1]);
    }
    m_cutPages.Want(pieces);
}

SpreadPairing ImageBookReader::Pairing(const BookRecord& record) const
{
    return SpreadPairing(record.nLayout, record.nPageCount, m_pageShapes);
}

void ImageBookReader::PendSpread(const BookRecord& record)
{
    const SpreadPairing::Shown shown = Pairing(record).ShownAt(record.nPage, record.nBind);
    m_pendingPages = shown.sides;
    m_nPendingLayout = shown.layout;
    m_nPendingZoom = record.nZoom;
    m_bPagesPending = true;
}
