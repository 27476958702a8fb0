#pragma once

#include <QList>
#include <QRect>

// Where the items of a grid of pictures go (the pages of a book, the books of a folder),
// free of any widget: columns in the proportions of the large type, a picture in each cell
// with its name under it, the rows scrolled through. Items are counted from 0; a grid laid
// right to left has its first item at the top right.
class GridLayout
{
public:
    enum class Move { Left, Right, Up, Down, ScreenUp, ScreenDown, First, Last };
    static constexpr int kMaxColumns = 6;

    GridLayout() = default;
    // width x height: the grid's window; typeHeight: the pixel height of its type, and
    // labelLines the lines of it under each picture.
    GridLayout(int width, int height, int typeHeight, int count, bool rightToLeft = false,
        int labelLines = 1);

    int Count() const { return m_nCount; }
    int Columns() const { return m_nColumns; }
    int Rows() const;
    int CellWidth() const { return m_nCellWidth; }
    int CellHeight() const { return m_nCellHeight; }
    // Rows wholly in the window at once, one at least.
    int RowsInSight() const;
    // The height of every row, from the top of the first to the foot of the last.
    int ContentHeight() const;
    // In the content's coordinates: y counts from the top of the first row.
    QRect CellRect(int item) const;
    QRect PictureRect(int item) const;
    QRect LabelRect(int item) const;
    // The item under a point of the content, or -1.
    int ItemAt(int x, int y) const;
    // The item a key moves the frame from item to; item itself where it cannot move.
    int Moved(int item, Move move) const;
    // The scroll (the content's y at the window's top) that keeps item in sight, moving
    // as little as it can from scroll.
    int ScrollToShow(int item, int scroll) const;
    int ClampScroll(int scroll) const;
    // The items of the rows from top to bottom (content coordinates), in order.
    QList<int> ItemsIn(int top, int bottom) const;
    // The items whose pictures are wanted with the window scrolled to scroll: those in
    // sight, then those of screens ahead, then of screens behind, nearest first.
    QList<int> ItemsWanted(int scroll, int ahead, int behind) const;
    // The longest side of the pictures, in pixels.
    int PictureSide() const;

private:
    int RowOf(int item) const { return item / m_nColumns; }
    int ColumnOf(int item) const;

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nCount = 0;
    bool m_bRightToLeft = false;
    int m_nColumns = 1;
    int m_nCellWidth = 1;
    int m_nCellHeight = 1;
    int m_nMargin = 0;
    int m_nPad = 0;
    int m_nLabelHeight = 0;
};
