#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"

#include <QWidget>

class DocumentWindow;
class QLineEdit;
class QMenu;
class QTabBar;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class ResultSetModel;

// The document journal (TForm3): the tree of document dates, the type tabs and the list of
// documents; new, delete and open commands, and the receipt search.
class JournalWindow : public QWidget {
    Q_OBJECT
public:
    JournalWindow(AppContext& app, Prompter& prompter, DocumentWindow& documents,
                  QWidget* parent = nullptr);

    // Opening: the tree rebuilt, the list on the current month (or everything).
    void open();
    // The selected document in the document window ("Исправить выбранный документ").
    void openCurrent();
    void deleteCurrent();
    void searchReceipt();
    // "Ввести новый документ"'s menu.
    QMenu* newMenu() const { return m_newMenu; }
    QTreeWidget* tree() const { return m_tree; }
    QTableView* list() const { return m_list; }
    QTabBar* tabs() const { return m_tabs; }
    // IDDOK of the list's current row, 0 when none.
    int currentDocId() const;

private:
    void applyFilter();
    void newDocument(int type);
    bool documentWindowBusy();

    AppContext& m_app;
    Prompter& m_prompter;
    DocumentWindow& m_documents;
    QTreeWidget* m_tree;
    QTabBar* m_tabs;
    QTableView* m_list;
    ResultSetModel* m_model;
    QLineEdit* m_search;
    QMenu* m_newMenu;
    bool m_placed = false;
};
