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

QString TempDatabase::scalar(const QString& sql) {
    const ResultSet r = db().query(sql);
    return r.rowCount ? r.at(0, 0).toText() : QString();
}

bool ScriptedPrompter::ask(const QString& caption, const QString& text) {
    asked << caption + u'|' + text;
    if (answers.isEmpty()) {
        QTest::qFail("unexpected question", __FILE__, __LINE__);
        return false;
    }
    return answers.takeFirst();
}
