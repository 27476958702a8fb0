#pragma once

#include <QList>
#include <QMap>
#include <QRectF>
#include <QSizeF>

#include <functional>

// What is left of a PDF's pages once their borders are cut, as read off renders of
// them, and the part of each page to show. Text must keep its size from one page to the
// next, though one page ends a chapter short and another holds only a heading: a page
// shows the union of what the pages around it hold (those of its size, up to kReach
// either side), so a short page takes the measure of its neighbours, and only a figure
// wider than the text makes the pages beside it a little smaller.
class PageCrops
{
public:
    static constexpr int kReach = 2;

    void Clear() { m_found.clear(); }
    // Contents found on renders, in fractions of each page (counted from 1).
    void Add(const QMap<int, QRectF>& found);
    // The pages around page whose contents are not read yet, within a book of count.
    QList<int> Missing(int page, int count) const;
    // The part of page to show, given the size of each page (or its best guess until
    // read): the whole page until every page around it is read.
    QRectF Shown(int page, int count, const std::function<QSizeF(int)>& sizeOf) const;

private:
    QMap<int, QRectF> m_found;
};
