#include "testsupport.h"

#include "app/startup.h"
#include "db/schema.h"
#include "db/transaction.h"

#include <QTest>

TempDatabase::TempDatabase(bool withSeed, Period period) {
    path = dir.filePath(QStringLiteral("test.db"));
    app.state.DatabasePath = path;
    app.connection = Connection::openSqlite(path, Connection::OpenMode::Create);
    Schema::createFixedTables(db());
    if (withSeed) {
        Schema::seed(db(), {period, QStringLiteral("secret")});
        loadProgramState(app);
        ScriptedPrompter p;
        Sozdanie(app, p);
    }
}

QStringList TempDatabase::rows(const QString& sql) {
    const ResultSet r = db().query(sql);
    QStringList out;
    for (int i = 0; i < r.rowCount; ++i) {
        QStringList cells;
        for (int c = 0; c < r.columns.size(); ++c)
            cells << r.at(i, c).toText();
        out << cells.join(u'|');
    }
    return out;
}

void TempDatabase::addSmallOffice() {
    static const char* const rows[] = {
        "insert into Region (ID, NAME) values (1, \"Псковская обл.\")",
        "insert into Region (ID, NAME) values (2, \"Тверская обл.\")",
        "insert into Gorod (ID, NAME, RG) values (1, \"Великие Луки\", 1)",
        "insert into Rajon (ID, NAME, RG, GD) values (1, \"Невельский район\", 1, 0)",
        "insert into Rajon (ID, NAME, RG, GD) values (2, \"Городской\", 1, 1)",
        "insert into NasPunkt (ID, NAME, RN) values (1, \"Невель\", 1)",
        "insert into Street (ID, NAME, GD, NP) values (1, \"Ленина\", 0, 1)",
        "insert into Street (ID, NAME, GD, NP) values (2, \"Мира\", 1, 0)",
        "insert into Street (ID, NAME, GD, NP) values (3, \"Гагарина\", 1, 0)",
        "insert into Uchastok (ID, NAME) values (1, \"Иванова Т.П.\")",
        "insert into Uchastok (ID, NAME) values (2, \"Петров С.С.\")",
        "insert into Client (IDC, LS, FIO, RG, GD, RN, NP, ST, DOM, KORP, KVART, UCH, KOL, OB_PL, ZH_PL, TIPZ) "
        "values (1, \"101\", \"Иванов Иван Иванович\", 1, 0, 1, 1, 1, \"5\", \"\", \"\", 1, 3, \"54,2\", \"40\", \"\")",
        "insert into Client (IDC, LS, FIO, RG, GD, RN, NP, ST, DOM, KORP, KVART, UCH, KOL, OB_PL, ZH_PL, TIPZ) "
        "values (2, \"102\", \"Петрова Анна Сергеевна\", 1, 0, 1, 1, 1, \"7\", \"1\", \"12\", 2, 2, \"61\", \"45,5\", \"isk\")",
        "insert into Client (IDC, LS, FIO, RG, GD, RN, NP, ST, DOM, KORP, KVART, UCH, KOL, OB_PL, ZH_PL, TIPZ) "
        "values (3, \"103\", \"О\"\"Нил Джон\", 1, 1, 2, 0, 2, \"11а\", \"\", \"3\", 1, 1, \"30\", \"20\", \"\")",
        "insert into Client (IDC, LS, FIO, RG, GD, RN, NP, ST, DOM, KORP, KVART, UCH, KOL, OB_PL, ZH_PL, TIPZ) "
        "values (4, \"104\", \"Сидоров Пётр\", 1, 0, 1, 1, 0, \"1\", \"\", \"\", 2, 4, \"70\", \"50\", \"\")",
        "insert into Dolg1 (CLIENT, SUMMA) values (1, \"136,5\")",
    };
    for (const char* r : rows)
        db().execute(QString::fromUtf8(r));
}

QString TempDatabase::scalar(const QString& sql) {
    const ResultSet r = db().query(sql);
    return r.rowCount ? r.at(0, 0).toText() : QString();
}

void ScriptedPrompter::error(const QString& text) {
    errors << text;
    if (errors.size() > expectedErrors)
        QTest::qFail(qPrintable(QStringLiteral("an error the test did not expect: ") + text),
                     __FILE__, __LINE__);
}

bool ScriptedPrompter::ask(const QString& caption, const QString& text) {
    asked << caption + u'|' + text;
    if (answers.isEmpty()) {
        QTest::qFail("unexpected question", __FILE__, __LINE__);
        return false;
    }
    return answers.takeFirst();
}

PaymentLine enteredPayment(int client, const QString& account, int service, Money amount,
                           int method, const QString& receipt) {
    PaymentLine l;
    l.subscriber = client;
    l.account = account;
    l.service = service;
    l.amount = amount;
    l.amountEntered = true;
    l.method = method;
    l.receipt = receipt;
    return l;
}
