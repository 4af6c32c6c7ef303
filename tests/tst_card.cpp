#include "programfixture.h"
#include "ui/card/benefitwindow.h"
#include "ui/card/cardwindow.h"
#include "ui/card/historytab.h"
#include "ui/documents/documentpanels.h"
#include "ui/main/massprocessingpanel.h"
#include "ui/reports/reportwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

// The card, the benefit-holder window, adding, deleting and mass processing, through the
// windows' controls on the small office.
class TestCard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_p.reset(); }
    void cardLoadsAndSaves();
    void incompleteAddressKeepsTheCardOpen();
    void numberFieldKeys();
    void firstVisitOfTheDataTab();
    void dataTabKeepsAnAddressOfAnotherRegion();
    void closeBoxCancelsANewSubscriber();
    void enterSelectsTheNextFieldAndTariffsTakeAComma();
    void newSubscriberCancelledOrSaved();
    void deletionLeavesTheRowBefore();
    void holders();
    void exclusionWarnsAboutHolders();
    void massProcessingPanel();
    void recalculationShowsTheNewBalance();
    void paymentFromTheCard();
    void calculationHistoryTab();

private:
    std::unique_ptr<Program> m_p;
    Program& p() { return *m_p; }
    CardWindow* card() { return p().windows->card; }
    QLineEdit* field(const char* name) { return p().find<QLineEdit>(card(), name); }
    // Lists everybody and opens the card of the listed row.
    void openCard(int row) {
        p().select([] {});
        QTableView* grid = p().main()->listGrid();
        grid->setCurrentIndex(grid->model()->index(row, 0));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(card()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(card()));
    }
    void clickOk() { QTest::mouseClick(p().find<QPushButton>(card(), "OkButton"), Qt::LeftButton); }
};

void TestCard::init() {
    m_p = std::make_unique<Program>();
    QVERIFY(p().login(u"secret"_s));
}

void TestCard::cardLoadsAndSaves() {
    openCard(0); // 101
    QCOMPARE(p().app.selection.CurrentClientId, 1);
    QCOMPARE(field("Edit1")->text(), u"101"_s);
    QCOMPARE(field("Edit11")->text(), u"54,2"_s);
    QCOMPARE(p().find<QLabel>(card(), "Label9")->text(), u"Период расчета  03.2024"_s);
    QCOMPARE(p().find<QLabel>(card(), "Label24")->text(),
             u"Общий долг на текущий момент: 136,5 руб."_s);
    auto* figures = p().find<QTableWidget>(card(), "StringGrid1");
    QCOMPARE(figures->rowCount(), 4);
    QCOMPARE(figures->item(0, 1)->text(), u"136,5"_s);
    QCOMPARE(figures->item(0, 1)->background().color(), QColor(0xFF, 0xFF, 0xCC));
    QCOMPARE(figures->columnWidth(7), 72);
    auto* tariffs = p().find<QTableWidget>(card(), "StringGrid3");
    QCOMPARE(tariffs->item(1, 1)->text(), u"0,0"_s);

    QTest::keyClicks(field("Edit2"), u" \"ml\""_s);
    tariffs->item(0, 1)->setText(u"22,5"_s);
    p().find<QDateEdit>(card(), "BirthDate")->setDate(QDate(1960, 2, 3));
    QVERIFY(card()->cardModified());
    clickOk();
    QVERIFY(!card()->isVisible());
    QCOMPARE(p().db.rows(u"select FIO, DATA_ROZHD, PAS_D from Client where IDC=1"_s),
             QStringList{u"Иванов Иван Иванович \"ml\"|03.02.1960|"_s});
    QCOMPARE(p().db.rows(u"select TARIF from Tarif1 where CLIENT=1"_s), QStringList{u"22,5"_s});
    QCOMPARE(p().db.rows(u"select TARIF from Tarif2 where CLIENT=1"_s), QStringList{u"0"_s});
    QCOMPARE(p().journal().last(), u"Изменены даные абонента|1"_s);
    QCOMPARE(p().listColumn(1).first(), u"Иванов Иван Иванович \"ml\""_s); // the list is reopened
    QVERIFY(p().prompter.errors.isEmpty());
}

void TestCard::incompleteAddressKeepsTheCardOpen() {
    openCard(0);
    card()->tabs()->setCurrentIndex(1);
    // the first visit proposed the first region and refilled the rest; the street is kept
    QTest::mouseClick(p().find<QToolButton>(card(), "StreetClear"), Qt::LeftButton);
    field("Edit2")->setText(u"Изменено"_s);
    clickOk();
    QCOMPARE(p().prompter.notices, QStringList{u"Адресные данные заполнены не полностью!"_s});
    QVERIFY(card()->isVisible());
    QCOMPARE(field("Edit2")->text(), u"Изменено"_s); // what was typed stays
    QCOMPARE(p().db.scalar(u"select FIO from Client where IDC=1"_s), u"Иванов Иван Иванович"_s);
}

