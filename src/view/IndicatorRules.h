#pragma once

#include "browser/BookRecord.h"
#include "reader/SpreadPairing.h"

#include <QString>

// What the page indicator says, free of any widget: the pages in sight by the rules
// that lay them out (the image book's spreads, the PDF control's), and the names of
// the layout, binding and magnified region as the menus give them.
namespace IndicatorRules
{

// When the plate shows, as the setting "PageIndicator" stores it: for a moment after
// each change, never (though a notice and the reader's own asking still show it), or
// always (the pages line stays in sight once the moment has passed).
enum Shown { SHOWN_NEVER = 0, SHOWN_MOMENT = 1, SHOWN_ALWAYS = 2 };
// Stored values other than these read as the moment, as any non-zero value used to.
Shown ShownFrom(int stored);

struct Text {
    // The book's name: a PDF's file name, an image book's folder name. Only at opening.
    QString title;
    // "12-13 / 397", or "12 / 397" for a page alone.
    QString pages;
    // "表紙あり見開き・右綴じ・２倍 - 上段左": the binding only for spreads, the region
    // only under the magnifier, "余白カット" while the borders are cut.
    QString mode;
    // A word in amber: at opening, how far a book cut short reads ("100 / 200 ページまで
    // 読めます"); or the answer to a key with nothing to show ("目次がありません").
    QString notice;
    // Only at opening, for a book opened where it was left ("前回の続き: 50 / 64").
    QString resumed;
    bool operator==(const Text&) const = default;
};

// pairing: the book's, as its reader pairs the pages. readable: the pages from the first
// that can be read of a book cut short (a download that did not finish), or -1 for a
// whole book. resumed: the book opened at its last place. longStrip: the book's pages are long
// strips, scrolled through in one column when fitted to the width.
Text Compose(const BookRecord& book, bool opening, const SpreadPairing& pairing, int readable = -1,
    bool resumed = false, bool longStrip = false);

} // namespace IndicatorRules
