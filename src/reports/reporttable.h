#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// A free-form table of text cells that a report builder fills and the report window shows,
// prints and saves. Cells are addressed (column, row) from 0; there are no header rows: a
// report writes and styles its own. The title is the report's kind and picks its frame rule.
class ReportTable {
public:
    enum Style { Plain = 0, Bold = 1, Underline = 2 };
    struct Cell {
        QString text;
        int style = Plain;
        bool centred = false;
        bool wordWrap = false;
    };
    struct Merge {
        int column, row, columns, rows;
    };

    QString title;

    // Removes every cell text, style and merged range; the size stays.
    void clear();
    void setSize(int rows, int columns);
    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }

    // 0 or less: the default
    void setColumnWidth(int column, int width);
    int columnWidth(int column) const;
    void setRowHeight(int row, int height);
    int rowHeight(int row) const;

    void merge(int column, int row, int columns, int rows);
    const std::vector<Merge>& merges() const { return m_merges; }

    // Writes outside the table are ignored; reads outside it give an empty cell.
    void setText(int column, int row, const QString& text);
    // The texts of a row from its first column on.
    void setRow(int row, const QStringList& texts);
    QString text(int column, int row) const { return cell(column, row).text; }
    void setStyle(int column, int row, int style);
    void setCentred(int column, int row);
    void setWordWrap(int column, int row);
    const Cell& cell(int column, int row) const;

    // The table as a CSV file: Windows-1251, rows ended by CR LF, cells separated by commas;
    // a cell holding a comma, a quote or a line break is quoted, its quotes doubled and each
    // line break written as 0x0B.
    QByteArray toCsv() const;

private:
    Cell* at(int column, int row);

    int m_rows = 0, m_columns = 0;
    std::vector<Cell> m_cells; // row after row
    std::vector<int> m_widths, m_heights;
    std::vector<Merge> m_merges;
};

// Which edges of a cell the report window draws, by the table's title.
struct CellFrame {
    enum Edge { None = 0, Top = 1, Left = 2, Right = 4, Bottom = 8 };
    int edges = None;
    bool black = false; // false: the grid's own line colour (white)
};

namespace ReportTitle {
inline const QString Report = QStringLiteral("Отчет");
inline const QString History = QStringLiteral("История");
inline const QString List = QStringLiteral("Перечень");
} // namespace ReportTitle

CellFrame reportCellFrame(const QString& title, int row, int column);
