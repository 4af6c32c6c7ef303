#include "app/startup.h"
#include "common/cp1251.h"
#include "reports/registers.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <functional>

using namespace Qt::StringLiterals;
#include <QTemporaryDir>
#include <QTest>

// tervala-cli as scripts use it: exit codes, the TAB-separated output, a failing statement.
class TestCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void initPrintsThePassword();
    void sqlPrintsRows();
    void sqlWithoutRowsPrintsNothing();
    void failingStatementChangesNothing();
    void emptyFileIsNotADatabase();
    void databaseFromConfigIni();
    void badArguments_data();
    void badArguments();
    void demoIsRepeatable();
    void listPrintsTheMainList();
    void documentsFromTheCommandLine();
    void monthsFromTheCommandLine();
    void reportsAreTheWindowsTables();

private:
    struct Run {
        int code;
        QString out, err;
    };
    Run cli(const QStringList& args, const QString& dir = {}) {
        QProcess p;
        if (!dir.isEmpty())
            p.setWorkingDirectory(dir);
        p.start(QStringLiteral(TERVALA_CLI), args);
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QTemporaryDir m_dir;
    QString m_db;
};

void TestCli::initTestCase() {
    m_db = m_dir.filePath(QStringLiteral("base.db"));
    const Run r =
        cli({QStringLiteral("init"), m_db, QStringLiteral("--period"), QStringLiteral("03.2024"),
             QStringLiteral("--admin-password"), QStringLiteral("pa\"ss")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(QStringLiteral("пароль pa\"ss")), qPrintable(r.out));
}

void TestCli::initPrintsThePassword() {
    const QString path = m_dir.filePath(QStringLiteral("generated.db"));
    const Run r = cli({QStringLiteral("init"), path});
    QCOMPARE(r.code, 0);
    const QString password = r.out.section(QStringLiteral("пароль "), 1).trimmed();
    QVERIFY(!password.isEmpty());
    const Run users = cli({QStringLiteral("--db"), path, QStringLiteral("sql"),
                           QStringLiteral("select NAME, PASS, PRAV from Users")});
    QCOMPARE(users.out, QStringLiteral("NAME\tPASS\tPRAV\nАдминистратор\t%1\t3\n").arg(password));
    // a second init on the same path refuses instead of overwriting
    QCOMPARE(cli({QStringLiteral("init"), path}).code, 1);
}

void TestCli::sqlPrintsRows() {
    const Run r =
        cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
             QStringLiteral(
                 "select IDUSL, KRATKO, OSNOVA from Uslugi where IDUSL < 4 order by IDUSL")});
    QCOMPARE(r.code, 0);
    QCOMPARE(
        r.out,
        QStringLiteral("IDUSL\tKRATKO\tOSNOVA\n1\tХВС\tKOL\n2\tКанализ.\tKOL\n3\tОтопл.\tOB_PL\n"));
    const Run period = cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
                            QStringLiteral("select PERIOD from Service")});
    QCOMPARE(period.out, QStringLiteral("PERIOD\n03.2024\n"));
    const Run empty = cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
                           QStringLiteral("select ID, NAME from Region")});
    QCOMPARE(empty.out, QStringLiteral("ID\tNAME\n"));
}

void TestCli::sqlWithoutRowsPrintsNothing() {
    const Run r =
        cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
             QStringLiteral("insert into Region (ID, NAME) values (1, \"Псковская область\")")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QString());
    QCOMPARE(cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
                  QStringLiteral("select NAME from Region")})
                 .out,
             QStringLiteral("NAME\nПсковская область\n"));
}

