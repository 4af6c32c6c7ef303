#include "db/journal.h"
#include "db/transaction.h"
#include "programfixture.h"
#include "testsupport.h"
#include "ui/common/translations.h"
#include "ui/common/wheeltoarrows.h"
#include "ui/documents/documentwindow.h"
#include "ui/main/mainwindow.h"
#include "ui/main/multipanelwindow.h"
#include "ui/programwindows.h"
#include "ui/reports/reportwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

// The windows driven through their controls: login and rights, closing, the selection, the
// main list, the report window.
class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void standardDialogsSpeakRussian();
    void login_data();
    void login();
    void passwordKeys();
    void wrongPasswordEndsTheProgram();
    void emptyUsersLogsInAnybody();
    void closeBoxOfThePasswordAsksAgain();
    void closingAfterLoginAsksNothing();
    void plainSelectionListsAndCounts();
    void longListShowsItsFirstScreenAndReadsOn();
    void quoteInACriterionSelectsNothing();
    void cascadeRefillsTheLowerLists();
    void enterMovesAlongTheCriteria();
    void listLayoutAndHeaderBar();
    void sortingWrapsTheStatement();
    void excludedRowsAreColoured();
    void currentSubscriberFollowsTheRow();
    void printedListAndCsv();
    void documentGridAddsAndRemoves();
    void wheelMovesTheCurrentRow();
};

void TestWindows::initTestCase() {
    // as the program starts
    QVERIFY2(installRussianTranslations(*QCoreApplication::instance()),
             "Qt's Russian translations are missing");
}

void TestWindows::standardDialogsSpeakRussian() {
    QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(),
             u"Отмена"_s);
    QCOMPARE(QCoreApplication::translate("QFileDialog", "&Save"), u"&Сохранить"_s);
}

void TestWindows::login_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("user");
    QTest::addColumn<bool>("addEnabled");
    QTest::addColumn<bool>("deleteEnabled");
    QTest::newRow("administrator") << u"secret"_s << 1 << true << true;
    QTest::newRow("senior operator") << u"1111"_s << 3 << true << false;
    QTest::newRow("operator") << u"0000"_s << 2 << false << false;
}

void TestWindows::login() {
    QFETCH(QString, password);
    QFETCH(int, user);
    QFETCH(bool, addEnabled);
    QFETCH(bool, deleteEnabled);
    Program p;
    // commands of later windows register themselves for the rights
    QAction add(u"Добавить"_s), remove(u"Удалить"_s);
    p.main()->addRightsAction(Login::Command::AddClient, &add);
    p.main()->addRightsAction(Login::Command::DeleteClient, &remove);
    QCOMPARE(p.main()->windowTitle(), u"Тервала  - Основная база"_s);
    QCOMPARE(p.find<QLabel>(p.main(), "PeriodPanel")->text(), u"Период расчета 03.2024"_s);
    QVERIFY(p.login(password));
    QCOMPARE(p.app.CurrentUserId, user);
    QCOMPARE(add.isEnabled(), addEnabled);
    QCOMPARE(remove.isEnabled(), deleteEnabled);
    // the tool button of a disabled command looks disabled: its picture is drawn otherwise
    auto* tools = p.find<QToolBar>(p.main(), "ToolBar1");
    QAction* deleteTool = p.main()->findChild<QAction*>(u"DeleteClientButton"_s);
    auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(deleteTool));
    QCOMPARE(button->isEnabled(), deleteEnabled);
    const QIcon icon = deleteTool->icon();
    QVERIFY(icon.pixmap(24, QIcon::Disabled).toImage() != icon.pixmap(24, QIcon::Normal).toImage());
    QCOMPARE(p.find<QLabel>(p.main(), "UserPanel")->text(),
             u"Работает: "_s + p.app.CurrentUserName);
    QCOMPARE(p.journal(), QStringList{u"Произведен вход в программу|"_s + QString::number(user)});
    QVERIFY(!p.app.state.ConfirmClose);
    QVERIFY(p.prompter.errors.isEmpty());
}

