#include "app/config.h"
#include "app/login.h"
#include "app/startup.h"
#include "common/cp1251.h"
#include "db/schema.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Config.ini, the start-up sequence with its guards, and Sozdanie.
class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void missingConfigIsCreatedWithTheDefaultPath();
    void benefitsLine_data();
    void benefitsLine();
    void stateComesFromTheLastServiceRow();
    void hiddenServiceIsNotProbed();
    void newServiceGetsItsTables();
    void missingDatabaseSkipsTheConnection();
    void damagedDatabaseShowsTheError();
    void missingNameRowLeavesTheDash();
    void missingServiceTableStopsStartup();
    void login_data();
    void login();
    void rightsLevels();

private:
    QTemporaryDir m_dir;
    QString configPath() const { return m_dir.filePath(QStringLiteral("Config.ini")); }
    void writeConfig(const QByteArray& bytes) {
        QFile f(configPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // a database with the seed at path; returns it open for changes
    std::unique_ptr<Connection> makeDatabase(const QString& path) {
        auto db = Connection::openSqlite(path, Connection::OpenMode::Create);
        Schema::createFixedTables(*db);
        Schema::seed(*db, {Period(3, 2024), QStringLiteral("pw")});
        return db;
    }
    StartupOutcome start(AppContext& app, ScriptedPrompter& p) {
        return runStartup(app, {configPath(), m_dir.path()}, p);
    }
};

void TestStartup::missingConfigIsCreatedWithTheDefaultPath() {
    QFile::remove(configPath());
    const QString dbPath = m_dir.filePath(QStringLiteral("Data.mdb"));
    QFile::remove(dbPath);
    makeDatabase(dbPath);
    AppContext app;
    ScriptedPrompter p;
    QCOMPARE(start(app, p), StartupOutcome::Ready);
    QFile f(configPath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(Cp1251::decode(f.readAll()),
             QDir::toNativeSeparators(dbPath) + QStringLiteral("\r\n"));
    QCOMPARE(app.state.DatabasePath, dbPath);
    QVERIFY(!app.state.ChargeBenefits);
    QCOMPARE(app.state.ProgramTitle, QStringLiteral("Тервала  - Основная база"));
    QCOMPARE(app.state.CurrentPeriod, QStringLiteral("03.2024"));
    QCOMPARE(app.state.PeriodPanelText, QStringLiteral("Период расчета 03.2024"));
    QVERIFY(app.state.ConfirmClose);
    QVERIFY(p.errors.isEmpty());
}

void TestStartup::benefitsLine_data() {
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<bool>("benefits");
    QTest::newRow("only the path line") << QByteArray() << false;
    QTest::newRow("1") << QByteArray("\r\n\r\n1\r\n") << true;
    QTest::newRow("1 without line end") << QByteArray("\r\n\r\n1") << true;
    QTest::newRow("1 followed by a blank") << QByteArray("\r\n\r\n1 \r\n") << false;
    QTest::newRow("01") << QByteArray("\r\n\r\n01\r\n") << false;
    QTest::newRow("empty third line") << QByteArray("\r\n\r\n\r\n") << false;
}

void TestStartup::benefitsLine() {
    QFETCH(QByteArray, tail);
    QFETCH(bool, benefits);
    // a Cyrillic folder name: the file is single-byte Cyrillic
    const QString dbPath = m_dir.filePath(QStringLiteral("База №1.db"));
    if (!QFile::exists(dbPath))
        makeDatabase(dbPath);
    writeConfig(Cp1251::encode(dbPath) + tail);
    AppContext app;
    ScriptedPrompter p;
    QCOMPARE(start(app, p), StartupOutcome::Ready);
    QCOMPARE(app.state.DatabasePath, dbPath);
    QCOMPARE(app.state.ChargeBenefits, benefits);
    QCOMPARE(app.state.ProgramTitle, QStringLiteral("Тервала  - Основная база"));
}

void TestStartup::stateComesFromTheLastServiceRow() {
    const QString dbPath = m_dir.filePath(QStringLiteral("last.db"));
    {
        auto db = makeDatabase(dbPath);
        db->execute(QStringLiteral(
            "insert into Naimenovanie (NOM, NAIMEN, SL_PREFIKS, PREFIKS) values (2, \"Филиал\", \"F\", \"Ф-\")"));
        db->execute(QStringLiteral(
            "insert into Service (IDS, PERIOD, DATA, NAIMEN, OKR) values (2, \"04.2024\", \"01.04.2024\", 2, 0)"));
    }
    writeConfig(Cp1251::encode(dbPath + QStringLiteral("\r\nзапасной\r\n1\r\n")));
    AppContext app;
    ScriptedPrompter p;
    QCOMPARE(start(app, p), StartupOutcome::Ready);
    QCOMPARE(app.state.CurrentPeriod, QStringLiteral("04.2024"));
    QCOMPARE(app.state.ColourExcluded, 0);
    QCOMPARE(app.state.ProgramTitle, QStringLiteral("Тервала  - Филиал"));
    QCOMPARE(app.state.DocIdPrefix, QStringLiteral("F"));
    QCOMPARE(app.state.DocNumberPrefix, QStringLiteral("Ф-"));
}

void TestStartup::hiddenServiceIsNotProbed() {
    const QString dbPath = m_dir.filePath(QStringLiteral("hidden.db"));
    {
        auto db = makeDatabase(dbPath);
        db->execute(QStringLiteral("delete * from Uslugi where IDUSL > 3"));
        db->execute(QStringLiteral("update Uslugi set OTOBR = False where IDUSL = 2"));
    }
    writeConfig(Cp1251::encode(dbPath));
    AppContext app;
    ScriptedPrompter p;
    QCOMPARE(start(app, p), StartupOutcome::Ready);
    QCOMPARE(int(app.state.ShownServices.size()), 2);
    QCOMPARE(app.state.ShownServices[0].IDUSL, 1);
    QCOMPARE(app.state.ShownServices[1].IDUSL, 3);
    QCOMPARE(app.state.ShownServices[1].OSNOVA, QStringLiteral("OB_PL"));
    QCOMPARE(app.state.ShownServices[1].KRATKO, QStringLiteral("Отопл."));
    const QStringList tables = app.db().tableNames();
    for (const char* t :
         {"Nachisl1", "Oplata1", "Korrekt1", "Dolg1", "Tarif1", "Nachisl3", "Tarif3"})
        QVERIFY2(tables.contains(QString::fromLatin1(t)), t);
    for (const QString& t : tables)
        QVERIFY2(!t.endsWith(u'2'), qPrintable(t));
}

void TestStartup::newServiceGetsItsTables() {
    TempDatabase t;
    t.db().execute(QStringLiteral(
        "insert into Uslugi (IDUSL, NAME, KRATKO, OSNOVA, OTOBR) values (7, \"Газ\", \"Газ\", \"KOL\", True)"));
    t.db().execute(QStringLiteral("insert into Tarif1 (CLIENT, TARIF) values (1, \"45,5\")"));
    loadProgramState(t.app);
    ScriptedPrompter p;
    Sozdanie(t.app, p);
    QVERIFY(p.errors.isEmpty());
    for (const char* name : {"Nachisl7", "Oplata7", "Korrekt7", "Dolg7", "Tarif7"})
        QCOMPARE(t.scalar(QStringLiteral("select count(*) from ") + QString::fromLatin1(name)),
                 QStringLiteral("0"));
    // existing tables keep their rows, and the new ones have the documented types
    QCOMPARE(t.scalar(QStringLiteral("select TARIF from Tarif1")), QStringLiteral("45,5"));
    QCOMPARE(
        t.db().catalog().columnType(QStringLiteral("Oplata7"), QStringLiteral("KVITANS"))->length,
        10);
    QCOMPARE(t.db().catalog().columnType(QStringLiteral("Korrekt7"), QStringLiteral("KON"))->type,
             JetType::Date);
}

void TestStartup::missingDatabaseSkipsTheConnection() {
    writeConfig(Cp1251::encode(m_dir.filePath(QStringLiteral("nothing-here.db")) +
                               QStringLiteral("\r\nЗаголовок\r\n")));
    AppContext app;
    ScriptedPrompter p;
    QCOMPARE(start(app, p), StartupOutcome::NoDatabase);
    QVERIFY(!app.connected());
    QVERIFY(app.state.CurrentPeriod.isEmpty());
    QVERIFY(app.state.ShownServices.empty());
    QVERIFY(app.state.PeriodPanelText.isEmpty());
    QCOMPARE(app.state.ProgramTitle, QStringLiteral("Заголовок"));
    QVERIFY(app.state.ConfirmClose);
    QVERIFY(p.errors.isEmpty());
}

void TestStartup::damagedDatabaseShowsTheError() {
    const QString dbPath = m_dir.filePath(QStringLiteral("damaged.db"));
    QFile f(dbPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    writeConfig(Cp1251::encode(dbPath));
    AppContext app;
    ScriptedPrompter p;
    p.expectedErrors = 1;
    QCOMPARE(start(app, p), StartupOutcome::Failed);
    QCOMPARE(p.errors.size(), 1);
    QVERIFY2(p.errors[0].contains(QStringLiteral("не является базой данных")),
             qPrintable(p.errors[0]));
    QVERIFY(!app.state.ConfirmClose); // the remaining steps were not run
}

void TestStartup::missingNameRowLeavesTheDash() {
    const QString dbPath = m_dir.filePath(QStringLiteral("noname.db"));
    makeDatabase(dbPath)->execute(QStringLiteral("delete * from Naimenovanie"));
    writeConfig(Cp1251::encode(dbPath));
    AppContext app;
    ScriptedPrompter p;
    QCOMPARE(start(app, p), StartupOutcome::Ready);
    QCOMPARE(app.state.ProgramTitle, QStringLiteral("Тервала  - "));
    QVERIFY(app.state.DocIdPrefix.isEmpty());
}

void TestStartup::missingServiceTableStopsStartup() {
    const QString dbPath = m_dir.filePath(QStringLiteral("noservice.db"));
    makeDatabase(dbPath)->execute(QStringLiteral("DROP TABLE Service"));
    writeConfig(Cp1251::encode(dbPath + QStringLiteral("\r\nзапасной\r\n")));
    AppContext app;
    ScriptedPrompter p;
    p.expectedErrors = 1;
    QCOMPARE(start(app, p), StartupOutcome::Failed);
    QCOMPARE(p.errors.size(), 1);
    QVERIFY2(p.errors[0].contains(QStringLiteral("Service")), qPrintable(p.errors[0]));
    QCOMPARE(app.state.ProgramTitle, QStringLiteral("запасной"));
    QVERIFY(!app.connection->tableNames().contains(QStringLiteral("Nachisl1"))); // no Sozdanie
}

void TestStartup::login_data() {
    QTest::addColumn<QStringList>("users"); // IDUSR|NAME|PASS|PRAV
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("level");
    const QStringList two = {QStringLiteral("5|Анна|ac|1"), QStringLiteral("7|Борис|ac|2"),
                             QStringLiteral("8|Вера|Ac|3")};
    QTest::newRow("first of two with one password") << two << QStringLiteral("ac") << 5 << 1;
    QTest::newRow("case counts") << two << QStringLiteral("Ac") << 8 << 3;
    QTest::newRow("wrong password") << two << QStringLiteral("a") << 0 << 0;
    QTest::newRow("empty password matches no row") << two << QString() << 0 << 0;
    QTest::newRow("empty Users: anybody, as an operator")
        << QStringList{} << QStringLiteral("x") << int(Login::NoUsersId) << 0;
}

void TestStartup::login() {
    QFETCH(QStringList, users);
    QFETCH(QString, typed);
    QFETCH(int, id);
    QFETCH(int, level);
    TempDatabase t(false);
    for (const QString& u : users) {
        const QStringList f = u.split(u'|');
        t.db().execute(
            QStringLiteral(
                "insert into Users (IDUSR, NAME, PASS, PRAV) values (%1, \"%2\", \"%3\", %4)")
                .arg(f[0], f[1], f[2], f[3]));
    }
    const ResultSet rows = t.db().query(QStringLiteral("select * from Users"));
    const Login::User user = Login::findUser(rows, typed);
    QCOMPARE(user.id, id);
    QCOMPARE(Login::rightsLevel(rows, user.id), level);
}

void TestStartup::rightsLevels() {
    using C = Login::Command;
    const auto has = [](int level, C c) {
        const auto d = Login::disabledCommands(level);
        return std::find(d.begin(), d.end(), c) != d.end();
    };
    QVERIFY(has(0, C::AddClient) && has(0, C::MassProcessing));
    QVERIFY(!has(1, C::AddClient) && has(1, C::DeleteClient) && has(1, C::MonthTransition));
    QCOMPARE(Login::disabledCommands(2), std::vector<C>{C::Settings});
    QVERIFY(Login::disabledCommands(3).empty());
    QVERIFY(Login::disabledCommands(7).empty());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
