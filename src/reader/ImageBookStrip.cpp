#include "reader/ImageBookReader.h"

#include "platform/OpeningWait.h"

#include <QWidget>

namespace
{
// Whether a book is a long strip is told from this many pages' sizes, or from those read
// when the opening stops waiting for them.
constexpr int kStripSample = 8;
} // namespace

bool ImageBookReader::IsLongStrip(const QList<QSize>& sizes)
{
    int known = 0;
    int tall = 0;
    for (const QSize& size : sizes) {
        if (!size.isValid() || size.isEmpty())
            continue;
        ++known;
        tall += qint64(size.height()) >= 2 * qint64(size.width()) ? 1 : 0;
    }
    return known > 0 && 2 * tall > known;
}

bool ImageBookReader::SettleLongStrip()
{
    if (m_bLongStripSettled)
        return true;
    QList<QSize> sizes = m_shapeReader.Sizes();
    sizes.removeIf([](const QSize& size) { return !size.isValid(); });
    if (sizes.size() < std::min<qsizetype>(kStripSample, m_pageSource->Count()))
        return false;
    m_bLongStrip = IsLongStrip(sizes);
    m_bLongStripSettled = true;
    return true;
}

void ImageBookReader::ChooseFit(BookRecord& record) const
{
    if (m_bLongStrip) {
        record.bFitWidth = true;
        record.nLayout = LAYOUT_SINGLE;
    } else {
        record.bFitWidth = m_options.fitWidthImages;
    }
}

std::function<QSizeF(int)> ImageBookReader::StripSizes() const
{
    // A page not read yet takes the size of the one before it read, or else after it: the
    // pages of a book are mostly alike. With none read, the window's shape.
    const qsizetype count = m_pageSizes.size();
    QList<QSizeF> sizes(count);
    QSizeF last;
    qsizetype firstKnown = -1;
    for (qsizetype i = 0; i < count; ++i) {
        if (m_pageSizes[i].isValid() && !m_pageSizes[i].isEmpty()) {
            last = m_pageSizes[i];
            firstKnown = firstKnown < 0 ? i : firstKnown;
        }
        sizes[i] = last;
    }
    for (qsizetype i = 0; i < firstKnown; ++i)
        sizes[i] = m_pageSizes[firstKnown];
    const QSizeF fallback = m_host->size();
    return [sizes = std::move(sizes), fallback](int page) {
        const QSizeF size = sizes.value(page - 1);
        return size.isEmpty() ? fallback : size;
    };
}

PageStrip::Rows ImageBookReader::StripRows(const BookRecord& book) const
{
    PageStrip::Rows rows;
    const int count = book.nPageCount;
    rows.reserve(count);
    if (m_bLongStrip) {
        for (int page = 1; page <= count; ++page)
            rows.append(QList<int> { page });
        return rows;
    }
    const SpreadPairing pairing = Pairing(book);
    for (int page = 1; page <= count; page = pairing.SpreadOf(page).last + 1)
        rows.append(pairing.Columns(page, book.nBind));
    return rows;
}

void ImageBookReader::StartStrip(BookRecord& book)
{
    m_pageWait.stop();
    m_bPagesPending = false;
    m_cutPages.Want({});
    m_pageSizes = m_shapeReader.Sizes();
    m_imageEngine.SetBudget(ImageEngine::BudgetFor(m_host->size() * m_host->devicePixelRatioF()));
    m_stripTiles.SetLook(m_host->devicePixelRatioF(), m_options.night);
    // A long strip's pages join without a gap.
    m_strip.Start(StripRows(book), StripSizes(), m_bLongStrip ? 0 : m_options.space, book.nPage);
    // Spread input held back for a turn goes on.
    emit spreadShown();
}

void ImageBookReader::RelayoutStrip()
{
    if (!m_pBook || !m_strip.IsOn())
        return;
    m_imageEngine.SetBudget(ImageEngine::BudgetFor(m_host->size() * m_host->devicePixelRatioF()));
    m_stripTiles.SetLook(m_host->devicePixelRatioF(), m_options.night);
    m_strip.Relayout(StripRows(*m_pBook), StripSizes(), m_bLongStrip ? 0 : m_options.space);
}

void ImageBookReader::OnStripPage(int page)
{
    if (!m_pBook)
        return;
    m_pBook->nPage = page;
    m_pBook->strPath = m_pageSource->RecordPath(page);
    emit scrolledTo(page);
}

void ImageBookReader::ReadPageShapes(int fromPage)
{
    m_shapeReader.Stop();
    m_pageShapes.clear();
    m_pageSizes.clear();
    // Sizes place the pages of a strip, and tell a long strip when the book opens.
    if (m_options.widePageAlone)
        m_pageShapes = PageShapes(m_pageSource->Count(), PageShape::Unknown);
    m_shapeReader.Start(m_pageSource, fromPage);
}

void ImageBookReader::OnShapesRead()
{
    BookRecord* record = m_pOpening;
    if (!record)
        record = m_pBook;
    if (!record)
        return;
    m_pageSizes = m_shapeReader.Sizes();
    if (m_options.widePageAlone)
        m_pageShapes = m_shapeReader.Shapes();
    if (m_strip.IsOn())
        RelayoutStrip();
    if (!m_options.widePageAlone || m_strip.IsOn()) {
        m_opening.Recheck();
        return;
    }
    const SpreadPairing::Shown shown = Pairing(*record).ShownAt(record->nPage, record->nBind);
    const bool pending = m_pOpening || m_bPagesPending;
    const bool moved = shown.sides != (pending ? m_pendingPages : m_shownPages)
        || shown.layout != (pending ? m_nPendingLayout : m_nShownLayout);
    if (m_pOpening) {
        if (moved)
            PendSpread(*record);
        RequestPages(*record);
        m_opening.Recheck();
    } else if (moved) {
        // A wide page found among those before it moves the pairing of the page in sight.
        LoadPages(*m_pBook);
    } else {
        RequestPages(*m_pBook);
    }
}
