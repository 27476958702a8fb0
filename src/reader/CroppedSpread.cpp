#include "reader/CroppedSpread.h"

#include "browser/BookRecord.h"

#include <algorithm>
#include <cmath>

namespace CroppedSpread
{
namespace
{
    bool Present(const Page& page)
    {
        return !page.own.isEmpty() && !page.content.isEmpty();
    }

    QSizeF ShownPart(const Page& page)
    {
        return QSizeF(
            page.own.width() * page.content.width(), page.own.height() * page.content.height());
    }

    // A page with only its own cut, fitted into box as an uncut page of that size would be.
    QRect FitAlone(const QRect& box, const Page& page, int zoomFactor, ImageRules::FitAlign align,
        bool enlarge)
    {
        const QSizeF part = ShownPart(page) * zoomFactor;
        return ImageRules::FitImageRect(box, std::max(1, int(std::lround(part.width()))),
            std::max(1, int(std::lround(part.height()))), align, enlarge);
    }

    // Logical pixels per pixel of the page, fitted whole into box as it is without a cut.
    double WholeScale(const QRect& box, const Page& page, int zoomFactor, bool enlarge)
    {
        const QRect whole = ImageRules::FitImageRect(box, page.own.width() * zoomFactor,
            page.own.height() * zoomFactor, ImageRules::FIT_CENTER, enlarge);
        return double(whole.height()) / page.own.height();
    }
} // namespace

Placed Place(
    const ImageRules::Frame& frame, int layout, bool enlarge, const Page& left, const Page& right)
{
    Placed placed;
    const int zf = frame.zoomFactor;
    if (layout == LAYOUT_SINGLE) {
        if (Present(left)) {
            placed.left = FitAlone(frame.layout, left, zf, ImageRules::FIT_CENTER, enlarge);
            placed.leftSource = left.content;
        }
        return placed;
    }
    if (layout != LAYOUT_SPREAD_COVER && layout != LAYOUT_SPREAD_NOCOVER)
        return placed;
    if (!Present(left) || !Present(right)) {
        if (Present(left)) {
            placed.left = FitAlone(frame.left, left, zf, ImageRules::FIT_RIGHT, enlarge);
            placed.leftSource = left.content;
        }
        if (Present(right)) {
            placed.right = FitAlone(frame.right, right, zf, ImageRules::FIT_LEFT, enlarge);
            placed.rightSource = right.content;
        }
        return placed;
    }

    // The same top and bottom for both: the smaller cut of the two.
    const double top = std::min(left.content.top(), right.content.top());
    const double bottom = std::max(left.content.bottom(), right.content.bottom());
    Page pages[2] = { left, right };
    const QRect boxes[2] = { frame.left, frame.right };
    double scales[2] = {};
    double growth = 1e9;
    for (int i = 0; i < 2; ++i) {
        pages[i].content.setTop(top);
        pages[i].content.setBottom(bottom);
        scales[i] = WholeScale(boxes[i], pages[i], zf, enlarge);
        const QSizeF part = ShownPart(pages[i]) * scales[i];
        double most = std::min(boxes[i].width() / part.width(), boxes[i].height() / part.height());
        // A page shown at its own size, not enlarged, stays so.
        if (!enlarge)
            most = std::min(most, zf / scales[i]);
        growth = std::min(growth, most);
    }
    growth = std::max(growth, 1.0);
    QRect targets[2];
    for (int i = 0; i < 2; ++i) {
        const QSizeF size = ShownPart(pages[i]) * scales[i] * growth;
        const int w = std::clamp(int(std::lround(size.width())), 1, boxes[i].width());
        const int h = std::clamp(int(std::lround(size.height())), 1, boxes[i].height());
        const int x = i == 0 ? boxes[i].left() + boxes[i].width() - w : boxes[i].left();
        targets[i] = QRect(x, boxes[i].top() + (boxes[i].height() - h) / 2, w, h);
    }
    placed.left = targets[0];
    placed.right = targets[1];
    placed.leftSource = pages[0].content;
    placed.rightSource = pages[1].content;
    return placed;
}

} // namespace CroppedSpread
