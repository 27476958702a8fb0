#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

#include <functional>

// How the PDF control arranges pages, free of any widget: which pages a spread holds,
// on which side, and where they go when the spread is fitted into an area.
namespace SpreadLayout
{

enum Mode {
    SinglePage,
    TwoColumnRight, // page 1 alone on the right, then 2-3, 4-5 ...
    TwoColumnLeft, // 1-2, 3-4 ...
};

// Left to right puts the lower page of a spread on the left, as the control's modes
// name them; right to left mirrors the spread, page 1 of TwoColumnRight alone on the
// left, as an image book bound on the right is laid out.
enum Direction { LeftToRight, RightToLeft };

// The mode for a layout name of the control; unknown names keep the current mode.
Mode ModeFromName(const QString& name, Mode current);

struct Slot {
    int page = 0; // 1-based; 0 for an empty column
};

// The spread holding page: one slot in single-page mode, else a left and a right slot,
// one of them possibly empty at the start or end of the book.
QList<Slot> SpreadOf(int page, int count, Mode mode, Direction direction);
// The first page of the spread holding page, which names the spread.
int SpreadFirst(int page, int count, Mode mode);
// A page of the spread after (or before) this one, however its pages were paired, or 0
// past the ends.
int Neighbour(const QList<Slot>& spread, int count, int direction);

// The spread holding a page, by a pairing other than the mode's own: one slot for a
// page shown alone across the whole width.
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
