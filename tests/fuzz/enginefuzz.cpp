#include "enginefuzz.h"

#include "app/appcontext.h"
#include "app/demogenerator.h"
#include "app/startup.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "db/schema.h"
#include "db/statementtemplate.h"
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

// The statement as a template: its whole number and text literals become places for values.
// False when the template's text would not be the statement again.
bool asTemplate(const QString& statement, QString* pattern, std::vector<TemplateValue>* values) {
    std::vector<JetToken> tokens;
    try {
        tokens = tokenizeJet(statement);
    } catch (const DbError&) {
        return false;
    }
    qsizetype copied = 0;
    for (const JetToken& t : tokens) {
        if (values->size() >= 90 || t.pos < copied)
            break;
        if (t.kind == JetToken::Kind::Integer) {
            bool ok = false;
            const qint64 v = t.text.toLongLong(&ok);
            if (!ok)
                continue;
            *pattern += QStringView(statement).mid(copied, t.pos - copied);
            values->emplace_back(v);
            *pattern += u'%' + QString::number(values->size());
            copied = t.pos + t.text.size();
        } else if (t.kind == JetToken::Kind::String) {
            const QChar quote = statement[t.pos];
            qsizetype end = t.pos + 1; // past the closing quote
            while (end < statement.size()) {
                if (statement[end] == quote) {
                    if (end + 1 < statement.size() && statement[end + 1] == quote) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            *pattern += QStringView(statement).mid(copied, t.pos + 1 - copied);
            values->emplace_back(t.text);
            *pattern += u'%' + QString::number(values->size());
            copied = end;
        }
    }
    *pattern += QStringView(statement).mid(copied);
    try {
        return !values->empty() && StatementTemplate(*pattern).text(*values) == statement;
    } catch (const DbError&) {
        return false; // a %n of the statement itself asks for a value it has not got
    }
}

Outcome runRolledBack(Connection& db, const QString& statement,
                      const StatementTemplate* t = nullptr,
                      std::span<const TemplateValue> values = {}) {
    Outcome o;
    try {
        Transaction tx(db);
        const Connection::Result r = t ? db.run(*t, values) : db.run(statement);
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

    bool same =
        cold.ok == warm.ok && (!cold.ok || variesByItself(statement) || cold.text == warm.text);
    // the statement as a template run with its values answers as its text
    QString pattern;
    std::vector<TemplateValue> values;
    if (same && asTemplate(statement, &pattern, &values)) {
        const StatementTemplate t(pattern);
        for (int run = 0; run < 2; ++run) {
            const Outcome templ = runRolledBack(db, statement, &t, values);
            if (templ.ok != warm.ok || (!variesByItself(statement) && templ.text != warm.text)) {
                std::fprintf(stderr,
                             "A template answers other than its text.\ntemplate: %s\n"
                             "text: %s %s\ntemplate: %s %s\n",
                             qPrintable(pattern.left(300)), warm.ok ? "ok" : "error",
                             qPrintable(warm.text.left(300)), templ.ok ? "ok" : "error",
                             qPrintable(templ.text.left(300)));
                std::abort();
            }
        }
    }
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
