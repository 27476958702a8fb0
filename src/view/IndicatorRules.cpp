#include "view/IndicatorRules.h"

#include "browser/BrowserRules.h"
#include "platform/Paths.h"
#include "reader/SpreadPairing.h"
#include "view/CommandIds.h"
#include "view/ContextMenus.h"
#include "view/InputRules.h"

#include <QStringList>

#include <algorithm>

namespace IndicatorRules
{

Shown ShownFrom(int stored)
{
    return stored == SHOWN_NEVER ? SHOWN_NEVER
        : stored == SHOWN_ALWAYS ? SHOWN_ALWAYS
                                 : SHOWN_MOMENT;
}

namespace
{
    QList<int> PagesInSight(const BookRecord& book, const SpreadPairing& pairing)
    {
        const ImageRules::Sides sides = pairing.ShownAt(book.nPage, book.SpreadBinding()).sides;
        QList<int> pages { sides.left, sides.right };
        // The pairing leaves a side empty, or past the end of the book, at its ends.
        pages.removeIf([&book](int page) { return page < 1 || page > book.nPageCount; });
        std::sort(pages.begin(), pages.end());
        return pages;
    }

    int LayoutCommand(int layout)
    {
        switch (layout) {
        case LAYOUT_SINGLE:
            return ID_LAYOUT_SINGLE;
        case LAYOUT_SPREAD_COVER:
            return ID_LAYOUT_SPREAD_COVER;
        case LAYOUT_SPREAD_NOCOVER:
            return ID_LAYOUT_SPREAD_NOCOVER;
        default:
            return 0;
        }
    }

    // The zoom command of a region, found through the keys that choose it.
    int ZoomCommand(int zoom)
    {
        for (int digit = 0; digit <= 9; ++digit) {
            const int id = InputRules::ZoomCommandForDigit(digit);
            if (InputRules::ZoomOfCommand(id) == zoom)
                return id;
        }
        return 0;
    }
} // namespace

Text Compose(const BookRecord& book, bool opening, const SpreadPairing& pairing, int readable,
    bool resumed, bool longStrip)
{
    Text text;
    if (opening && resumed) {
        text.resumed = QStringLiteral("前回の続き: %1 / %2").arg(book.nPage).arg(book.nPageCount);
    }
    if (opening && readable >= 0) {
        // Past the last page listed there may be more that cannot be counted.
        text.notice = readable < book.nPageCount
            ? QStringLiteral("%1 / %2 ページまで読めます").arg(readable).arg(book.nPageCount)
            : QStringLiteral("%1 ページまで読めます").arg(readable);
    }
    if (opening) {
        // A folder book is named by its folder; a PDF and an archive by their files.
        const QString named = BrowserRules::KindOf(book) == BrowserRules::BookKind::Folder
            ? Paths::FolderPart(book.strPath)
            : book.strPath;
        text.title = Paths::ForDisplay(Paths::FileNamePart(named));
    }
    const QList<int> pages = PagesInSight(book, pairing);
    const QString count = QString::number(book.nPageCount);
    if (pages.size() == 2)
        text.pages = QStringLiteral("%1-%2 / %3").arg(pages[0]).arg(pages[1]).arg(count);
    else
        text.pages = QStringLiteral("%1 / %2").arg(pages.value(0, book.nPage)).arg(count);

    QStringList mode;
    // A long strip is one column whatever its layout says.
    if (book.bFitWidth && longStrip) {
        mode << QStringLiteral("縦スクロール (隙間なし)");
    } else {
        mode << ContextMenus::ItemText(LayoutCommand(book.nLayout));
        if (book.bFitWidth)
            mode << ContextMenus::ItemText(ID_FIT_WIDTH);
    }
    if (book.nLayout != LAYOUT_SINGLE && !(book.bFitWidth && longStrip)) {
        mode << ContextMenus::ItemText(
            book.SpreadBinding() == BIND_RIGHT ? ID_BIND_RIGHT : ID_BIND_LEFT);
    }
    if (book.nZoom != 0)
        mode << ContextMenus::ItemText(ZoomCommand(book.nZoom));
    if (book.bCrop)
        mode << ContextMenus::ItemText(ID_CROP_BORDERS);
    mode.removeAll(QString());
    text.mode = mode.join(QStringLiteral("・"));
    return text;
}

} // namespace IndicatorRules