void TestCard::numberFieldKeys() {
    openCard(0);
    QLineEdit* area = field("Edit11");
    area->clear();
    QTest::keyClicks(area, u"12.5.7a"_s);
    QCOMPARE(area->text(), u"12,57"_s); // a point becomes the comma, a second one is refused
    QLineEdit* residents = field("Edit9");
    residents->clear();
    QTest::keyClicks(residents, u"3x,4"_s);
    QCOMPARE(residents->text(), u"34"_s);
    field("Edit1")->setFocus();
    QTest::keyClick(field("Edit1"), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), field("Edit2"));
}

void TestCard::firstVisitOfTheDataTab() {
    openCard(2); // 103, in the city of region 1
    QVERIFY(!card()->cardModified());
    card()->tabs()->setCurrentIndex(1);
    // the stored address is shown and nothing of it changes by looking at it
    auto* region = p().find<QComboBox>(card(), "ComboBox1");
    QCOMPARE(region->currentIndex(), 0);
    QVERIFY(!card()->cardModified());
    QCOMPARE(p().find<QComboBox>(card(), "ComboBox2")->currentText(), u"Великие Луки"_s);
    QCOMPARE(p().find<QComboBox>(card(), "ComboBox5")->currentText(), u"Мира"_s);
    QCOMPARE(p().find<QComboBox>(card(), "ComboBox6")->currentText(), u"Иванова Т.П."_s);
}

void TestCard::dataTabKeepsAnAddressOfAnotherRegion() {
    // 103 moves to a city of the second region: a glance at the data tab and "О К" keep it there
    Connection& db = p().db.db();
    db.execute(u"insert into Gorod (ID, NAME, RG) values (2, \"Торжок\", 2)"_s);
    db.execute(u"insert into Street (ID, NAME, GD, NP) values (4, \"Ленина\", 2, 0)"_s);
    db.execute(u"update Client set RG = 2, GD = 2, RN = 0, ST = 4 where IDC = 3"_s);
    openCard(2);
    QCOMPARE(p().app.selection.CurrentClientId, 3);
    card()->tabs()->setCurrentIndex(1);
    QCOMPARE(p().find<QComboBox>(card(), "ComboBox1")->currentText(), u"Тверская обл."_s);
    QCOMPARE(p().find<QComboBox>(card(), "ComboBox2")->currentText(), u"Торжок"_s);
    QCOMPARE(p().find<QComboBox>(card(), "ComboBox5")->currentText(), u"Ленина"_s);
    QVERIFY(!card()->cardModified());
    clickOk();
    QVERIFY(!card()->isVisible());
    QCOMPARE(p().db.rows(u"select RG, GD, ST from Client where IDC = 3"_s),
             QStringList{u"2|2|4"_s});
}

void TestCard::closeBoxCancelsANewSubscriber() {
    const QString before = p().db.scalar(u"select count(*) from Client"_s);
    p().main()->findChild<QAction*>(u"AddClientAction"_s)->trigger();
    QVERIFY(card()->isVisible());
    const int id = p().app.selection.CurrentClientId;
    QVERIFY(card()->close() == false); // the close box: the card hides itself as "Отмена" does
    QVERIFY(!card()->isVisible());
    QCOMPARE(p().db.scalar(u"select count(*) from Client"_s), before);
    QCOMPARE(
        p().db.scalar(u"select DEISTV from Zhurnal where CLIENT = %1 order by IDZ desc"_s.arg(id)),
        u"Отменен ввод нового абонента"_s);
    QVERIFY(p().prompter.errors.isEmpty());
}

void TestCard::enterSelectsTheNextFieldAndTariffsTakeAComma() {
    openCard(0); // 101: three residents
    field("Edit2")->setFocus();
    QTest::keyClick(field("Edit2"), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), field("Edit9"));
    QTest::keyClicks(field("Edit9"), u"7"_s); // replaces the selected 3
    QCOMPARE(field("Edit9")->text(), u"7"_s);
    // a tariff typed with a point gets the comma, as the areas do
    auto* tariffs = p().find<QTableWidget>(card(), "StringGrid3");
    tariffs->setFocus();
    tariffs->setCurrentCell(0, 1);
    tariffs->editItem(tariffs->item(0, 1));
    auto* editor = tariffs->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, u"46.5"_s);
    QCOMPARE(editor->text(), u"46,5"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(tariffs->item(0, 1)->text(), u"46,5"_s); // the delegate commits queued
    clickOk();
    QVERIFY(!card()->isVisible());
    QCOMPARE(p().db.rows(u"select TARIF from Tarif1 where CLIENT=1"_s), QStringList{u"46,5"_s});
    QCOMPARE(p().db.rows(u"select KOL from Client where IDC=1"_s), QStringList{u"7"_s});
}

