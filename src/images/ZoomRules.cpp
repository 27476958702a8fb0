#include "images/ZoomRules.h"

namespace ZoomRules
{

bool IsRegion(int zoom)
{
    return zoom >= 1 && zoom <= 9;
}

QRect ZoomCanvas(const QRect& client, int zoom)
{
    if (!IsRegion(zoom))
        return client;
    // Exclusive right and bottom edges, as the layout arithmetic expects.
    const int l = client.left();
    const int t = client.top();
    const int r = l + client.width();
    const int b = t + client.height();
    const int w = r - l;
    const int h = b - t;
    const int cx = (l + r) / 2;
    const int cy = (t + b) / 2;
    const int column = (zoom - 1) % 3;
    const int row = (zoom - 1) / 3;
    const int left = column == 0 ? l : (column == 1 ? cx - w : r - 2 * w);
    const int top = row == 0 ? t : (row == 1 ? cy - h : b - 2 * h);
    return QRect(left, top, 2 * w, 2 * h);
}

int ZoomFactor(int zoom)
{
    return zoom != 0 ? 2 : 1;
}

QRect PdfGeometry(const QSize& client, int zoom, int taskPaneWidth)
{
    if (client.isEmpty())
        return {};
    const int w2 = zoom != 0 ? 2 * client.width() : client.width();
    const int h2 = zoom != 0 ? 2 * client.height() : client.height();
    const int column = IsRegion(zoom) ? (zoom - 1) % 3 : 0;
    const int row = IsRegion(zoom) ? (zoom - 1) / 3 : 0;
    const int x = column == 0 ? 0 : (column == 1 ? -(w2 / 4) : -(w2 / 2));
    const int y = row == 0 ? 0 : (row == 1 ? -(h2 / 4) : -(h2 / 2));
    return QRect(x, y, w2 + taskPaneWidth, h2);
}

int MoveLeft(int zoom)
{
    return IsRegion(zoom) && (zoom - 1) % 3 != 0 ? zoom - 1 : zoom;
}

int MoveRight(int zoom)
{
    return IsRegion(zoom) && (zoom - 1) % 3 != 2 ? zoom + 1 : zoom;
}

} // namespace ZoomRules
