#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

#include <functional>

// Where the PDF control puts the pages of a spread, free of any widget. Which pages a
// spread holds, and on which side, the reader tells it (Spreads).
namespace SpreadLayout
{

struct Slot {
    int page = 0; // 1-based; 0 for an empty column
};

// A page of the spread after (or before) this one, however its pages were paired, or 0
// past the ends.
int Neighbour(const QList<Slot>& spread, int count, int direction);

// The spread holding a page as columns from left to right: one slot for a page shown
// alone across the whole width.
using Spreads = std::function<QList<Slot>(int page)>;

struct Placed {
    int page = 0;
    QRectF rect;
};

// Fits the spread into area as a whole, keeping the pages' proportions: the columns
// meet at the spine, an empty column is as wide as the page beside it, and the
// pages are centred vertically.
QList<Placed> Fit(
    const QList<Slot>& columns, const std::function<QSizeF(int)>& pageSize, const QRectF& area);

} // namespace SpreadLayout
