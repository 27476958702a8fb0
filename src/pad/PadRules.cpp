#include "pad/PadRules.h"

#include <algorithm>

namespace PadRules
{

QSize PadSize(int percent)
{
    return QSize(percent * kSkinWidth / 100, percent * kSkinHeight / 100);
}

int PadHitTest(const QSize& pad, int x, int y)
{
    const int w = pad.width();
    const int h = pad.height();
    if (x < 0 || y < 0 || x >= w || y >= h || w < kColumns || h < kRows)
        return -1;
    const int row = std::min(y / (h / kRows), kRows - 1);
    const int column = std::min(x / (w / kColumns), kColumns - 1);
    return kColumns * row + column;
}

QRect PadCellRect(int cell, const QSize& pad)
{
    const int w = pad.width();
    const int h = pad.height();
    const int d = (4 * w + 192) / 384;
    const int c = cell % kColumns;
    const int r = cell / kColumns;
    const int left = c * w / kColumns + d + 1;
    const int right = (c + 1) * w / kColumns - d;
    const int top = r * h / kRows + d + 1;
    const int bottom = (r + 1) * h / kRows - d;
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

QPoint PadOrigin(const QPoint& click, int percent)
{
    const QSize size = PadSize(percent);
    return QPoint(click.x() - size.width() / 2, click.y() - size.height() / 10);
}

} // namespace PadRules
