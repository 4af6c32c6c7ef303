#include "programfixture.h"
#include "ui/documents/documentpanels.h"
#include "ui/documents/journalwindow.h"
#include "ui/reports/reportparamswindow.h"
#include "ui/reports/reportwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>

// The three documents entered through the document window's own controls, on the small office
// (period 03.2024: subscribers 101 and 103 are selected, 102 is excluded).
class TestDocumentWindow : public QObject {
    Q_OBJECT
private slots:
    void chargeThroughTheWindow();
    void paymentThroughTheWindow();
    void correctionThroughTheWindow();
    void journalOpensFindsAndDeletes();
    void monthTransitionFromTheMenu();
    void registersFromTheParametersWindow();
    void debtorListFromTheMenu();

private:
    // A new document of the command, dated, with every subscriber selected.
    DocumentWindow* open(Program& p, const char* action, QDate date) {
        p.main()->findChild<QAction*>(QLatin1String(action))->trigger();
        DocumentWindow* d = p.documents();
        (void)QTest::qWaitForWindowActive(d); // for the focus checks
        p.find<QDateEdit>(d, "DatePicker")->setDate(date);
        QTest::mouseClick(p.find<QPushButton>(d, "SelectButton"), Qt::LeftButton);
        return d;
    }
    // Enter on the grid's first row adds it as a line.
    void addFirstRow(DocumentWindow* d) {
        d->selectionGrid()->selectRow(0);
        QTest::keyClick(d->selectionGrid(), Qt::Key_Return);
    }
};

void TestDocumentWindow::chargeThroughTheWindow() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.db.db().execute(u"insert into Tarif1 (CLIENT, TARIF) values (1, \"45,5\")"_s);
    DocumentWindow* d = open(p, "ChargeAction", QDate(2024, 3, 15));
    QCOMPARE(p.find<QLabel>(d, "TypeLabel")->text(), u"Документ начисления №"_s);
    QCOMPARE(p.find<QPushButton>(d, "SaveButton")->text(), u"Начисление"_s);
    QCOMPARE(d->selectionGrid()->model()->rowCount(), 3);
    // nothing ticked: nothing written, the window stays
    QTest::mouseClick(p.find<QPushButton>(d, "SaveButton"), Qt::LeftButton);
    QCOMPARE(p.prompter.notices.size(), 1);
    QVERIFY(d->isVisible());
    p.find<QCheckBox>(d, "ServiceCheck1")->setChecked(true);
    QTest::mouseClick(p.find<QPushButton>(d, "SaveButton"), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(p.db.rows(u"select CLIENT, NACH from Nachisl1 order by CLIENT"_s),
             (QStringList{u"1|136,5"_s, u"3|0"_s}));
    QCOMPARE(p.db.scalar(u"select NOMDOK from Dokum"_s), u"1"_s);
}

void TestDocumentWindow::paymentThroughTheWindow() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    DocumentWindow* d = open(p, "PaymentAction", QDate(2024, 2, 28));
    auto* panel = d->paymentPanel();
    // Escape right after adding takes the line back
    addFirstRow(d);
    QVERIFY(panel->isVisible());
    QTest::keyClick(panel->amountBox(), Qt::Key_Escape);
    QVERIFY(!panel->isVisible());
    QVERIFY(panel->lines().empty());

    addFirstRow(d);
    QVERIFY(panel->isVisible());
    const QString account = panel->lines().front().account;
    QTest::keyClicks(panel->amountBox(), u"100.5"_s); // a point is typed as a comma
    QTest::keyClick(panel->amountBox(), Qt::Key_Return);
    auto* method = p.find<QComboBox>(panel, "MethodBox");
    QTRY_VERIFY(method->hasFocus());
    method->setCurrentIndex(1);
    p.find<QLineEdit>(panel, "ReceiptEdit")->setText(u"К\"7"_s);
    p.find<QComboBox>(panel, "PaymentServiceBox")->setCurrentIndex(0);
    p.find<QToolButton>(panel, "EnterButton")->click();
    QCOMPARE(p.find<QLabel>(panel, "TotalLabel")->text(), u"100,5"_s);
    // dated in February: the payers' balances are recalculated when the operator agrees
    p.prompter.answers << true;
    QTest::mouseClick(p.find<QPushButton>(d, "SaveButton"), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(p.prompter.asked.size(), 1);
    const QString idc = p.db.scalar(u"select IDC from Client where LS=\"%1\""_s.arg(account));
    QCOMPARE(p.db.rows(u"select CLIENT, SPOSOB, OPLATA, PERIOD, KVITANS from Oplata1"_s),
             QStringList{idc + u"|2|100,5|02.2024|К\"7"_s});
    QCOMPARE(p.db.scalar(u"select SUMMA from Dolg1 where CLIENT=%1"_s.arg(idc)), u"-100,5"_s);

    // loaded back and saved again: the same document
    const int id = p.db.scalar(u"select IDDOK from Dokum"_s).toInt();
    d->loadDocument(id);
    QVERIFY(panel->isVisible());
    QCOMPARE(p.find<QTableWidget>(panel, "PaymentList")->rowCount(), 1);
    QCOMPARE(p.find<QLineEdit>(d, "NumberEdit")->text(), u"1"_s);
    p.prompter.answers << false;
    QTest::mouseClick(p.find<QPushButton>(d, "SaveButton"), Qt::LeftButton);
    QCOMPARE(p.db.rows(u"select IDDOK, NOMDOK, SUMMA from Dokum"_s),
             QStringList{QString::number(id) + u"|1|100,5"_s});
    QCOMPARE(p.db.scalar(u"select count(*) from Oplata1"_s), u"1"_s);
}

