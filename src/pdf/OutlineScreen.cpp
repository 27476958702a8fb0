#include "pdf/OutlineScreen.h"

#include "browser/ListColours.h"
#include "browser/ListGeometry.h"
#include "browser/ListHeader.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QWheelEvent>

namespace
{
const QColor kOutlineLabel(111, 192, 160);
// Deeper entries are indented no further, so their titles stay in sight.
constexpr int kMaxIndent = 6;
} // namespace

COutlineScreen::COutlineScreen(QWidget* parent)
    : QWidget(parent)
    , m_list(this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette palette = m_list.palette();
    palette.setColor(QPalette::Base, kListBackground);
    m_list.setPalette(palette);
    m_list.SetColumns(QStringLiteral("Title"), QStringLiteral("Page"));
    connect(&m_list, &CColorListCtrl::itemDoubleClicked, this, &COutlineScreen::entryChosen);
    hide();
}

void COutlineScreen::Fill(const QList<OutlineEntry>& entries, int page, const QString& bookName)
{
    m_strBookName = bookName;
    m_list.DeleteAllColoredItems();
    m_pages.clear();
    for (int row = 0; row < entries.size(); ++row) {
        const OutlineEntry& entry = entries[row];
        m_list.InsertColoredItem(row, entry.title, 0);
        // A quarter of the type's height off the edge, and a whole height more per level.
        m_list.SetItemIndent(row, 1 + 4 * std::min(entry.depth, kMaxIndent));
        m_list.SetItemTextColor(row, kListRowText);
        m_list.SetItemBkColor(row, kListBackground);
        m_list.SetItemText(row, 1, entry.page > 0 ? QString::number(entry.page) : QString());
        m_pages.append(entry.page);
    }
    const int selected = PdfOutline::EntryHolding(entries, page);
    if (selected >= 0)
        m_list.SelectItem(selected);
    update();
}

void COutlineScreen::Layout(const QFont* fonts, int sizeIndex)
{
    m_pFonts = fonts;
    m_nSizeIndex = sizeIndex;
    const SizeGeometry g = ListGeometry::ForIndex(sizeIndex);
    if (m_list.font().pixelSize() != fonts[g.listFont].pixelSize()) {
        m_list.setFont(fonts[g.listFont]);
        m_list.header()->setFont(fonts[g.headerFont]);
    }
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_list);
    const ColumnWidths widths = ListGeometry::Columns(width(), scrollBar, sizeIndex);
    m_list.setGeometry(0, g.listTop, width(), std::max(height() - g.listTop, 0));
    m_list.setColumnWidth(0, widths.name);
    m_list.setColumnWidth(1, widths.size);
    const int selected = m_list.GetSelectedIndex();
    if (selected >= 0)
        m_list.EnsureVisible(selected);
    update();
}

int COutlineScreen::SelectedPage() const
{
    const int row = m_list.GetSelectedIndex();
    return row >= 0 && row < m_pages.size() ? m_pages[row] : 0;
}

void COutlineScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_pFonts)
        DrawListHeader(painter, m_pFonts, m_nSizeIndex, width(), kOutlineLabel,
            QStringLiteral("Contents"), m_strBookName);
}

void COutlineScreen::showEvent(QShowEvent*)
{
    // The entry of the page being read comes up in the middle, with what is around it.
    const int selected = m_list.GetSelectedIndex();
    if (selected >= 0)
        m_list.scrollTo(m_list.model()->index(selected, 0), QAbstractItemView::PositionAtCenter);
}

void COutlineScreen::wheelEvent(QWheelEvent* e)
{
    // The list hands its wheel turns here; the owner pages the list as it does its own.
    if (e->angleDelta().y() != 0)
        emit wheelTurned(e->angleDelta().y());
    e->accept();
}
