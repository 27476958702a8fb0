#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

#include <functional>

// The pages of a book fitted to a width and set one row under the other, as they are read
// by scrolling down. A row is a page alone or a spread: the pages of a row share its
// height and fill the width together, the gap between them; rows are the gap apart.
// Lengths are in the window's pixels, from the top of the first row. Pages count from 1.
class StripLayout
{
public:
    struct Placed {
        int page = 0;
        QRectF rect;
        bool operator==(const Placed&) const = default;
    };

    StripLayout() = default;
    // rows: the pages of each row from left to right, 0 for the empty half of a spread
    // (it takes the size of the page beside it). sizeOf: a page's shape; one without a
    // width or height is taken as square.
    StripLayout(const QList<QList<int>>& rows, const std::function<QSizeF(int)>& sizeOf,
        qreal width, qreal gap);

    bool IsEmpty() const { return m_rows.isEmpty(); }
    qreal Height() const;
    // The pages with a part between top and bottom, from the top down.
    QList<Placed> In(qreal top, qreal bottom) const;
    // The lowest page of the row at y; in a gap, the row below; past the end, the last.
    int PageAt(qreal y) const;
    // The top of the row holding page; 0 for a page not laid out.
    qreal TopOf(int page) const;
    // The height of the row holding page.
    qreal RowHeightOf(int page) const;
    // Where the top of the window may go for a window of that height.
    qreal Clamp(qreal top, qreal viewHeight) const;

private:
    struct Row {
        qreal top = 0;
        qreal height = 0;
        int lowest = 0;
        QList<Placed> pages;
    };
    qsizetype RowAt(qreal y) const;
    qsizetype RowOf(int page) const;

    QList<Row> m_rows;
    // The row of each page, counted from 1; -1 for a page in none.
    QList<qsizetype> m_rowOf;
};
