#pragma once

#include "browser/BookRecord.h"
#include "images/PageShape.h"

#include <QString>

// What the page indicator says, free of any widget: the pages in sight by the rules
// that lay them out (the image book's spreads, the PDF control's), and the names of
// the layout, binding and magnified region as the menus give them.
namespace IndicatorRules
{

struct Text {
    // The book's name: a PDF's file name, an image book's folder name. Only at opening.
    QString title;
    // "12-13 / 397", or "12 / 397" for a page alone.
    QString pages;
    // "表紙あり見開き・右綴じ・２倍 - 上段左": the binding only for spreads, the region
    // only under the magnifier.
    QString mode;
    bool operator==(const Text&) const = default;
};

// shapes: those of an image book's pages, when wide pages stand alone.
Text Compose(const BookRecord& book, bool opening, const PageShapes& shapes = {});

} // namespace IndicatorRules
