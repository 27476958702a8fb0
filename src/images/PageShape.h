#pragma once

#include <QList>

// What a page file's header says of its shape. A page not read yet, or whose header
// cannot be read, is never taken for a wide one.
enum class PageShape : quint8 { Unknown, NotWide, Wide };

using PageShapes = QList<PageShape>;
