#pragma once

#include "app/prompter.h"
#include "reports/reporttable.h"

#include <QWidget>
#include <functional>

class QTableWidget;
class QPainter;
class QPrinter;

// The report window: shows a report table (merged cells, styles, widths, heights, the frame rule
// of its title), prints it (texts only, with a preview from which the printer or a PDF file is
// chosen) and saves it as CSV. It computes nothing: a report builder fills the table.
class ReportWindow : public QWidget {
    Q_OBJECT
public:
    ReportWindow(Prompter& prompter, QWidget* parent = nullptr);

    // Shows a filled table (again: just the new content).
    void showTable(const ReportTable& table);
    const ReportTable& table() const { return m_table; }

    // Asks for the CSV file name; a test puts its own answer here.
    std::function<QString()> chooseCsvFile;

    void saveCsv();
    void print();
    // Lays the table out on the printer's pages: texts only, no lines.
    void paintPages(QPrinter* printer) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Prompter& m_prompter;
    ReportTable m_table;
    QTableWidget* m_grid;
    bool m_placed = false;
};
