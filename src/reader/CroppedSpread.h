#pragma once

#include "images/ImageRules.h"

#include <QRectF>
#include <QSize>

// Where the pages of an image book go with their borders cut, free of any widget. The
// two pages of a spread keep the same top and bottom (the smaller cut of the two) and
// grow by the same factor, so a picture across the gutter still meets itself; their
// outer edges may differ, and the gap stays the set gap.
namespace CroppedSpread
{

// A page's own size, and the part of it to show in fractions of that size.
struct Page {
    QSize own;
    QRectF content { 0, 0, 1, 1 };
};

// The rectangles the pages land in, and the part of each page drawn there.
struct Placed {
    QRect left;
    QRect right;
    QRectF leftSource;
    QRectF rightSource;
};

Placed Place(
    const ImageRules::Frame& frame, int layout, bool enlarge, const Page& left, const Page& right);

} // namespace CroppedSpread
