#include "images/PageCache.h"

#include <algorithm>

PageCache::PageCache(qint64 budget)
    : m_budget(budget)
{
}

const PageImage* PageCache::Find(const PageKey& key) const
{
    const auto found = m_held.constFind(key);
    return found == m_held.constEnd() ? nullptr : &found->image;
}

const PageImage* PageCache::Largest(const QString& path) const
{
    const PageImage* best = nullptr;
    for (auto it = m_held.constBegin(); it != m_held.constEnd(); ++it) {
        const PageImage& image = it->image;
        if (it.key().path == path && !image.IsNull() && (!best || image.Bytes() > best->Bytes()))
            best = &image;
    }
    return best;
}

void PageCache::Insert(const PageKey& key, const PageImage& image)
{
    Entry& entry = m_held[key];
    m_bytes += image.Bytes() - entry.image.Bytes();
    entry.image = image;
    entry.used = ++m_clock;
    Trim();
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

void PageCache::Want(const QList<PageKey>& keys)
{
    m_wanted = QSet<PageKey>(keys.cbegin(), keys.cend());
    const quint64 now = ++m_clock;
    for (const PageKey& key : keys) {
        if (const auto found = m_held.find(key); found != m_held.end())
            found->used = now;
    }
    Trim();
}

void PageCache::SetInFlight(qint64 bytes)
{
    m_inFlight = bytes;
    Trim();
}

qint64 PageCache::WantedBytes() const
{
    qint64 bytes = 0;
    for (const PageKey& key : m_wanted) {
        if (const PageImage* image = Find(key))
            bytes += image->Bytes();
    }
    return bytes;
}

void PageCache::Trim()
{
    QList<std::pair<quint64, PageKey>> spares;
    qint64 spareBytes = 0;
    for (auto it = m_held.cbegin(); it != m_held.cend(); ++it) {
        if (!m_wanted.contains(it.key())) {
            // Magnified copies first, then the least recently wanted.
            spares.append({ it.key().fit.zoomFactor > 1 ? 0 : it->used, it.key() });
            spareBytes += it->image.Bytes();
        }
    }
    // Stand-ins are for going back and for the magnifier going off; reading on must
    // not keep every page passed.
    const qint64 spareBudget = m_budget / 2;
    const auto holds
        = [&] { return m_bytes + m_inFlight <= m_budget && spareBytes <= spareBudget; };
    std::sort(spares.begin(), spares.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [used, key] : spares) {
        if (used != 0 && holds())
            break;
        const qint64 bytes = m_held.take(key).image.Bytes();
        m_bytes -= bytes;
        spareBytes -= bytes;
    }
}

void PageCache::Clear()
{
    m_held.clear();
    m_wanted.clear();
    m_bytes = 0;
}
