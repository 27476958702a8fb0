#pragma once

#include "browser/MyLParam.h"

#include <QAbstractTableModel>

#include <vector>

// The rows of a colour list: two texts, an icon number and the row's colours.
class ColorListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Row {
        QString texts[2];
        int icon = 0;
        int indent = 0; // how far the name is moved in, in quarters of the type's height
        CMyLParam colors;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int insertRow(int index, const QString& text, int icon);
    void clear();
    Row* row(int index);
    const Row* row(int index) const;
    void setText(int index, int column, const QString& text);
    // Asks the views to redraw a row; cheap while a refill is still pending layout.
    void rowChanged(int index);
    void setColumnTitles(const QString& first, const QString& second);
    void setRowHeight(int height) { m_nRowHeight = height; }

private:
    std::vector<Row> m_rows;
    QString m_titles[2];
    int m_nRowHeight = 0;
};
