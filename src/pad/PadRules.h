#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The remote pad's geometry, free of any widget.
// Cells are numbered row by row in a grid of 3 columns and 7 rows; cell 1 is the grip.
namespace PadRules
{

constexpr int kColumns = 3;
constexpr int kRows = 7;
constexpr int kCellCount = kColumns * kRows;
constexpr int kGrip = 1;
// The skin's own size, at 100 percent.
constexpr int kSkinWidth = 384;
constexpr int kSkinHeight = 896;

QSize PadSize(int percent);
// The cell under a point of a pad of that size, or -1 outside it. The pixels left
// over at the right and bottom edges belong to the last column and row.
int PadHitTest(const QSize& pad, int x, int y);
// The highlight of a pressed cell: the cell inset by about a 96th of the width.
QRect PadCellRect(int cell, const QSize& pad);
// Where a pad shown by a click goes, in the clicked window's coordinates: centred
// across the click, which falls a tenth of the way down, on the grip.
QPoint PadOrigin(const QPoint& click, int percent);

} // namespace PadRules
