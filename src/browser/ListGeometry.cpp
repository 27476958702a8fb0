#include "browser/ListGeometry.h"

#include <algorithm>

SizeGeometry ListGeometry::ForIndex(int sizeIndex)
{
    const int k = std::clamp(sizeIndex, 0, 4);
    SizeGeometry g;
    g.line1Height = kFontRowHeights[k + 1];
    g.line1Font = k + 1;
    g.line2Height = kFontRowHeights[k];
    g.line2Font = k;
    g.listTop = g.line1Height + g.line2Height;
    g.listFont = k + 1;
    g.headerFont = k;
    g.iconSize = kIconSizes[k];
    g.minSizeColumn = 4 * g.iconSize;
    return g;
}

ColumnWidths ListGeometry::Columns(int cx, int scrollBarWidth, int sizeIndex)
{
    const int size = std::max((cx - scrollBarWidth) / 6, ForIndex(sizeIndex).minSizeColumn);
    // A window too narrow for both columns gives the name column nothing rather than
    // a negative width.
    return { std::max(cx - scrollBarWidth - size - 3, 0), size };
}