void TestCard::newSubscriberCancelledOrSaved() {
    p().main()->findChild<QAction*>(u"AddClientAction"_s)->trigger();
    QVERIFY(card()->isVisible());
    QCOMPARE(p().app.selection.CurrentClientId, 5);
    QVERIFY(!p().find<QPushButton>(card(), "Button7")->isEnabled());
    QVERIFY(QTest::qWaitForWindowActive(card()));
    QCOMPARE(p().main()->listRows().rowCount, 1); // the new subscriber listed without an address
    QTest::keyClick(card(), Qt::Key_Escape);
    QVERIFY(!card()->isVisible());
    QCOMPARE(p().db.scalar(u"select count(*) from Client where IDC=5"_s), u"0"_s);
    QCOMPARE(p().journal().mid(1), (QStringList{u"Начат ввод нового абонента IDC=5|1"_s,
                                                u"Отменен ввод нового абонента|1"_s}));

    p().main()->findChild<QAction*>(u"AddClientAction"_s)->trigger();
    card()->tabs()->setCurrentIndex(1);
    p().find<QComboBox>(card(), "ComboBox3")->activated(0); // district Невельский
    p().find<QComboBox>(card(), "ComboBox4")->activated(0); // settlement Невель
    p().find<QComboBox>(card(), "ComboBox5")->activated(0); // street Ленина
    field("Edit2")->setText(u"Новиков"_s);
    field("Edit1")->clear();
    clickOk();
    QCOMPARE(p().db.rows(u"select LS, FIO, NP, ST from Client where IDC=5"_s),
             QStringList{u"5|Новиков|1|1"_s});
    QVERIFY(!p().app.selection.NewClientMode);
}

void TestCard::deletionLeavesTheRowBefore() {
    p().select([] {});
    QTableView* grid = p().main()->listGrid();
    grid->setCurrentIndex(grid->model()->index(2, 0)); // 103
    p().db.db().execute(
        u"insert into Nachisl4 (IDR, CLIENT, ITOG, PERIOD) values (1, 1, 5, \"02.2024\")"_s);
    p().prompter.answers = {true};
    p().main()->findChild<QAction*>(u"DeleteClientAction"_s)->trigger();
    QCOMPARE(p().listColumn(0), (QStringList{u"101"_s, u"102"_s}));
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(p().app.selection.CurrentClientId, 2);
    // a subscriber with a charge stays
    grid->setCurrentIndex(grid->model()->index(0, 0));
    p().prompter.answers = {true};
    p().main()->findChild<QAction*>(u"DeleteClientAction"_s)->trigger();
    QCOMPARE(p().db.scalar(u"select count(*) from Client where IDC=1"_s), u"1"_s);
    QCOMPARE(p().prompter.warnings.size(), 1);
}

