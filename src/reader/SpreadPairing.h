#pragma once

#include "images/ImageRules.h"
#include "images/PageShape.h"

#include <QList>

// How the pages of a book pair into spreads, free of any widget. Without shapes it is
// the usual pairing (PageRules, ImageRules::PagesOf). With the shapes of the pages, a
// wide page stands alone in either spread layout and is drawn across both halves, and
// the pairing starts again with the page after it; so does the page before it, when
// it is left without a partner. Pages count from 1.
class SpreadPairing
{
public:
    SpreadPairing(int layout, int count, PageShapes shapes = {});

    // The lower and the higher page of the spread that holds p; equal when it is alone.
    struct Range {
        int first = 0;
        int last = 0;
        bool operator==(const Range&) const = default;
    };
    Range SpreadOf(int p) const;
    int SpreadStart(int p) const { return SpreadOf(p).first; }
    // Where next and previous go: the higher page of the spread after or before, or the
    // last or first page from the spread at the end.
    int NextPage(int p) const;
    int PrevPage(int p) const;

    // The pages the spread holding p shows on each side, and the layout it is drawn in:
    // a wide page alone is drawn as a single page.
    struct Shown {
        ImageRules::Sides sides;
        int layout = 0;
        bool operator==(const Shown&) const = default;
    };
    Shown ShownAt(int p, int bind) const;
    // The pages of the spread holding p (p kept within the book) from left to right, as
    // columns: one column for a page shown alone across the whole width, else two, 0
    // for an empty one at the start or end of the book.
    QList<int> Columns(int p, int bind) const;
    // Whether the spread of p stays as it is whatever the shapes not known yet are.
    bool Settled(int p) const;

private:
    bool Paired() const;
    bool Known(int p) const;
    bool IsWide(int p) const;
    bool StandsAlone(int p) const;

    int m_layout;
    int m_count;
    PageShapes m_shapes;
};
