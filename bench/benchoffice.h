#pragma once

// What the benchmarks share: a demo office made by the program's own code, and medians.
#include "app/demogenerator.h"
#include "app/startup.h"
#include "db/schema.h"
#include "db/transaction.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace Bench {

// Answers yes, shows nothing but errors.
class QuietPrompter : public Prompter {
public:
    bool ask(const QString&, const QString&) override { return true; }
    void notify(const QString&) override {}
    void error(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

// office.db in the folder: the seed of the period, its service tables and a demo register of
// the given size (no history), with the planner's statistics.
inline QString makeOffice(QTemporaryDir& dir, int subscribers, Period period = Period(3, 2024)) {
    const QString path = dir.filePath(QStringLiteral("office.db"));
    AppContext app;
    app.connection = Connection::openSqlite(path, Connection::OpenMode::Create);
    {
        Transaction tx(app.db());
        Schema::createFixedTables(app.db());
        Schema::seed(app.db(), {period, QStringLiteral("secret")});
        tx.commit();
    }
    loadProgramState(app);
    QuietPrompter p;
    Sozdanie(app, p);
    DemoOptions options;
    options.subscribers = subscribers;
    generateDemo(app, options);
    app.db().updateStatistics();
    return path;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace Bench
