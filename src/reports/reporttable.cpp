#include "reports/reporttable.h"

#include "common/cp1251.h"

void ReportTable::clear() {
    for (Cell& c : m_cells)
        c = Cell{};
    m_merges.clear();
}

void ReportTable::setSize(int rows, int columns) {
    rows = std::max(rows, 0);
    columns = std::max(columns, 0);
    std::vector<Cell> cells(size_t(rows) * size_t(columns));
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        for (int c = 0; c < std::min(columns, m_columns); ++c)
            cells[size_t(r) * size_t(columns) + size_t(c)] = std::move(*at(c, r));
    m_cells = std::move(cells);
    m_rows = rows;
    m_columns = columns;
    m_widths.resize(size_t(columns), 0);
    m_heights.resize(size_t(rows), 0);
}

void ReportTable::setColumnWidth(int column, int width) {
    if (column >= 0 && column < m_columns)
        m_widths[size_t(column)] = width;
}
int ReportTable::columnWidth(int column) const {
    return column >= 0 && column < m_columns ? m_widths[size_t(column)] : 0;
}
void ReportTable::setRowHeight(int row, int height) {
    if (row >= 0 && row < m_rows)
        m_heights[size_t(row)] = height;
}
int ReportTable::rowHeight(int row) const {
    return row >= 0 && row < m_rows ? m_heights[size_t(row)] : 0;
}

void ReportTable::merge(int column, int row, int columns, int rows) {
    if (columns > 0 && rows > 0)
        m_merges.push_back({column, row, columns, rows});
}

ReportTable::Cell* ReportTable::at(int column, int row) {
    if (column < 0 || row < 0 || column >= m_columns || row >= m_rows)
        return nullptr;
    return &m_cells[size_t(row) * size_t(m_columns) + size_t(column)];
}

const ReportTable::Cell& ReportTable::cell(int column, int row) const {
    static const Cell empty;
    const Cell* c = const_cast<ReportTable*>(this)->at(column, row);
    return c ? *c : empty;
}

void ReportTable::setRow(int row, const QStringList& texts) {
    for (int c = 0; c < texts.size(); ++c)
        setText(c, row, texts[c]);
}

void ReportTable::setText(int column, int row, const QString& text) {
    if (Cell* c = at(column, row))
        c->text = text;
}
void ReportTable::setStyle(int column, int row, int style) {
    if (Cell* c = at(column, row))
        c->style = style;
}
void ReportTable::setCentred(int column, int row) {
    if (Cell* c = at(column, row))
        c->centred = true;
}
void ReportTable::setWordWrap(int column, int row) {
    if (Cell* c = at(column, row))
        c->wordWrap = true;
}

QByteArray ReportTable::toCsv() const {
    QString out;
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c) {
            if (c > 0)
                out += u',';
            QString t = text(c, r);
            const bool lineBreak = t.contains(u'\n') || t.contains(u'\r');
            if (t.contains(u',') || t.contains(u'"') || lineBreak) {
                t.replace(u'"', QStringLiteral("\"\""));
                t.replace(QStringLiteral("\r\n"), QStringLiteral("\x0B"));
                t.replace(u'\n', u'\x0B');
                t.replace(u'\r', u'\x0B');
                out += u'"' + t + u'"';
            } else {
                out += t;
            }
        }
        out += QStringLiteral("\r\n");
    }
    return Cp1251::encode(out);
}

CellFrame reportCellFrame(const QString& title, int row, int column) {
    using E = CellFrame::Edge;
    if (title == ReportTitle::Report) {
        if (row == 0)
            return {E::Right | E::Bottom, false};
        if (row == 1)
            return {E::Bottom, true};
        return {E::Right | E::Bottom, true};
    }
    if (title == ReportTitle::History) {
        if (row < 8 || (row == 8 && column == 0))
            return {};
        if (row == 8)
            return {E::Bottom, true};
        if (column == 0)
            return {E::Right, true};
        return {E::Right | E::Bottom, true};
    }
    return {};
}
