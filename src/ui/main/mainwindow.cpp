#include "ui/main/mainwindow.h"

#include "app/archive.h"
#include "app/clients.h"
#include "db/dberror.h"
#include "period/snapshot.h"
#include "period/transition.h"
#include "reports/subscriberlist.h"
#include "ui/card/cardwindow.h"
#include "ui/common/failures.h"
#include "ui/common/resultsetmodel.h"
#include "ui/common/toolicons.h"
#include "ui/documents/documentwindow.h"
#include "ui/documents/journalwindow.h"
#include "ui/main/massprocessingpanel.h"
#include "ui/main/multipanelwindow.h"
#include "ui/reports/reportparamswindow.h"
#include "ui/reports/reportwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int RowIndicatorWidth = 14;

// The grid's width of a column holds its line; the list's widths do not.
int withLine(int width) {
    return width > 0 ? width + 1 : 0;
}

} // namespace

MainWindow::MainWindow(AppContext& app, Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_prompter(prompter), m_banner(new QLabel),
      m_headerBar(new QHeaderView(Qt::Horizontal)), m_headerModel(new QStandardItemModel(this)),
      m_grid(new QTableView), m_listModel(new ResultSetModel(this)), m_headerMenu(new QMenu(this)),
      m_progress(new QProgressBar) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Тервала"));

    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("ClientArea"));
    central->installEventFilter(this);
    setCentralWidget(central);

    m_banner->setParent(central);
    m_banner->setObjectName(QStringLiteral("Banner"));
    m_banner->setFixedSize(180, 123);
    m_banner->setAlignment(Qt::AlignCenter);
    m_banner->setWordWrap(true);
    m_banner->setText(QStringLiteral(
        "<div style='font-size:22pt; font-weight:bold; color:#1f3c73'>Тервала</div>"
        "<div style='color:#44506a'>расчёт платы населения за коммунальные услуги</div>"));

    m_headerBar->setObjectName(QStringLiteral("HeaderControl1"));
    m_headerBar->setModel(m_headerModel);
    m_headerBar->setSectionsClickable(true);
    m_headerBar->setSectionResizeMode(QHeaderView::Interactive);
    m_headerBar->setMinimumSectionSize(0);
    m_headerBar->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_headerBar->setStretchLastSection(false);
    m_headerBar->setFixedHeight(m_headerBar->fontMetrics().height() + 8);
    m_headerBar->hide();
    connect(m_headerBar, &QHeaderView::sectionClicked, this, &MainWindow::headerSectionClicked);
    connect(m_headerBar, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section >= 1 && section < m_listModel->columnCount() - 1)
            m_grid->setColumnWidth(section - 1, size); // the column follows the header bar
    });

    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_listModel);
    m_grid->setFrameShape(QFrame::NoFrame);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->horizontalHeader()->hide(); // the header bar is the grid's title row
    m_grid->horizontalHeader()->setMinimumSectionSize(0);
    m_grid->horizontalHeader()->setDefaultSectionSize(ListDefaultColumnWidth);
    m_grid->verticalHeader()->setFixedWidth(RowIndicatorWidth);
    m_grid->verticalHeader()->setDefaultSectionSize(18);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->hide();
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableView::doubleClicked, this, &MainWindow::openCard);
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, m_headerBar,
            [this](int) { m_headerBar->setOffset(m_grid->horizontalHeader()->offset()); });
    m_listModel->colourExcludedRows(&m_app.state.ColourExcluded);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { takeCurrentRow(); });

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_headerBar);
    layout->addWidget(m_grid, 1);

    QAction* sort =
        m_headerMenu->addAction(QStringLiteral("Сортировка"), this, &MainWindow::sortBySection);
    sort->setObjectName(QStringLiteral("SortAction"));
    QAction* hide =
        m_headerMenu->addAction(QStringLiteral("Скрыть столбец"), this, &MainWindow::hideSection);
    hide->setObjectName(QStringLiteral("HideColumnAction"));
    QAction* remove = m_headerMenu->addAction(QStringLiteral("Убрать столбец"));
    remove->setVisible(false);

    m_mass = new MassProcessingPanel(m_app, m_prompter, *this, central);
    connect(m_mass, &MassProcessingPanel::addressesChanged, this, [this] {
        if (m_documents)
            m_documents->select();
    });
    // whatever a routine changed in the register, the list shows it
    connect(&m_app.changes, &ChangeNotifier::subscribersChanged, this, [this] {
        if (m_listOpen)
            reopenList();
    });

    m_app.state.ConfirmClose = false;
}