void TestWindows::passwordKeys() {
    Program p;
    QVERIFY(p.showMain());
    QLineEdit* edit = p.passwordEdit();
    QTest::keyClicks(edit, u"xyz"_s);
    QTest::keyClick(edit, Qt::Key_Escape); // empties both
    QCOMPARE(edit->text(), QString());
    QTest::keyClicks(edit, u"ab"_s);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, u"c"_s);
    QCOMPARE(edit->text(), u"**"_s);
    QCOMPARE(p.windows->multiPanel->typedPassword(), u"ac"_s);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(p.app.CurrentUserId, 0); // nobody has "ac"
    QVERIFY(p.ended);
}

void TestWindows::wrongPasswordEndsTheProgram() {
    Program p;
    QVERIFY(p.login(u"wrong"_s));
    QVERIFY(p.ended);
    QVERIFY(p.prompter.asked.isEmpty());
    QCOMPARE(p.journal(), QStringList{u"Произведен выход из программы|0"_s});
}

void TestWindows::emptyUsersLogsInAnybody() {
    Program p;
    p.db.db().execute(u"delete * from Users"_s);
    QAction settings(u"Настройки"_s);
    p.main()->addRightsAction(Login::Command::Settings, &settings);
    QVERIFY(p.login(QString()));
    QCOMPARE(p.app.CurrentUserId, int(Login::NoUsersId));
    QVERIFY(!settings.isEnabled()); // the rights of an operator
    QVERIFY(!p.ended);
}

void TestWindows::closeBoxOfThePasswordAsksAgain() {
    Program p;
    QVERIFY(p.showMain());
    p.prompter.answers = {false};
    p.windows->multiPanel->close(); // the close box
    QCOMPARE(p.prompter.asked,
             QStringList{u"ВНИМАНИЕ!!!|Вы действительно хотите закрыть программу?"_s});
    QVERIFY(!p.ended);
    // the program stays, so the password is asked again
    QVERIFY(QTest::qWaitFor([&] { return p.windows->multiPanel->isVisible(); }));
    QCOMPARE(p.app.CurrentUserId, 0);
    QTest::mouseClick(p.find<QPushButton>(p.windows->multiPanel, "PasswordCancel"), Qt::LeftButton);
    QVERIFY(p.ended);
    QCOMPARE(p.journal(), QStringList{u"Произведен выход из программы|0"_s});
}

void TestWindows::closingAfterLoginAsksNothing() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.main()->findChild<QAction*>(u"ExitAction"_s)->trigger();
    QVERIFY(p.ended);
    QVERIFY(p.prompter.asked.isEmpty());
    QCOMPARE(p.journal().last(), u"Произведен выход из программы|1"_s);
}

void TestWindows::plainSelectionListsAndCounts() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.main()->findChild<QAction*>(u"FindClientsAction"_s)->trigger();
    QVERIFY(p.documents()->isVisible());
    QCOMPARE(p.documents()->windowTitle(), u"Отбор абонентов"_s);
    QCOMPARE(p.documents()->size(), QSize(588, 242)); // as designed, its controls inside
    QVERIFY(QTest::qWaitForWindowActive(p.documents()));
    QTest::keyClick(p.documents(), Qt::Key_F3); // no criteria: everybody with an address
    QVERIFY(!p.documents()->isVisible());
    QCOMPARE(p.main()->windowTitle(),
             u"Тервала  - Основная база     Выбрано 4 абонетов (Жильцов: 10 чел.)"_s);
    QCOMPARE(p.listColumn(0), (QStringList{u"101"_s, u"102"_s, u"103"_s}));
    QCOMPARE(p.app.selection.SelectionFilter, QString());
    QVERIFY(p.main()->listGrid()->isVisible());
    QVERIFY(!p.main()->banner()->isVisibleTo(p.main()) || p.main()->listGrid()->isVisible());

    p.select([&] { p.find<QLineEdit>(p.documents(), "HouseEdit")->setText(u"5-7"_s); });
    QCOMPARE(p.app.selection.SelectionFilter, uR"(WHERE (((Client.DOM) BETWEEN "5" and "7")))"_s);
    QCOMPARE(p.listColumn(0), (QStringList{u"101"_s, u"102"_s}));
    QVERIFY(p.main()->windowTitle().endsWith(u"Выбрано 2 абонетов (Жильцов: 5 чел.)"_s));
}

