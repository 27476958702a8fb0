#pragma once

#include <QList>
#include <QStringList>

#include <functional>

// The order names are listed in: letter case ignored and, in natural order, runs of
// digits compared by their value, so img2 comes before img10. Without it, names are
// compared character code by character code, as the program always did.
namespace NameOrder
{

// The indexes of keys in ascending order. Keys that compare equal are ordered by
// tieLess when given, and otherwise keep their order.
QList<qsizetype> Order(const QStringList& keys, bool natural,
    const std::function<bool(qsizetype, qsizetype)>& tieLess = {});
void Sort(QStringList& names, bool natural);

} // namespace NameOrder
