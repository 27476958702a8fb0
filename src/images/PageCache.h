#pragma once

#include "images/PageImage.h"
#include "images/PageKey.h"

#include <QHash>
#include <QList>

// The decoded pages held for the open book, within one byte budget. A failed decode
// is held too, as a null image, so that nobody waits for it again.
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
    // the rest while what is held plus an estimate of what is not stays in the budget.
    QList<PageKey> Admit(const QList<PageKey>& wanted, int inSight) const;
    // Drops everything but these keys.
    void Keep(const QList<PageKey>& keys);
    void Clear();
    qint64 Bytes() const { return m_bytes; }

    // At most what a page decoded for key takes: its whole box in device pixels.
    static qint64 Estimate(const PageKey& key);

private:
    qint64 m_budget;
    qint64 m_bytes = 0;
    QHash<PageKey, PageImage> m_held;
};
