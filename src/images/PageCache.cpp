#include "images/PageCache.h"

#include <QSet>

PageCache::PageCache(qint64 budget)
    : m_budget(budget)
{
}

const PageImage* PageCache::Find(const PageKey& key) const
{
    const auto found = m_held.constFind(key);
    return found == m_held.constEnd() ? nullptr : &*found;
}

const PageImage* PageCache::Largest(const QString& path) const
{
    const PageImage* best = nullptr;
    for (auto it = m_held.constBegin(); it != m_held.constEnd(); ++it) {
        if (it.key().path == path && !it->IsNull() && (!best || it->Bytes() > best->Bytes()))
            best = &*it;
    }
    return best;
}

void PageCache::Insert(const PageKey& key, const PageImage& image)
{
    if (const PageImage* old = Find(key))
        m_bytes -= old->Bytes();
    m_held.insert(key, image);
    m_bytes += image.Bytes();
}

qint64 PageCache::Estimate(const PageKey& key)
{
    const qreal dpr = key.fit.devicePixelRatio;
    return qint64(key.fit.box.width() * dpr + 1) * qint64(key.fit.box.height() * dpr + 1) * 4;
}

QList<PageKey> PageCache::Admit(const QList<PageKey>& wanted, int inSight) const
{
    QList<PageKey> admitted;
    QSet<PageKey> seen;
    qint64 total = 0;
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        const PageKey& key = wanted[i];
        if (seen.contains(key))
            continue;
        const PageImage* held = Find(key);
        const qint64 cost = held ? held->Bytes() : Estimate(key);
        if (i >= inSight && total + cost > m_budget)
            break;
        seen.insert(key);
        admitted.append(key);
        total += cost;
    }
    return admitted;
}

void PageCache::Keep(const QList<PageKey>& keys)
{
    const QSet<PageKey> keep(keys.cbegin(), keys.cend());
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (keep.contains(it.key())) {
            ++it;
        } else {
            m_bytes -= it->Bytes();
            it = m_held.erase(it);
        }
    }
}

void PageCache::Clear()
{
    m_held.clear();
    m_bytes = 0;
}
