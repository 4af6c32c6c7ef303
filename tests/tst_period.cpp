#include "app/archive.h"
#include "db/dberror.h"
#include "period/balance.h"
#include "period/transition.h"
#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// The opening balances, the month transition and the archive on a small office.
class TestPeriod : public QObject {
    Q_OBJECT
private slots:
    void balances_data();
    void balances();
    void wholeRecalculationAgreesWithTheCards();
    void nextPeriods();
    void transition();
    void failedTransitionLeavesNothing();
    void transitionRefusesBalancesThatDoNotAgree();
    void checkFindsADifference();
    void archive();

private:
    static void movement(Connection& db, const QString& table, int client, const QString& period,
                         const QString& amount) {
        static int id = 0;
        const QString column = table.startsWith(u"Nachisl")  ? u"ITOG"_s
                               : table.startsWith(u"Oplata") ? u"OPLATA"_s
                                                             : u"KORR"_s;
        db.execute(u"insert into %1 (CLIENT, PERIOD, %2) values (%3, \"%4\", \"%5\")"_s.arg(
            table, column, QString::number(client), period, amount));
        ++id;
    }
};

void TestPeriod::balances_data() {
    QTest::addColumn<QString>("current");
    // table|client|period|amount per movement, separated by ";"
    QTest::addColumn<QString>("movements");
    QTest::addColumn<QStringList>("dolg"); // CLIENT|SUMMA of Dolg1 in client order
    const QStringList zero = {u"1|0"_s, u"2|0"_s, u"3|0"_s, u"4|0"_s};
    QTest::newRow("no movements: 0 for everybody") << u"03.2024"_s << QString() << zero;
    QTest::newRow("charges, corrections and payments")
        << u"03.2024"_s
        << u"Nachisl1|1|01.2024|100;Nachisl1|1|02.2024|50,5;Korrekt1|1|02.2024|-10;Oplata1|1|02.2024|40"_s
        << QStringList{u"1|100,5"_s, u"2|0"_s, u"3|0"_s, u"4|0"_s};
    QTest::newRow("only payments: an advance")
        << u"03.2024"_s << u"Oplata1|2|01.2024|30"_s
        << QStringList{u"1|0"_s, u"2|-30"_s, u"3|0"_s, u"4|0"_s};
    QTest::newRow("only corrections") << u"03.2024"_s << u"Korrekt1|3|02.2024|7,25"_s
                                      << QStringList{u"1|0"_s, u"2|0"_s, u"3|7,25"_s, u"4|0"_s};
    QTest::newRow("a subscriber no longer in Client gets no row")
        << u"03.2024"_s << u"Nachisl1|99|01.2024|10"_s << zero;
    QTest::newRow("the current and later periods never count")
        << u"03.2024"_s << u"Nachisl1|1|03.2024|10;Nachisl1|1|04.2024|10;Oplata1|1|05.2025|3"_s
        << zero;
    QTest::newRow("00.0000 counts, also alone")
        << u"03.2024"_s << u"Nachisl1|4|00.0000|12;Oplata1|4|03.2024|5"_s
        << QStringList{u"1|0"_s, u"2|0"_s, u"3|0"_s, u"4|12"_s};
    QTest::newRow("the year first: 12.2009 is before 01.2010")
        << u"01.2010"_s << u"Nachisl1|1|12.2009|8;Nachisl1|1|02.2009|1;Nachisl1|1|01.2010|100"_s
        << QStringList{u"1|9"_s, u"2|0"_s, u"3|0"_s, u"4|0"_s};
}

void TestPeriod::balances() {
    QFETCH(QString, current);
    QFETCH(QString, movements);
    QFETCH(QStringList, dolg);
    TempDatabase t(true, *Period::parse(current));
    t.addSmallOffice();
    for (const QString& m : movements.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = m.split(u'|');
        movement(t.db(), f[0], f[1].toInt(), f[2], f[3]);
    }
    Pereschet(t.app);
    QCOMPARE(t.rows(u"select CLIENT, SUMMA from Dolg1 order by CLIENT"_s), dolg);
    // every shown service gets its table, one row per subscriber
    QCOMPARE(t.scalar(u"select count(*) from Dolg4"_s), u"4"_s);
    for (const BalanceCheck& c : checkBalances(t.app))
        QVERIFY2(c.ok(), qPrintable(TransitionText::checkLine(c)));
}

void TestPeriod::wholeRecalculationAgreesWithTheCards() {
    TempDatabase t;
    t.addSmallOffice();
    Connection& db = t.db();
    movement(db, u"Nachisl1"_s, 1, u"01.2024"_s, u"100,25"_s);
    movement(db, u"Oplata2"_s, 1, u"02.2024"_s, u"20"_s);
    movement(db, u"Korrekt3"_s, 3, u"02.2024"_s, u"-5,5"_s);
    movement(db, u"Nachisl2"_s, 2, u"12.2023"_s, u"33"_s);
    Pereschet(t.app);
    const QString all = u"select CLIENT, SUMMA from Dolg%1 order by CLIENT"_s;
    QStringList whole;
    for (int n = 1; n <= 4; ++n)
        whole << t.rows(all.arg(n));
    for (int client = 1; client <= 4; ++client)
        PereschetSaldoOdnogo(t.app, client);
    QStringList cards;
    for (int n = 1; n <= 4; ++n)
        cards << t.rows(all.arg(n));
    QCOMPARE(cards, whole);
}

void TestPeriod::nextPeriods() {
    QCOMPARE(nextPeriod(u"11.2009"_s), u"12.2009"_s);
    QCOMPARE(nextPeriod(u"12.2009"_s), u"01.2010"_s);
    QCOMPARE(nextPeriod(u"09.2010"_s), u"10.2010"_s);
    QCOMPARE(nextPeriod(u"13.2010"_s), QString());
}

