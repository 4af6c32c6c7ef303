#include "reports/subscriberlist.h"

void fillSubscriberList(ReportTable& table, const ResultSet& list) {
    table.title = ReportTitle::List;
    table.clear();
    const int columns = int(list.columns.size());
    table.setSize(list.rowCount + 1, columns + 1);
    // the list's own widths, so that names and streets are read whole
    static const int widths[] = {60, 240, 120, 120, 60, 60, 60, 60, 60, 60};
    table.setColumnWidth(0, 40);
    for (int c = 0; c < std::min(columns, 10); ++c)
        table.setColumnWidth(c + 1, widths[c]);
    table.setText(0, 0, QStringLiteral("№ п/п"));
    for (int c = 0; c < columns; ++c)
        table.setText(c + 1, 0, list.columns[c]);
    for (int r = 0; r < list.rowCount; ++r) {
        table.setText(0, r + 1, QString::number(r + 1));
        for (int c = 0; c < columns; ++c)
            table.setText(c + 1, r + 1, list.at(r, c).toText());
    }
}
