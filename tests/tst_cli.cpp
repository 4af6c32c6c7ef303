#include "common/cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
