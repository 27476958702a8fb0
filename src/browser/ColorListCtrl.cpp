#include "browser/ColorListCtrl.h"

#include "browser/IconStrip.h"
#include "browser/ListColours.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cstdlib>
#include <memory>

CColorListCtrl::CColorListCtrl(QWidget* parent)
    : QTreeView(parent)
{
    setModel(&m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setTabKeyNavigation(false);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The columns always fill the width; nothing is ever there to scroll sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_model.setRowHeight(GetItemHeight());

    connect(
        selectionModel(), &QItemSelectionModel::currentChanged, this, &CColorListCtrl::itemChanged);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &CColorListCtrl::itemChanged);
    connect(this, &QAbstractItemView::doubleClicked, this, &CColorListCtrl::itemDoubleClicked);
}

void CColorListCtrl::SetColumns(const QString& first, const QString& second)
{
    m_model.setColumnTitles(first, second);
    m_nColumns = 2;
}

void CColorListCtrl::SetStateImageList(const IconStrip* strip)
{
    m_pStrip = strip;
    viewport()->update();
}

void CColorListCtrl::SetPlaceholderText(const QString& text)
{
    m_strPlaceholder = text;
    viewport()->update();
}

int CColorListCtrl::InsertColoredItem(int index, const QString& text, int icon)
{
    return m_model.insertRow(index, text, icon);
}

void CColorListCtrl::SetItemText(int index, int column, const QString& text)
{
    m_model.setText(index, column, text);
}

void CColorListCtrl::SetItemIcon(int index, int icon)
{
    if (ColorListModel::Row* row = m_model.row(index); row && row->icon != icon) {
        row->icon = icon;
        m_model.rowChanged(index);
    }
}

void CColorListCtrl::SetItemTextColor(int index, const QColor& color)
{
    if (ColorListModel::Row* row = m_model.row(index)) {
        row->colors.m_crText = color;
        m_model.rowChanged(index);
    }
}

void CColorListCtrl::SetItemBkColor(int index, const QColor& color)
{
    if (ColorListModel::Row* row = m_model.row(index)) {
        row->colors.m_crBk = color;
        m_model.rowChanged(index);
    }
}

void CColorListCtrl::SetItemIndent(int index, int quarters)
{
    if (ColorListModel::Row* row = m_model.row(index)) {
        row->indent = std::max(quarters, 0);
        m_model.rowChanged(index);
    }
}

void CColorListCtrl::DeleteAllColoredItems()
{
    m_model.clear();
}

int CColorListCtrl::GetItemCount() const
{
    return m_model.rowCount();
}

QString CColorListCtrl::GetItemText(int index, int column) const
{
    const ColorListModel::Row* row = m_model.row(index);
    return row && column >= 0 && column < 2 ? row->texts[column] : QString();
}

int CColorListCtrl::GetItemIcon(int index) const
{
    const ColorListModel::Row* row = m_model.row(index);
    return row ? row->icon : -1;
}

int CColorListCtrl::GetSelectedIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    return first;
}

