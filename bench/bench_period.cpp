// The balance recalculation and the month transition of a large office (100,000 subscribers, 24
// months of charges and payments in 3 services) through the program's own routines, beside a
// hand-written baseline computing the same balances: one grouped statement per table and one
// prepared update per subscriber in one transaction. Also how long the journal takes to open on
// the current month. Both sides start from copies of the same office; their balances are
// compared.
#include "app/startup.h"
#include "benchoffice.h"
#include "db/schema.h"
#include "db/transaction.h"
#include "documents/documentjournal.h"
#include "period/balance.h"
#include "period/transition.h"
#include "reports/registers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <unordered_map>

namespace {

constexpr int Subscribers = 100000;
constexpr int Months = 24;
const int Services[] = {1, 2, 3};

void exec(sqlite3* db, const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n  %s\n", error, qPrintable(sql));
        std::exit(1);
    }
}

// The office, its history written straight into the tables (months before the current one).
QString makeOffice(QTemporaryDir& dir, Period current) {
    const QString path = Bench::makeOffice(dir, Subscribers, current);
    Period start = current;
    for (int m = 0; m < Months; ++m)
        start = start.prev();
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db, QStringLiteral("BEGIN"));
    Period p = start;
    for (int m = 0; m < Months; ++m, p = p.next()) {
        for (int n : Services) {
            exec(db, QStringLiteral("INSERT INTO Nachisl%1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, "
                                    "ITOG, USR) SELECT IDC + %2, %3, IDC, '%4', (IDC % 97) * 1.5, "
                                    "0, (IDC % 97) * 1.5, 1 FROM Client")
                         .arg(n)
                         .arg(m * Subscribers)
                         .arg(m + 1)
                         .arg(p.toText()));
            exec(db, QStringLiteral("INSERT INTO Oplata%1 (IDO, DOK, STROKA, CLIENT, SPOSOB, "
                                    "OPLATA, DATA, PERIOD, KVITANS, USR) SELECT IDC + %2, %3, 1, "
                                    "IDC, 1, (IDC % 89) * 1.25, '%5-15', '%4', '', 1 FROM Client "
                                    "WHERE IDC % 10 <> 3")
                         .arg(n)
                         .arg(m * Subscribers)
                         .arg(1000 + m)
                         .arg(p.toText())
                         .arg(QStringLiteral("%1-%2").arg(p.year()).arg(p.month(), 2, 10,
                                                                        QLatin1Char('0'))));
            exec(db, QStringLiteral("INSERT INTO Korrekt%1 (IDK, DOK, CLIENT, PERIOD, KORR, "
                                    "SPOSOB, VELICH, USR) SELECT IDC + %2, %3, IDC, '%4', -2.5, 2, "
                                    "-2.5, 1 FROM Client WHERE IDC % 50 = 7")
                         .arg(n)
                         .arg(m * Subscribers)
                         .arg(2000 + m)
                         .arg(p.toText()));
        }
        exec(db,
             QStringLiteral("INSERT INTO Dokum (IDDOK, IDPR, TIPDOK, NOMDOK, NOMPR, DATADOK, "
                            "SUMMA, OSNOV, USR) VALUES (%1, '01', '1', %1, '', '%2-03', 0, '', "
                            "1), (%3, '01', '3', %3, '', '%2-15', 0, '', 1)")
                 .arg(m + 1)
                 .arg(QStringLiteral("%1-%2").arg(p.year()).arg(p.month(), 2, 10, QLatin1Char('0')))
                 .arg(1000 + m));
    }
    // one opening balance per subscriber, as a recalculation leaves them
    for (int n : Services) {
        exec(db, QStringLiteral("DELETE FROM Dolg%1").arg(n));
        exec(db,
             QStringLiteral("INSERT INTO Dolg%1 (CLIENT, SUMMA) SELECT IDC, 0 FROM Client").arg(n));
    }
    exec(db, QStringLiteral("COMMIT"));
    exec(db, QStringLiteral("ANALYZE"));
    sqlite3_close(db);
    return path;
}

QString copyOf(QTemporaryDir& dir, const QString& office, int run) {
    const QString path = dir.filePath(QStringLiteral("run%1.db").arg(run));
    QFile::remove(path);
    QFile::copy(office, path);
    return path;
}

