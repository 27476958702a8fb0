#pragma once

#include "pdf/PdfPassword.h"
#include "reader/ThumbQueue.h"

#include <QStringList>

#include <memory>

class PageSource;
class PageThumbFiles;

// What makes the small pictures of a ThumbQueue, on its threads: the pages of an image
// book decoded at the picture's size (a JPEG scaled inside its decoder), the pages of a PDF
// rendered at it, the covers of books. Each looks on the disk first: pages in the
// program's own cache, covers in the thumbnail cache file managers share, keyed by the
// file's size and time so that a changed book never shows an old picture; what it makes
// it keeps there, and a cache it cannot read or write only means making them again.
namespace ThumbMakers
{

// Where pictures are kept between runs; either may be missing.
struct Disk {
    std::shared_ptr<PageThumbFiles> pages;
    // Holds "thumbnails/"; empty for no covers kept.
    QString cacheHome;
};

// Items are pages, counted from 1, fitted into a square of side pixels.
ThumbQueue::Factory ImagePages(std::shared_ptr<const PageSource> source, int side, Disk disk);
// A book opened with a password keeps nothing on the disk.
ThumbQueue::Factory PdfPages(const QString& path, const PdfPassword& password, int side, Disk disk);
// Item n is the cover of books[n]: the first page of a PDF or an archive, or a picture
// itself; "" for none. picExt: the kinds of picture an archive's pages may be.
ThumbQueue::Factory Covers(
    const QStringList& books, int side, int picExt, const QString& cacheHome);

// The freedesktop size a cover of that side is kept at: large past 128 pixels.
bool LargeCover(int side);

} // namespace ThumbMakers
