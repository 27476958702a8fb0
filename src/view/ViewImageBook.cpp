#include "platform/Paths.h"
#include "platform/WaitCursor.h"
#include "view/TalvexView.h"

#include <QElapsedTimer>
#include <QPainter>

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
} // namespace

QString CTalvexView::PagePath(int n) const
{
    return m_pageSource->PageId(n);
}

CTalvexView::Opening CTalvexView::OpenImageBook(BookRecord& record)
{
    ReleasePages();
    const std::optional<int> page = ScanImageBook(record);
    if (!page)
        return Opening::GaveUp;
    if (*page < 1)
        return Opening::Failed;
    const int pages = m_pageSource->Count();
    m_imageEngine.SetSource(m_pageSource);
    record.nPage = *page;
    record.nPageCount = pages;
    if (pages == 1)
        record.nLayout = LAYOUT_SINGLE;
    else if (pages == 2 && m_nLayoutImage != LAYOUT_SINGLE)
        record.nLayout = LAYOUT_SPREAD_NOCOVER;
    else if (record.nLayout == 0)
        record.nLayout = m_nLayoutImage;
    if (record.nBind < 0)
        record.nBind = m_nBind;
    const WaitCursor wait;
    m_bTurnForward = true;
    ReadPageShapes(record.nPage);
    return LoadFirstPages(record);
}

CTalvexView::Opening CTalvexView::LoadFirstPages(BookRecord& record)
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
        if (!Pairing(record).Settled(record.nPage) && sinceChosen.elapsed() < kSettleWaitMs)
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

PageKey CTalvexView::PageKeyOf(int page, int layout, int zoom, bool leftSide)
{
    const QString path = PagePath(page);
    if (path.isEmpty())
        return {};
    const ImageRules::Frame frame = ImageRules::LayoutFrame(rect(), zoom, m_nSpace);
    return { path,
        { ImageRules::BoxOf(frame, layout, leftSide), frame.zoomFactor, m_bPicEnlarge,
            devicePixelRatioF() } };
}

QList<PageKey> CTalvexView::SpreadKeys(const ImageRules::Sides& pages, int layout, int zoom)
{
    QList<PageKey> keys;
    for (const bool left : { true, false }) {
        const PageKey key = PageKeyOf(left ? pages.left : pages.right, layout, zoom, left);
        if (!key.path.isEmpty())
            keys.append(key);
    }
    return keys;
}

void CTalvexView::RequestPages(const BookRecord& record)
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
    m_requestedPixelRatio = devicePixelRatioF();
    m_imageEngine.SetBudget(ImageEngine::BudgetFor(size() * devicePixelRatioF()));
    m_imageEngine.Want(keys, inSight);
}

bool CTalvexView::LoadPages(BookRecord& record)
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

bool CTalvexView::ShowPendingPages(bool force)
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
        m_inputGate.Shut();
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
    update();
    // Before the keys held meanwhile act: they may turn on at once.
    ShowPageIndicator();
    m_inputGate.Open();
    return loaded;
}

void CTalvexView::RefreshShownPages()
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
            update();
        }
    }
}

void CTalvexView::ResizePages()
{
    // A new size or magnification paints at once from what is held, and the pages
    // decoded for it take over as they arrive. While a turn waits, the spread on the
    // screen keeps its region until the new one comes.
    m_nPendingZoom = m_book.nZoom;
    RequestPages(m_book);
    if (m_bPagesPending) {
        ShowPendingPages();
    } else {
        m_nShownZoom = m_book.nZoom;
        RefreshShownPages();
    }
}

void CTalvexView::OnPageDecoded(const QString&)
{
    m_opening.Recheck();
    if (!m_bContent || !m_book.bImages)
        return;
    if (m_bPagesPending)
        ShowPendingPages();
    else
        RefreshShownPages();
}

void CTalvexView::ReleasePages()
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
    m_shownPages = {};
    m_bPagesPending = false;
    m_pageWait.stop();
    m_inputGate.Open();
}

void CTalvexView::DrawImagePages(QPainter& painter)
{
    const QRect client = rect();
    if (client.isEmpty())
        return;
    if (!qFuzzyCompare(devicePixelRatioF(), m_requestedPixelRatio))
        QMetaObject::invokeMethod(this, &CTalvexView::LayoutContent, Qt::QueuedConnection);
    const ImageRules::Frame frame = ImageRules::LayoutFrame(client, m_nShownZoom, m_nSpace);
    const ImageRules::Placement placed = ImageRules::PlacePages(
        frame, m_nShownLayout, m_bPicEnlarge, m_image1.Size(), m_image2.Size());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const auto draw = [&painter](const PageImage& image, const QRect& to) {
        if (!image.IsNull() && !to.isEmpty())
            painter.drawImage(QRectF(to), image.Pixels());
    };
    if (m_nShownLayout == LAYOUT_SINGLE) {
        draw(m_image1, placed.left);
        return;
    }
    if (m_nShownLayout != LAYOUT_SPREAD_COVER && m_nShownLayout != LAYOUT_SPREAD_NOCOVER)
        return;
    // The page read first is painted first, except just after a move backwards.
    const bool rightFirst
        = m_bTurnForward ? m_book.nBind == BIND_RIGHT : m_book.nBind != BIND_RIGHT;
    m_bTurnForward = true;
    if (rightFirst) {
        draw(m_image2, placed.right);
        draw(m_image1, placed.left);
    } else {
        draw(m_image1, placed.left);
        draw(m_image2, placed.right);
    }
}
