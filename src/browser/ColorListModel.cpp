#include "browser/ColorListModel.h"

#include <QSize>

int ColorListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ColorListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ColorListModel::data(const QModelIndex& index, int role) const
{
    const Row* r = row(index.row());
    if (!r || index.column() < 0 || index.column() > 1)
        return {};
    if (role == Qt::DisplayRole)
        return r->texts[index.column()];
    if (role == Qt::SizeHintRole)
        return QSize(-1, m_nRowHeight);
    return {};
}

QVariant ColorListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 2)
        return m_titles[section];
    return {};
}

int ColorListModel::insertRow(int index, const QString& text, int icon)
{
    if (index < 0 || index > rowCount())
        return -1;
    beginInsertRows({}, index, index);
    Row r;
    r.texts[0] = text;
    r.icon = icon;
    m_rows.insert(m_rows.begin() + index, std::move(r));
    endInsertRows();
    return index;
}

void ColorListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

ColorListModel::Row* ColorListModel::row(int index)
{
    return index >= 0 && index < rowCount() ? &m_rows[size_t(index)] : nullptr;
}

const ColorListModel::Row* ColorListModel::row(int index) const
{
    return index >= 0 && index < rowCount() ? &m_rows[size_t(index)] : nullptr;
}

void ColorListModel::setText(int index, int column, const QString& text)
{
    Row* r = row(index);
    if (!r || column < 0 || column > 1)
        return;
    r->texts[column] = text;
    emit dataChanged(this->index(index, column), this->index(index, column));
}

void ColorListModel::rowChanged(int index)
{
    emit dataChanged(this->index(index, 0), this->index(index, 1));
}

void ColorListModel::setColumnTitles(const QString& first, const QString& second)
{
    m_titles[0] = first;
    m_titles[1] = second;
    emit headerDataChanged(Qt::Horizontal, 0, 1);
}