void TestCli::failingStatementChangesNothing() {
    const Run r = cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
                       QStringLiteral("update Uslugi set KRATKO = \"x\", OTOBR = \"может быть\"")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(QStringLiteral("OTOBR")), qPrintable(r.err));
    QCOMPARE(cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
                  QStringLiteral("select count(*) from Uslugi where KRATKO = \"x\"")})
                 .out,
             QStringLiteral("Expr1000\n0\n"));
    // a second statement after ";" is refused with the first, not run or ignored
    const Run two = cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
                         QStringLiteral("update Uslugi set KRATKO = \"x\"; delete * from Uslugi")});
    QCOMPARE(two.code, 1);
    QVERIFY2(two.err.contains(QStringLiteral("только один запрос")), qPrintable(two.err));
    QCOMPARE(cli({QStringLiteral("--db"), m_db, QStringLiteral("sql"),
                  QStringLiteral("select count(*) from Uslugi where KRATKO = \"x\"")})
                 .out,
             QStringLiteral("Expr1000\n0\n"));
}

void TestCli::emptyFileIsNotADatabase() {
    const QString path = m_dir.filePath(QStringLiteral("empty.mdb"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const Run r = cli({QStringLiteral("--db"), path, QStringLiteral("sql"),
                       QStringLiteral("create table X (A long)")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("не база данных программы")), qPrintable(r.err));
    QCOMPARE(QFileInfo(path).size(), 0);
}

void TestCli::databaseFromConfigIni() {
    QTemporaryDir work;
    QFile f(work.filePath(QStringLiteral("Config.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(Cp1251::encode(m_db) + "\r\n");
    f.close();
    const Run r =
        cli({QStringLiteral("sql"), QStringLiteral("select NAME from VidOpl where NOM = 3")},
            work.path());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("NAME\nчерез почту\n"));
}

void TestCli::badArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
    QTest::newRow("init without path") << QStringList{QStringLiteral("init")};
    QTest::newRow("bad period") << QStringList{QStringLiteral("init"), QStringLiteral("x.db"),
                                               QStringLiteral("--period"),
                                               QStringLiteral("13.2024")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("demo"), QStringLiteral("x.db"),
                                                   QStringLiteral("--many"), QStringLiteral("5")};
    QTest::newRow("bad count") << QStringList{QStringLiteral("demo"), QStringLiteral("x.db"),
                                              QStringLiteral("--subscribers"),
                                              QStringLiteral("много")};
    QTest::newRow("sql without statement") << QStringList{QStringLiteral("sql")};
    QTest::newRow("--db without path") << QStringList{QStringLiteral("--db")};
}

void TestCli::badArguments() {
    QFETCH(QStringList, args);
    const Run r = cli(args, m_dir.path());
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QStringLiteral("Использование")));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("x.db"))));
}

void TestCli::demoIsRepeatable() {
    const QString a = m_dir.filePath(QStringLiteral("a.db")),
                  b = m_dir.filePath(QStringLiteral("b.db"));
    for (const QString& path : {a, b})
        QCOMPARE(cli({QStringLiteral("demo"), path, QStringLiteral("--subscribers"),
                      QStringLiteral("150"), QStringLiteral("--seed"), QStringLiteral("7"),
                      QStringLiteral("--period"), QStringLiteral("03.2024")})
                     .code,
                 0);
    const QString sql = QStringLiteral(
        "select IDC, LS, FIO, RG, GD, RN, NP, ST, DOM, KVART, UCH, KOL, OB_PL, TIPZ, DATA_ROZHD from Client order by IDC");
    const Run ra = cli({QStringLiteral("--db"), a, QStringLiteral("sql"), sql});
    const Run rb = cli({QStringLiteral("--db"), b, QStringLiteral("sql"), sql});
    QCOMPARE(ra.out.count(u'\n'), 151);
    QCOMPARE(ra.out, rb.out);
    // the files were built under other names and renamed when complete: nothing else is left
    QStringList left = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    QVERIFY2(left.filter(QStringLiteral("creating")).isEmpty(), qPrintable(left.join(u' ')));
    // every subscriber's address points at existing books, and the users of every level exist
    const Run orphans = cli(
        {QStringLiteral("--db"), a, QStringLiteral("sql"),
         QStringLiteral(
             "select count(*) from Client LEFT JOIN Street ON Client.ST = Street.ID where Street.ID Is Null")});
    QCOMPARE(orphans.out, QStringLiteral("Expr1000\n0\n"));
    const Run levels = cli({QStringLiteral("--db"), a, QStringLiteral("sql"),
                            QStringLiteral("select PRAV from Users order by PRAV")});
    QCOMPARE(levels.out, QStringLiteral("PRAV\n0\n1\n2\n3\n"));
}

