#include "view/GridLayout.h"

#include <algorithm>

GridLayout::GridLayout(
    int width, int height, int typeHeight, int count, bool rightToLeft, int labelLines)
    : m_nWidth(std::max(width, 1))
    , m_nHeight(std::max(height, 1))
    , m_nCount(std::max(count, 0))
    , m_bRightToLeft(rightToLeft)
{
    const int type = std::max(typeHeight, 8);
    // A cell holds a name in the type at least six characters wide; a large window
    // still has no more than six columns, so that a picture is worth looking at.
    const int least = std::max(type * 6, m_nWidth / kMaxColumns);
    m_nColumns = std::clamp(m_nWidth / least, 1, kMaxColumns);
    m_nCellWidth = m_nWidth / m_nColumns;
    m_nMargin = (m_nWidth - m_nCellWidth * m_nColumns) / 2;
    m_nPad = std::max(type / 4, 2);
    m_nLabelHeight = type * 5 / 4 * std::max(labelLines, 1);
    // Pictures are a third taller than wide, as most pages are near.
    const int pictureWidth = std::max(m_nCellWidth - 2 * m_nPad, 1);
    const int pictureHeight = std::min(
        pictureWidth * 4 / 3, std::max(m_nHeight - m_nLabelHeight - 3 * m_nPad, pictureWidth / 2));
    m_nCellHeight = m_nPad + pictureHeight + m_nLabelHeight + m_nPad;
}

int GridLayout::Rows() const
{
    return (m_nCount + m_nColumns - 1) / m_nColumns;
}

int GridLayout::RowsInSight() const
{
    return std::max(m_nHeight / m_nCellHeight, 1);
}

int GridLayout::ContentHeight() const
{
    return Rows() * m_nCellHeight;
}

int GridLayout::ColumnOf(int item) const
{
    const int column = item % m_nColumns;
    return m_bRightToLeft ? m_nColumns - 1 - column : column;
}

QRect GridLayout::CellRect(int item) const
{
    if (item < 0 || item >= m_nCount)
        return {};
    return QRect(m_nMargin + ColumnOf(item) * m_nCellWidth, RowOf(item) * m_nCellHeight,
        m_nCellWidth, m_nCellHeight);
}

QRect GridLayout::PictureRect(int item) const
{
    const QRect cell = CellRect(item);
    if (cell.isNull())
        return {};
    return QRect(cell.left() + m_nPad, cell.top() + m_nPad, cell.width() - 2 * m_nPad,
        cell.height() - 2 * m_nPad - m_nLabelHeight);
}

QRect GridLayout::LabelRect(int item) const
{
    const QRect picture = PictureRect(item);
    if (picture.isNull())
        return {};
    return QRect(picture.left(), picture.bottom() + 1, picture.width(), m_nLabelHeight);
}

int GridLayout::ItemAt(int x, int y) const
{
    if (y < 0 || x < m_nMargin || x >= m_nMargin + m_nColumns * m_nCellWidth)
        return -1;
    int column = (x - m_nMargin) / m_nCellWidth;
    if (m_bRightToLeft)
        column = m_nColumns - 1 - column;
    const int item = y / m_nCellHeight * m_nColumns + column;
    return item < m_nCount ? item : -1;
}

int GridLayout::Moved(int item, Move move) const
{
    if (m_nCount == 0)
        return -1;
    const int last = m_nCount - 1;
    item = std::clamp(item, 0, last);
    const int screen = RowsInSight() * m_nColumns;
    // Left and Right follow the pictures on the screen: in a grid laid right to left the
    // next item is to the left.
    const int leftStep = m_bRightToLeft ? 1 : -1;
    switch (move) {
    case Move::Left:
        return std::clamp(item + leftStep, 0, last);
    case Move::Right:
        return std::clamp(item - leftStep, 0, last);
    case Move::Up:
        return item >= m_nColumns ? item - m_nColumns : item;
    case Move::Down:
        // Into a last row too short to hold the column: its last item.
        return RowOf(item) < RowOf(last) ? std::min(item + m_nColumns, last) : item;
    case Move::ScreenUp:
        return item >= screen ? item - screen : item % m_nColumns;
    case Move::ScreenDown:
        if (item + screen <= last)
            return item + screen;
        return RowOf(item) < RowOf(last)
            ? std::min(RowOf(last) * m_nColumns + item % m_nColumns, last)
            : item;
    case Move::First:
        return 0;
    case Move::Last:
        return last;
    }
    return item;
}

int GridLayout::ClampScroll(int scroll) const
{
    return std::clamp(scroll, 0, std::max(ContentHeight() - m_nHeight, 0));
}

int GridLayout::ScrollToShow(int item, int scroll) const
{
    const QRect cell = CellRect(item);
    if (cell.isNull())
        return ClampScroll(scroll);
    if (cell.top() < scroll)
        scroll = cell.top();
    else if (cell.bottom() >= scroll + m_nHeight)
        scroll = cell.bottom() + 1 - m_nHeight;
    return ClampScroll(scroll);
}

QList<int> GridLayout::ItemsIn(int top, int bottom) const
{
    QList<int> items;
    if (m_nCount == 0 || bottom < top)
        return items;
    const int firstRow = std::max(top / m_nCellHeight, 0);
    const int lastRow = std::min(bottom / m_nCellHeight, Rows() - 1);
    for (int item = firstRow * m_nColumns; item < std::min((lastRow + 1) * m_nColumns, m_nCount);
         ++item)
        items.append(item);
    return items;
}

QList<int> GridLayout::ItemsWanted(int scroll, int ahead, int behind) const
{
    QList<int> items = ItemsIn(scroll, scroll + m_nHeight - 1);
    const qsizetype inSight = items.size();
    for (const int item : ItemsIn(scroll + m_nHeight, scroll + (1 + ahead) * m_nHeight - 1)) {
        if (item > items.value(inSight - 1, -1))
            items.append(item);
    }
    QList<int> before = ItemsIn(scroll - behind * m_nHeight, scroll - 1);
    const int first = items.value(0, m_nCount);
    for (auto it = before.crbegin(); it != before.crend(); ++it) {
        if (*it < first)
            items.append(*it);
    }
    return items;
}

int GridLayout::PictureSide() const
{
    const QRect picture = PictureRect(0);
    return std::max(picture.width(), picture.height());
}
