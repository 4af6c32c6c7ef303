#include "ui/common/resultsetmodel.h"

#include "app/clients.h"

void ResultSetModel::setRows(ResultSet rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ResultSetModel::appendRows(const ResultSet& more) {
    if (more.rowCount == 0)
        return;
    beginInsertRows({}, m_rows.rowCount, m_rows.rowCount + more.rowCount - 1);
    m_rows.appendRows(more);
    endInsertRows();
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

void ResultSetModel::colourExcludedRows(const int* enabled) {
    setRowColour([enabled](const ResultSet& rows, int row) {
        const int tipz = rows.columnIndex(QLatin1StringView("TIPZ"));
        if ((enabled && *enabled != 1) || tipz < 0 ||
            !Clients::isExcluded(rows.at(row, tipz).toText()))
            return QColor();
        const auto c = Clients::ExcludedRowColour;
        return QColor(c.red, c.green, c.blue);
    });
}
