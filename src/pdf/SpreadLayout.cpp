#include "pdf/SpreadLayout.h"

#include <algorithm>

namespace SpreadLayout
{

int Neighbour(const QList<Slot>& spread, int count, int direction)
{
    int first = 0;
    int last = 0;
    for (const Slot& slot : spread) {
        if (slot.page < 1)
            continue;
        first = first == 0 ? slot.page : std::min(first, slot.page);
        last = std::max(last, slot.page);
    }
    const int target = direction > 0 ? last + 1 : first - 1;
    return first > 0 && target >= 1 && target <= count ? target : 0;
}

QList<Placed> Fit(
    const QList<Slot>& columns, const std::function<QSizeF(int)>& pageSize, const QRectF& area)
{
    QList<QSizeF> sizes;
    for (const Slot& slot : columns)
        sizes.append(slot.page > 0 ? pageSize(slot.page) : QSizeF());
    // An empty column takes the size of the page beside it.
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        if (sizes[i].isEmpty() && sizes.size() == 2)
            sizes[i] = sizes[1 - i];
    }
    qreal totalWidth = 0;
    qreal maxHeight = 0;
    for (const QSizeF& size : sizes) {
        totalWidth += size.width();
        maxHeight = std::max(maxHeight, size.height());
    }
    QList<Placed> placed;
    if (totalWidth <= 0 || maxHeight <= 0 || area.isEmpty())
        return placed;
    const qreal scale = std::min(area.width() / totalWidth, area.height() / maxHeight);
    qreal x = area.center().x() - totalWidth * scale / 2;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QSizeF size = sizes[i] * scale;
        if (columns[i].page > 0) {
            const qreal y = area.center().y() - size.height() / 2;
            placed.append({ columns[i].page, QRectF(QPointF(x, y), size) });
        }
        x += size.width();
    }
    return placed;
}

} // namespace SpreadLayout
