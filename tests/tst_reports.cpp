#include "common/cp1251.h"
#include "reports/reporttable.h"
#include "reports/subscriberlist.h"
#include "testsupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The report table: CSV, the frame rule, and the printed subscriber list.
class TestReports : public QObject {
    Q_OBJECT
private slots:
    void csv_data();
    void csv();
    void emptyRowsAreCommas();
    void frames_data();
    void frames();
    void clearKeepsTheSize();
    void subscriberListPrintsEveryRowAndColumn();
};

void TestReports::csv_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QByteArray>("written");
    auto row = [](const char* name, const QString& cell, const QString& written) {
        QTest::newRow(name) << cell << Cp1251::encode(written);
    };
    row("plain name is bare", u"Иванов Иван"_s, u"Иванов Иван"_s);
    row("amount with a comma is quoted", u"1234,5"_s, u"\"1234,5\""_s);
    row("inner quotes are doubled", uR"(ООО "Вода")"_s, uR"("ООО ""Вода""")"_s);
    row("line breaks become 0x0B", u"первая\r\nвторая\nтретья"_s,
        u"\"первая\x0Bвторая\x0Bтретья\""_s);
    row("empty cell", QString(), QString());
}

void TestReports::csv() {
    QFETCH(QString, cell);
    QFETCH(QByteArray, written);
    ReportTable t;
    t.setSize(1, 2);
    t.setText(0, 0, cell);
    t.setText(1, 0, u"x"_s);
    QCOMPARE(t.toCsv(), written + ",x\r\n");
}

void TestReports::emptyRowsAreCommas() {
    ReportTable t;
    t.setSize(3, 9);
    t.merge(0, 0, 9, 1);
    t.setText(0, 0, u"Заголовок"_s);
    QCOMPARE(t.toCsv(), Cp1251::encode(u"Заголовок,,,,,,,,\r\n,,,,,,,,\r\n,,,,,,,,\r\n"_s));
}

void TestReports::frames_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("edges");
    QTest::addColumn<bool>("black");
    using E = CellFrame::Edge;
    const QString report = ReportTitle::Report, history = ReportTitle::History;
    QTest::newRow("report title row: grid colour")
        << report << 0 << 3 << (E::Right | E::Bottom) << false;
    QTest::newRow("report spacer: top line of the table")
        << report << 1 << 0 << int(E::Bottom) << true;
    QTest::newRow("report body, no left line")
        << report << 5 << 0 << (E::Right | E::Bottom) << true;
    QTest::newRow("history head") << history << 7 << 2 << int(E::None) << false;
    QTest::newRow("history row 8, column 0") << history << 8 << 0 << int(E::None) << false;
    QTest::newRow("history row 8") << history << 8 << 1 << int(E::Bottom) << true;
    QTest::newRow("history body, column 0") << history << 9 << 0 << int(E::Right) << true;
    QTest::newRow("history body") << history << 12 << 4 << (E::Right | E::Bottom) << true;
    QTest::newRow("list: no frames") << ReportTitle::List << 4 << 2 << int(E::None) << false;
}

void TestReports::frames() {
    QFETCH(QString, title);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, edges);
    QFETCH(bool, black);
    const CellFrame f = reportCellFrame(title, row, column);
    QCOMPARE(f.edges, edges);
    QCOMPARE(f.black, black);
}

void TestReports::clearKeepsTheSize() {
    ReportTable t;
    t.setSize(2, 2);
    t.setText(1, 1, u"a"_s);
    t.setStyle(1, 1, ReportTable::Bold);
    t.merge(0, 0, 2, 1);
    t.setColumnWidth(1, 200);
    t.clear();
    QCOMPARE(t.rowCount(), 2);
    QCOMPARE(t.text(1, 1), QString());
    QCOMPARE(t.cell(1, 1).style, int(ReportTable::Plain));
    QVERIFY(t.merges().empty());
    t.setText(5, 5, u"outside"_s); // ignored
    QCOMPARE(t.text(5, 5), QString());
}

void TestReports::subscriberListPrintsEveryRowAndColumn() {
    TempDatabase db;
    db.addSmallOffice();
    const ResultSet list = db.db().query(
        u"select LS as Лицевой_счет, FIO as Фамилия_Имя_Отчество, OB_PL, IDC, TIPZ from Client order by IDC"_s);
    ReportTable t;
    t.setSize(10, 10);
    t.setText(7, 7, u"old"_s);
    fillSubscriberList(t, list);
    QCOMPARE(t.title, u"Перечень"_s);
    QCOMPARE(t.rowCount(), 5);
    QCOMPARE(t.columnCount(), 6);
    QCOMPARE(t.text(0, 0), u"№ п/п"_s);
    QCOMPARE(t.text(1, 0), u"Лицевой_счет"_s);
    QCOMPARE(t.text(5, 0), u"TIPZ"_s); // hidden columns are printed too
    QCOMPARE(t.text(0, 4), u"4"_s);
    QCOMPARE(t.text(3, 1), u"54,2"_s);
    QCOMPARE(t.text(5, 2), u"isk"_s);
}

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