void TestCli::listPrintsTheMainList() {
    const QString db = m_dir.filePath(QStringLiteral("list.db"));
    QCOMPARE(
        cli({QStringLiteral("demo"), db, QStringLiteral("--subscribers"), QStringLiteral("60")})
            .code,
        0);
    const Run all = cli({QStringLiteral("--db"), db, QStringLiteral("list")});
    QCOMPARE(all.code, 0);
    const QStringList lines = all.out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(lines[0].startsWith(
        QStringLiteral("Лицевой_счет\tФамилия_Имя_Отчество\tНас_пункт\tУлица\tДом")));
    QVERIFY(!lines[0].contains(QStringLiteral("IDC")));
    // a criterion selects in the settlements' and the cities' form alike
    const QString part = QStringLiteral("ова");
    const Run some =
        cli({QStringLiteral("--db"), db, QStringLiteral("list"), QStringLiteral("--fio"), part});
    QCOMPARE(some.code, 0);
    QStringList expected;
    for (const QString& line : lines.mid(1))
        if (line.section(u'\t', 1, 1).contains(part, Qt::CaseInsensitive))
            expected << line;
    QVERIFY(!expected.isEmpty());
    QStringList got = some.out.split(u'\n', Qt::SkipEmptyParts).mid(1);
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
    QVERIFY2(some.err.contains(QStringLiteral("Выбрано %1 абонетов").arg(got.size())),
             qPrintable(some.err));
    QCOMPARE(cli({QStringLiteral("--db"), db, QStringLiteral("list"), QStringLiteral("--rg"),
                  QStringLiteral("Псков")})
                 .code,
             2);
}

