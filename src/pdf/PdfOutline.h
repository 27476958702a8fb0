#pragma once

#include <QList>
#include <QString>

namespace Poppler
{
class Document;
}

// One entry of a PDF's outline, as plain data: its title, the page it leads to (0 when
// it leads nowhere in this document: a web address, another file, a broken link) and
// how deeply it is nested (0 at the top).
struct OutlineEntry {
    QString title;
    int page = 0;
    int depth = 0;
    bool operator==(const OutlineEntry&) const = default;
};

namespace PdfOutline
{

// The outline in reading order, each entry before those nested in it. A damaged or
// hostile outline may nest or run on without end: entries nested more than 32 deep, and
// those past the first 20000, are left out. Poppler's documents are not shared between
// threads: call it on the thread that owns the document.
QList<OutlineEntry> Read(const Poppler::Document& document);
// The row of the entry that holds page: of the entries at or before it, the one that
// starts last, and the last listed of those. The first row when none starts that early,
// -1 when there are no entries.
int EntryHolding(const QList<OutlineEntry>& entries, int page);

} // namespace PdfOutline
