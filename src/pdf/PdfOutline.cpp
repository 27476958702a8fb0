#include "pdf/PdfOutline.h"

#include <poppler-qt6.h>

namespace PdfOutline
{

namespace
{
    constexpr int kMaxDepth = 32;
    constexpr int kMaxEntries = 20000;
    // A title is one line of the contents screen; a longer one is cut before it is
    // cleaned up and laid out, so that a file's megabyte titles cost nothing there.
    constexpr qsizetype kMaxTitle = 400;

    // Titles are shown on one line: breaks and other control characters become spaces.
    QString OneLine(QString title)
    {
        for (QChar& c : title) {
            if (c.category() == QChar::Other_Control)
                c = QLatin1Char(' ');
        }
        return title.simplified();
    }

    void Add(QList<OutlineEntry>& entries, const QList<Poppler::OutlineItem>& items, int depth,
        int pageCount)
    {
        for (const Poppler::OutlineItem& item : items) {
            if (entries.size() >= kMaxEntries)
                return;
            OutlineEntry entry;
            entry.title = OneLine(item.name().left(kMaxTitle));
            entry.depth = depth;
            const QSharedPointer<const Poppler::LinkDestination> destination = item.destination();
            if (destination && item.externalFileName().isEmpty()) {
                const int page = destination->pageNumber();
                entry.page = page >= 1 && page <= pageCount ? page : 0;
            }
            entries.append(entry);
            if (depth + 1 < kMaxDepth && item.hasChildren())
                Add(entries, item.children(), depth + 1, pageCount);
        }
    }
} // namespace

QList<OutlineEntry> Read(const Poppler::Document& document)
{
    QList<OutlineEntry> entries;
    Add(entries, document.outline(), 0, document.numPages());
    return entries;
}

int EntryHolding(const QList<OutlineEntry>& entries, int page)
{
    if (entries.isEmpty())
        return -1;
    int found = 0;
    int start = 0;
    for (int i = 0; i < entries.size(); ++i) {
        const int p = entries[i].page;
        if (p >= 1 && p <= page && p >= start) {
            found = i;
            start = p;
        }
    }
    return found;
}

} // namespace PdfOutline
