#include "pdf/PageCrops.h"

#include <algorithm>

void PageCrops::Add(const QMap<int, QRectF>& found)
{
    m_found.insert(found);
}

QList<int> PageCrops::Missing(int page, int count) const
{
    QList<int> missing;
    for (int p = std::max(1, page - kReach); p <= std::min(count, page + kReach); ++p) {
        if (!m_found.contains(p))
            missing.append(p);
    }
    return missing;
}

QRectF PageCrops::Shown(int page, int count, const std::function<QSizeF(int)>& sizeOf) const
{
    const QRectF whole(0, 0, 1, 1);
    if (!Missing(page, count).isEmpty())
        return whole;
    // Pages of another size (a fold-out, a landscape table) have a measure of their own.
    const QSizeF size = sizeOf(page);
    QRectF shown;
    for (int p = std::max(1, page - kReach); p <= std::min(count, page + kReach); ++p) {
        if (p == page || sizeOf(p) == size)
            shown = shown.isNull() ? m_found.value(p) : shown.united(m_found.value(p));
    }
    return shown.isEmpty() ? whole : shown;
}
