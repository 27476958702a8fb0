#include "browser/NameOrder.h"

#include <QCollator>

#include <algorithm>
#include <numeric>
#include <vector>

namespace NameOrder
{

namespace
{
    // The reader's language, whatever the system's: the interface is Japanese, and the
    // C locale that a bare system runs in compares without numeric mode.
    QCollator NaturalCollator()
    {
        QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        return collator;
    }
} // namespace

QList<qsizetype> Order(
    const QStringList& keys, bool natural, const std::function<bool(qsizetype, qsizetype)>& tieLess)
{
    QList<qsizetype> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    const auto sortBy = [&](const auto& compare) {
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            const int c = compare(a, b);
            if (c != 0)
                return c < 0;
            return tieLess && tieLess(a, b);
        });
    };
    if (!natural) {
        sortBy([&keys](qsizetype a, qsizetype b) {
            return keys[a].compare(keys[b], Qt::CaseInsensitive);
        });
        return order;
    }
    // A folder of many thousand names: each is made into a key once, and the keys
    // compare as plain bytes, far cheaper than collating every pair.
    const QCollator collator = NaturalCollator();
    std::vector<QCollatorSortKey> sortKeys;
    sortKeys.reserve(size_t(keys.size()));
    for (const QString& key : keys)
        sortKeys.push_back(collator.sortKey(key));
    sortBy([&sortKeys](qsizetype a, qsizetype b) {
        return sortKeys[size_t(a)].compare(sortKeys[size_t(b)]);
    });
    return order;
}

void Sort(QStringList& names, bool natural)
{
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : Order(names, natural))
        sorted.append(std::move(names[i]));
    names = std::move(sorted);
}

} // namespace NameOrder
