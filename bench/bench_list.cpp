// The main list of a large office: "Выбрать абонентов (F3)" with no criteria, through the
// program's own selection (statement, counts, list) and its table model, beside a hand-written
// baseline that reads the same statement with the SQLite C API into a minimal table model.
//
// Two times each: until the first rows can be shown (the model answers for the first screen),
// and until the whole list is in the model (the window reads on from its event loop). The demo
// office is made once with the program's demo generator (same seed, same data). Runs alternate;
// medians, ratios and the program's memory for the list are printed.
#include "app/appcontext.h"
#include "app/demogenerator.h"
#include "app/startup.h"
#include "benchoffice.h"
#include "db/connection.h"
#include "db/schema.h"
#include "db/transaction.h"
#include "documents/selection.h"
#include "ui/common/resultsetmodel.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int Subscribers = 200000;
constexpr int Screen = 50; // rows the first screen shows

// Reads the first screen's cells as the grid paints them.
template <class Model> qint64 paintFirstScreen(const Model& model) {
    qint64 chars = 0;
    const int rows = std::min(Screen, model.rowCount());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < model.columnCount(); ++c)
            chars += model.data(model.index(r, c), Qt::DisplayRole).toString().size();
    return chars;
}

struct Times {
    double first = 0, whole = 0;
    qint64 rows = 0;
};

// As the main window does it: the caption's counts, the first screen read and shown, then the
// rest read on a chunk at a time into the model.
Times runProgram(AppContext& app, ResultSetModel& model, size_t* bytes) {
    QElapsedTimer t;
    t.start();
    const SelectionStatement s = buildSelection({}, true, app.state.ShownServices);
    const SelectionResult counts = countSelection(app.db(), s);
    auto reader = app.db().openReader(s.ListSql);
    ResultSet first;
    reader->read(first, 200);
    model.setRows(std::move(first));
    paintFirstScreen(model);
    Times times;
    times.first = double(t.nsecsElapsed()) / 1e6;
    while (!reader->done()) {
        ResultSet more;
        reader->read(more, 20000);
        model.appendRows(more);
    }
    times.whole = double(t.nsecsElapsed()) / 1e6;
    times.rows = model.rowCount() + counts.count * 0;
    *bytes = model.rows().bytes();
    return times;
}

// The hand-written side: the statement the selection builds, written for SQLite, stepped into
// a vector of rows of QVariants behind a minimal model; the caption's two counts as well.
class MinimalModel : public QAbstractTableModel {
public:
    std::vector<std::vector<QVariant>> rows;
    int columns = 0;
    int rowCount(const QModelIndex& = {}) const override { return int(rows.size()); }
    int columnCount(const QModelIndex& = {}) const override { return columns; }
    QVariant data(const QModelIndex& i, int role) const override {
        return role == Qt::DisplayRole ? rows[size_t(i.row())][size_t(i.column())] : QVariant();
    }
};

QString baselineSql() {
    QString balances, joins, opening;
    for (int n = 1; n <= 4; ++n) {
        balances += QStringLiteral(", Dolg%1.SUMMA").arg(n);
        joins += QStringLiteral(") LEFT JOIN Dolg%1 ON Client.IDC=Dolg%1.CLIENT").arg(n);
        opening += u'(';
    }
    const QString columns =
        QStringLiteral("Client.LS, Client.FIO, %1.NAME, Street.NAME, Client.DOM, "
                       "Client.KORP, Client.KVART") +
        balances + QStringLiteral(", Client.IDC, Client.TIPZ");
    return QStringLiteral("SELECT ") + columns.arg(QStringLiteral("NasPunkt")) +
           QStringLiteral(" FROM ") + opening +
           QStringLiteral(
               "Street INNER JOIN (Rajon INNER JOIN (NasPunkt INNER JOIN Client ON "
               "NasPunkt.ID = Client.NP) ON Rajon.ID = Client.RN) ON Street.ID = Client.ST") +
           joins + QStringLiteral(" UNION SELECT ") + columns.arg(QStringLiteral("Gorod")) +
           QStringLiteral(" FROM ") + opening +
           QStringLiteral("(Street INNER JOIN Client ON Street.ID = Client.ST) INNER JOIN Gorod ON "
                          "Client.GD = Gorod.ID") +
           joins;
}