void TestCli::documentsFromTheCommandLine() {
    const QString db = m_dir.filePath(QStringLiteral("docs.db"));
    QCOMPARE(cli({u"demo"_s, db, u"--subscribers"_s, u"40"_s, u"--period"_s, u"03.2024"_s,
                  u"--months"_s, u"0"_s})
                 .code,
             0);
    const auto sql = [&](const QString& statement) {
        return cli({u"--db"_s, db, u"sql"_s, statement}).out;
    };
    const auto file = [&](const QString& name, const QString& text) {
        QFile f(m_dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
        return f.fileName();
    };
    // the charge of every selected subscriber for two services
    Run r = cli({u"--db"_s, db, u"charge"_s, u"--service"_s, u"1"_s, u"--service"_s, u"2"_s,
                 u"--date"_s, u"15.03.2024"_s, u"--note"_s, u"март \"первый\""_s});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, u"1\n"_s);
    QCOMPARE(sql(u"select TIPDOK, NOMDOK, DATADOK, OSNOV, USR from Dokum"_s),
             u"TIPDOK\tNOMDOK\tDATADOK\tOSNOV\tUSR\n1\t1\t15.03.2024\tмарт \"первый\"\t1\n"_s);
    QCOMPARE(sql(u"select count(*) from Nachisl3"_s), u"Expr1000\n0\n"_s);
    QVERIFY(sql(u"select count(*) from Nachisl1"_s) != u"Expr1000\n0\n"_s);
    // the date test and an unknown service
    QCOMPARE(cli({u"--db"_s, db, u"charge"_s, u"--date"_s, u"15.03.2023"_s}).code, 1);
    QCOMPARE(cli({u"--db"_s, db, u"charge"_s, u"--service"_s, u"9"_s}).code, 1);

    // a payment file: amounts with a comma or a point, an empty receipt
    const QString account = sql(u"select LS from Client where IDC=1"_s).section(u'\n', 1, 1);
    r = cli({u"--db"_s, db, u"pay"_s, u"--date"_s, u"10.02.2024"_s, u"--recalc"_s,
             file(u"pay.txt"_s,
                  account + u"\t1\t100,5\t1\tA1\n\n"_s + account + u"\t2\t20.25\t2\n"_s)});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, u"2\n"_s);
    QCOMPARE(sql(u"select STROKA, OPLATA, PERIOD, KVITANS from Oplata1 where DOK=2"_s),
             u"STROKA\tOPLATA\tPERIOD\tKVITANS\n1\t100,5\t02.2024\tA1\n"_s);
    QCOMPARE(sql(u"select SUMMA from Dolg2 where CLIENT=1"_s), u"SUMMA\n-20,25\n"_s);
    // a bad line anywhere refuses the whole file, naming the line and the field
    struct Bad {
        QString line, message;
    };
    const Bad bad[] = {
        {u"нет-такого\t1\t10\t1"_s, u"Строка 2, поле «л/с»"_s},
        {account + u"\t7\t10\t1"_s, u"Строка 2, поле «услуга»"_s},
        {account + u"\t1\tдесять\t1"_s, u"Строка 2, поле «сумма»"_s},
        {account + u"\t1\t10\t99"_s, u"Строка 2, поле «способ оплаты»"_s},
        {account + u"\t1\t10\t1\t12345678901"_s, u"Строка 2, поле «квитанция»"_s},
    };
    for (const Bad& b : bad) {
        r = cli({u"--db"_s, db, u"pay"_s, u"--date"_s, u"10.03.2024"_s,
                 file(u"bad.txt"_s, account + u"\t1\t1\t1\n"_s + b.line + u'\n')});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(b.message), qPrintable(r.err));
    }
    QCOMPARE(sql(u"select count(*) from Dokum"_s), u"Expr1000\n2\n"_s);
    QCOMPARE(cli({u"--db"_s, db, u"pay"_s, file(u"p.txt"_s, account + u"\t1\t1\t1\n"_s)}).code, 2);

    // a correction: a fixed amount, and a period without charges refused with nothing written
    r = cli({u"--db"_s, db, u"correct"_s, u"--service"_s, u"1"_s, u"--date"_s, u"20.03.2024"_s,
             file(u"k.txt"_s, account + u"\t2\t-150\n"_s)});
    QCOMPARE(r.code, 0);
    QCOMPARE(sql(u"select KORR, NACH, KON, SPOSOB from Korrekt1"_s),
             u"KORR\tNACH\tKON\tSPOSOB\n-150\t20.03.2024\t20.03.2024\t2\n"_s);
    r = cli({u"--db"_s, db, u"correct"_s, u"--service"_s, u"1"_s, u"--date"_s, u"20.03.2024"_s,
             file(u"k.txt"_s, account + u"\t3\t2\t01.01.2023\t01.02.2023\n"_s)});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(u"Строка 1"_s), qPrintable(r.err));
    r = cli({u"--db"_s, db, u"correct"_s, u"--service"_s, u"1"_s, u"--date"_s, u"20.03.2024"_s,
             file(u"k.txt"_s, account + u"\t3\t2\t01.13.2023\t01.02.2023\n"_s)});
    QVERIFY2(r.err.contains(u"Строка 1, поле «начало»"_s), qPrintable(r.err));
    QCOMPARE(sql(u"select count(*) from Dokum"_s), u"Expr1000\n3\n"_s);
}

