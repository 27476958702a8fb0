#include "images/ImageRules.h"

#include "images/ZoomRules.h"
#include "platform/Paths.h"

namespace ImageRules
{

namespace
{
    QRect FromEdges(int left, int top, int right, int bottom)
    {
        return QRect(QPoint(left, top), QSize(right - left, bottom - top));
    }

    int AlignedLeft(const QRect& box, int width, FitAlign align)
    {
        switch (align) {
        case FIT_LEFT:
            return box.left();
        case FIT_RIGHT:
            return box.left() + box.width() - width;
        default:
            return box.left() + (box.width() - width) / 2;
        }
    }
} // namespace

Sides PagesOf(int p, int layout, int bind)
{
    const bool odd = p % 2 != 0;
    const bool right = bind == 0;
    switch (layout) {
    case 1:
        return { p, 0 };
    case 2:
        if (right)
            return odd ? Sides { p, p - 1 } : Sides { p + 1, p };
        return odd ? Sides { p - 1, p } : Sides { p, p + 1 };
    case 3:
        if (right)
            return odd ? Sides { p + 1, p } : Sides { p, p - 1 };
        return odd ? Sides { p, p + 1 } : Sides { p - 1, p };
    default:
        return {};
    }
}

QString PagePath(const QString& folder, const QStringList& names, int n)
{
    if (n < 1 || n > names.size())
        return QString();
    return Paths::Join(folder, names[n - 1]);
}

QRect FitImageRect(const QRect& box, int w, int h, FitAlign align, bool enlarge)
{
    const int bw = box.width();
    const int bh = box.height();
    if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0)
        return {};
    const double r = double(h) / w;
    const double boxRatio = double(bh) / bw;
    // A picture far narrower (or flatter) than the box still shows one line of pixels.
    if (r > boxRatio) {
        const int fw = std::max(1, int(bh / r));
        if (enlarge || fw <= w)
            return QRect(AlignedLeft(box, fw, align), box.top(), fw, bh);
    } else {
        const int fh = std::max(1, int(bw * r));
        if (enlarge || fh <= h)
            return QRect(box.left(), box.top() + (bh - fh) / 2, bw, fh);
    }
    return QRect(AlignedLeft(box, w, align), box.top() + (bh - h) / 2, w, h);
}

Frame LayoutFrame(const QRect& client, int zoom, int space)
{
    Frame frame;
    frame.layout = ZoomRules::ZoomCanvas(client, zoom);
    frame.zoomFactor = ZoomRules::ZoomFactor(zoom);
    const QRect& l = frame.layout;
    const int gap = space * frame.zoomFactor;
    const int middle = l.left() + (l.width() - gap) / 2;
    const int right = l.left() + l.width();
    const int bottom = l.top() + l.height();
    frame.left = FromEdges(l.left(), l.top(), middle, bottom);
    frame.right = FromEdges(middle + gap, l.top(), right, bottom);
    return frame;
}

QSize BoxOf(const Frame& frame, int layout, bool leftSide)
{
    if (layout == 1)
        return leftSide ? frame.layout.size() : QSize();
    if (layout == 2 || layout == 3)
        return leftSide ? frame.left.size() : frame.right.size();
    return {};
}

QSize ShownSize(const QSize& box, const QSize& own, int zoomFactor, bool enlarge)
{
    return FitImageRect(QRect(QPoint(0, 0), box), own.width() * zoomFactor,
        own.height() * zoomFactor, FIT_CENTER, enlarge)
        .size();
}

Placement PlacePages(
    const Frame& frame, int layout, bool enlarge, const QSize& left, const QSize& right)
{
    const int zf = frame.zoomFactor;
    const auto fit = [&](const QRect& box, const QSize& size, FitAlign align) {
        return size.isEmpty()
            ? QRect()
            : FitImageRect(box, size.width() * zf, size.height() * zf, align, enlarge);
    };
    Placement placed;
    if (layout == 1) {
        placed.left = fit(frame.layout, left, FIT_CENTER);
    } else if (layout == 2 || layout == 3) {
        placed.left = fit(frame.left, left, FIT_RIGHT);
        placed.right = fit(frame.right, right, FIT_LEFT);
    }
    return placed;
}

} // namespace ImageRules
