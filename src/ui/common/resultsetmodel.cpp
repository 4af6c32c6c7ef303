#include "ui/common/resultsetmodel.h"

void ResultSetModel::setRows(ResultSet rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int ResultSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.rowCount;
}

int ResultSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.columns.size());
}

QVariant ResultSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.rowCount)
        return {};
    if (role == Qt::DisplayRole)
        return m_rows.at(index.row(), index.column()).toText();
    if (role == Qt::BackgroundRole && m_colour) {
        const QColor c = m_colour(m_rows, index.row());
        if (c.isValid())
            return c;
    }
    return {};
}

QVariant ResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_rows.columns.size() ? m_rows.columns[section] : QString();
    return QString();
}
