#include "platform/Paths.h"
#include "view/InputRules.h"
#include "view/TalvexView.h"

bool CTalvexView::GridShown() const
{
    return !m_pageGrid.isHidden();
}

void CTalvexView::ShowPageGrid()
{
    if (!m_bContent || GridShown() || OutlineShown() || m_book.nPageCount < 1)
        return;
    const SpreadPairing::Range spread = Pairing(m_book).SpreadOf(m_book.nPage);
    QList<int> reading;
    for (int page = spread.first; page <= spread.last; ++page)
        reading.append(page);
    LayoutPageGrid();
    const BookReader* reader = m_pReader;
    const ThumbMakers::Disk disk { m_thumbFiles, m_strCacheHome };
    m_pageGrid.Open(m_book.nPageCount, m_book.nPage, reading,
        InputRules::LeftIsNext(m_book.SpreadBinding()),
        Paths::ForDisplay(Paths::FileNamePart(m_book.strPath)),
        [reader, disk](int side) { return reader->PagePictures(side, disk); });
}

void CTalvexView::LayoutPageGrid()
{
    m_pageGrid.Layout(m_fonts, SizeIndex());
    m_pageGrid.setGeometry(rect());
}

void CTalvexView::ClosePageGrid()
{
    if (m_pageGrid.isHidden())
        return;
    m_pageGrid.Close();
    setFocus();
}

void CTalvexView::OpenGridPage(int page)
{
    ClosePageGrid();
    JumpToPage(page);
}
