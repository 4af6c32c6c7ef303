#include "app/startup.h"

#include "app/config.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/schema.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString servicePanelText(const QString& period) {
    return QStringLiteral("Период расчета ") + period;
}

} // namespace

void loadProgramState(AppContext& app) {
    ProgramState& s = app.state;
    Query q(app.db());
    q.open(QStringLiteral("select * from Service"));
    q.last();
    s.CurrentPeriod = q.text(QStringLiteral("PERIOD"));
    s.PeriodPanelText = servicePanelText(s.CurrentPeriod);

    // services: an error ends the walk silently, what was read stays
    s.ShownServices.clear();
    try {
        Query u(app.db());
        u.open(QStringLiteral("select * from Uslugi ORDER BY IDUSL"));
        for (u.first(); !u.eof(); u.next()) {
            if (!u.truth(QStringLiteral("OTOBR")))
                continue;
            s.ShownServices.push_back(
                {int(u.integer(QStringLiteral("IDUSL"))), u.text(QStringLiteral("NAME")),
                 u.text(QStringLiteral("KRATKO")), u.text(QStringLiteral("OSNOVA"))});
        }
    } catch (const DbError&) {
    }

    // the database name and prefixes: errors are discarded silently
    try {
        Query sv(app.db());
        sv.open(QStringLiteral("select * from Service"));
        sv.last();
        const qint64 nom = sv.integer(QStringLiteral("NAIMEN"));
        s.ColourExcluded = int(sv.integer(QStringLiteral("OKR")));
        Query n(app.db());
        n.open(QStringLiteral("select * from Naimenovanie where NOM=") + QString::number(nom));
        n.last();
        s.ProgramTitle = QStringLiteral("Тервала  - ") + n.text(QStringLiteral("NAIMEN"));
        s.DocIdPrefix = n.text(QStringLiteral("SL_PREFIKS"));
        s.DocNumberPrefix = n.text(QStringLiteral("PREFIKS"));
    } catch (const DbError&) {
    }
}

StartupOutcome runStartup(AppContext& app, const StartupEnvironment& env, Prompter& prompter,
                          Progress* progress) {
    ProgramState& s = app.state;
    try {
        if (const auto config = ConfigIni::read(env.configPath)) {
            s.DatabasePath = config->databasePath;
            s.ProgramTitle = config->title;
            s.ChargeBenefits = config->chargeBenefits();
        } else {
            s.DatabasePath = QDir::toNativeSeparators(QDir(env.executableDir).absolutePath()) +
                             QDir::separator() + QStringLiteral("Data.mdb");
            ConfigIni::write(env.configPath, {s.DatabasePath});
        }
    } catch (const ConfigError& e) {
        prompter.error(e.message);
        return StartupOutcome::Failed;
    }

    StartupOutcome outcome = StartupOutcome::NoDatabase;
    if (QFileInfo(s.DatabasePath).isFile()) {
        try {
            app.connection = Connection::openSqlite(s.DatabasePath);
            loadProgramState(app);
        } catch (const DbError& e) {
            prompter.error(e.message());
            return StartupOutcome::Failed;
        }
        outcome = StartupOutcome::Ready;
    }

    s.NoticePrintDate = QDate::currentDate();
    s.ConfirmClose = true;
    Sozdanie(app, prompter, progress);
    return outcome;
}

void Sozdanie(AppContext& app, Prompter& prompter, Progress* progress) {
    if (progress)
        progress->processEvents();
    if (!app.connected())
        return;
    struct Table {
        const char* probe;
        const char* create;
        const char* createTail;
    };
    static const Table tables[] = {
        {"SELECT IDR FROM Nachisl",
         " (IDR long, DOK long, CLIENT long, PERIOD String(10), NACH float, LGOT float,",
         " ITOG float, USR long)"},
        {"SELECT IDO FROM Oplata",
         " (IDO long, DOK long, STROKA long, CLIENT long, SPOSOB long, OPLATA float, DATA date, "
         "PERIOD String(10),",
         " KVITANS String(10), USR long)"},
        {"SELECT IDK FROM Korrekt",
         " (IDK long, DOK long, CLIENT long, PERIOD String(10), KORR float, NACH date, KON date,",
         " SPOSOB long, VELICH float, USR long)"},
        {"SELECT CLIENT FROM Dolg", " (CLIENT long, SUMMA float)", ""},
        {"SELECT CLIENT FROM Tarif", " (CLIENT long, TARIF float)", ""},
    };
    for (const TVidUslugi& service : app.state.ShownServices) {
        const QString n = QString::number(service.IDUSL);
        for (const Table& t : tables) {
            const QString probe = QString::fromUtf8(t.probe) + n;
            try {
                app.db().execute(probe);
                continue;
            } catch (const DbError&) {
            }
            // the table name is the probe's last word
            const QString name = probe.section(u' ', -1);
            try {
                app.db().execute(QStringLiteral("CREATE TABLE ") + name +
                                 QString::fromUtf8(t.create) + QString::fromUtf8(t.createTail));
            } catch (const DbError& e) {
                prompter.error(e.message());
                return;
            }
        }
    }
    try {
        std::vector<int> ids;
        for (const TVidUslugi& s : app.state.ShownServices)
            ids.push_back(s.IDUSL);
        Schema::ensureIndexes(app.db(), ids);
    } catch (const DbError& e) {
        prompter.error(e.message());
    }
}
