#include "pdf/AcroAXDocShim.h"
#include "reader/PdfReader.h"

#include <QWidget>

void PdfReader::Paint(QPainter& painter)
{
    // Otherwise the control, over the host, paints the pages.
    if (m_strip.IsOn())
        m_strip.Paint(painter);
}

QSizeF PdfReader::PageSize(int page) const
{
    const QMap<int, QSizeF>& sizes = m_control.PageSizes();
    if (sizes.isEmpty())
        return PopplerDocuments::kA4;
    auto after = sizes.lowerBound(page);
    if (after == sizes.cbegin())
        return after.value();
    auto before = std::prev(after);
    if (after == sizes.cend() || page - before.key() <= after.key() - page)
        return before.value();
    return after.value();
}

PageStrip::Rows PdfReader::StripRows(const BookRecord& book) const
{
    const SpreadPairing pairing = Pairing(book);
    const int bind = book.SpreadBinding();
    PageStrip::Rows rows;
    for (int page = 1; page <= book.nPageCount; page = pairing.SpreadOf(page).last + 1)
        rows.append(pairing.Columns(page, bind));
    return rows;
}

void PdfReader::StartStrip(BookRecord& book)
{
    m_control.hide();
    m_stripTiles.SetNight(m_options.night);
    // Every page's size places the pages below; until read, a page takes its neighbour's.
    m_control.ReadEveryPageSize();
    m_strip.Start(
        StripRows(book), [this](int page) { return PageSize(page); }, m_options.space, book.nPage);
    m_host->update();
}

void PdfReader::StopStrip(BookRecord& book)
{
    m_strip.Stop();
    m_control.setCurrentPage(book.nPage);
    m_control.show();
}

void PdfReader::RelayoutStrip()
{
    if (!m_pBook || !m_strip.IsOn())
        return;
    m_strip.Relayout(
        StripRows(*m_pBook), [this](int page) { return PageSize(page); }, m_options.space);
}
