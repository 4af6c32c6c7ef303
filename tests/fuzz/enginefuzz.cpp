#include "enginefuzz.h"

#include "app/appcontext.h"
#include "app/demogenerator.h"
#include "app/startup.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/schema.h"
#include "db/transaction.h"

#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>

namespace {

class SilentPrompter : public Prompter {
public:
    bool ask(const QString&, const QString&) override { return true; }
    void notify(const QString&) override {}
    void error(const QString&) override {}
};

AppContext& office() {
    static AppContext* app = [] {
        auto* a = new AppContext;
        a->connection =
            Connection::openSqlite(QStringLiteral(":memory:"), Connection::OpenMode::Create);
        Transaction tx(a->db());
        Schema::createFixedTables(a->db());
        Schema::seed(a->db(), {Period(3, 2024), QStringLiteral("secret")});
        tx.commit();
        loadProgramState(*a);
        SilentPrompter p;
        Sozdanie(*a, p);
        generateDemo(*a, {40, 7});
        // and the engine tests' small tables, with a column of every Jet type
        const char* const extra[] = {
            "CREATE TABLE T (ID long, NAME text, CODE String(5), AMOUNT float, D date, FLAG yesno)",
            "CREATE TABLE U (ID long, T_ID long, V String(10))",
            "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (1, \"Иванов\", \"a1\", \"136,5\", \"15.03.2024\", True)",
            "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (2, 'иванова', 'B2', '-68,25', '01.01.2024 10:22:33', False)",
            "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (3, \"Петров\", Null, 100, Null, False)",
            "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (4, \"ёлкин\", \"c3\", \"5,5\", \"31.12.2999\", False)",
            "insert into U (ID, T_ID, V) values (1, 1, \"один\")",
            "insert into U (ID, T_ID, V) values (3, 99, \"сирота\")",
        };
        for (const char* statement : extra)
            a->db().execute(QString::fromUtf8(statement));
        return a;
    }();
    return *app;
}

// Texts whose answer may change between two runs by itself.
bool variesByItself(const QString& statement) {
    static const QRegularExpression re(
        QStringLiteral(
            "random|now|time|date|changes|last_insert|current_|julianday|strftime|sqlite_"),
        QRegularExpression::CaseInsensitiveOption);
    return re.match(statement).hasMatch();
}

struct Outcome {
    bool ok = false;
    QString text; // the rows, or the error's reason
};

Outcome runRolledBack(Connection& db, const QString& statement) {
    Outcome o;
    try {
        Transaction tx(db);
        const Connection::Result r = db.run(statement);
        o.ok = true;
        o.text = r.rows.columns.join(u'|') + u'\n';
        for (int row = 0; row < r.rows.rowCount && row < 50; ++row) {
            for (int c = 0; c < r.rows.columns.size(); ++c)
                o.text += r.rows.at(row, c).toText().left(200) + u'|';
            o.text += u'\n';
        }
        o.text += QString::number(r.rows.rowCount) + u'/' + QString::number(r.changes);
        // a list read a few rows at a time gives the same rows
        if (r.hasRows && r.rows.rowCount > 0 && r.rows.rowCount <= 50 &&
            !variesByItself(statement)) {
            auto reader = db.openReader(statement);
            ResultSet chunked;
            while (reader->read(chunked, 3)) {
            }
            bool same = chunked.rowCount == r.rows.rowCount &&
                        chunked.columns.size() == r.rows.columns.size();
            for (int row = 0; same && row < r.rows.rowCount; ++row)
                for (int c = 0; same && c < r.rows.columns.size(); ++c)
                    same = chunked.at(row, c).toText() == r.rows.at(row, c).toText();
            if (!same) {
                std::fprintf(stderr, "a list read in chunks differs: %s\n",
                             qPrintable(statement.left(300)));
                std::abort();
            }
        }
        // the transaction rolls back as it goes out of scope
    } catch (const DbError& e) {
        o.ok = false;
        o.text = e.reason().left(200);
        if (e.message().isEmpty())
            std::abort(); // every refusal says why
    }
    if (db.transactionDepth() != 0) {
        std::fprintf(stderr, "a transaction stayed open after: %s\n",
                     qPrintable(statement.left(200)));
        std::abort();
    }
    return o;
}

} // namespace

QString runEngineFuzzInput(const uint8_t* data, size_t size) {
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype newline = input.indexOf(u'\n');
    const QString before = newline < 0 ? QString() : input.left(newline);
    const QString statement = newline < 0 ? input : input.mid(newline + 1);
    Connection& db = office().db();

    db.clearStatementCache();
    const Outcome cold = runRolledBack(db, statement);
    if (!before.isEmpty())
        runRolledBack(db, before);
    const Outcome warm = runRolledBack(db, statement);

    const bool same =
        cold.ok == warm.ok && (!cold.ok || variesByItself(statement) || cold.text == warm.text);
    if (!same) {
        std::fprintf(stderr,
                     "The answer depends on what ran before.\nbefore: %s\nstatement: %s\n"
                     "alone: %s %s\nafter it: %s %s\n",
                     qPrintable(before.left(300)), qPrintable(statement.left(300)),
                     cold.ok ? "ok" : "error", qPrintable(cold.text.left(300)),
                     warm.ok ? "ok" : "error", qPrintable(warm.text.left(300)));
        std::abort();
    }
    return (cold.ok ? QStringLiteral("ok: ") : QStringLiteral("refused: ")) + cold.text.left(120);
}