void TestCli::monthsFromTheCommandLine() {
    const QString db = m_dir.filePath(u"months.db"_s);
    // two months of history lived through before 03.2024
    QCOMPARE(cli({u"demo"_s, db, u"--subscribers"_s, u"30"_s, u"--months"_s, u"2"_s, u"--period"_s,
                  u"03.2024"_s})
                 .code,
             0);
    const auto sql = [&](const QString& statement) {
        return cli({u"--db"_s, db, u"sql"_s, statement}).out;
    };
    QCOMPARE(sql(u"select PERIOD from Service order by IDS"_s),
             u"PERIOD\n01.2024\n02.2024\n03.2024\n"_s);
    QCOMPARE(sql(u"select count(*) from Dokum where TIPDOK=\"1\""_s), u"Expr1000\n3\n"_s);
    QVERIFY(sql(u"select count(*) from Oplata1"_s) != u"Expr1000\n0\n"_s);
    Run r = cli({u"--db"_s, db, u"check"_s});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.count(u'\n'), 4);
    // the month closes without questions; the archive lies beside the database
    r = cli({u"--db"_s, db, u"close-month"_s});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, u"04.2024\n"_s);
    const QString archive =
        m_dir.filePath(u"arhiv_%1.zip"_s.arg(QDate::currentDate().toString(u"yyyy_MM_dd"_s)));
    QVERIFY(QFileInfo::exists(archive));
    r = cli({u"--db"_s, db, u"archive"_s});
    QCOMPARE(r.out, archive + u'\n');
    QCOMPARE(cli({u"--db"_s, db, u"close-month"_s, u"--no-archive"_s}).out, u"05.2024\n"_s);
    QCOMPARE(cli({u"--db"_s, db, u"recalc"_s}).code, 0);
    // a balance that does not agree with the movements
    sql(u"update Dolg1 set SUMMA = SUMMA + 1 where CLIENT = 1"_s);
    r = cli({u"--db"_s, db, u"check"_s});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains(u"расхождение 1"_s), qPrintable(r.out));
}

void TestCli::reportsAreTheWindowsTables() {
    const QString db = m_dir.filePath(u"reports.db"_s);
    QCOMPARE(cli({u"demo"_s, db, u"--subscribers"_s, u"40"_s, u"--months"_s, u"2"_s, u"--period"_s,
                  u"03.2024"_s})
                 .code,
             0);
    AppContext app;
    app.connection = Connection::openSqlite(db);
    loadProgramState(app);
    struct Case {
        QStringList args;
        std::function<void(ReportTable&)> fill;
    };
    const std::vector<Case> cases = {
        {{u"charges"_s, u"--period"_s, u"02.2024"_s, u"--layout"_s, u"subscriber"_s},
         [&](ReportTable& t) {
             fillChargeRegister(app, t, {u"02.2024"_s, ChargeLayout::Subscriber, {}});
         }},
        {{u"charges"_s, u"--period"_s, u"02.2024"_s, u"--layout"_s, u"street"_s},
         [&](ReportTable& t) {
             fillChargeRegister(app, t, {u"02.2024"_s, ChargeLayout::Street, {}});
         }},
        {{u"payments-period"_s, u"--from"_s, u"01.01.2024"_s, u"--to"_s, u"29.02.2024"_s,
          u"--by-name"_s},
         [&](ReportTable& t) {
             fillPeriodRegister(app, t, {QDate(2024, 1, 1), QDate(2024, 2, 29), {}, true, {}});
         }},
        {{u"payments-day"_s, u"--date"_s, u"05.02.2024"_s},
         [&](ReportTable& t) {
             fillDayRegister(app, t, {QDate(2024, 2, 5), {}, {}, {}});
         }},
    };
    for (const Case& c : cases) {
        const QString csv = m_dir.filePath(u"report.csv"_s);
        const Run r =
            cli(QStringList{u"--db"_s, db, u"report"_s} + c.args + QStringList{u"--csv"_s, csv});
        QCOMPARE(r.code, 0);
        ReportTable t;
        c.fill(t);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), t.toCsv());
        // the printed rows are the table's, TAB-joined
        QStringList lines = r.out.split(u'\n');
        lines.removeLast();
        QCOMPARE(lines.size(), t.rowCount());
        QCOMPARE(lines.last().split(u'\t').size(), t.columnCount());
    }
    QCOMPARE(cli({u"--db"_s, db, u"report"_s, u"charges"_s, u"--layout"_s, u"houses"_s}).code, 2);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
