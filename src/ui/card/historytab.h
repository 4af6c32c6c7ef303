#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "reports/history.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QMenu;
class QTableWidget;

// The card's tab "История расчетов": the subscriber's year month by month over the ticked
// services, the year arrows, the refresh and print buttons, and the documents behind a month.
class HistoryTab : public QWidget {
    Q_OBJECT
public:
    HistoryTab(AppContext& app, Prompter& prompter, QWidget* parent = nullptr);

    // On every show of the card: the current period's year, an empty table, nothing ticked.
    void prepare();
    // The tab opened: the history is computed the first time after prepare().
    void visited();
    void showYear(int year);
    int year() const { return m_year; }
    const ReportTable& table() const { return m_table; }
    QTableWidget* grid() const { return m_grid; }
    QMenu* documentsMenu() const { return m_menu; }
    // The documents behind the selected month fill the menu.
    void monthSelected(int row);

signals:
    void documentRequested(int docId);
    void printRequested();

private:
    void refresh();

    AppContext& m_app;
    Prompter& m_prompter;
    QLabel* m_yearLabel;
    QTableWidget* m_grid;
    QWidget* m_checkList;
    std::vector<QCheckBox*> m_checks;
    QMenu* m_menu;
    History m_history;
    ReportTable m_table;
    int m_year = 0;
    bool m_computed = false;
};
