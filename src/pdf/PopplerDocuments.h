#pragma once

#include "pdf/PdfPassword.h"

#include <QMap>
#include <QSizeF>
#include <QString>

#include <memory>
#include <mutex>

namespace Poppler
{
class Document;
}

// Documents of poppler's Qt binding. The binding sets up poppler's shared state when its
// first document is made and tears it down with the last, without a lock of its own, so
// documents are made and destroyed only under Lock() on every thread.
namespace PopplerDocuments
{

enum class Access { Open, Locked, Unreadable };

std::mutex& Lock();

// Lets a document go under Lock(), on whichever thread drops it.
struct Releaser {
    void operator()(Poppler::Document* document) const;
};
using Document = std::unique_ptr<Poppler::Document, Releaser>;

// The document at path, and what poppler makes of it with that password (empty for
// none): open, locked by a password it does not take, or no PDF poppler can read at all.
// Only a regular file is read; a pipe or a device is unreadable. A locked document is
// not kept: it answers nothing but isLocked().
struct Opened {
    Access access = Access::Unreadable;
    int pages = 0; // 0 when poppler cannot tell the count
    Document document; // null unless open with a page at least
    // The sizes of the pages asked for, counted from 1.
    QMap<int, QSizeF> sizes;
    // The document's viewer preferences ask for its pages to be read right to left.
    bool rightToLeft = false;
};
// The pages around one, whose sizes are read ahead: those of the spreads read ahead and
// behind in any layout, and those of the turns after them.
inline constexpr int kSizesBehind = 4;
inline constexpr int kSizesAhead = 12;
// How long the opening goes on reading sizes of the pages before the one it opens at.
inline constexpr int kSizesBeforeMs = 300;
// sizesNear: the pages around it have their sizes read. sizesBefore: so have those before
// them, back to the nearest page wider than tall (they decide how the page pairs when
// such a page stands alone), for kSizesBeforeMs at most.
Opened Open(const QString& path, const PdfPassword& password = {}, int sizesNear = 0,
    bool sizesBefore = false);
// A page's size in points, counted from 1, turned as the page shows; a page without a
// usable size has A4's.
QSizeF PageSize(const Poppler::Document& document, int page);
inline constexpr QSizeF kA4(595, 842);
// The document at path, or null when it is not a PDF poppler can show (damaged, without
// pages, or locked by a password it does not take).
Document Load(const QString& path, const PdfPassword& password = {});

} // namespace PopplerDocuments
