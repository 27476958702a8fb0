#include "reader/SpreadPairing.h"

#include "browser/BookRecord.h"
#include "reader/PageRules.h"

#include <algorithm>

SpreadPairing::SpreadPairing(int layout, int count, PageShapes shapes)
    : m_layout(layout)
    , m_count(count)
    , m_shapes(std::move(shapes))
{
}

bool SpreadPairing::Paired() const
{
    return !m_shapes.isEmpty()
        && (m_layout == LAYOUT_SPREAD_COVER || m_layout == LAYOUT_SPREAD_NOCOVER);
}

bool SpreadPairing::Known(int p) const
{
    return p < 1 || p > m_shapes.size() || m_shapes[p - 1] != PageShape::Unknown;
}

bool SpreadPairing::IsWide(int p) const
{
    return p >= 1 && p <= m_shapes.size() && m_shapes[p - 1] == PageShape::Wide;
}

bool SpreadPairing::StandsAlone(int p) const
{
    return IsWide(p) || (m_layout == LAYOUT_SPREAD_COVER && p == 1);
}

SpreadPairing::Range SpreadPairing::SpreadOf(int p) const
{
    if (!Paired() || p < 1 || p > m_count) {
        const int start = PageRules::SpreadStart(p, m_layout);
        const bool pair
            = start + 1 <= m_count && PageRules::SpreadStart(start + 1, m_layout) == start;
        return { start, pair ? start + 1 : start };
    }
    if (StandsAlone(p))
        return { p, p };
    // Pairs count from the page after the last one standing alone.
    int runStart = p;
    while (runStart > 1 && !StandsAlone(runStart - 1))
        --runStart;
    const int first = runStart + (p - runStart) / 2 * 2;
    const int last = first + 1 <= m_count && !StandsAlone(first + 1) ? first + 1 : first;
    return { first, last };
}

int SpreadPairing::NextPage(int p) const
{
    if (!Paired())
        return PageRules::NextPage(p, m_count, m_layout);
    const Range here = SpreadOf(p);
    if (here.last >= m_count)
        return m_count;
    return SpreadOf(here.last + 1).last;
}

int SpreadPairing::PrevPage(int p) const
{
    if (!Paired())
        return PageRules::PrevPage(p, m_count, m_layout);
    const Range here = SpreadOf(p);
    if (here.first <= 1)
        return 1;
    return SpreadOf(here.first - 1).last;
}

SpreadPairing::Shown SpreadPairing::ShownAt(int p, int bind) const
{
    if (!Paired() || p < 1 || p > m_count)
        return { ImageRules::PagesOf(p, m_layout, bind), m_layout };
    const bool right = bind == BIND_RIGHT;
    const Range range = SpreadOf(p);
    if (range.first != range.last)
        return { right ? ImageRules::Sides { range.last, range.first }
                       : ImageRules::Sides { range.first, range.last },
            m_layout };
    if (IsWide(p))
        return { { p, 0 }, LAYOUT_SINGLE };
    // The cover stands as the higher page of a pair, any other page left alone as the
    // lower one: each on its own side of the gap, as a printed book has it.
    const bool higher = m_layout == LAYOUT_SPREAD_COVER && p == 1;
    return { right == higher ? ImageRules::Sides { p, 0 } : ImageRules::Sides { 0, p }, m_layout };
}

QList<int> SpreadPairing::Columns(int p, int bind) const
{
    p = std::clamp(p, 1, std::max(m_count, 1));
    const Shown shown = ShownAt(p, bind);
    if (shown.layout == LAYOUT_SINGLE)
        return { p };
    const auto column = [this](int page) { return page >= 1 && page <= m_count ? page : 0; };
    return { column(shown.sides.left), column(shown.sides.right) };
}

bool SpreadPairing::Settled(int p) const
{
    if (!Paired())
        return true;
    if (!Known(p) || !Known(p + 1))
        return false;
    for (int q = p - 1; q >= 1; --q) {
        if (!Known(q))
            return false;
        if (StandsAlone(q))
            return true;
    }
    return true;
}