void TestCard::holders() {
    openCard(0);
    card()->tabs()->setCurrentIndex(1);
    BenefitWindow* w = p().windows->benefit;
    w->today = QDate(2024, 3, 15);
    QTest::mouseClick(p().find<QToolButton>(card(), "AddHolderButton"), Qt::LeftButton);
    QVERIFY(w->isVisible());
    QTest::mouseClick(p().find<QPushButton>(w, "HolderOk"), Qt::LeftButton);
    QCOMPARE(p().prompter.notices, QStringList{u"Вы не указали льготу!!!"_s});
    QVERIFY(w->isVisible());
    auto* kinds = p().find<QComboBox>(w, "KindBox");
    int family = -1;
    for (int i = 0; i < kinds->count(); ++i)
        if (kinds->itemText(i) == u"Многодетная семья")
            family = i;
    QVERIFY(family >= 0);
    kinds->setCurrentIndex(family);
    kinds->activated(family);
    QCOMPARE(p().find<QLineEdit>(w, "HolderPersons")->text(), u"3"_s); // the residents
    p().find<QLineEdit>(w, "HolderName")->setText(u"Иванова Мария"_s);
    QTest::mouseClick(p().find<QPushButton>(w, "HolderOk"), Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(card()->cardModified());
    QCOMPARE(p().db.rows(u"select IDL, FIO_LG, KOL_LG, BESSROCH, DATA_OKON from Lgoty"_s),
             QStringList{u"1|Иванова Мария|3|1|31.12.2999"_s});
    auto* list = p().find<QTableView>(card(), "DBGrid1");
    QCOMPARE(list->model()->rowCount(), 1);
    QCOMPARE(list->columnWidth(1), 240);
    QCOMPARE(list->columnWidth(0), 0);

    // correction of the selected holder, found by its IDL
    list->setCurrentIndex(list->model()->index(0, 1));
    QTest::mouseClick(p().find<QToolButton>(card(), "CorrectHolderButton"), Qt::LeftButton);
    QVERIFY(w->isVisible());
    QCOMPARE(w->correctedIdl(), std::optional<int>(1));
    QVERIFY(p().find<QCheckBox>(w, "UnlimitedBox")->isChecked());
    QVERIFY(p().find<QDateEdit>(w, "EndDate")->isHidden());
    p().find<QLineEdit>(w, "HolderName")->setText(u"Иванова М. П."_s);
    QTest::mouseClick(p().find<QPushButton>(w, "HolderOk"), Qt::LeftButton);
    QCOMPARE(p().db.rows(u"select IDL, FIO_LG from Lgoty"_s), QStringList{u"1|Иванова М. П."_s});
    QCOMPARE(p().journal().mid(1),
             (QStringList{u"Начат ввод новго льготника|1"_s, u"Введен новый льготник IDL=1|1"_s,
                          u"Изменены параметры льготника IDL=1|1"_s}));
}

void TestCard::exclusionWarnsAboutHolders() {
    p().db.db().execute(u"insert into Lgoty (IDL, CLIENT, LGOTA) values (1, 2, 1)"_s);
    openCard(1); // 102: excluded with a holder, the warning comes as the card opens
    QCOMPARE(p().prompter.notices, QStringList{u"У данного абонента есть льгота! Проверте её!"_s});
    auto* excluded = p().find<QCheckBox>(card(), "CheckBox1");
    QVERIFY(excluded->isChecked());
    QVERIFY(excluded->font().bold());
}

void TestCard::massProcessingPanel() {
    p().main()->findChild<QAction*>(u"MassProcessingAction"_s)->trigger();
    MassProcessingPanel* panel = p().main()->massPanel();
    QVERIFY(panel->isVisible());
    QVERIFY(p().documents()->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(p().documents()));
    QTest::keyClick(p().documents(), Qt::Key_F3); // everybody with an address: 101, 102, 103
    p().find<QComboBox>(panel, "MassKindBox")->setCurrentIndex(0);
    panel->kindChosen(0);
    panel->kindChosen(0); // twice: each service once
    auto* services = p().find<QComboBox>(panel, "MassServiceBox");
    QCOMPARE(services->count(), 4);
    p().db.db().execute(u"insert into Tarif1 (CLIENT, TARIF) values (1, 7)"_s);
    p().find<QLineEdit>(panel, "MassTariffEdit")->setText(u"7.5"_s);
    services->setCurrentIndex(0);
    panel->ok();
    QVERIFY(
        p().prompter.notices.last().startsWith(u"Тариф услуги «Холодное водоснабжение» — «7.5»"_s));
    QCOMPARE(p().db.rows(u"select TARIF from Tarif1"_s), QStringList{u"7"_s});
    QVERIFY(panel->isVisible());

    p().find<QComboBox>(panel, "MassKindBox")->setCurrentIndex(1);
    panel->kindChosen(1);
    p().find<QComboBox>(panel, "MassSecondBox")->setCurrentIndex(1); // Исключить
    panel->ok();
    QVERIFY(!panel->isVisible());
    // every subscriber the selection's condition takes, as the caption counts them (104, who has
    // no street and is not listed, too)
    QCOMPARE(p().db.rows(u"select TIPZ from Client order by IDC"_s),
             (QStringList{u"isk"_s, u"isk"_s, u"isk"_s, u"isk"_s}));
    QCOMPARE(p().journal().last(), u"Вкл/Искл в/из начисления, TIPZ=\"isk\"|1"_s);
}

void TestCard::recalculationShowsTheNewBalance() {
    p().db.db().execute(
        u"insert into Nachisl1 (IDR, CLIENT, ITOG, PERIOD) values (1, 1, \"20,5\", \"02.2024\")"_s);
    openCard(0);
    QTest::mouseClick(p().find<QPushButton>(card(), "Button7"), Qt::LeftButton);
    QCOMPARE(p().db.rows(u"select SUMMA from Dolg1 where CLIENT=1"_s), QStringList{u"20,5"_s});
    QCOMPARE(p().find<QTableWidget>(card(), "StringGrid1")->item(0, 1)->text(), u"20,5"_s);
    QCOMPARE(p().find<QLabel>(card(), "Label24")->text(),
             u"Общий долг на текущий момент: 20,5 руб."_s);
}

void TestCard::paymentFromTheCard() {
    openCard(0);
    const QString account = field("Edit1")->text();
    QTest::mouseClick(p().find<QPushButton>(card(), "Button5"), Qt::LeftButton);
    DocumentWindow* d = p().documents();
    QVERIFY(d->isVisible());
    PaymentPanel* panel = d->paymentPanel();
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->lines().size(), size_t(1));
    QCOMPARE(panel->lines().front().account, account);
    p().find<QDateEdit>(d, "DatePicker")->setDate(QDate(2024, 3, 5));
    panel->amountBox()->setText(u"30"_s);
    p().find<QComboBox>(panel, "PaymentServiceBox")->setCurrentIndex(0);
    p().find<QToolButton>(panel, "EnterButton")->click();
    QTest::mouseClick(p().find<QPushButton>(d, "SaveButton"), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    // the card shows the payment of the current period at once
    QCOMPARE(p().find<QTableWidget>(card(), "StringGrid1")->item(0, 6)->text(), u"30"_s);
}

void TestCard::calculationHistoryTab() {
    Connection& db = p().db.db();
    db.execute(u"insert into Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) values "
               u"(1, 5, 1, \"02.2024\", \"136,5\", \"-22,75\", \"113,75\", 1)"_s);
    db.execute(u"insert into Oplata1 (IDO, DOK, STROKA, CLIENT, SPOSOB, OPLATA, DATA, PERIOD, "
               u"KVITANS, USR) values (1, 6, 1, 1, 1, \"100\", \"10.02.2024\", \"02.2024\", "
               u"\"Q-1\", 1)"_s);
    db.execute(
        u"insert into Dokum (IDDOK, TIPDOK, NOMDOK, DATADOK) values (5, \"1\", 3, \"01.02.2024\")"_s);
    db.execute(
        u"insert into Dokum (IDDOK, TIPDOK, NOMDOK, DATADOK) values (6, \"3\", 4, \"10.02.2024\")"_s);
    openCard(0);
    HistoryTab* tab = card()->historyTab();
    card()->tabs()->setCurrentIndex(2);
    QCOMPARE(p().find<QLabel>(tab, "YearLabel")->text(), u"2024"_s);
    QTableWidget* grid = tab->grid();
    QCOMPARE(grid->item(1, 0)->text(), QString()); // nothing ticked yet
    p().find<QCheckBox>(tab, "HistoryService1")->setChecked(true);
    QCOMPARE(grid->item(1, 0)->text(), u"02.2024"_s);
    QCOMPARE(grid->item(1, 5)->text(), u"113,75"_s);
    QCOMPARE(grid->item(2, 1)->text(), u"13,75"_s); // March opens with February's close
    // the documents behind February
    grid->setCurrentCell(1, 0);
    QStringList items;
    for (QAction* a : tab->documentsMenu()->actions())
        items << a->text();
    QCOMPARE(items, (QStringList{u"Начисление:  № 3   от 01.02.2024"_s,
                                 u"Оплата:  № 4   от 10.02.2024"_s}));
    tab->documentsMenu()->actions().last()->trigger();
    QVERIFY(p().documents()->isVisible());
    QCOMPARE(p().documents()->currentDocId(), 6);
    p().documents()->close();
    // the year back and forth gives the same table
    p().find<QToolButton>(tab, "YearBack")->click();
    QCOMPARE(p().find<QLabel>(tab, "YearLabel")->text(), u"2023"_s);
    QCOMPARE(grid->item(1, 2)->text(), u"0"_s);
    p().find<QToolButton>(tab, "YearForward")->click();
    QCOMPARE(grid->item(1, 5)->text(), u"113,75"_s);
    // printed in the report window
    p().find<QToolButton>(tab, "HistoryPrint")->click();
    QVERIFY(p().windows->report->isVisible());
    const ReportTable& printed = p().windows->report->table();
    QCOMPARE(printed.text(1, 1), u"Абонент :  Иванов Иван Иванович"_s);
    QCOMPARE(printed.text(1, 7), u"История расчетов за 2024 год"_s);
    QCOMPARE(printed.text(1, 11), u"02.2024"_s);
}

QTEST_MAIN(TestCard)
#include "tst_card.moc"