void TestDocumentWindow::correctionThroughTheWindow() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    DocumentWindow* d = open(p, "CorrectionAction", QDate(2024, 3, 20));
    auto* panel = d->correctionPanel();
    addFirstRow(d);
    QVERIFY(panel->isVisible());
    QLineEdit* value = panel->valueBox();
    QCOMPARE(value->text(), u"0"_s);
    // a residents' count takes digits only
    p.find<QRadioButton>(panel, "KindButton3")->click();
    QTest::keyClicks(value, u"2a,-"_s);
    QCOMPARE(value->text(), u"2"_s);
    // a fixed amount: "-" toggles the sign, a point gives the comma
    p.find<QRadioButton>(panel, "KindButton2")->click();
    value->clear();
    QTest::keyClicks(value, u"150.5-"_s);
    QCOMPARE(value->text(), u"-150,5"_s);
    QTest::mouseClick(p.find<QPushButton>(panel, "StoreLineButton"), Qt::LeftButton);
    auto* list = p.find<QTableWidget>(panel, "CorrectionList");
    QCOMPARE(list->item(0, 3)->text(), u"Сумма"_s);
    QCOMPARE(list->item(0, 6)->text(), u"-150,5"_s);
    // no service chosen: refused, nothing written
    QTest::mouseClick(p.find<QPushButton>(d, "SaveButton"), Qt::LeftButton);
    QVERIFY(d->isVisible());
    QCOMPARE(p.db.scalar(u"select count(*) from Dokum"_s), u"0"_s);
    p.find<QComboBox>(panel, "CorrectionServiceBox")->setCurrentIndex(1);
    QTest::mouseClick(p.find<QPushButton>(d, "SaveButton"), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(p.db.rows(u"select KORR, NACH, KON, SPOSOB from Korrekt2"_s),
             QStringList{u"-150,5|20.03.2024|20.03.2024|2"_s});
}

void TestDocumentWindow::journalOpensFindsAndDeletes() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    const PaymentLine l = enteredPayment(1, u"101"_s, 1, Money::fromInteger(5), 0, u"R-9"_s);
    DocumentHeader h;
    h.number = u"4"_s;
    h.date = QDate(2024, 3, 15);
    p.app.CurrentUserId = 1;
    const int doc = pay(p.app, {h, {l}}).docId;
    p.main()->findChild<QAction*>(u"JournalAction"_s)->trigger();
    JournalWindow* j = p.windows->journal;
    QVERIFY(j->isVisible());
    // on the current month, with the type's name drawn
    QCOMPARE(j->tree()->currentItem()->text(0), u"03.2024"_s);
    QCOMPARE(j->windowTitle(), u"03.2024"_s);
    QCOMPARE(j->list()->model()->rowCount(), 1);
    const QModelIndex type = j->list()->model()->index(0, 0);
    QCOMPARE(static_cast<QStyledItemDelegate*>(j->list()->itemDelegateForColumn(0))
                 ->displayText(type.data(), QLocale()),
             u"Оплата"_s);
    QCOMPARE(j->currentDocId(), doc);
    // the receipt opens its payment document
    p.find<QLineEdit>(j, "ReceiptSearchEdit")->setText(u"R-9"_s);
    j->searchReceipt();
    QVERIFY(p.documents()->isVisible());
    QCOMPARE(p.documents()->currentDocId(), doc);
    // while it is open, the journal opens nothing else
    j->openCurrent();
    QCOMPARE(p.prompter.notices.last(), u"У Вас уже открыт документ! Решите что делать с ним!"_s);
    p.documents()->close();
    // deletion asks, and the journal comes back on the current month
    p.prompter.answers << true;
    j->deleteCurrent();
    QCOMPARE(p.db.scalar(u"select count(*) from Dokum"_s), u"0"_s);
    QCOMPARE(j->list()->model()->rowCount(), 0);
    QCOMPARE(j->tree()->topLevelItem(0)->childCount(), 0);
}