void MainWindow::startupDone(StartupOutcome outcome) {
    m_startup = outcome;
    if (m_startup == StartupOutcome::Ready)
        setWindowTitle(m_app.state.ProgramTitle);
    if (!m_app.state.PeriodPanelText.isEmpty()) {
        m_periodPanel = new QLabel(m_app.state.PeriodPanelText);
        m_periodPanel->setObjectName(QStringLiteral("PeriodPanel"));
        m_periodPanel->setFixedWidth(150);
        statusBar()->addWidget(m_periodPanel);
    }
    statusBar()->setSizeGripEnabled(true);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->hide();
    statusBar()->addPermanentWidget(m_progress, 1);
    buildMenus();
}

MainWindow::~MainWindow() = default;

std::vector<int> MainWindow::selectedClientIds() {
    std::vector<int> ids;
    Query* all = iterationSet();
    if (!all)
        return ids;
    const ResultSet& rows = all->rows();
    const int idc = all->columnIndex(QStringLiteral("IDC"));
    for (int r = 0; idc >= 0 && r < rows.rowCount; ++r)
        ids.push_back(int(rows.at(r, idc).toInteger()));
    return ids;
}

Query* MainWindow::iterationSet() {
    if (!m_iterationSet)
        return nullptr;
    if (!m_iterationSet->isOpen()) {
        if (!succeeded(m_prompter, [&] { m_iterationSet->open(); }))
            return nullptr;
        takeCurrentRow(); // on the current subscriber
    }
    return m_iterationSet.get();
}

void MainWindow::setWindows(CardWindow* card, DocumentWindow* documents,
                            MultiPanelWindow* multiPanel, ReportWindow* report) {
    m_card = card;
    m_documents = documents;
    m_multiPanel = multiPanel;
    m_report = report;
    if (m_documents)
        m_documents->setSelectionTarget(this);
    if (m_multiPanel)
        connect(m_multiPanel, &QDialog::finished, this, &MainWindow::afterPassword);
}

