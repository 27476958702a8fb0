#pragma once

// The geometry of the list screens for a size index 0..4: the two header lines,
// where the list starts, which of the six fonts and icon strips it uses, and the
// smallest width of the second column.
struct SizeGeometry {
    int line1Height;
    int line1Font;
    int line2Height;
    int line2Font;
    int listTop;
    int listFont;
    int headerFont;
    int iconSize;
    int minSizeColumn;
};

struct ColumnWidths {
    int name;
    int size;
    bool operator==(const ColumnWidths&) const = default;
};

class ListGeometry
{
public:
    static constexpr int kFontCount = 6;
    // Pixel heights of the six fonts, and the row height each one serves.
    static constexpr int kFontHeights[kFontCount] = { 12, 16, 23, 34, 48, 70 };
    static constexpr int kFontRowHeights[kFontCount] = { 17, 20, 28, 40, 56, 80 };
    static constexpr int kIconSizes[5] = { 20, 28, 40, 56, 80 };

    // The index is clamped into 0..4.
    static SizeGeometry ForIndex(int sizeIndex);
    static ColumnWidths Columns(int cx, int scrollBarWidth, int sizeIndex);
};
