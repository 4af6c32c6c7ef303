#include "db/dberror.h"
#include "db/journal.h"
#include "period/snapshot.h"
#include "testsupport.h"

#include <QTest>
#include <thread>

using namespace Qt::StringLiterals;

// The action journal and the current-period snapshot.
class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void linesAreNumberedAndStamped();
    void quotesInTextsAreKept();
    void journalIdsOfTwoWriters();
    void snapshotHoldsTheCurrentPeriod();
    void snapshotOfAServiceWithoutCharges();
    void snapshotAfterThePeriodMoves();
};

void TestJournal::linesAreNumberedAndStamped() {
    TempDatabase t;
    t.app.CurrentUserId = 4;
    const QDateTime at(QDate(2024, 3, 5), QTime(7, 8, 9));
    ActionJournal journal(t.db(), t.app.CurrentUserId, [&] { return at; });
    journal.HistZap(QString(), JournalText::login(), 0, 0);
    journal.HistZap(QString(), JournalText::exit(), 0, 0);
    journal.HistZap(QStringLiteral("Client"), JournalText::newClientStarted(17), 17, 0);
    QCOMPARE(
        t.rows(QStringLiteral(
            "select IDZ, USR, DATA, TABL, DEISTV, CLIENT, DOK from Zhurnal order by IDZ")),
        (QStringList{
            QStringLiteral("1|4|05.03.2024 07:08:09||Произведен вход в программу|0|0"),
            QStringLiteral("2|4|05.03.2024 07:08:09||Произведен выход из программы|0|0"),
            QStringLiteral("3|4|05.03.2024 07:08:09|Client|Начат ввод нового абонента IDC=17|17|0"),
        }));
}

void TestJournal::quotesInTextsAreKept() {
    TempDatabase t;
    t.app.CurrentUserId = 1;
    ActionJournal journal = t.app.journal();
    const QString texts[] = {QStringLiteral("О'Коннор «ООО \"Ромашка\"»"),
                             JournalText::exclusionChanged(QStringLiteral("isk")),
                             JournalText::periodChanged(QStringLiteral("04.2024")),
                             JournalText::documentDeleted(QStringLiteral("1"), QStringLiteral("40"),
                                                          QStringLiteral("15.03.2024"))};
    for (const QString& text : texts)
        journal.HistZap(QStringLiteral("Dok'um"), text, 0, 40);
    const QStringList stored =
        t.rows(QStringLiteral("select TABL, DEISTV from Zhurnal order by IDZ"));
    QCOMPARE(stored.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(stored[i], QStringLiteral("Dok'um|") + texts[i]);
    QCOMPARE(texts[1], QStringLiteral("Вкл/Искл в/из начисления, TIPZ=\"isk\""));
    QCOMPARE(texts[2], QStringLiteral("Переход на период04.2024"));
}

void TestJournal::journalIdsOfTwoWriters() {
    // two workstations writing journal lines at once never take the same IDZ
    TempDatabase office;
    const QString path = office.path;
    const int before = office.scalar(u"select count(*) from Zhurnal"_s).toInt();
    QString failures[2];
    auto writer = [path](int lines, QString* failure) {
        try {
            auto db = Connection::openSqlite(path);
            const int user = 1;
            ActionJournal journal(*db, user);
            for (int i = 0; i < lines; ++i)
                journal.HistZap(u"Client"_s, JournalText::login(), 0, 0);
        } catch (const DbError& e) {
            *failure = e.message();
        }
    };
    std::thread a(writer, 150, &failures[0]), b(writer, 150, &failures[1]);
    a.join();
    b.join();
    QVERIFY2(failures[0].isEmpty() && failures[1].isEmpty(), qPrintable(failures[0] + failures[1]));
    const QString written = QString::number(before + 300);
    QCOMPARE(office.scalar(u"select count(*) from Zhurnal"_s), written);
    QCOMPARE(office.scalar(u"select count(*) from (select distinct IDZ from Zhurnal)"_s), written);
}

void TestJournal::snapshotHoldsTheCurrentPeriod() {
    TempDatabase t; // current period 03.2024
    Connection& db = t.db();
    db.execute(QStringLiteral(
        "insert into Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) values (1, 5, 10, '02.2024', \"136,5\", \"0\", \"136,5\", 1)"));
    db.execute(QStringLiteral(
        "insert into Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) values (2, 6, 10, '03.2024', \"136,5\", \"-22,75\", \"113,75\", 1)"));
    db.execute(QStringLiteral(
        "insert into Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) values (3, 6, 11, '03.2024', \"116,8525\", \"0\", \"116,8525\", 2)"));
    TEMPUpdate(t.app);
    const QStringList expected = {QStringLiteral("2|6|10|03.2024|136,5|-22,75|113,75|1"),
                                  QStringLiteral("3|6|11|03.2024|116,8525|0|116,8525|2")};
    QCOMPARE(t.rows(QStringLiteral("select * from TEMP1 order by IDR")), expected);
    TEMPUpdate(t.app); // a second rebuild leaves the same rows
    QCOMPARE(t.rows(QStringLiteral("select * from TEMP1 order by IDR")), expected);
    // the snapshot keeps the charge table's types
    QCOMPARE(db.catalog().columnType(QStringLiteral("TEMP1"), QStringLiteral("PERIOD"))->length,
             10);
    QCOMPARE(db.catalog().columnType(QStringLiteral("TEMP1"), QStringLiteral("ITOG"))->type,
             JetType::Float);
}

void TestJournal::snapshotOfAServiceWithoutCharges() {
    TempDatabase t;
    TEMPUpdate(t.app);
    for (const TVidUslugi& s : t.app.state.ShownServices) {
        const ResultSet r =
            t.db().query(QStringLiteral("select * from TEMP") + QString::number(s.IDUSL));
        QCOMPARE(r.rowCount, 0);
        QCOMPARE(r.columns.join(u','), QStringLiteral("IDR,DOK,CLIENT,PERIOD,NACH,LGOT,ITOG,USR"));
    }
}

void TestJournal::snapshotAfterThePeriodMoves() {
    TempDatabase t;
    t.db().execute(QStringLiteral(
        "insert into Nachisl2 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) values (1, 6, 10, '03.2024', 1, 0, 1, 1)"));
    TEMPUpdate(t.app);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from TEMP2")), QStringLiteral("1"));
    t.app.state.CurrentPeriod = QStringLiteral("04.2024");
    TEMPUpdate(t.app);
    QCOMPARE(t.scalar(QStringLiteral("select count(*) from TEMP2")), QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