void MainWindow::buildMenus() {
    // The six menus in their order; a menu shows once it has a command.
    QMenuBar* bar = menuBar();
    QMenu* operations = bar->addMenu(QStringLiteral("Операции"));
    QMenu* client = bar->addMenu(QStringLiteral("Абонент"));
    QMenu* reports = bar->addMenu(QStringLiteral("Отчетность"));
    QMenu* service = bar->addMenu(QStringLiteral("Сервис"));
    QMenu* help = bar->addMenu(QStringLiteral("Помощь"));
    operations->setObjectName(QStringLiteral("OperationsMenu"));
    client->setObjectName(QStringLiteral("ClientMenu"));
    reports->setObjectName(QStringLiteral("ReportsMenu"));
    service->setObjectName(QStringLiteral("ServiceMenu"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    QAction* exit = bar->addAction(QStringLiteral("Выход"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("ExitAction"));

    QToolBar* tools = addToolBar(QStringLiteral("Панель инструментов"));
    tools->setObjectName(QStringLiteral("ToolBar1"));
    tools->setMovable(false);
    tools->setIconSize(QSize(24, 24));

    m_mainMenus = {operations, client, reports, service, help};
    m_exitAction = exit;
    QAction* journal = operations->addAction(QStringLiteral("Журнал документов"), this, [this] {
        if (m_journal)
            m_journal->open();
    });
    journal->setObjectName(QStringLiteral("JournalAction"));
    QAction* journalTool =
        tools->addAction(style()->standardIcon(QStyle::SP_FileDialogListView),
                         QStringLiteral("Журнал документов"), journal, &QAction::trigger);
    journalTool->setObjectName(QStringLiteral("JournalButton"));
    journalTool->setToolTip(QStringLiteral("Журнал документов"));
    operations->addSeparator();

    // the three documents: the menu commands and their tool buttons
    struct DocumentCommand {
        DocType type;
        const char* menu;
        const char* hint;
        const char* name;
        QIcon icon;
    };
    const DocumentCommand documents[] = {
        {DocType::Charge, "Произвести начисление", "Произвести начисление", "Charge",
         ToolIcons::chargeDocument()},
        {DocType::Correction, "Произвести корректировку", "Внести корректировку", "Correction",
         ToolIcons::correctionDocument()},
        {DocType::Payment, "Произвести оплату", "Внести документ оплаты", "Payment",
         ToolIcons::paymentDocument()},
    };
    for (const DocumentCommand& d : documents) {
        const DocType type = d.type;
        QAction* a = operations->addAction(QString::fromUtf8(d.menu), this, [this, type] {
            if (m_documents)
                m_documents->newDocument(type);
        });
        a->setObjectName(QStringLiteral("%1Action").arg(QLatin1String(d.name)));
        QAction* tool = tools->addAction(d.icon, QString::fromUtf8(d.hint), a, &QAction::trigger);
        tool->setObjectName(QStringLiteral("%1Button").arg(QLatin1String(d.name)));
        tool->setToolTip(QString::fromUtf8(d.hint));
    }
    tools->addSeparator();
    operations->addSeparator();
    QAction* transition = operations->addAction(QStringLiteral("Переход на новый месяц"), this,
                                                &MainWindow::monthTransition);
    transition->setObjectName(QStringLiteral("MonthTransitionAction"));
    transition->setShortcut(QKeySequence(Qt::Key_F12));
    addRightsAction(Login::Command::MonthTransition, transition);
    const struct {
        const char* caption;
        const char* name;
        ReportParamsWindow::Mode mode;
    } registers[] = {
        {"Реестр платежей за день", "DayRegisterAction", ReportParamsWindow::Mode::DayRegister},
        {"Реестр платежей за период", "PeriodRegisterAction",
         ReportParamsWindow::Mode::PeriodRegister},
        {"Реестр начислений за период", "ChargeRegisterAction",
         ReportParamsWindow::Mode::ChargeRegister},
    };
    for (const auto& r : registers) {
        const ReportParamsWindow::Mode mode = r.mode;
        QAction* a = reports->addAction(QString::fromUtf8(r.caption), this, [this, mode] {
            if (m_reportParams)
                m_reportParams->open(mode);
        });
        a->setObjectName(QString::fromLatin1(r.name));
    }
    reports->addSeparator();
    QAction* debtors = reports->addAction(QStringLiteral("Списки должников"), this, [this] {
        if (m_documents)
            m_documents->openDebtorSelection();
    });
    debtors->setObjectName(QStringLiteral("DebtorsAction"));
    QAction* archive = service->addAction(QStringLiteral("Произвести архивацию"), this,
                                          [this] { archiveCommand(); });
    archive->setObjectName(QStringLiteral("ArchiveAction"));

    QAction* find = client->addAction(QStringLiteral("Поиск абонента (-ов)"), this, [this] {
        if (m_documents)
            m_documents->openPlainSelection();
    });
    find->setObjectName(QStringLiteral("FindClientsAction"));
    QAction* findTool = tools->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                         QStringLiteral("Найти абонента"), find, &QAction::trigger);
    findTool->setObjectName(QStringLiteral("FindClientsButton"));
    findTool->setToolTip(QStringLiteral("Найти абонента"));
    QAction* add = client->addAction(QStringLiteral("Добавить"), this, &MainWindow::addClient);
    add->setObjectName(QStringLiteral("AddClientAction"));
    QAction* addTool = tools->addAction(
        ToolIcons::addClient(), QStringLiteral("Добавить нового абонента"), add, &QAction::trigger);
    addTool->setObjectName(QStringLiteral("AddClientButton"));
    QAction* remove = client->addAction(QStringLiteral("Удалить"), this, &MainWindow::deleteClient);
    remove->setObjectName(QStringLiteral("DeleteClientAction"));
    QAction* removeTool = tools->addAction(
        ToolIcons::deleteClient(), QStringLiteral("Удалить абонента"), remove, &QAction::trigger);
    removeTool->setObjectName(QStringLiteral("DeleteClientButton"));
    QAction* mass = client->addAction(QStringLiteral("Общая обработка"), this,
                                      &MainWindow::startMassProcessing);
    mass->setObjectName(QStringLiteral("MassProcessingAction"));
    addRightsAction(Login::Command::AddClient, add);
    addRightsAction(Login::Command::AddClient, addTool);
    addRightsAction(Login::Command::DeleteClient, remove);
    addRightsAction(Login::Command::DeleteClient, removeTool);
    addRightsAction(Login::Command::MassProcessing, mass);
    client->addSeparator();
    QAction* print =
        client->addAction(QStringLiteral("Печать списка абонентов"), this, &MainWindow::printList);
    print->setObjectName(QStringLiteral("PrintListAction"));

    for (QMenu* m : {operations, client, reports, service, help})
        m->menuAction()->setVisible(!m->actions().isEmpty());
}

void MainWindow::addRightsAction(Login::Command command, QAction* action) {
    m_rightsActions[int(command)] << action;
}

void MainWindow::Interfac(int level) {
    for (Login::Command c : Login::disabledCommands(level))
        for (QAction* a : m_rightsActions.value(int(c)))
            a->setEnabled(false);
}

// --- start and stop ---

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        QTimer::singleShot(0, this, &MainWindow::startLogin);
    }
}

