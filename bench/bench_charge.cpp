// The month's charge of a demo office (100,000 subscribers × 3 services, benefits on) through the
// program's own routine, beside a hand-written baseline: the same lines inserted through one
// prepared SQLite statement per service in one transaction, the benefit holders read in one pass.
// Both start from the same selected rows and the same copy of the office; the medians and their
// ratio are printed (goal: at most 2).
#include "app/startup.h"
#include "benchoffice.h"
#include "db/schema.h"
#include "db/transaction.h"
#include "documents/charge.h"
#include "documents/selection.h"

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
const std::vector<int> Services = {1, 2, 3};

QString copyOf(QTemporaryDir& dir, const QString& office, int run) {
    const QString path = dir.filePath(QStringLiteral("run%1.db").arg(run));
    QFile::copy(office, path);
    return path;
}

struct Outcome {
    double ms = 0;
    QString check; // lines and their sum per service
};

QString checkOf(sqlite3* db) {
    QString out;
    for (int n : Services) {
        sqlite3_stmt* s = nullptr;
        const QByteArray sql =
            QStringLiteral("SELECT count(*), sum(ITOG) FROM Nachisl%1").arg(n).toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
        sqlite3_step(s);
        out += QStringLiteral("%1: %2 lines, %3; ")
                   .arg(n)
                   .arg(sqlite3_column_int64(s, 0))
                   .arg(Money::fromDouble(sqlite3_column_double(s, 1)).toText());
        sqlite3_finalize(s);
    }
    return out;
}

QString checkOf(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QString c = checkOf(db);
    sqlite3_close(db);
    return c;
}

std::vector<DocumentRow> selectedRows(AppContext& app) {
    const SelectionStatement s = buildSelection({}, false, app.state.ShownServices);
    return documentRows(app.db().query(s.ListSql));
}

Outcome runProgram(const QString& path) {
    AppContext app;
    app.connection = Connection::openSqlite(path);
    loadProgramState(app);
    app.state.ChargeBenefits = true;
    app.CurrentUserId = 1;
    ChargeInput input;
    input.header.number = QStringLiteral("1");
    input.header.date = QDate(2024, 3, 15);
    input.rows = selectedRows(app);
    input.services = Services;
    QElapsedTimer t;
    t.start();
    const SaveResult r = charge(app, input);
    Outcome o;
    o.ms = double(t.nsecsElapsed()) / 1e6;
    if (!r.ok())
        std::fprintf(stderr, "the charge refused: %s\n", qPrintable(r.refusal));
    app.connection.reset();
    o.check = checkOf(path);
    return o;
}

QDateTime storedDate(const unsigned char* text) {
    if (!text)
        return {};
    const QString s = QString::fromUtf8(reinterpret_cast<const char*>(text));
    return QDateTime(QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
}

Outcome runBaseline(const QString& path, const std::vector<DocumentRow>& rows,
                    const std::vector<TVidUslugi>& shown) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QElapsedTimer t;
    t.start();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    // every benefit holder in one pass
    std::unordered_map<int, std::vector<BenefitRow>> benefits;
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT CLIENT, DATA_NACH, DATA_OKON, BEZ_OKON, KOL_LG, PRCNT FROM Lgoty "
                       "ORDER BY rowid",
                       -1, &read, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) {
        BenefitRow b;
        b.start = storedDate(sqlite3_column_text(read, 1));
        b.end = storedDate(sqlite3_column_text(read, 2));
        const unsigned char* ignore = sqlite3_column_text(read, 3);
        b.ignoreEnd = ignore && ignore[0] == '1' && ignore[1] == 0;
        b.persons = sqlite3_column_int64(read, 4);
        b.percent = Money::fromDouble(sqlite3_column_double(read, 5));
        benefits[sqlite3_column_int(read, 0)].push_back(b);
    }
    sqlite3_finalize(read);
    sqlite3_exec(db,
                 "INSERT INTO Dokum (IDDOK, IDPR, TIPDOK, NOMDOK, NOMPR, DATADOK, OSNOV, USR) "
                 "VALUES (1, '01', '1', 1, '', '2024-03-15', '', 1)",
                 nullptr, nullptr, nullptr);
    const Period period(3, 2024);
    const std::vector<BenefitRow> none;
    for (int n : Services) {
        const TVidUslugi* service = nullptr;
        for (const TVidUslugi& s : shown)
            if (s.IDUSL == n)
                service = &s;
        sqlite3_stmt* ins = nullptr;
        const QByteArray sql = QStringLiteral("INSERT INTO Nachisl%1 (IDR, DOK, CLIENT, PERIOD, "
                                              "NACH, LGOT, ITOG, USR) VALUES (?1, 1, ?2, "
                                              "'03.2024', ?3, ?4, ?5, 1)")
                                   .arg(n)
                                   .toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &ins, nullptr);
        int id = 0;
        for (const DocumentRow& row : rows) {
            if (row.TIPZ == u"isk")
                continue;
            const auto it = benefits.find(row.IDC);
            const ChargeAmounts a =
                chargeAmounts(row.quantity(service->OSNOVA), row.tariffs.value(n), row.KOL,
                              it == benefits.end() ? none : it->second, period);
            sqlite3_bind_int(ins, 1, ++id);
            sqlite3_bind_int(ins, 2, row.IDC);
            sqlite3_bind_double(ins, 3, a.NACH.toDouble());
            sqlite3_bind_double(ins, 4, a.LGOT.toDouble());
            sqlite3_bind_double(ins, 5, a.ITOG.toDouble());
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    Outcome o;
    o.ms = double(t.nsecsElapsed()) / 1e6;
    o.check = checkOf(db);
    sqlite3_close(db);
    return o;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    std::printf("making a demo office of %d subscribers…\n", Subscribers);
    const QString office = Bench::makeOffice(dir, Subscribers);
    std::vector<DocumentRow> rows;
    std::vector<TVidUslugi> shown;
    {
        AppContext app;
        app.connection = Connection::openSqlite(office);
        loadProgramState(app);
        rows = selectedRows(app);
        shown = app.state.ShownServices;
    }
    std::vector<double> program, baseline;
    int run = 0;
    for (int r = 0; r < rounds; ++r) {
        const Outcome b = runBaseline(copyOf(dir, office, run++), rows, shown);
        const Outcome p = runProgram(copyOf(dir, office, run++));
        if (p.check != b.check) {
            std::fprintf(stderr, "the charges differ:\n  program  %s\n  baseline %s\n",
                         qPrintable(p.check), qPrintable(b.check));
            return 1;
        }
        program.push_back(p.ms);
        baseline.push_back(b.ms);
    }
    std::printf("charge of %d subscribers × %zu services, benefits on, %d rounds (medians)\n",
                Subscribers, Services.size(), rounds);
    std::printf("  program  : %8.1f ms\n", Bench::median(program));
    std::printf("  baseline : %8.1f ms\n", Bench::median(baseline));
    std::printf("  ratio    : %.2f (goal: at most 2)\n",
                Bench::median(program) / Bench::median(baseline));
    return 0;
}