void TestWindows::longListShowsItsFirstScreenAndReadsOn() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    {
        Transaction tx(p.db.db());
        for (int idc = 10; idc < 510; ++idc)
            p.db.db().execute(
                u"insert into Client (IDC, LS, FIO, RG, GD, RN, NP, ST, DOM, UCH, KOL) "
                u"values (%1, \"%2\", \"Абонент %1\", 1, 0, 1, 1, 1, \"1\", 1, 1)"_s.arg(
                    QString::number(idc), QString::number(100000 + idc)));
        tx.commit();
    }
    p.select([] {});
    // the caption counts everybody at once; the list shows its first screen and reads on
    QVERIFY2(p.main()->windowTitle().endsWith(u"Выбрано 504 абонетов (Жильцов: 510 чел.)"_s),
             qPrintable(p.main()->windowTitle()));
    QVERIFY(p.main()->listRows().rowCount < 503);
    QTRY_COMPARE(p.main()->listRows().rowCount, 503); // 104 has no street
    QStringList accounts = p.listColumn(0);
    accounts.removeDuplicates();
    QCOMPARE(accounts.size(), 503);
    // sorting, and printing the whole list, right after a selection
    p.select([] {});
    p.main()->headerSectionClicked(1);
    p.main()->sortBySection();
    p.main()->findChild<QAction*>(u"PrintListAction"_s)->trigger();
    QCOMPARE(p.windows->report->table().rowCount(), 504); // the heading and every subscriber
    QTRY_COMPARE(p.main()->listRows().rowCount, 503);
    QCOMPARE(p.listColumn(0).first(), u"100010"_s);
}

void TestWindows::quoteInACriterionSelectsNothing() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.select([&] { p.find<QLineEdit>(p.documents(), "NameEdit")->setText(uR"(Ив"ан)"_s); });
    QVERIFY(p.prompter.errors.isEmpty());
    QCOMPARE(p.main()->listRows().rowCount, 0);
    QVERIFY(p.main()->windowTitle().endsWith(u"Выбрано 0 абонетов (Жильцов: 0 чел.)"_s));
}

void TestWindows::cascadeRefillsTheLowerLists() {
    Program p;
    DocumentWindow* d = p.documents();
    auto* region = p.find<QComboBox>(d, "RegionBox");
    auto* city = p.find<QComboBox>(d, "CityBox");
    auto* district = p.find<QComboBox>(d, "DistrictBox");
    auto* street = p.find<QComboBox>(d, "StreetBox");
    QCOMPARE(region->count(), 2);
    QCOMPARE(region->currentIndex(), -1);
    QCOMPARE(city->count(), 0); // no region yet
    region->activated(0);
    QCOMPARE(city->count(), 1);
    QCOMPARE(district->itemText(0), u"Невельский район"_s);
    district->activated(0);
    p.find<QComboBox>(d, "SettlementBox")->activated(0);
    QCOMPARE(street->itemText(0), u"Ленина"_s);
    city->activated(0); // a city: its streets, sorted, and its district
    QCOMPARE(district->itemText(0), u"Городской"_s);
    QCOMPARE(district->currentIndex(), -1); // the old district is not in the city
    QCOMPARE(street->count(), 2);
    QCOMPARE(street->itemText(0), u"Гагарина"_s);
    QCOMPARE(*d->criteria().city, 1);
    QVERIFY(!d->criteria().district);
    QTest::mouseClick(p.find<QToolButton>(d, "CityClear"), Qt::LeftButton);
    QCOMPARE(city->currentIndex(), -1);
    QCOMPARE(district->itemText(0), u"Невельский район"_s);
    QTest::mouseClick(p.find<QPushButton>(d, "ClearAllButton"), Qt::LeftButton);
    QCOMPARE(region->currentIndex(), -1);
    QCOMPARE(city->count(), 0);
    // the apartment check box disables the box and keeps its text
    auto* apartment = p.find<QLineEdit>(d, "ApartmentEdit");
    apartment->setText(u"15"_s);
    p.find<QCheckBox>(d, "HasApartmentBox")->setChecked(true);
    QVERIFY(!apartment->isEnabled());
    QCOMPARE(apartment->text(), u"15"_s);
}

void TestWindows::enterMovesAlongTheCriteria() {
    Program p;
    DocumentWindow* d = p.documents();
    d->openPlainSelection();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), p.find<QLineEdit>(d, "AccountEdit"));
    const struct {
        const char* from;
        int key;
        const char* to;
    } moves[] = {{"AccountEdit", Qt::Key_Return, "NameEdit"},
                 {"NameEdit", Qt::Key_Return, "RegionBox"},
                 {"RegionBox", Qt::Key_Return, "DistrictBox"},
                 {"CityBox", Qt::Key_Return, "DistrictBox"},
                 {"DistrictBox", Qt::Key_Return, "SettlementBox"},
                 {"SettlementBox", Qt::Key_Return, "StreetBox"},
                 {"StreetBox", Qt::Key_Return, "HouseEdit"},
                 {"HouseEdit", Qt::Key_Return, "ApartmentEdit"},
                 {"BuildingEdit", Qt::Key_Return, "ApartmentEdit"},
                 {"ApartmentEdit", Qt::Key_Left, "HouseEdit"},
                 {"ApartmentEdit", Qt::Key_Return, "SelectButton"}};
    for (const auto& m : moves) {
        QWidget* from = p.find<QWidget>(d, m.from);
        from->setFocus();
        QTest::keyClick(from, Qt::Key(m.key));
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(m.to));
    }
}

