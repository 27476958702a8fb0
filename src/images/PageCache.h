#pragma once

#include "images/PageImage.h"
#include "images/PageKey.h"

#include <QHash>
#include <QList>
#include <QSet>

// The decoded pages held for the open book, within one byte budget. A failed decode
// is held too, as a null image, so that nobody waits for it again. Pages the reader
// wants are kept; the others stay as stand-ins (the same page at another size, shown
// stretched until the exact one arrives) while they fit in half the budget and the
// whole, with the decodes under way, still holds, the least recently wanted going first.
class PageCache
{
public:
    explicit PageCache(qint64 budget);

    // The result held for key: nullptr when there is none yet.
    const PageImage* Find(const PageKey& key) const;
    // The largest picture of the file held at any size, or nullptr.
    const PageImage* Largest(const QString& path) const;
    void Insert(const PageKey& key, const PageImage& image);
    // The wanted keys, in priority order, that may be held: the first inSight always,
    // the rest while what they take (held, or estimated) stays in the budget. Stand-ins
    // count for nothing here: they give way to what is wanted.
    QList<PageKey> Admit(const QList<PageKey>& wanted, int inSight) const;
    // These keys are wanted now and are never given up for the budget; what else is
    // held stays while it fits.
    void Want(const QList<PageKey>& keys);
    void Clear();
    // A new budget, kept from the next insertion or admission on.
    void SetBudget(qint64 budget) { m_budget = budget; }
    qint64 Budget() const { return m_budget; }
    // The bytes that decodes under way will take: they count against the budget, and
    // stand-ins give way to them.
    void SetInFlight(qint64 bytes);
    qint64 Bytes() const { return m_bytes; }
    // What the pages wanted now take, stand-ins left out.
    qint64 WantedBytes() const;

    // At most what a page decoded for key takes: its whole box in device pixels.
    static qint64 Estimate(const PageKey& key);

private:
    struct Entry {
        PageImage image;
        quint64 used = 0;
    };

    // Drops stand-ins, the least recently wanted first, until the budget holds. A
    // magnified copy nobody wants goes at once: it takes four plain pages' room, and the
    // magnifier shows the plain page stretched until its own copy comes.
    void Trim();

    qint64 m_budget;
    qint64 m_bytes = 0;
    qint64 m_inFlight = 0;
    quint64 m_clock = 0;
    QHash<PageKey, Entry> m_held;
    QSet<PageKey> m_wanted;
};