void MainWindow::startLogin() {
    m_app.CurrentUserId = 0;
    ResultSet users;
    try {
        if (!m_app.connected())
            throw DbError(QStringLiteral("Не удалось открыть базу данных %1: файл не найден. "
                                         "Укажите путь к базе в первой строке Config.ini.")
                              .arg(m_app.state.DatabasePath),
                          {}, {});
        users = Login::users(m_app.db());
    } catch (const DbError& e) {
        m_prompter.error(e.message());
        m_app.state.ConfirmClose = false; // nobody can log in: the program ends
        close();
        return;
    }
    if (m_multiPanel)
        m_multiPanel->showPasswordPanel(users);
}

void MainWindow::afterPassword() {
    if (m_app.CurrentUserId <= 0) {
        close();
        // the close box of the password window leaves the question; "Нет" keeps the program,
        // and then the password is asked again, so no command is ever usable without a login
        if (isVisible())
            QTimer::singleShot(0, this, &MainWindow::startLogin);
        return;
    }
    succeeded(m_prompter, [&] { TEMPUpdate(m_app); });
    if (!succeeded(m_prompter, [&] {
            Interfac(Login::rightsLevel(Login::users(m_app.db()), m_app.CurrentUserId));
        }))
        Interfac(0); // the rights of an operator when they cannot be read
    m_userPanel = new QLabel(QStringLiteral("Работает: ") + m_app.CurrentUserName);
    m_userPanel->setObjectName(QStringLiteral("UserPanel"));
    statusBar()->addWidget(m_userPanel, 1);
    writeJournal(JournalText::login());
    centreBanner();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_app.state.ConfirmClose &&
        !m_prompter.ask(QStringLiteral("ВНИМАНИЕ!!!"),
                        QStringLiteral("Вы действительно хотите закрыть программу?"))) {
        event->ignore();
        return;
    }
    writeJournal(JournalText::exit());
    event->accept();
    emit programEnded();
}

