#include "reader/PageRules.h"

#include <algorithm>

namespace PageRules
{

namespace
{
    // In spreads the page moved to is odd in layout 2 and even in layout 3.
    int Align(int c, int layout)
    {
        const bool odd = c % 2 != 0;
        if ((layout == 2 && !odd) || (layout == 3 && odd))
            return c + 1;
        return c;
    }
} // namespace

int SpreadStart(int p, int layout)
{
    if (layout == 2)
        return p % 2 != 0 && p > 2 ? p - 1 : p;
    if (layout == 3)
        return p % 2 == 0 ? p - 1 : p;
    return p;
}

int NextPage(int p, int count, int layout)
{
    return std::min(Align(layout == 1 ? p + 1 : p + 2, layout), count);
}

int PrevPage(int p, int, int layout)
{
    return std::max(Align(layout == 1 ? p - 1 : p - 2, layout), 1);
}

} // namespace PageRules