void TestWindows::listLayoutAndHeaderBar() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.select([] {});
    MainWindow* m = p.main();
    // 7 address columns, 4 balances, IDC and TIPZ: 13 columns
    const int n = m->listRows().columns.size();
    QCOMPARE(n, 13);
    const int widths[] = {60, 240, 120, 120, 60, 60, 60, 60, 60, 60, 64, 0, 0};
    for (int c = 0; c < n; ++c)
        QCOMPARE(m->listColumnWidth(c), widths[c]);
    QHeaderView* bar = m->headerBar();
    QCOMPARE(bar->count(), n - 1);
    QCOMPARE(bar->sectionSize(0), 14);
    QCOMPARE(bar->model()->headerData(2, Qt::Horizontal).toString(), u"Фамилия_Имя_Отчество"_s);
    QCOMPARE(bar->model()->headerData(8, Qt::Horizontal).toString(), u"'ХВС'"_s);
    // hide two columns, then the leftmost section brings them back
    for (int section : {2, 4}) {
        m->headerSectionClicked(section);
        m->hideSection();
    }
    QCOMPARE(m->listColumnWidth(1), 0);
    QCOMPARE(bar->sectionSize(4), 0);
    m->headerSectionClicked(0);
    QCOMPARE(m->listColumnWidth(1), 240);
    QCOMPARE(m->listColumnWidth(3), 120);
    // a section dragged wider takes its column along
    bar->resizeSection(5, 101);
    QCOMPARE(m->listColumnWidth(4), 100);
}

void TestWindows::sortingWrapsTheStatement() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.select([] {});
    MainWindow* m = p.main();
    const QString before = p.app.selection.ListSql;
    m->headerSectionClicked(4); // Улица
    m->sortBySection();
    m->headerSectionClicked(5); // Дом, as text
    m->sortBySection();
    QCOMPARE(p.app.selection.ListSql,
             u"select * from (select * from ("_s + before + u") order by Улица) order by Дом"_s);
    QCOMPARE(p.listColumn(4), (QStringList{u"11а"_s, u"5"_s, u"7"_s}));
    m->headerSectionClicked(8); // a balance column, named with its quotes
    m->sortBySection();
    QCOMPARE(p.listColumn(0).first(), u"102"_s); // Null balances first, then 136,5
    QVERIFY(p.prompter.errors.isEmpty());
}

void TestWindows::excludedRowsAreColoured() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.select([] {});
    QAbstractItemModel* model = p.main()->listGrid()->model();
    const int excluded = p.listColumn(0).indexOf(u"102"_s);
    p.app.state.ColourExcluded = 1;
    QCOMPARE(model->index(excluded, 3).data(Qt::BackgroundRole).value<QColor>(),
             QColor(170, 170, 238));
    QVERIFY(!model->index(0, 0).data(Qt::BackgroundRole).isValid());
    p.app.state.ColourExcluded = 0; // switched off: alike on the next paint
    QVERIFY(!model->index(excluded, 3).data(Qt::BackgroundRole).isValid());
}