void CColorListCtrl::SelectItem(int index)
{
    const QModelIndex item = m_model.index(index, 0);
    if (!item.isValid())
        return;
    selectionModel()->setCurrentIndex(
        item, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CColorListCtrl::ClearSelection()
{
    if (selectionModel()->isSelected(currentIndex()))
        selectionModel()->clearCurrentIndex();
    selectionModel()->clearSelection();
}

void CColorListCtrl::EnsureVisible(int index)
{
    const QModelIndex item = m_model.index(index, 0);
    if (item.isValid())
        scrollTo(item, QAbstractItemView::EnsureVisible);
}

int CColorListCtrl::RowHeightFor(int fontHeight)
{
    return 2 + std::abs(fontHeight) * 5 / 4;
}

int CColorListCtrl::GetItemHeight() const
{
    const int pixelSize = font().pixelSize();
    return RowHeightFor(pixelSize > 0 ? pixelSize : fontMetrics().height());
}

QRect CColorListCtrl::GetRowBounds(int row) const
{
    const QRect item = visualRect(m_model.index(row, 0));
    if (!item.isValid())
        return {};
    return QRect(
        header()->sectionViewportPosition(0), item.top(), header()->length(), item.height());
}

QRect CColorListCtrl::GetCellRect(int row, int column, bool full) const
{
    QRect rect = GetRowBounds(row);
    if (rect.isNull())
        return rect;
    int left = rect.left();
    for (int c = 0; c < column; ++c)
        left += header()->sectionSize(c);
    rect = QRect(left, rect.top(), header()->sectionSize(column), rect.height());
    return full ? rect : rect.adjusted(1, 1, -1, -1);
}

void CColorListCtrl::drawRow(
    QPainter* painter, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    m_bDrawn = true;
    const int row = index.row();
    const ColorListModel::Row* data = m_model.row(row);
    if (!data)
        return;
    const bool selected = selectionModel()->isSelected(index);
    const bool focused = currentIndex().row() == row;
    painter->save();
    painter->setFont(font());
    if (selected) {
        // The selection stays in the active colours even while another window has the focus.
        const QRect bounds = GetRowBounds(row);
        painter->fillRect(bounds, palette().color(QPalette::Active, QPalette::Highlight));
        const QColor text = palette().color(QPalette::Active, QPalette::HighlightedText);
        if (focused) {
            QPen pen(text, 1, Qt::DotLine);
            painter->setPen(pen);
            painter->drawRect(bounds.adjusted(0, 0, -1, -1));
        }
        painter->setPen(text);
        for (int c = 0; c < m_nColumns; ++c) {
            QRect rect = GetCellRect(row, c, false);
            if (c == 0)
                DrawLead(painter, *data, rect);
            DrawText(painter, data->texts[c], rect, c);
        }
    } else {
        for (int c = 0; c < m_nColumns; ++c) {
            painter->fillRect(GetCellRect(row, c, true), data->colors.m_crBk);
            painter->setPen(data->colors.m_crText);
            QRect rect = GetCellRect(row, c, false);
            if (c == 0)
                DrawLead(painter, *data, rect);
            DrawText(painter, data->texts[c], rect, c);
        }
    }
    painter->restore();
}

void CColorListCtrl::paintEvent(QPaintEvent* e)
{
    QTreeView::paintEvent(e);
    if (m_strPlaceholder.isEmpty() || m_model.rowCount() > 0)
        return;
    // Where the first row's name would be.
    const int indent = 5 + (m_pStrip ? m_pStrip->size() * 5 / 4 : 0);
    const int top = (GetItemHeight() - fontMetrics().height()) / 2;
    const QRect area = viewport()->rect().adjusted(indent, top, -4, 0);
    QString text = m_strPlaceholder;
    if (fontMetrics().horizontalAdvance(QString(text).remove(QLatin1Char('\n'))) <= area.width())
        text.remove(QLatin1Char('\n'));
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(kListRowText);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
}

void CColorListCtrl::DrawLead(QPainter* painter, const ColorListModel::Row& row, QRect& rect) const
{
    const int pixelSize = font().pixelSize();
    const int height = pixelSize > 0 ? pixelSize : fontMetrics().height();
    rect.setLeft(rect.left() + row.indent * height / 4);
    if (m_pStrip)
        DrawIcon(painter, row.icon, rect);
}

void CColorListCtrl::DrawIcon(QPainter* painter, int icon, QRect& rect) const
{
    painter->drawPixmap(rect.left() + 2, rect.top(), m_pStrip->icon(icon));
    rect.setLeft(rect.left() + m_pStrip->size() * 5 / 4 + 4);
}

void CColorListCtrl::DrawText(
    QPainter* painter, const QString& text, const QRect& rect, int column) const
{
    if (rect.width() <= 0)
        return;
    const int align
        = Qt::AlignVCenter | Qt::TextSingleLine | (column == 0 ? Qt::AlignLeft : Qt::AlignRight);
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->drawText(
        rect, align, column == 0 ? ElidedName(text, painter->fontMetrics(), rect.width()) : text);
    painter->restore();
}

QString CColorListCtrl::ElidedName(const QString& name, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(name) <= width)
        return name;
    // An extension is a short tail after the last dot, not the whole name.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool extension = dot > 0 && name.size() - dot <= 6;
    const QString tail = extension ? name.mid(dot) : QString();
    const int room = width - metrics.horizontalAdvance(tail);
    if (room <= metrics.horizontalAdvance(QChar(0x2026)))
        return metrics.elidedText(name, Qt::ElideRight, width);
    return metrics.elidedText(name.left(extension ? dot : name.size()), Qt::ElideRight, room)
        + tail;
}

bool CColorListCtrl::event(QEvent* e)
{
    const bool isKey = e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease;
    if (isKey && parentWidget()) {
        // The window that owns the list decides about a key before the list moves.
        const std::unique_ptr<QKeyEvent> copy(static_cast<QKeyEvent*>(e)->clone());
        QCoreApplication::sendEvent(parentWidget(), copy.get());
    }
    const bool handled = QTreeView::event(e);
    if (isKey) {
        // The parent has already seen this key; never hand it up a second time.
        e->accept();
        return true;
    }
    return handled;
}

bool CColorListCtrl::focusNextPrevChild(bool)
{
    return false;
}

void CColorListCtrl::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange)
        m_model.setRowHeight(GetItemHeight());
    QTreeView::changeEvent(e);
}

void CColorListCtrl::focusInEvent(QFocusEvent* e)
{
    QTreeView::focusInEvent(e);
    RepaintSelection();
}

void CColorListCtrl::focusOutEvent(QFocusEvent* e)
{
    QTreeView::focusOutEvent(e);
    RepaintSelection();
}

void CColorListCtrl::RepaintSelection()
{
    viewport()->update(GetRowBounds(currentIndex().row()));
    for (const QModelIndex& index : selectionModel()->selectedRows())
        viewport()->update(GetRowBounds(index.row()));
}

void CColorListCtrl::wheelEvent(QWheelEvent* e)
{
    // Scrolling on its own would leave the selection out of sight, where Enter opens an
    // entry the reader cannot see; the parent pages the list as the keys do.
    if (QWidget* parent = parentWidget()) {
        QWheelEvent forwarded(parent->mapFromGlobal(e->globalPosition()), e->globalPosition(),
            e->pixelDelta(), e->angleDelta(), e->buttons(), e->modifiers(), e->phase(),
            e->inverted(), e->source());
        QCoreApplication::sendEvent(parent, &forwarded);
    }
    e->accept();
}

void CColorListCtrl::resizeEvent(QResizeEvent* e)
{
    QTreeView::resizeEvent(e);
    if (m_bDrawn)
        viewport()->update();
}