// The balances of every subscriber and service, as exact text.
QString balances(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QString out;
    for (int n : Services) {
        sqlite3_stmt* s = nullptr;
        const QByteArray sql = QStringLiteral("SELECT count(*), sum(SUMMA), sum(abs(SUMMA)) FROM "
                                              "Dolg%1")
                                   .arg(n)
                                   .toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
        sqlite3_step(s);
        out += QStringLiteral("%1: %2 rows, %3, %4; ")
                   .arg(n)
                   .arg(sqlite3_column_int64(s, 0))
                   .arg(Money::fromDouble(sqlite3_column_double(s, 1)).toText())
                   .arg(Money::fromDouble(sqlite3_column_double(s, 2)).toText());
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return out;
}

double elapsed(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

double runBaseline(const QString& path, Period current) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QElapsedTimer t;
    t.start();
    exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    QStringList earlier;
    Period p = current;
    for (int m = 0; m < Months; ++m) {
        p = p.prev();
        earlier << QStringLiteral("'%1'").arg(p.toText());
    }
    const QString in = earlier.join(u',');
    for (int n : Services) {
        std::unordered_map<int, qint64> sums; // ten-thousandths
        const struct {
            const char* table;
            const char* column;
            int sign;
        } parts[] = {{"Nachisl", "ITOG", 1}, {"Korrekt", "KORR", 1}, {"Oplata", "OPLATA", -1}};
        for (const auto& part : parts) {
            sqlite3_stmt* s = nullptr;
            const QByteArray sql = QStringLiteral("SELECT CLIENT, SUM(%1) FROM %2%3 WHERE PERIOD "
                                                  "IN (%4) GROUP BY CLIENT")
                                       .arg(QLatin1String(part.column), QLatin1String(part.table))
                                       .arg(n)
                                       .arg(in)
                                       .toUtf8();
            sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW)
                sums[sqlite3_column_int(s, 0)] +=
                    part.sign * Money::fromDouble(sqlite3_column_double(s, 1)).units();
            sqlite3_finalize(s);
        }
        exec(db, QStringLiteral("UPDATE Dolg%1 SET SUMMA = 0").arg(n));
        sqlite3_stmt* update = nullptr;
        const QByteArray sql =
            QStringLiteral("UPDATE Dolg%1 SET SUMMA = ?1 WHERE CLIENT = ?2").arg(n).toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &update, nullptr);
        for (const auto& [client, units] : sums) {
            sqlite3_bind_double(update, 1, double(units) / 10000);
            sqlite3_bind_int(update, 2, client);
            sqlite3_step(update);
            sqlite3_reset(update);
        }
        sqlite3_finalize(update);
    }
    exec(db, QStringLiteral("COMMIT"));
    const double ms = elapsed(t);
    sqlite3_close(db);
    return ms;
}

// The charge register of the month before the current one by subscriber, as a hand-written
// program would read it: the month's grouped sums with the subscriber's address, and the earlier
// months' grouped sums, into a hash.
double runRegisterBaseline(const QString& path, Period month, qint64* rows) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QElapsedTimer t;
    t.start();
    QStringList earlier;
    Period p = month;
    for (int m = 0; m < Months - 1; ++m) {
        p = p.prev();
        earlier << QStringLiteral("'%1'").arg(p.toText());
    }
    struct Record {
        QString name, settlement, street;
        qint64 amounts[5] = {0, 0, 0, 0, 0};
    };
    std::unordered_map<qint64, Record> records;
    for (int n : Services) {
        const struct {
            const char* table;
            const char* sums;
            int first;
        } month_[] = {{"Nachisl", "SUM(NACH), SUM(LGOT)", 1},
                      {"Oplata", "SUM(OPLATA)", 4},
                      {"Korrekt", "SUM(KORR)", 3}};
        for (const auto& part : month_) {
            sqlite3_stmt* s = nullptr;
            const QByteArray sql =
                QStringLiteral("SELECT T.CLIENT, %1, Client.FIO, NasPunkt.NAME, Street.NAME, "
                               "Client.DOM, Client.KORP, Client.KVART, Client.KOL FROM %2%3 T LEFT "
                               "JOIN Client ON Client.IDC = T.CLIENT LEFT JOIN NasPunkt ON "
                               "Client.NP = NasPunkt.ID LEFT JOIN Street ON Client.ST = Street.ID "
                               "WHERE T.PERIOD = '%4' GROUP BY T.CLIENT")
                    .arg(QLatin1String(part.sums), QLatin1String(part.table))
                    .arg(n)
                    .arg(month.toText())
                    .toUtf8();
            sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
            const int sums = part.first == 1 ? 2 : 1;
            while (sqlite3_step(s) == SQLITE_ROW) {
                Record& r = records[sqlite3_column_int64(s, 0) * 10 + n];
                for (int k = 0; k < sums; ++k)
                    r.amounts[part.first + k] +=
                        Money::fromDouble(sqlite3_column_double(s, 1 + k)).units();
                r.name = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(s, 1 + sums)));
            }
            sqlite3_finalize(s);
        }
        for (const char* table : {"Nachisl", "Oplata", "Korrekt"}) {
            sqlite3_stmt* s = nullptr;
            const QByteArray sql =
                QStringLiteral(
                    "SELECT CLIENT, SUM(%1) FROM %2%3 WHERE PERIOD IN (%4) GROUP BY CLIENT")
                    .arg(QLatin1String(table[0] == 'N'   ? "ITOG"
                                       : table[0] == 'O' ? "OPLATA"
                                                         : "KORR"),
                         QLatin1String(table))
                    .arg(n)
                    .arg(earlier.join(u','))
                    .toUtf8();
            sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW) {
                const auto it = records.find(sqlite3_column_int64(s, 0) * 10 + n);
                if (it != records.end())
                    it->second.amounts[0] += Money::fromDouble(sqlite3_column_double(s, 1)).units();
            }
            sqlite3_finalize(s);
        }
    }
    *rows = qint64(records.size());
    const double ms = elapsed(t);
    sqlite3_close(db);
    return ms;
}