void TestWindows::currentSubscriberFollowsTheRow() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.select([] {});
    QCOMPARE(p.app.selection.CurrentClientId, 1);
    QTableView* grid = p.main()->listGrid();
    QSignalSpy opened(p.main(), &MainWindow::openCardRequested);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(p.app.selection.CurrentClientId, 3);
    QCOMPARE(p.main()->iterationSet()->integer(u"IDC"_s), 3);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.first().first().toInt(), 3);
}

void TestWindows::printedListAndCsv() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.select([] {});
    p.main()->listGrid()->setCurrentIndex(p.main()->listGrid()->model()->index(2, 0));
    p.main()->findChild<QAction*>(u"PrintListAction"_s)->trigger();
    ReportWindow* report = p.windows->report;
    QVERIFY(report->isVisible());
    QCOMPARE(report->windowTitle(), u"Перечень"_s);
    QCOMPARE(report->table().rowCount(), 4); // every subscriber, numbered from 1
    QCOMPARE(report->table().text(0, 1), u"1"_s);
    QCOMPARE(report->table().text(1, 1), u"101"_s);

    // printed: texts only, here into a PDF file
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(p.db.dir.filePath(u"list.pdf"_s));
    report->paintPages(&printer);
    QVERIFY(QFileInfo(printer.outputFileName()).size() > 1000);

    const QString path = p.db.dir.filePath(u"list.csv"_s);
    report->chooseCsvFile = [&] { return p.db.dir.filePath(u"list"_s); }; // no extension typed
    report->saveCsv();
    QVERIFY(QFile::exists(path));
    QFile::remove(path);
    report->chooseCsvFile = [] { return QString(); }; // cancelled
    QTest::mouseClick(report->findChild<QToolBar*>()->widgetForAction(
                          report->findChild<QAction*>(u"SaveButton"_s)),
                      Qt::LeftButton);
    QVERIFY(!QFile::exists(path));
    report->chooseCsvFile = [&] { return path; };
    report->saveCsv();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), report->table().toCsv());
    QVERIFY(p.prompter.errors.isEmpty());
    report->chooseCsvFile = [&] { return p.db.dir.filePath(u"no/such/folder/x.csv"_s); };
    p.prompter.expectedErrors = 1;
    report->saveCsv();
    QCOMPARE(p.prompter.errors.size(), 1);
    QVERIFY(p.prompter.errors.first().startsWith(u"Не удалось сохранить файл"_s));
    p.prompter.errors.clear();
    p.prompter.expectedErrors = 0;
}

void TestWindows::documentGridAddsAndRemoves() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    DocumentWindow* d = p.documents();
    d->newDocument(DocType::Charge);
    QCOMPARE(d->windowTitle(), u"Документ"_s);
    p.find<QComboBox>(d, "AreaBox")->setCurrentIndex(0); // area 1: 101, and 103 in the city
    QVERIFY(QTest::qWaitForWindowActive(d));
    QTest::keyClick(d, Qt::Key_F3);
    QTableView* grid = d->selectionGrid();
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->columnWidth(1), 200);
    QCOMPARE(grid->columnWidth(10), 0);
    QTest::keyClick(d, Qt::Key_F3); // the grid has rows: the popup asks how
    QVERIFY(d->selectionMenu()->isVisible());
    d->selectionMenu()->close();
    d->findChild<QAction*>(u"AddToSelection"_s)->trigger();
    // the list's own UNION (settlements and cities) keeps a subscriber of both selections once
    QCOMPARE(grid->model()->rowCount(), 2);
    d->findChild<QAction*>(u"RemoveFromSelection"_s)->trigger();
    QCOMPARE(grid->model()->rowCount(), 0);
    d->findChild<QAction*>(u"NewSelection"_s)->trigger();
    QCOMPARE(grid->model()->rowCount(), 2);
    QVERIFY(p.prompter.errors.isEmpty());
}

void TestWindows::wheelMovesTheCurrentRow() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.select([] {});
    MouseWheelToArrowKeys filter;
    qApp->installEventFilter(&filter);
    QTableView* grid = p.main()->listGrid();
    p.main()->activateWindow();
    grid->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return QApplication::focusWidget() == grid; }));
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(10, 10), grid->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    wheel(-120); // towards the user: down
    QCOMPARE(grid->currentIndex().row(), 1);
    wheel(120);
    QCOMPARE(grid->currentIndex().row(), 0);
    qApp->removeEventFilter(&filter);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
