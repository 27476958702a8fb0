#include "reader/StripLayout.h"

#include <algorithm>

StripLayout::StripLayout(
    const QList<QList<int>>& rows, const std::function<QSizeF(int)>& sizeOf, qreal width, qreal gap)
{
    const auto aspect = [&sizeOf](int page) {
        const QSizeF size = page > 0 ? sizeOf(page) : QSizeF();
        return size.width() > 0 && size.height() > 0 ? size.width() / size.height() : 0.0;
    };
    qreal top = 0;
    m_rows.reserve(rows.size());
    for (const QList<int>& columns : rows) {
        if (columns.isEmpty())
            continue;
        QList<qreal> aspects;
        qreal known = 0;
        for (const int page : columns) {
            aspects.append(aspect(page));
            known = std::max(known, aspects.last());
        }
        // An empty half takes its neighbour's shape; a page without a size, a square.
        qreal total = 0;
        for (qreal& a : aspects) {
            if (a <= 0)
                a = known > 0 ? known : 1.0;
            total += a;
        }
        const qreal gaps = gap * qreal(columns.size() - 1);
        const qreal height = std::max(width - gaps, 1.0) / total;
        Row row;
        row.top = top;
        row.height = height;
        row.lowest = 0;
        qreal x = 0;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            const qreal w = aspects[i] * height;
            const int page = columns[i];
            if (page > 0) {
                row.pages.append({ page, QRectF(x, top, w, height) });
                row.lowest = row.lowest == 0 ? page : std::min(row.lowest, page);
                if (page >= m_rowOf.size())
                    m_rowOf.resize(page + 1, -1);
                m_rowOf[page] = m_rows.size();
            }
            x += w + gap;
        }
        if (row.pages.isEmpty())
            continue;
        m_rows.append(row);
        top += height + gap;
    }
}

qreal StripLayout::Height() const
{
    return m_rows.isEmpty() ? 0 : m_rows.last().top + m_rows.last().height;
}

qsizetype StripLayout::RowAt(qreal y) const
{
    if (m_rows.isEmpty())
        return -1;
    // The first row whose bottom lies below y.
    const auto it = std::partition_point(
        m_rows.cbegin(), m_rows.cend(), [y](const Row& row) { return row.top + row.height <= y; });
    return it == m_rows.cend() ? m_rows.size() - 1 : it - m_rows.cbegin();
}

qsizetype StripLayout::RowOf(int page) const
{
    return page >= 0 && page < m_rowOf.size() ? m_rowOf[page] : -1;
}

QList<StripLayout::Placed> StripLayout::In(qreal top, qreal bottom) const
{
    QList<Placed> placed;
    for (qsizetype r = std::max<qsizetype>(RowAt(top), 0); r < m_rows.size(); ++r) {
        if (m_rows[r].top >= bottom)
            break;
        if (m_rows[r].top + m_rows[r].height > top)
            placed += m_rows[r].pages;
    }
    return placed;
}

int StripLayout::PageAt(qreal y) const
{
    const qsizetype r = RowAt(y);
    return r < 0 ? 0 : m_rows[r].lowest;
}

qreal StripLayout::TopOf(int page) const
{
    const qsizetype r = RowOf(page);
    return r < 0 ? 0 : m_rows[r].top;
}

qreal StripLayout::RowHeightOf(int page) const
{
    const qsizetype r = RowOf(page);
    return r < 0 ? 0 : m_rows[r].height;
}

qreal StripLayout::Clamp(qreal top, qreal viewHeight) const
{
    return std::clamp(top, 0.0, std::max(Height() - viewHeight, 0.0));
}