void TestPeriod::transition() {
    TempDatabase t(true, Period(4, 2010));
    t.addSmallOffice();
    t.app.CurrentUserId = 1;
    movement(t.db(), u"Nachisl1"_s, 1, u"04.2010"_s, u"91"_s);
    movement(t.db(), u"Oplata1"_s, 1, u"04.2010"_s, u"50"_s);
    const TransitionResult r = monthTransition(t.app);
    QCOMPARE(r.period, u"05.2010"_s);
    QCOMPARE(t.app.state.CurrentPeriod, u"05.2010"_s);
    QCOMPARE(t.scalar(u"select SUMMA from Dolg1 where CLIENT=1"_s), u"41"_s);
    const QString today = QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    QCOMPARE(
        t.rows(u"select IDS, PERIOD, DATA, NAIMEN, OKR from Service order by IDS"_s),
        (QStringList{u"1|04.2010|"_s + today + u"|1|1"_s, u"2|05.2010|"_s + today + u"|1|1"_s}));
    QCOMPARE(t.rows(u"select TABL, DEISTV, CLIENT, DOK from Zhurnal"_s),
             QStringList{u"Client,Oplata,Service|Переход на период05.2010|0|0"_s});
    QCOMPARE(r.checks.size(), size_t(4));
    QCOMPARE(r.checks[0].balances.toText(), u"41"_s);
    // the snapshot holds the new period's charges: none yet
    QCOMPARE(t.scalar(u"select count(*) from TEMP1"_s), u"0"_s);
    // a second transition follows with the next id
    monthTransition(t.app);
    QCOMPARE(t.rows(u"select IDS, PERIOD from Service where IDS > 1 order by IDS"_s),
             (QStringList{u"2|05.2010"_s, u"3|06.2010"_s}));
}

void TestPeriod::failedTransitionLeavesNothing() {
    TempDatabase t(true, Period(12, 2009));
    t.addSmallOffice();
    movement(t.db(), u"Nachisl1"_s, 1, u"12.2009"_s, u"91"_s);
    Pereschet(t.app);
    // the last Service row has no NAIMEN: its unquoted value breaks the insert
    t.db().execute(u"update Service set NAIMEN=Null"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, monthTransition(t.app));
    QCOMPARE(t.app.state.CurrentPeriod, u"12.2009"_s);
    QCOMPARE(t.scalar(u"select count(*) from Service"_s), u"1"_s);
    QCOMPARE(t.scalar(u"select SUMMA from Dolg1 where CLIENT=1"_s), u"0"_s);
    QCOMPARE(t.scalar(u"select count(*) from Zhurnal"_s), u"0"_s);
}

void TestPeriod::transitionRefusesBalancesThatDoNotAgree() {
    TempDatabase t(true, Period(12, 2009));
    t.addSmallOffice();
    movement(t.db(), u"Nachisl1"_s, 1, u"12.2009"_s, u"91"_s);
    // a subscriber stored twice gets two balance rows: the balances hold more than was charged
    t.db().execute(u"insert into Client (IDC, LS, FIO) values (1, \"101\", \"Двойник\")"_s);
    try {
        monthTransition(t.app);
        QFAIL("the transition should be refused");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(u"сальдо 182, движение 91, расхождение 91"_s),
                 qPrintable(e.message()));
    }
    QCOMPARE(t.app.state.CurrentPeriod, u"12.2009"_s);
    QCOMPARE(t.scalar(u"select count(*) from Service"_s), u"1"_s);
}

void TestPeriod::checkFindsADifference() {
    TempDatabase t;
    t.addSmallOffice();
    movement(t.db(), u"Nachisl1"_s, 1, u"01.2024"_s, u"10"_s);
    Pereschet(t.app);
    t.db().execute(u"update Dolg1 set SUMMA=\"10,01\" where CLIENT=1"_s);
    const std::vector<BalanceCheck> c = checkBalances(t.app);
    QVERIFY(!c[0].ok());
    QCOMPARE(TransitionText::checkLine(c[0]),
             u"Холодное водоснабжение: сальдо 10,01, движение 10, расхождение 0,01"_s);
    QVERIFY(c[1].ok());
}

void TestPeriod::archive() {
    TempDatabase t;
    t.addSmallOffice();
    const ArchiveResult r = archiveDatabase(t.app, QDate(2008, 3, 27));
    QVERIFY2(r.ok(), qPrintable(r.problem));
    QCOMPARE(r.path, t.dir.filePath(u"arhiv_2008_03_27.zip"_s));
    QProcess unzip;
    unzip.start(u"unzip"_s, {u"-Z1"_s, r.path});
    QVERIFY(unzip.waitForFinished());
    QCOMPARE(QString::fromUtf8(unzip.readAllStandardOutput()).trimmed(), u"test.db"_s);
    // the archive is a whole database
    QTemporaryDir out;
    QProcess extract;
    extract.start(u"unzip"_s, {u"-q"_s, r.path, u"-d"_s, out.path()});
    QVERIFY(extract.waitForFinished());
    auto copy = Connection::openSqlite(out.filePath(u"test.db"_s));
    QCOMPARE(copy->query(u"select count(*) from Client"_s).at(0, 0).toInteger(), 4);
    // an archiver that fails is reported
    QVERIFY(QDir(t.dir.path()).mkdir(u"arhiv_2008_03_28.zip"_s));
    const ArchiveResult failed = archiveDatabase(t.app, QDate(2008, 3, 28));
    QVERIFY(!failed.ok());
    QVERIFY2(failed.problem.contains(u"zip"_s), qPrintable(failed.problem));
}

QTEST_GUILESS_MAIN(TestPeriod)
#include "tst_period.moc"
