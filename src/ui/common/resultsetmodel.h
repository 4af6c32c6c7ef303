#pragma once

#include "db/backend.h"

#include <QAbstractTableModel>
#include <QColor>
#include <functional>

// A read-only table over the rows of a statement, with the columns' names as captions. A row
// may be painted on a background colour chosen at paint time.
class ResultSetModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(ResultSet rows);
    // More rows of the same columns, after the ones shown.
    void appendRows(const ResultSet& more);
    const ResultSet& rows() const { return m_rows; }
    // Asked for every painted row; an invalid colour paints it the standard way.
    void setRowColour(std::function<QColor(const ResultSet&, int row)> colour) {
        m_colour = std::move(colour);
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows whose TIPZ column (found by name) marks an excluded subscriber or holder, in the
    // office's colour; only while *enabled says so (null: always).
    void colourExcludedRows(const int* enabled = nullptr);

private:
    ResultSet m_rows;
    std::function<QColor(const ResultSet&, int)> m_colour;
};