Times runBaseline(const QString& path, MinimalModel& model) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA temp_store = MEMORY; PRAGMA cache_size = -32768", nullptr, nullptr,
                 nullptr);
    QElapsedTimer t;
    t.start();
    Times times;
    for (const char* count : {"SELECT count(*) FROM Client", "SELECT sum(KOL) FROM Client"}) {
        sqlite3_stmt* c = nullptr;
        sqlite3_prepare_v2(db, count, -1, &c, nullptr);
        sqlite3_step(c);
        times.rows += sqlite3_column_int64(c, 0) * 0;
        sqlite3_finalize(c);
    }
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, baselineSql().toUtf8().constData(), -1, &s, nullptr);
    model.columns = sqlite3_column_count(s);
    model.rows.clear();
    while (sqlite3_step(s) == SQLITE_ROW) {
        std::vector<QVariant> row(size_t(model.columns));
        for (int c = 0; c < model.columns; ++c) {
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_INTEGER:
                row[size_t(c)] = sqlite3_column_int64(s, c);
                break;
            case SQLITE_FLOAT:
                row[size_t(c)] = sqlite3_column_double(s, c);
                break;
            case SQLITE_TEXT:
                row[size_t(c)] =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                                      sqlite3_column_bytes(s, c));
                break;
            default:
                break;
            }
        }
        model.rows.push_back(std::move(row));
        if (model.rows.size() == size_t(Screen)) {
            paintFirstScreen(model);
            times.first = double(t.nsecsElapsed()) / 1e6;
        }
    }
    sqlite3_finalize(s);
    times.whole = double(t.nsecsElapsed()) / 1e6;
    times.rows = qint64(model.rows.size());
    sqlite3_close(db);
    return times;
}

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    std::printf("making a demo office of %d subscribers…\n", Subscribers);
    const QString path = Bench::makeOffice(dir, Subscribers);

    AppContext app;
    app.connection = Connection::openSqlite(path);
    loadProgramState(app);
    std::vector<double> pFirst, pWhole, bFirst, bWhole;
    size_t bytes = 0;
    const long before = peakKb();
    long programPeak = 0;
    for (int r = 0; r < rounds; ++r) {
        {
            ResultSetModel model;
            const Times p = runProgram(app, model, &bytes);
            programPeak = std::max(programPeak, peakKb());
            pFirst.push_back(p.first);
            pWhole.push_back(p.whole);
            if (p.rows != Subscribers) {
                std::fprintf(stderr, "the program listed %lld rows\n", (long long)p.rows);
                return 1;
            }
        }
        MinimalModel model;
        const Times b = runBaseline(path, model);
        bFirst.push_back(b.first);
        bWhole.push_back(b.whole);
        if (b.rows != Subscribers) {
            std::fprintf(stderr, "the baseline listed %lld rows\n", (long long)b.rows);
            return 1;
        }
    }
    std::printf("main list of %d subscribers, %d rounds (medians)\n", Subscribers, rounds);
    std::printf("  first rows : program %7.1f ms, baseline %7.1f ms, ratio %.2f\n",
                Bench::median(pFirst), Bench::median(bFirst),
                Bench::median(pFirst) / Bench::median(bFirst));
    std::printf("  whole list : program %7.1f ms, baseline %7.1f ms, ratio %.2f\n",
                Bench::median(pWhole), Bench::median(bWhole),
                Bench::median(pWhole) / Bench::median(bWhole));
    std::printf("  the program's list holds %.1f MB; process peak %.0f MB (%.0f MB before the "
                "first list)\n",
                double(bytes) / 1e6, double(programPeak) / 1024, double(before) / 1024);
    return 0;
}