void TestDocumentWindow::monthTransitionFromTheMenu() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.prompter.answers << true << true; // archive, then the transition
    p.main()->findChild<QAction*>(u"MonthTransitionAction"_s)->trigger();
    QCOMPARE(p.prompter.asked.size(), 2);
    QCOMPARE(p.app.state.CurrentPeriod, u"04.2024"_s);
    QCOMPARE(p.find<QLabel>(p.main(), "PeriodPanel")->text(), u"Период расчета 04.2024"_s);
    QCOMPARE(p.db.scalar(u"select PERIOD from Service where IDS=2"_s), u"04.2024"_s);
    QVERIFY(QFileInfo::exists(
        p.db.dir.filePath(u"arhiv_%1.zip"_s.arg(QDate::currentDate().toString(u"yyyy_MM_dd"_s)))));
    const auto* operations = p.main()->findChild<QMenu*>(u"OperationsMenu"_s);
    QVERIFY(operations->menuAction()->isEnabled());
    // answering no changes nothing
    p.prompter.answers << false << false;
    p.main()->findChild<QAction*>(u"MonthTransitionAction"_s)->trigger();
    QCOMPARE(p.app.state.CurrentPeriod, u"04.2024"_s);
}

void TestDocumentWindow::registersFromTheParametersWindow() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    auto* params = p.windows->reportParams;
    // the charge register without a layout says what to choose
    p.main()->findChild<QAction*>(u"ChargeRegisterAction"_s)->trigger();
    QVERIFY(params->isVisible());
    QCOMPARE(p.find<QLabel>(params, "ChargePeriodLabel")->text(), u"03.2024"_s);
    QVERIFY(!p.find<QWidget>(params, "DayPanel")->isVisible());
    QTest::mouseClick(p.find<QPushButton>(params, "OkButton"), Qt::LeftButton);
    QCOMPARE(p.prompter.notices.size(), 1);
    QVERIFY(!p.windows->report->isVisible());
    p.find<QToolButton>(params, "PeriodBack")->click();
    QCOMPARE(p.find<QLabel>(params, "ChargePeriodLabel")->text(), u"02.2024"_s);
    p.find<QRadioButton>(params, "ByStreetRadio")->setChecked(true);
    QTest::mouseClick(p.find<QPushButton>(params, "OkButton"), Qt::LeftButton);
    QVERIFY(p.windows->report->isVisible());
    QCOMPARE(p.windows->report->table().text(0, 0), u"Отчет по начислению за  02.2024"_s);
    // another register replaces the panel; OK with nothing chosen takes every method
    p.main()->findChild<QAction*>(u"DayRegisterAction"_s)->trigger();
    QVERIFY(p.find<QWidget>(params, "DayPanel")->isVisible());
    QVERIFY(!p.find<QWidget>(params, "ChargePanel")->isVisible());
    QTest::mouseClick(p.find<QPushButton>(params, "OkButton"), Qt::LeftButton);
    QVERIFY(p.find<QCheckBox>(params, "DayAllMethods")->isChecked());
    QVERIFY(p.find<QCheckBox>(params, "DayAllDocuments")->isChecked());
    QVERIFY(p.windows->report->table().text(0, 0).startsWith(u"Реестр поступивших платежей за "_s));
    // the payment registers' subscriber filter
    p.main()->findChild<QAction*>(u"PeriodRegisterAction"_s)->trigger();
    QTest::mouseClick(p.find<QPushButton>(params, "PaymentFilterButton"), Qt::LeftButton);
    QCOMPARE(p.documents()->windowTitle(), u"Отбор абонентов для реестра оплат"_s);
    p.find<QLineEdit>(p.documents(), "AccountEdit")->setText(u"103"_s);
    p.documents()->select();
    QVERIFY(!p.documents()->isVisible());
    QVERIFY(params->windowTitle().endsWith(u"  (Произведена фильтрация абонентов)"_s));
    QVERIFY(p.app.selection.ReportClientFilter.contains(u"103"_s));
}

void TestDocumentWindow::debtorListFromTheMenu() {
    Program p;
    QVERIFY(p.login(u"secret"_s));
    p.main()->findChild<QAction*>(u"DebtorsAction"_s)->trigger();
    DocumentWindow* d = p.documents();
    QCOMPARE(d->windowTitle(), u"Отбор списка должников"_s);
    QVERIFY(p.find<QWidget>(d, "LimitStrip")->isVisible());
    QVERIFY(!p.find<QWidget>(d, "AreaStrip")->isVisible());
    // digits, a minus toggled in front, one decimal point
    QTest::keyClicks(d->limitBox(), u"1,5.x-"_s);
    QCOMPARE(d->limitBox()->text(), u"-1.5"_s);
    QTest::keyClicks(d->limitBox(), u"-"_s);
    QCOMPARE(d->limitBox()->text(), u"1.5"_s);
    QTest::mouseClick(p.find<QPushButton>(d, "SelectButton"), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QVERIFY(p.windows->report->isVisible());
    QCOMPARE(p.windows->report->table().text(0, 0),
             u"Список абонентов, за 03.2024, чей долг превышает 1.5 руб."_s);
    // the subscriber 101 owes 136,5 of water (a balance of the small office)
    QCOMPARE(p.windows->report->table().text(2, 3), u"101"_s);
}

QTEST_MAIN(TestDocumentWindow)
#include "tst_documentwindow.moc"
