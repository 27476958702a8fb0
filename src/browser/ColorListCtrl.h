#pragma once

#include "browser/ColorListModel.h"

#include <QTreeView>

class IconStrip;

// The list of both list screens: rows of large type drawn in their own colours, an
// icon before the name and a right-aligned second column. Every key reaches the
// parent window before the list reacts to it, and Tab never moves the focus. The wheel
// goes to the parent window alone.
class CColorListCtrl : public QTreeView
{
    Q_OBJECT
public:
    explicit CColorListCtrl(QWidget* parent = nullptr);

    void SetColumns(const QString& first, const QString& second);
    void SetStateImageList(const IconStrip* strip);
    // A line shown where the rows would be while there are none. Too long for the
    // width, it breaks at its "\n" first.
    void SetPlaceholderText(const QString& text);
    const IconStrip* GetStateImageList() const { return m_pStrip; }

    int InsertColoredItem(int index, const QString& text, int icon);
    void SetItemText(int index, int column, const QString& text);
    void SetItemIcon(int index, int icon);
    void SetItemTextColor(int index, const QColor& color);
    void SetItemBkColor(int index, const QColor& color);
    // Moves the name in by quarters of the type's height.
    void SetItemIndent(int index, int quarters);
    void DeleteAllColoredItems();
    int GetItemCount() const;
    QString GetItemText(int index, int column) const;
    int GetItemIcon(int index) const;
    int GetSelectedIndex() const;
    void SelectItem(int index);
    void ClearSelection();
    void EnsureVisible(int index);
    int GetItemHeight() const;
    static int RowHeightFor(int fontHeight);
    // A name too long for width, cut at its end with "…", its extension kept in sight
    // ("第12巻 長いタイトル….cbz").
    static QString ElidedName(const QString& name, const QFontMetrics& metrics, int width);
    // The cell of a row in viewport coordinates; shrunk by one pixel on each side
    // unless full is set.
    QRect GetCellRect(int row, int column, bool full) const;
    // The whole row across all columns, in viewport coordinates.
    QRect GetRowBounds(int row) const;

    bool drawn() const { return m_bDrawn; }

signals:
    void itemChanged();
    void itemDoubleClicked();

protected:
    bool event(QEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    // The indent and the icon before a name; rect keeps what is left for the text.
    void DrawLead(QPainter* painter, const ColorListModel::Row& row, QRect& rect) const;
    void DrawIcon(QPainter* painter, int icon, QRect& rect) const;
    void DrawText(QPainter* painter, const QString& text, const QRect& rect, int column) const;
    void RepaintSelection();

    ColorListModel m_model;
    const IconStrip* m_pStrip = nullptr;
    int m_nColumns = -1;
    QString m_strPlaceholder;
    mutable bool m_bDrawn = false;
};
