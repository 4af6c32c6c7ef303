// The charge's statement traffic through the Jet engine, beside a hand-written baseline.
//
// Workload, in one transaction on a fresh database: 100,000 charge-line inserts and 100,000
// benefit selects ("select * from Lgoty where (CLIENT=n)") read through Query, written two ways:
// as statement templates run with their values (as the charge routine runs them: the goal's
// figure) and as Jet text with the values inlined (each a different text). The baseline does the
// same work with one prepared SQLite statement each, binding the values already converted.
// Runs alternate; the medians and their ratios are printed.
#include "benchoffice.h"
#include "common/money.h"
#include "db/connection.h"
#include "db/query.h"
#include "db/schema.h"
#include "db/statementtemplate.h"
#include "db/transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Holders = 10000;

struct Line {
    int client;
    qint64 nach, lgot; // ten-thousandths
};

std::vector<Line> makeLines() {
    std::vector<Line> lines;
    quint32 x = 12345;
    for (int i = 0; i < Rows; ++i) {
        x = x * 1103515245u + 12345u;
        const qint64 nach = 100000 + qint64(x % 5000000);
        const qint64 lgot = (x >> 8) % 4 == 0 ? -(nach / 4) : 0;
        lines.push_back({i + 1, nach, lgot});
    }
    return lines;
}

QString money(qint64 units) {
    return Money::fromUnits(units).toText();
}

QString newDatabase(QTemporaryDir& dir, int run) {
    const QString path = dir.filePath(QStringLiteral("bench%1.db").arg(run));
    auto db = Connection::openSqlite(path, Connection::OpenMode::Create);
    Transaction tx(*db);
    Schema::createFixedTables(*db);
    db->execute(
        QStringLiteral("CREATE TABLE Nachisl1 (IDR long, DOK long, CLIENT long, PERIOD String(10), "
                       "NACH float, LGOT float, ITOG float, USR long)"));
    for (int i = 1; i <= Holders; ++i)
        db->execute(
            QStringLiteral(
                "insert into Lgoty (IDL, CLIENT, LGOTA, PRCNT, KOL_LG, DATA_NACH, DATA_OKON, "
                "BEZ_OKON) values (%1, %2, 1, \"50\", 1, \"01.01.2020\", \"31.12.2999\", \"0\")")
                .arg(i)
                .arg(i * (Rows / Holders)));
    tx.commit();
    return path;
}

double runJet(const QString& path, const std::vector<Line>& lines, qint64* check) {
    auto db = Connection::openSqlite(path);
    QElapsedTimer t;
    t.start();
    Transaction tx(*db);
    Query q(*db);
    qint64 found = 0;
    int idr = 0;
    for (const Line& l : lines) {
        q.open(QStringLiteral("select * from Lgoty where (CLIENT=") + QString::number(l.client) +
               u')');
        for (q.first(); !q.eof(); q.next())
            found += q.integer(QStringLiteral("KOL_LG"));
        db->execute(
            QStringLiteral(
                "insert into Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) values (") +
            QString::number(++idr) + QStringLiteral(" , 7 , ") + QString::number(l.client) +
            QStringLiteral(" , '03.2024' , \"") + money(l.nach) + QStringLiteral("\" , \"") +
            money(l.lgot) + QStringLiteral("\" , \"") + money(l.nach + l.lgot) +
            QStringLiteral("\" , 1)"));
    }
    tx.commit();
    *check = found;
    return double(t.nsecsElapsed()) / 1e6;
}

double runTemplates(const QString& path, const std::vector<Line>& lines, qint64* check) {
    auto db = Connection::openSqlite(path);
    QElapsedTimer t;
    t.start();
    Transaction tx(*db);
    Query q(*db);
    const StatementTemplate benefits(QStringLiteral("select * from Lgoty where (CLIENT=%1)"));
    const StatementTemplate insert(
        QStringLiteral("insert into Nachisl%1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) "
                       "values (%2 , %3 , %4 , '%5' , \"%6\" , \"%7\" , \"%8\" , %9)"),
        {1});
    const QString period = QStringLiteral("03.2024");
    qint64 found = 0;
    int idr = 0;
    for (const Line& l : lines) {
        q.open(benefits, {l.client});
        for (q.first(); !q.eof(); q.next())
            found += q.integer(QStringLiteral("KOL_LG"));
        db->execute(insert, {++idr, 7, l.client, period, Money::fromUnits(l.nach),
                             Money::fromUnits(l.lgot), Money::fromUnits(l.nach + l.lgot), 1});
    }
    tx.commit();
    *check = found;
    if (db->boundTemplateRuns() != 2 * qint64(lines.size()))
        *check = -1; // the values went through the text
    return double(t.nsecsElapsed()) / 1e6;
}

double runBaseline(const QString& path, const std::vector<Line>& lines, qint64* check) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QElapsedTimer t;
    t.start();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_stmt* sel = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) "
                       "VALUES (?1, 7, ?2, '03.2024', ?3, ?4, ?5, 1)",
                       -1, &ins, nullptr);
    sqlite3_prepare_v2(db, "SELECT * FROM Lgoty WHERE CLIENT = ?1", -1, &sel, nullptr);
    const int columns = sqlite3_column_count(sel);
    qint64 found = 0;
    int idr = 0;
    for (const Line& l : lines) {
        sqlite3_bind_int(sel, 1, l.client);
        while (sqlite3_step(sel) == SQLITE_ROW) {
            // read every column as the engine's reader does
            for (int c = 0; c < columns; ++c)
                if (sqlite3_column_type(sel, c) == SQLITE_TEXT)
                    (void)QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(sel, c)));
            found += sqlite3_column_int64(sel, 5);
        }
        sqlite3_reset(sel);
        sqlite3_bind_int(ins, 1, ++idr);
        sqlite3_bind_int(ins, 2, l.client);
        sqlite3_bind_double(ins, 3, double(l.nach) / 10000);
        sqlite3_bind_double(ins, 4, double(l.lgot) / 10000);
        sqlite3_bind_double(ins, 5, double(l.nach + l.lgot) / 10000);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_finalize(sel);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    *check = found;
    const double ms = double(t.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    return ms;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const auto lines = makeLines();
    std::vector<double> jet, templ, base;
    int run = 0;
    for (int r = 0; r < rounds; ++r) {
        qint64 a = 0, b = 0, c = 0;
        base.push_back(runBaseline(newDatabase(dir, run++), lines, &b));
        templ.push_back(runTemplates(newDatabase(dir, run++), lines, &c));
        jet.push_back(runJet(newDatabase(dir, run++), lines, &a));
        if (a != b || c != b) {
            std::fprintf(stderr, "workloads differ: %lld, %lld vs %lld\n", (long long)c,
                         (long long)a, (long long)b);
            return 1;
        }
    }
    const double mt = Bench::median(templ), mj = Bench::median(jet), mb = Bench::median(base);
    std::printf("charge traffic: %d inserts + %d benefit selects, %d rounds\n", Rows, Rows, rounds);
    std::printf("  templates  : %8.1f ms (median)\n", mt);
    std::printf("  Jet text   : %8.1f ms (median)\n", mj);
    std::printf("  baseline   : %8.1f ms (median)\n", mb);
    std::printf("  ratio      : %.2f templates (goal: at most 1.3), %.2f text\n", mt / mb, mj / mb);
    return 0;
}
