#pragma once

#include "app/appcontext.h"
#include "app/login.h"
#include "app/prompter.h"
#include "app/startup.h"
#include "db/query.h"
#include "ui/documents/documentwindow.h"
#include "ui/main/massprocessingpanel.h"

#include <QHash>
#include <QMainWindow>
#include <memory>

class JournalWindow;
class ReportParamsWindow;
class QHeaderView;
class QProgressBar;
class QLabel;
class QMenu;
class QStandardItemModel;
class QTableView;
class CardWindow;
class MassProcessingPanel;
class MultiPanelWindow;
class ReportWindow;
class ResultSetModel;

// The main window: the frame (caption, period and user panels, the banner), the login on the
// first show, the menus and tool bar, and the list of the selected subscribers with its header
// bar (sort, hide a column, restore) and printing.
class MainWindow : public QMainWindow, public SelectionTarget, public SelectedClients {
    Q_OBJECT
public:
    MainWindow(AppContext& app, Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    void setWindows(CardWindow* card, DocumentWindow* documents, MultiPanelWindow* multiPanel,
                    ReportWindow* report);
    void setJournal(JournalWindow* journal) { m_journal = journal; }
    void setReportParams(ReportParamsWindow* params) { m_reportParams = params; }
    // "Произвести архивацию" with its question; false when the archive failed (the failure was
    // shown).
    bool archiveCommand();
    // "Переход на новый месяц" (F12).
    void monthTransition();
    QProgressBar* progressBar() const { return m_progress; }

    // Shows what the start-up sequence left: the caption, the period's panel, the menus.
    void startupDone(StartupOutcome outcome);
    StartupOutcome startupOutcome() const { return m_startup; }

    // The subscribers of the selection, from IterationSet (SelectedClients).
    std::vector<int> selectedClientIds() override;

    // The selection's list: counts in the caption, the list filled (SelectionTarget).
    bool showSelection(const SelectionStatement& selection) override;

    // Lays out the grid and the header bar after the list was (re)opened.
    void ZapolnTabl();
    // Disables the commands of a rights level.
    void Interfac(int level);

    // The width the list gives column i (without the grid line), as the header bar sets it.
    int listColumnWidth(int column) const;
    QHeaderView* headerBar() const { return m_headerBar; }
    QTableView* listGrid() const { return m_grid; }
    const ResultSet& listRows() const;
    // IterationSet, read when first needed and standing on the current subscriber.
    Query* iterationSet();
    QMenu* headerMenu() const { return m_headerMenu; }
    QLabel* banner() const { return m_banner; }

    // Header bar commands for section k (the popup's "Сортировка" and "Скрыть столбец").
    void headerSectionClicked(int section);
    void sortBySection();
    void hideSection();
    void printList();
    // "Добавить", "Удалить", "Общая обработка".
    void addClient();
    void deleteClient();
    void startMassProcessing();
    MassProcessingPanel* massPanel() const { return m_mass; }
    // Reopens the list and IterationSet with their statements, on the same row.
    void reopenList();
    // Reads the rest of a long list at once (printing, a row beyond the read ones).
    void finishList();
    // Registers the actions a rights level may disable (the commands of later windows too).
    void addRightsAction(Login::Command command, QAction* action);

signals:
    void programEnded();
    // Enter or a double click on a listed subscriber.
    void openCardRequested(int clientId);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void startLogin();
    void afterPassword();
    void centreBanner();
    void takeCurrentRow();
    void openCard();
    void setCurrentRow(int row);
    void writeJournal(const QString& action);
    // The list is gone until the next selection (its balances changed under it).
    void hideList();
    // Opens a list statement: its first screen at once, the rest read on from the event loop.
    bool loadList(const QString& sql);
    void readOn();

    AppContext& m_app;
    Prompter& m_prompter;
    StartupOutcome m_startup = StartupOutcome::Failed;
    CardWindow* m_card = nullptr;
    DocumentWindow* m_documents = nullptr;
    MassProcessingPanel* m_mass = nullptr;
    MultiPanelWindow* m_multiPanel = nullptr;
    ReportWindow* m_report = nullptr;
    JournalWindow* m_journal = nullptr;
    ReportParamsWindow* m_reportParams = nullptr;
    QList<QMenu*> m_mainMenus;
    QAction* m_exitAction = nullptr;

    QLabel* m_banner;
    QLabel* m_periodPanel = nullptr;
    QLabel* m_userPanel = nullptr;
    QHeaderView* m_headerBar;
    QStandardItemModel* m_headerModel;
    QTableView* m_grid;
    ResultSetModel* m_listModel;
    QMenu* m_headerMenu;
    QProgressBar* m_progress;
    std::unique_ptr<Query> m_iterationSet; // IterationSet: every column of the listed subscribers
    bool m_listOpen = false;
    std::unique_ptr<Connection::RowReader> m_listReader; // the rest of a long list, until read
    int m_sortSection = 0;
    bool m_shownOnce = false;
    QHash<int, QList<QAction*>> m_rightsActions;
};
