#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

// Where the pages of an image book go, free of any widget: which files a spread
// shows, the gap, fitting and alignment against the gap. Rectangles are exclusive of
// their right and bottom edges, as the layout arithmetic is.
namespace ImageRules
{

enum FitAlign { FIT_CENTER = 0, FIT_LEFT = 1, FIT_RIGHT = 2 };

// The pages shown on the left and on the right; 0 or a number outside the book leaves
// that side empty.
struct Sides {
    int left = 0;
    int right = 0;
    bool operator==(const Sides&) const = default;
};

// The pages of the spread that shows page, by layout and binding (any binding other
// than 0 is left binding).
Sides PagesOf(int page, int layout, int bind);
// The file of page n (counted from 1), or "" outside 1..names.size().
QString PagePath(const QString& folder, const QStringList& names, int n);

// Where a picture of w x h pixels goes inside box. Larger pictures are always fitted;
// smaller ones only when enlarge is set, else they keep their size.
QRect FitImageRect(const QRect& box, int w, int h, FitAlign align, bool enlarge);

// The rectangle the pages are laid out in (the client area, or twice it under the
// magnifier) and the two boxes either side of the gap.
struct Frame {
    QRect layout;
    QRect left;
    QRect right;
    int zoomFactor = 1;
};
Frame LayoutFrame(const QRect& client, int zoom, int space);

// The box a side is fitted into: the whole layout for a single page, else its half.
// Empty for the right side of a single page and for an unknown layout.
QSize BoxOf(const Frame& frame, int layout, bool leftSide);
// The size a picture of its own size is shown at in a box of that size.
QSize ShownSize(const QSize& box, const QSize& own, int zoomFactor, bool enlarge);

// Where the left and right pictures land; an empty size gives an empty rectangle.
struct Placement {
    QRect left;
    QRect right;
};
Placement PlacePages(
    const Frame& frame, int layout, bool enlarge, const QSize& left, const QSize& right);

} // namespace ImageRules