struct ProgramTimes {
    double recalc = 0, transition = 0, journal = 0, reg = 0;
    qint64 registerRows = 0;
    QString balances;
};

ProgramTimes runProgram(QTemporaryDir& dir, const QString& office, int run) {
    ProgramTimes times;
    const QString path = copyOf(dir, office, run);
    {
        AppContext app;
        app.connection = Connection::openSqlite(path);
        loadProgramState(app);
        app.CurrentUserId = 1;
        QElapsedTimer t;
        t.start();
        Pereschet(app);
        times.recalc = elapsed(t);
    }
    times.balances = balances(path);
    {
        AppContext app;
        app.connection = Connection::openSqlite(path);
        loadProgramState(app);
        const QString month = Period::parse(app.state.CurrentPeriod)->prev().toText();
        QElapsedTimer t;
        t.start();
        ReportTable table;
        fillChargeRegister(app, table, {month, ChargeLayout::Subscriber, {}});
        times.reg = elapsed(t);
        times.registerRows = table.rowCount() - 8;
    }
    {
        AppContext app;
        app.connection = Connection::openSqlite(copyOf(dir, office, run + 1000));
        loadProgramState(app);
        app.CurrentUserId = 1;
        // the month closes the period before the office's current one: that month's balances
        app.state.CurrentPeriod = Period::parse(app.state.CurrentPeriod)->prev().toText();
        QElapsedTimer t;
        t.start();
        monthTransition(app);
        times.transition = elapsed(t);
        t.restart();
        const JournalNode tree = journalTree(documentDates(app.db()));
        const ResultSet list =
            app.db().query(journalListSql(journalFilter(app.state.CurrentPeriod, 0)));
        times.journal = elapsed(t);
        if (tree.children.empty())
            std::fprintf(stderr, "the journal has no dates\n");
    }
    return times;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("BENCH_KEEP")); // BENCH_KEEP=1 keeps the files
    const Period current(3, 2024);
    std::printf("making an office of %d subscribers with %d months in %zu services…\n", Subscribers,
                Months, std::size(Services));
    const QString office = makeOffice(dir, current);
    std::vector<double> recalc, transition, journal, baseline, reg, regBaseline;
    for (int r = 0; r < rounds; ++r) {
        const QString base = copyOf(dir, office, 2 * r);
        baseline.push_back(runBaseline(base, current));
        const ProgramTimes p = runProgram(dir, office, 2 * r + 1);
        const QString expected = balances(base);
        if (p.balances != expected) {
            std::fprintf(stderr, "the balances differ:\n  program  %s\n  baseline %s\n",
                         qPrintable(p.balances), qPrintable(expected));
            return 1;
        }
        qint64 baseRows = 0;
        regBaseline.push_back(runRegisterBaseline(base, current.prev(), &baseRows));
        if (baseRows != p.registerRows) {
            std::fprintf(stderr, "the charge registers differ: %lld rows vs %lld\n",
                         (long long)p.registerRows, (long long)baseRows);
            return 1;
        }
        reg.push_back(p.reg);
        recalc.push_back(p.recalc);
        transition.push_back(p.transition);
        journal.push_back(p.journal);
    }
    const double b = Bench::median(baseline);
    std::printf("balances of %d subscribers × %zu services, %d months, %d rounds (medians)\n",
                Subscribers, std::size(Services), Months, rounds);
    std::printf("  baseline        : %8.1f ms\n", b);
    std::printf("  recalculation   : %8.1f ms, ratio %.2f (goal: at most 2)\n",
                Bench::median(recalc), Bench::median(recalc) / b);
    std::printf("  month transition: %8.1f ms, ratio %.2f (goal: at most 2)\n",
                Bench::median(transition), Bench::median(transition) / b);
    std::printf("  journal opening on the current month: %.1f ms\n", Bench::median(journal));
    std::printf("charge register of %s by subscriber: %.1f ms, baseline %.1f ms, ratio %.2f "
                "(goal: at most 2)\n",
                qPrintable(current.prev().toText()), Bench::median(reg), Bench::median(regBaseline),
                Bench::median(reg) / Bench::median(regBaseline));
    return 0;
}
