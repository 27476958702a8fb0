#pragma once

#include <QList>
#include <QSizeF>

// What a page file's header, or a PDF page's size, says of its shape. A page not read
// yet, or whose header cannot be read, is never taken for a wide one.
enum class PageShape : quint8 { Unknown, NotWide, Wide };

using PageShapes = QList<PageShape>;

// A page wider than it is tall, as it is shown, is wide.
inline PageShape ShapeOfSize(QSizeF upright)
{
    return upright.width() > upright.height() ? PageShape::Wide : PageShape::NotWide;
}