void MainWindow::writeJournal(const QString& action) {
    if (!m_app.connected())
        return;
    succeeded(m_prompter, [&] { m_app.journal().HistZap({}, action, 0, 0); });
}

void MainWindow::centreBanner() {
    const QWidget* area = centralWidget();
    m_banner->move((area->width() - 180) / 2, (area->height() - 123) / 2);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        centreBanner();
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            openCard();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- the list ---

const ResultSet& MainWindow::listRows() const {
    return m_listModel->rows();
}

bool MainWindow::showSelection(const SelectionStatement& selection) {
    if (!m_app.connected())
        return false;
    SelectionResult result;
    if (!succeeded(m_prompter, [&] { result = countSelection(m_app.db(), selection); }) ||
        !loadList(selection.ListSql))
        return false;
    // every column of every selected subscriber is read only when a routine walks them
    auto iteration = std::make_unique<Query>(m_app.db());
    iteration->setSql(SelectionSql::iteration(selection.SelectionFilter));
    m_app.selection.ListSql = selection.ListSql;
    m_app.selection.SelectionFilter = selection.SelectionFilter;
    m_iterationSet = std::move(iteration);
    m_listOpen = true;
    ZapolnTabl();
    if (m_listModel->rowCount() > 0)
        m_grid->setCurrentIndex(m_listModel->index(0, 0));
    takeCurrentRow();
    setWindowTitle(selectionCaption(m_app.state.ProgramTitle, result));
    return true;
}

int MainWindow::listColumnWidth(int column) const {
    const int w = m_grid->columnWidth(column);
    return w > 0 ? w - 1 : 0;
}

void MainWindow::ZapolnTabl() {
    const int n = m_listModel->columnCount();
    for (int c = 0; c < n; ++c)
        m_grid->setColumnWidth(c, withLine(::listColumnWidth(c, n)));
    m_grid->show();
    m_headerModel->clear();
    m_headerModel->setColumnCount(std::max(n - 1, 1));
    m_headerModel->setHeaderData(0, Qt::Horizontal, QString());
    m_headerBar->resizeSection(0, RowIndicatorWidth);
    m_headerBar->show();
    for (int i = 1; i <= n - 2; ++i) {
        m_headerModel->setHeaderData(
            i, Qt::Horizontal, m_listModel->headerData(i - 1, Qt::Horizontal, Qt::DisplayRole));
        m_headerBar->resizeSection(i, withLine(::listColumnWidth(i - 1, n)));
    }
    m_headerBar->setOffset(m_grid->horizontalHeader()->offset());
    takeCurrentRow();
}

void MainWindow::headerSectionClicked(int section) {
    m_sortSection = section;
    if (section == 0) {
        ZapolnTabl(); // every column back at its width
        return;
    }
    const QPoint at(m_headerBar->sectionViewportPosition(section) + 5, m_headerBar->height());
    m_headerMenu->popup(m_headerBar->mapToGlobal(at));
}

void MainWindow::sortBySection() {
    const QString column = m_headerModel->headerData(m_sortSection, Qt::Horizontal).toString();
    if (!m_listOpen || m_sortSection <= 0 || column.isEmpty())
        return;
    // the list's statement is wrapped once more; a failing sort keeps the list as it was
    const QString sorted = SelectionSql::sorted(m_app.selection.ListSql, column);
    if (!loadList(sorted))
        return;
    m_app.selection.ListSql = sorted;
    ZapolnTabl();
    if (m_listModel->rowCount() > 0)
        m_grid->setCurrentIndex(m_listModel->index(0, 0));
}

void MainWindow::hideSection() {
    if (m_sortSection <= 0)
        return;
    m_headerBar->resizeSection(m_sortSection, 0);
    m_grid->setColumnWidth(m_sortSection - 1, 0);
}

void MainWindow::takeCurrentRow() {
    // the current subscriber is always the one on the current row
    const ResultSet& rows = m_listModel->rows();
    const int row = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : -1;
    const int idcColumn = rows.columnIndex(QLatin1StringView("IDC"));
    if (row < 0 || row >= rows.rowCount || idcColumn < 0)
        return;
    m_app.selection.CurrentClientId = int(rows.at(row, idcColumn).toInteger());
    if (!m_iterationSet || !m_iterationSet->isOpen())
        return; // positioned when it is opened
    // IterationSet stands on the same subscriber (found by id: the list may be sorted)
    const ResultSet& all = m_iterationSet->rows();
    const int idc = m_iterationSet->columnIndex(QStringLiteral("IDC"));
    for (int r = 0; idc >= 0 && r < all.rowCount; ++r)
        if (all.at(r, idc).toInteger() == m_app.selection.CurrentClientId) {
            m_iterationSet->setRecNo(r + 1);
            return;
        }
    m_iterationSet->setRecNo(row + 1);
}

void MainWindow::openCard() {
    m_app.selection.NewClientMode = false;
    if (m_listModel->rowCount() == 0)
        return;
    takeCurrentRow();
    emit openCardRequested(m_app.selection.CurrentClientId);
    if (m_card)
        m_card->ZapKart(m_app.selection.CurrentClientId);
}

void MainWindow::setCurrentRow(int row) {
    if (row >= m_listModel->rowCount())
        finishList(); // a row the screen-at-a-time reading has not reached yet
    if (m_listModel->rowCount() == 0)
        return;
    row = std::clamp(row, 0, m_listModel->rowCount() - 1);
    m_grid->setCurrentIndex(m_listModel->index(row, 0));
    takeCurrentRow();
}

void MainWindow::reopenList() {
    if (!m_app.connected() || m_app.selection.ListSql.isEmpty())
        return;
    const int row = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : 0;
    if (!succeeded(m_prompter,
                   [&] {
                       if (m_iterationSet && m_iterationSet->isOpen())
                           m_iterationSet->open();
                   }) ||
        !loadList(m_app.selection.ListSql))
        return;
    m_listOpen = true;
    ZapolnTabl();
    setCurrentRow(row);
}

bool MainWindow::loadList(const QString& sql) {
    // the first screen is read at once; a long list goes on from the event loop, so its first
    // rows show while the rest is read (a failing statement keeps the list as it was)
    constexpr int FirstScreen = 200;
    std::unique_ptr<Connection::RowReader> reader;
    ResultSet first;
    if (!succeeded(m_prompter, [&] {
            reader = m_app.db().openReader(sql);
            reader->read(first, FirstScreen);
        }))
        return false;
    m_listReader = reader->done() ? nullptr : std::move(reader);
    m_listModel->setRows(std::move(first));
    if (m_listReader)
        QTimer::singleShot(0, this, &MainWindow::readOn);
    return true;
}

void MainWindow::readOn() {
    if (!m_listReader)
        return;
    constexpr int Chunk = 20000;
    ResultSet more; // the reader gives it the list's columns
    if (!succeeded(m_prompter, [&] { m_listReader->read(more, Chunk); })) {
        m_listReader.reset();
        return;
    }
    m_listModel->appendRows(more);
    if (m_listReader->done())
        m_listReader.reset();
    else
        QTimer::singleShot(0, this, &MainWindow::readOn);
}

void MainWindow::finishList() {
    while (m_listReader)
        readOn();
}

void MainWindow::addClient() {
    if (!m_app.connected())
        return;
    int id = 0;
    if (!succeeded(m_prompter, [&] { id = Clients::addClient(m_app); }))
        return;
    m_app.selection.ListSql = Clients::newClientListSql(id);
    m_iterationSet = std::make_unique<Query>(m_app.db());
    m_iterationSet->setSql(Clients::newClientIterationSql(id));
    reopenList();
    m_app.selection.NewClientMode = true;
    m_app.selection.CurrentClientId = id;
    if (m_card)
        m_card->ZapKart(id);
}

void MainWindow::deleteClient() {
    if (!m_app.connected() || m_listModel->rowCount() == 0)
        return;
    takeCurrentRow(); // exactly the subscriber shown as current
    const int row = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : 0;
    bool deleted = false;
    if (!succeeded(m_prompter,
                   [&] {
                       deleted = Clients::deleteClient(m_app, m_prompter,
                                                       m_app.selection.CurrentClientId);
                   }) ||
        !deleted)
        return;
    setCurrentRow(row > 0 ? row - 1 : 0); // the list reopened on the core's news
}

void MainWindow::startMassProcessing() {
    if (m_documents)
        m_documents->openMassSelection();
    m_mass->open();
}

void MainWindow::printList() {
    if (!m_report)
        return;
    finishList(); // the whole list is printed
    ReportTable table;
    fillSubscriberList(table, m_listModel->rows());
    m_report->showTable(table);
}

// --- the month ---

namespace {

// The main window's caption and progress bar follow a long routine's counter.
class MainProgress : public Progress {
public:
    MainProgress(QMainWindow& window, QProgressBar& bar, QString title)
        : m_window(window), m_bar(bar), m_title(std::move(title)) {}
    void processEvents() override { QApplication::processEvents(); }
    void setText(const QString& text) override { m_window.setWindowTitle(text); }
    void setValue(int position, int maximum) override {
        // the screen follows every hundredth step (and the last): the count stays exact
        if (maximum > 100 && position % (maximum / 100) != 0 && position != maximum)
            return;
        if (m_bar.maximum() != maximum)
            m_bar.setMaximum(maximum);
        m_bar.setValue(position);
        m_bar.show();
        m_window.setWindowTitle(QStringLiteral("%1  (Счётчик выполнения: %2 из %3)")
                                    .arg(m_title)
                                    .arg(position)
                                    .arg(maximum));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QMainWindow& m_window;
    QProgressBar& m_bar;
    QString m_title;
};

} // namespace

void MainWindow::hideList() {
    m_listReader.reset();
    m_listOpen = false;
    m_grid->hide();
    m_headerBar->hide();
}

bool MainWindow::archiveCommand() {
    if (!m_app.connected())
        return false;
    if (!m_prompter.ask(QStringLiteral("Архивация"), ArchiveText::Question))
        return true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ArchiveResult r = archiveDatabase(m_app);
    QApplication::restoreOverrideCursor();
    if (!r.ok()) {
        m_prompter.notify(ArchiveText::Failed + QStringLiteral("\n") + r.problem);
        return false;
    }
    return true;
}

void MainWindow::monthTransition() {
    if (!m_app.connected())
        return;
    // a failed archive stops here unless the operator goes on without it
    if (!archiveCommand() &&
        !m_prompter.ask(QStringLiteral("ВНИМАНИЕ!!!"),
                        QStringLiteral("Архив не записан. Продолжить переход на новый месяц без "
                                       "архива?")))
        return;
    if (!m_prompter.ask(QStringLiteral("ВНИМАНИЕ!!!"), TransitionText::Question))
        return;
    for (QMenu* m : m_mainMenus)
        m->menuAction()->setEnabled(false);
    if (m_exitAction)
        m_exitAction->setEnabled(false);
    hideList();
    MainProgress progress(*this, *m_progress, m_app.state.ProgramTitle);
    const bool done = succeeded(m_prompter, [&] { ::monthTransition(m_app, &progress); });
    m_progress->hide();
    for (QMenu* m : m_mainMenus)
        m->menuAction()->setEnabled(true);
    if (m_exitAction)
        m_exitAction->setEnabled(true);
    setWindowTitle(m_app.state.ProgramTitle);
    if (done && m_periodPanel)
        m_periodPanel->setText(QStringLiteral("Период расчета ") + m_app.state.CurrentPeriod);
}
