#include "cli/clicommands.h"

#include "app/archive.h"
#include "app/config.h"
#include "app/demogenerator.h"
#include "app/demohistory.h"
#include "app/startup.h"
#include "common/period.h"
#include "db/dberror.h"
#include "db/schema.h"
#include "db/transaction.h"
#include "documents/charge.h"
#include "documents/documentfiles.h"
#include "documents/selection.h"
#include "period/transition.h"
#include "reports/debtors.h"
#include "reports/history.h"
#include "reports/registers.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextStream>
#include <cstdio>
#include <optional>

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}
QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

const char* const Usage =
    "Использование: tervala-cli [--db ПУТЬ] КОМАНДА …\n"
    "  init ПУТЬ [--period ММ.ГГГГ] [--admin-password ПАРОЛЬ]\n"
    "        новая база данных (пароль администратора печатается, если не задан)\n"
    "  demo ПУТЬ [--subscribers N] [--seed S] [--period ММ.ГГГГ] [--months M]\n"
    "        новая демонстрационная база с историей за M месяцев (по умолчанию 12)\n"
    "  sql ЗАПРОС\n"
    "        выполнить один запрос Jet SQL; строки результата выводятся через TAB\n"
    "  list [--ls Л/С] [--fio ЧАСТЬ_ФИО] [--rg N] [--gd N] [--rn N] [--np N] [--st N]\n"
    "       [--house ДОМ [--house-to ДОМ]] [--korp КОРПУС] [--kvart КВАРТИРА] [--uch N]\n"
    "        список абонентов главного окна по условиям окна отбора (коды справочников)\n"
    "  charge [--service N]… [--date ДД.ММ.ГГГГ] [--number K] [--note ТЕКСТ] [--benefits 1|0]\n"
    "        документ начисления текущего периода всем абонентам выборки без условий\n"
    "  pay --date ДД.ММ.ГГГГ [--number K] [--recalc] ФАЙЛ\n"
    "        документ оплаты из файла: л/с TAB услуга TAB сумма TAB способ TAB квитанция\n"
    "  correct --service N --date ДД.ММ.ГГГГ [--number K] ФАЙЛ\n"
    "        документ корректировки из файла: л/с TAB способ 1-4 TAB величина TAB начало TAB "
    "конец\n"
    "  recalc\n"
    "        пересчитать входящие сальдо всех абонентов\n"
    "  close-month [--no-archive]\n"
    "        переход на новый месяц (без вопросов; сначала архив, если не сказано иначе)\n"
    "  archive\n"
    "        архив базы рядом с файлом базы; печатается путь архива\n"
    "  check\n"
    "        сверка сальдо с движением прошлых месяцев по услугам (код 1 при расхождении)\n"
    "  report payments-day --date ДД.ММ.ГГГГ [--method NOM] [--doc IDDOK] [--csv ФАЙЛ]\n"
    "  report payments-period --from ДД.ММ.ГГГГ --to ДД.ММ.ГГГГ [--method NOM] [--by-name]\n"
    "         [условия отбора] [--csv ФАЙЛ]\n"
    "  report charges [--period ММ.ГГГГ] --layout subscriber|settlement|street\n"
    "         [условия отбора] [--csv ФАЙЛ]\n"
    "  report history --client IDC --year ГГГГ [--services 1,2] [--csv ФАЙЛ]\n"
    "  report debtors [--limit L] [условия отбора] [--csv ФАЙЛ]\n"
    "        таблица отчета через TAB; --csv пишет тот же файл, что окно отчета\n"
    "  У charge, pay, correct, recalc и close-month: [--user ID] (по умолчанию первый пользователь с правами 3);\n"
    "  печатается номер (IDDOK) записанного документа.\n"
    "Без --db используется база, названная в Config.ini текущей папки.\n";

int usage(const QString& problem) {
    if (!problem.isEmpty())
        err() << problem << '\n';
    err() << QString::fromUtf8(Usage);
    err().flush();
    return 2;
}

int failure(const QString& message) {
    err() << message << '\n';
    err().flush();
    return 1;
}

// Options after the command: --name value pairs among the positional arguments; flags stand
// alone.
struct Args {
    QStringList positional;
    QHash<QString, QString> options;     // the last value of each
    QHash<QString, QStringList> repeats; // every value, in order
    QStringList flags;
};

std::optional<Args> parseArgs(const QStringList& list, const QStringList& known, QString* problem,
                              const QStringList& flags = {}) {
    Args a;
    for (int i = 0; i < list.size(); ++i) {
        const QString& s = list[i];
        if (flags.contains(s)) {
            a.flags << s;
            continue;
        }
        if (s.startsWith(QStringLiteral("--"))) {
            if (!known.contains(s)) {
                *problem = QStringLiteral("Неизвестный параметр %1").arg(s);
                return std::nullopt;
            }
            if (i + 1 >= list.size()) {
                *problem = QStringLiteral("Для параметра %1 не указано значение").arg(s);
                return std::nullopt;
            }
            a.options.insert(s, list[++i]);
            a.repeats[s] << list[i];
        } else {
            a.positional << s;
        }
    }
    return a;
}

class CliPrompter : public Prompter {
public:
    bool ask(const QString&, const QString&) override { return true; }
    void notify(const QString& text) override { err() << text << '\n'; }
    void error(const QString& text) override {
        err() << text << '\n';
        m_failed = true;
    }
    bool failed() const { return m_failed; }

private:
    bool m_failed = false;
};

// Creates a new database with its fixed tables, seed and per-service tables. The file is built
// under a temporary name beside the target and takes the target's name only when complete, so a
// run that is killed half-way never leaves a database without its data under that name.
int createDatabase(const QString& path, const Period& period, const QString& adminPassword,
                   const std::optional<DemoOptions>& demo) {
    if (QFileInfo::exists(path))
        return failure(QStringLiteral("Файл %1 уже существует; укажите другой путь.").arg(path));
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return failure(QStringLiteral("Не удалось создать папку %1.").arg(info.absolutePath()));
    const QString building =
        info.absoluteDir().filePath(QStringLiteral(".%1.%2.creating")
                                        .arg(info.fileName())
                                        .arg(QCoreApplication::applicationPid()));
    auto discard = [&] {
        QFile::remove(building);
        QFile::remove(building + QStringLiteral("-journal"));
    };
    discard();
    CliPrompter prompter;
    try {
        AppContext app;
        app.connection = Connection::openSqlite(building, Connection::OpenMode::Create);
        {
            Transaction tx(app.db());
            Schema::createFixedTables(app.db());
            Schema::seed(app.db(), {period, adminPassword});
            tx.commit();
        }
        loadProgramState(app);
        Sozdanie(app, prompter);
        if (prompter.failed())
            throw DbError(QStringLiteral("Не удалось создать таблицы услуг."));
        if (demo) {
            generateDemo(app, *demo);
            if (demo->months > 0) {
                app.CurrentUserId = defaultDocumentUser(app.db());
                app.state.ChargeBenefits = true;
                generateHistory(app, demo->months, demo->seed);
            }
        }
        app.db().updateStatistics();
    } catch (const DbError& e) {
        discard();
        return failure(e.message());
    }
    // the connection is closed here; the rename never replaces a file that appeared meanwhile
    if (!QFile::rename(building, path)) {
        discard();
        return failure(QStringLiteral("Не удалось сохранить базу под именем %1 (файл уже есть или "
                                      "папка недоступна для записи).")
                           .arg(path));
    }
    return 0;
}

std::optional<Period> periodOption(const Args& a, QString* problem) {
    if (!a.options.contains(QStringLiteral("--period")))
        return Period::fromDate(QDate::currentDate());
    const QString text = a.options.value(QStringLiteral("--period"));
    const auto p = Period::parse(text);
    if (!p || p->isBeforeAll()) {
        *problem = QStringLiteral("Период «%1» задан неверно; нужен вид ММ.ГГГГ, например 03.2024.")
                       .arg(text);
        return std::nullopt;
    }
    return p;
}

int cmdInit(const QStringList& rest) {
    QString problem;
    const auto a =
        parseArgs(rest, {QStringLiteral("--period"), QStringLiteral("--admin-password")}, &problem);
    if (!a)
        return usage(problem);
    if (a->positional.size() != 1)
        return usage(QStringLiteral("Команде init нужен один путь к новой базе."));
    const auto period = periodOption(*a, &problem);
    if (!period)
        return usage(problem);
    QString password = a->options.value(QStringLiteral("--admin-password"));
    if (password.isEmpty())
        password = QString::number(QRandomGenerator::system()->bounded(100000, 1000000));
    const int rc = createDatabase(a->positional[0], *period, password, std::nullopt);
    if (rc == 0) {
        out() << QStringLiteral("Создана база %1, период %2.\n")
                     .arg(a->positional[0], period->toText());
        out() << QStringLiteral("Администратор: пароль %1\n").arg(password);
    }
    return rc;
}

int cmdDemo(const QStringList& rest) {
    QString problem;
    const auto a = parseArgs(rest,
                             {QStringLiteral("--subscribers"), QStringLiteral("--seed"),
                              QStringLiteral("--period"), QStringLiteral("--months")},
                             &problem);
    if (!a)
        return usage(problem);
    if (a->positional.size() != 1)
        return usage(QStringLiteral("Команде demo нужен один путь к новой базе."));
    const auto period = periodOption(*a, &problem);
    if (!period)
        return usage(problem);
    DemoOptions options;
    bool ok = true;
    if (a->options.contains(QStringLiteral("--subscribers"))) {
        options.subscribers = a->options.value(QStringLiteral("--subscribers")).toInt(&ok);
        if (!ok || options.subscribers < 0 || options.subscribers > 9999999)
            return usage(QStringLiteral("Число абонентов задано неверно."));
    }
    if (a->options.contains(QStringLiteral("--seed"))) {
        options.seed = a->options.value(QStringLiteral("--seed")).toUInt(&ok);
        if (!ok)
            return usage(
                QStringLiteral("Зерно (--seed) должно быть целым неотрицательным числом."));
    }
    if (a->options.contains(QStringLiteral("--months"))) {
        options.months = a->options.value(QStringLiteral("--months")).toInt(&ok);
        if (!ok || options.months < 0 || options.months > 240)
            return usage(QStringLiteral("Число месяцев истории (--months) — от 0 до 240."));
    }
    // the office starts that many months earlier and lives up to the period asked for
    Period start = *period;
    for (int m = 0; m < options.months; ++m)
        start = start.prev();
    const int rc =
        createDatabase(a->positional[0], start, QString::fromUtf8(DemoUsers[0].password), options);
    if (rc == 0) {
        out() << QStringLiteral("Создана демонстрационная база %1: абонентов %2, период %3.\n")
                     .arg(a->positional[0])
                     .arg(options.subscribers)
                     .arg(period->toText());
        out() << QStringLiteral("Пользователи (пароль — уровень прав):\n");
        for (const DemoUser& u : DemoUsers)
            out() << QStringLiteral("  %1\t%2\t%3\n")
                         .arg(QString::fromUtf8(u.name), QString::fromUtf8(u.password))
                         .arg(u.rights);
    }
    return rc;
}

// The database named by --db, or by Config.ini in the current folder as the program finds it.
std::optional<QString> databasePath(const QString& dbOption, QString* problem) {
    QString path = dbOption;
    if (path.isEmpty()) {
        try {
            const auto config = ConfigIni::read(ConfigIni::fileName());
            if (!config) {
                *problem =
                    QStringLiteral("В текущей папке нет Config.ini; укажите базу параметром --db.");
                return std::nullopt;
            }
            path = config->databasePath;
        } catch (const ConfigError& e) {
            *problem = e.message;
            return std::nullopt;
        }
    }
    if (!QFileInfo(path).isFile()) {
        *problem = QStringLiteral("Файл базы данных %1 не найден.").arg(path);
        return std::nullopt;
    }
    return path;
}

void printRows(const ResultSet& rows, const std::vector<int>& columns) {
    QStringList head;
    for (int c : columns)
        head << rows.columns[c];
    out() << head.join(u'\t') << '\n';
    for (int row = 0; row < rows.rowCount; ++row) {
        QStringList cells;
        for (int c : columns)
            cells << rows.at(row, c).toText();
        out() << cells.join(u'\t') << '\n';
    }
}

int cmdSql(const QString& dbOption, const QStringList& rest) {
    if (rest.size() != 1)
        return usage(QStringLiteral("Команде sql нужен один запрос (в кавычках оболочки)."));
    QString problem;
    const auto path = databasePath(dbOption, &problem);
    if (!path)
        return failure(problem);
    try {
        auto db = Connection::openSqlite(*path);
        const Connection::Result r = db->run(rest[0]);
        if (r.hasRows) {
            std::vector<int> all;
            for (int c = 0; c < r.rows.columns.size(); ++c)
                all.push_back(c);
            printRows(r.rows, all);
        }
    } catch (const DbError& e) {
        return failure(e.message());
    }
    return 0;
}

// The main list for the selection window's criteria: the rows and columns the window shows.
// The selection window's criteria among the options (--ls, --fio, …).
const QStringList CriteriaTexts = {QStringLiteral("--ls"),    QStringLiteral("--fio"),
                                   QStringLiteral("--house"), QStringLiteral("--house-to"),
                                   QStringLiteral("--korp"),  QStringLiteral("--kvart")};
const QStringList CriteriaLists = {QStringLiteral("--rg"), QStringLiteral("--gd"),
                                   QStringLiteral("--rn"), QStringLiteral("--np"),
                                   QStringLiteral("--st"), QStringLiteral("--uch")};

std::optional<SelectionCriteria> criteriaOf(const Args& a, QString* problem) {
    SelectionCriteria c;
    c.account = a.options.value(QStringLiteral("--ls"));
    c.name = a.options.value(QStringLiteral("--fio"));
    c.house = a.options.value(QStringLiteral("--house"));
    if (a.options.contains(QStringLiteral("--house-to")))
        c.house += u'-' + a.options.value(QStringLiteral("--house-to"));
    c.building = a.options.value(QStringLiteral("--korp"));
    c.apartment = a.options.value(QStringLiteral("--kvart"));
    std::optional<int>* ids[] = {&c.region,     &c.city,   &c.district,
                                 &c.settlement, &c.street, &c.area};
    for (int i = 0; i < CriteriaLists.size(); ++i) {
        if (!a.options.contains(CriteriaLists[i]))
            continue;
        bool ok = false;
        const int id = a.options.value(CriteriaLists[i]).toInt(&ok);
        if (!ok || id <= 0) {
            *problem = QStringLiteral("Для %1 нужен код из справочника (целое число больше 0).")
                           .arg(CriteriaLists[i]);
            return std::nullopt;
        }
        *ids[i] = id;
    }
    return c;
}

bool hasCriteria(const Args& a) {
    for (const QString& o : CriteriaTexts + CriteriaLists)
        if (a.options.contains(o))
            return true;
    return false;
}

int cmdList(const QString& dbOption, const QStringList& rest) {
    QString problem;
    const auto a = parseArgs(rest, CriteriaTexts + CriteriaLists, &problem);
    if (!a)
        return usage(problem);
    if (!a->positional.isEmpty())
        return usage(
            QStringLiteral("Команда list принимает только условия отбора (--ls, --fio, …)."));
    const auto criteria = criteriaOf(*a, &problem);
    if (!criteria)
        return usage(problem);
    const SelectionCriteria& c = *criteria;
    const auto path = databasePath(dbOption, &problem);
    if (!path)
        return failure(problem);
    try {
        AppContext app;
        app.connection = Connection::openSqlite(*path);
        loadProgramState(app);
        const SelectionResult r =
            runSelection(app.db(), buildSelection(c, true, app.state.ShownServices));
        std::vector<int> shown;
        for (int col = 0; col < r.list.columns.size(); ++col)
            if (!isHiddenListColumn(r.list.columns[col]))
                shown.push_back(col);
        printRows(r.list, shown);
        err() << selectionCaption(QString(), r).trimmed() << '\n';
    } catch (const DbError& e) {
        return failure(e.message());
    }
    return 0;
}

// The program's context for a routine run from the command line: the database, its state, the
// workstation's benefit switch (Config.ini of the current folder, or --benefits) and the user.
std::optional<int> openOffice(AppContext& app, const QString& dbOption, const Args& a) {
    QString problem;
    const auto path = databasePath(dbOption, &problem);
    if (!path)
        return failure(problem);
    try {
        if (const auto config = ConfigIni::read(ConfigIni::fileName()))
            app.state.ChargeBenefits = config->chargeBenefits();
    } catch (const ConfigError&) {
        // a workstation file that cannot be read only loses its switch
    }
    if (a.options.contains(QStringLiteral("--benefits")))
        app.state.ChargeBenefits = a.options.value(QStringLiteral("--benefits")) == u"1";
    try {
        app.connection = Connection::openSqlite(*path);
        app.state.DatabasePath = *path;
        loadProgramState(app);
        if (a.options.contains(QStringLiteral("--user"))) {
            bool ok = false;
            app.CurrentUserId = a.options.value(QStringLiteral("--user")).toInt(&ok);
            const ResultSet r = app.db().query(
                QStringLiteral("select count(*) from Users where IDUSR=%1").arg(app.CurrentUserId));
            if (!ok || r.at(0, 0).toInteger() == 0)
                return failure(QStringLiteral("Нет пользователя с кодом %1.")
                                   .arg(a.options.value(QStringLiteral("--user"))));
        } else {
            app.CurrentUserId = defaultDocumentUser(app.db());
            if (app.CurrentUserId == 0)
                return failure(QStringLiteral(
                    "В базе нет пользователя с правами 3; укажите пользователя параметром --user."));
        }
    } catch (const DbError& e) {
        return failure(e.message());
    }
    return std::nullopt;
}

// The header of a document from --date, --number and --note.
std::optional<int> documentHeader(AppContext& app, const Args& a, DocType type, bool dateRequired,
                                  DocumentHeader* h) {
    const QString date = a.options.value(QStringLiteral("--date"));
    if (date.isEmpty()) {
        if (dateRequired)
            return usage(QStringLiteral("Укажите дату документа: --date ДД.ММ.ГГГГ."));
        // today when it lies in the current period, else the period's first day
        const auto period = Period::parse(app.state.CurrentPeriod);
        h->date = QDate::currentDate();
        if (period && !inCurrentPeriod(h->date, app.state.CurrentPeriod))
            h->date = period->day(1);
    } else {
        h->date = QDate::fromString(date, QStringLiteral("dd.MM.yyyy"));
        if (!h->date.isValid())
            return usage(QStringLiteral("Дата «%1» — не дата ДД.ММ.ГГГГ.").arg(date));
    }
    const NewDocument offered = newDocument(app.db(), type);
    h->id = offered.id;
    h->number = a.options.value(QStringLiteral("--number"), QString::number(offered.number));
    h->note = a.options.value(QStringLiteral("--note"));
    return std::nullopt;
}

int reportSaved(const SaveResult& r, const DocumentHeader& h) {
    if (!r.ok())
        return failure(r.refusal);
    if (r.renumbered)
        err() << DocText::renumbered(h.number.toInt(), r.number) << '\n';
    out() << r.docId << '\n';
    return 0;
}

std::optional<QString> readUtf8File(const QString& path, QString* problem) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("Не удалось открыть файл %1: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    return QString::fromUtf8(f.readAll());
}

int cmdCharge(const QString& dbOption, const QStringList& rest) {
    QString problem;
    const auto a = parseArgs(rest,
                             {QStringLiteral("--service"), QStringLiteral("--date"),
                              QStringLiteral("--number"), QStringLiteral("--note"),
                              QStringLiteral("--user"), QStringLiteral("--benefits")},
                             &problem);
    if (!a)
        return usage(problem);
    if (!a->positional.isEmpty())
        return usage(QStringLiteral("Команда charge не принимает файлов."));
    AppContext app;
    if (const auto rc = openOffice(app, dbOption, *a))
        return *rc;
    try {
        ChargeInput input;
        if (const auto rc = documentHeader(app, *a, DocType::Charge, false, &input.header))
            return *rc;
        for (const QString& s : a->repeats.value(QStringLiteral("--service"))) {
            bool ok = false;
            const int id = s.toInt(&ok);
            if (!ok || !shownService(app, id))
                return failure(QStringLiteral("Услуга %1 не показывается в программе.").arg(s));
            input.services.push_back(id);
        }
        if (input.services.empty())
            for (const TVidUslugi& s : app.state.ShownServices)
                input.services.push_back(s.IDUSL);
        const SelectionStatement sel = buildSelection({}, false, app.state.ShownServices);
        input.rows = documentRows(app.db().query(sel.ListSql));
        return reportSaved(charge(app, input), input.header);
    } catch (const DbError& e) {
        return failure(e.message());
    }
}

int cmdPay(const QString& dbOption, const QStringList& rest) {
    QString problem;
    const auto a = parseArgs(rest,
                             {QStringLiteral("--date"), QStringLiteral("--number"),
                              QStringLiteral("--note"), QStringLiteral("--user")},
                             &problem, {QStringLiteral("--recalc")});
    if (!a)
        return usage(problem);
    if (a->positional.size() != 1)
        return usage(QStringLiteral("Команде pay нужен один файл строк оплаты."));
    AppContext app;
    if (const auto rc = openOffice(app, dbOption, *a))
        return *rc;
    try {
        PaymentInput input;
        if (const auto rc = documentHeader(app, *a, DocType::Payment, true, &input.header))
            return *rc;
        const auto text = readUtf8File(a->positional[0], &problem);
        if (!text)
            return failure(problem);
        const PaymentFile file = readPaymentFile(app, *text);
        if (!file.problem.isEmpty())
            return failure(file.problem);
        input.lines = file.lines;
        const SaveResult r = pay(app, input);
        const int rc = reportSaved(r, input.header);
        if (rc == 0 && a->flags.contains(QStringLiteral("--recalc")) &&
            paymentAsksRecalc(app, input.header))
            recalcPayers(app, input.lines, nullptr);
        return rc;
    } catch (const DbError& e) {
        return failure(e.message());
    }
}

int cmdCorrect(const QString& dbOption, const QStringList& rest) {
    QString problem;
    const auto a =
        parseArgs(rest,
                  {QStringLiteral("--service"), QStringLiteral("--date"),
                   QStringLiteral("--number"), QStringLiteral("--note"), QStringLiteral("--user")},
                  &problem);
    if (!a)
        return usage(problem);
    if (a->positional.size() != 1)
        return usage(QStringLiteral("Команде correct нужен один файл строк корректировки."));
    if (!a->options.contains(QStringLiteral("--service")))
        return usage(QStringLiteral("Укажите корректируемую услугу: --service N."));
    AppContext app;
    if (const auto rc = openOffice(app, dbOption, *a))
        return *rc;
    try {
        CorrectionInput input;
        if (const auto rc = documentHeader(app, *a, DocType::Correction, true, &input.header))
            return *rc;
        bool ok = false;
        input.service = a->options.value(QStringLiteral("--service")).toInt(&ok);
        if (!ok || !shownService(app, input.service))
            return failure(QStringLiteral("Услуга %1 не показывается в программе.")
                               .arg(a->options.value(QStringLiteral("--service"))));
        const auto text = readUtf8File(a->positional[0], &problem);
        if (!text)
            return failure(problem);
        const CorrectionFile file = readCorrectionFile(app, *text);
        if (!file.problem.isEmpty())
            return failure(file.problem);
        input.lines = file.lines;
        return reportSaved(correct(app, input), input.header);
    } catch (const DbError& e) {
        return failure(e.message());
    }
}

int cmdPeriod(const QString& command, const QString& dbOption, const QStringList& rest) {
    QString problem;
    const auto a =
        parseArgs(rest, {QStringLiteral("--user")}, &problem, {QStringLiteral("--no-archive")});
    if (!a)
        return usage(problem);
    if (!a->positional.isEmpty() ||
        (command != u"close-month" && a->flags.contains(QStringLiteral("--no-archive"))))
        return usage(QStringLiteral("Лишние параметры команды %1.").arg(command));
    AppContext app;
    if (const auto rc = openOffice(app, dbOption, *a))
        return *rc;
    try {
        if (command == u"archive" ||
            (command == u"close-month" && !a->flags.contains(QStringLiteral("--no-archive")))) {
            const ArchiveResult r = archiveDatabase(app);
            if (!r.ok())
                return failure(ArchiveText::Failed + u'\n' + r.problem);
            if (command == u"archive") {
                out() << r.path << '\n';
                return 0;
            }
            err() << QStringLiteral("Архив: %1").arg(r.path) << '\n';
        }
        if (command == u"recalc") {
            Pereschet(app);
            return 0;
        }
        if (command == u"check") {
            bool same = true;
            for (const BalanceCheck& c : checkBalances(app)) {
                out() << TransitionText::checkLine(c) << '\n';
                same = same && c.ok();
            }
            return same ? 0 : 1;
        }
        const TransitionResult r = monthTransition(app);
        for (const BalanceCheck& c : r.checks)
            err() << TransitionText::checkLine(c) << '\n';
        out() << r.period << '\n';
        return 0;
    } catch (const DbError& e) {
        return failure(e.message());
    }
}

// Prints a report table: every row, its cells TAB-joined; --csv writes the report window's file.
int printReport(const ReportTable& t, const QString& csv) {
    for (int r = 0; r < t.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < t.columnCount(); ++c)
            cells << t.text(c, r);
        out() << cells.join(u'\t') << '\n';
    }
    if (!csv.isEmpty()) {
        QFile f(csv);
        if (!f.open(QIODevice::WriteOnly) || f.write(t.toCsv()) < 0)
            return failure(
                QStringLiteral("Не удалось записать файл %1: %2").arg(csv, f.errorString()));
    }
    return 0;
}

std::optional<QDate> dateOption(const Args& a, const QString& name, QString* problem) {
    const QString text = a.options.value(name);
    const QDate d = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid()) {
        *problem = text.isEmpty()
                       ? QStringLiteral("Укажите %1 ДД.ММ.ГГГГ.").arg(name)
                       : QStringLiteral("%1: «%2» — не дата ДД.ММ.ГГГГ.").arg(name, text);
        return std::nullopt;
    }
    return d;
}

std::optional<int> intOption(const Args& a, const QString& name, QString* problem) {
    if (!a.options.contains(name))
        return std::nullopt;
    bool ok = false;
    const int v = a.options.value(name).toInt(&ok);
    if (!ok)
        *problem = QStringLiteral("%1: нужно целое число.").arg(name);
    return ok ? std::optional<int>(v) : std::nullopt;
}

int cmdReport(const QString& dbOption, const QStringList& rest) {
    if (rest.isEmpty())
        return usage(
            QStringLiteral("Укажите вид отчета: payments-day, payments-period или charges."));
    const QString kind = rest[0];
    QString problem;
    const QStringList known = QStringList{QStringLiteral("--date"),     QStringLiteral("--method"),
                                          QStringLiteral("--doc"),      QStringLiteral("--from"),
                                          QStringLiteral("--to"),       QStringLiteral("--period"),
                                          QStringLiteral("--layout"),   QStringLiteral("--csv"),
                                          QStringLiteral("--client"),   QStringLiteral("--year"),
                                          QStringLiteral("--services"), QStringLiteral("--limit")} +
                              CriteriaTexts + CriteriaLists;
    const auto a = parseArgs(rest.mid(1), known, &problem, {QStringLiteral("--by-name")});
    if (!a)
        return usage(problem);
    if (!a->positional.isEmpty())
        return usage(QStringLiteral("Лишние параметры: %1").arg(a->positional.join(u' ')));
    const auto criteria = criteriaOf(*a, &problem);
    if (!criteria)
        return usage(problem);
    const QString csv = a->options.value(QStringLiteral("--csv"));
    AppContext app;
    if (const auto rc = openOffice(app, dbOption, *a))
        return *rc;
    try {
        const QString filter =
            hasCriteria(*a)
                ? reportClientFilter(
                      buildSelection(*criteria, false, app.state.ShownServices).SelectionFilter)
                : QString();
        const auto method = intOption(*a, QStringLiteral("--method"), &problem);
        if (!problem.isEmpty())
            return usage(problem);
        ReportTable t;
        if (kind == u"payments-day") {
            const auto day = dateOption(*a, QStringLiteral("--date"), &problem);
            const auto doc = intOption(*a, QStringLiteral("--doc"), &problem);
            if (!day || !problem.isEmpty())
                return usage(problem);
            DayRegister p{*day, method, doc, {}};
            if (doc) {
                for (const DayDocument& d : documentsOfDay(app, *day))
                    if (d.id == *doc)
                        p.documentNumber = d.number;
                if (p.documentNumber.isEmpty())
                    return failure(QStringLiteral("В документе %1 нет оплат за %2.")
                                       .arg(*doc)
                                       .arg(day->toString(QStringLiteral("dd.MM.yyyy"))));
            }
            fillDayRegister(app, t, p);
        } else if (kind == u"payments-period") {
            const auto from = dateOption(*a, QStringLiteral("--from"), &problem);
            const auto to = from ? dateOption(*a, QStringLiteral("--to"), &problem) : std::nullopt;
            if (!from || !to)
                return usage(problem);
            fillPeriodRegister(
                app, t,
                {*from, *to, method, a->flags.contains(QStringLiteral("--by-name")), filter});
        } else if (kind == u"charges") {
            const QString layout = a->options.value(QStringLiteral("--layout"));
            const ChargeLayout l = layout == u"settlement" ? ChargeLayout::Settlement
                                   : layout == u"street"   ? ChargeLayout::Street
                                                           : ChargeLayout::Subscriber;
            if (layout != u"subscriber" && layout != u"settlement" && layout != u"street")
                return usage(QStringLiteral("Укажите --layout subscriber, settlement или street."));
            if (l != ChargeLayout::Subscriber && hasCriteria(*a))
                return usage(QStringLiteral("Условия отбора применяются только к поабонентному "
                                            "перечню (--layout subscriber)."));
            fillChargeRegister(
                app, t,
                {a->options.value(QStringLiteral("--period"), app.state.CurrentPeriod), l, filter});
        } else if (kind == u"debtors") {
            const QString limit = a->options.value(QStringLiteral("--limit"));
            if (const QString p = debtorLimitProblem(limit); !p.isEmpty())
                return usage(p);
            fillDebtorList(
                app, t,
                {limit, buildSelection(*criteria, false, app.state.ShownServices).SelectionFilter});
        } else if (kind == u"history") {
            const auto client = intOption(*a, QStringLiteral("--client"), &problem);
            const auto year = intOption(*a, QStringLiteral("--year"), &problem);
            if (!client || !year || !problem.isEmpty())
                return usage(problem.isEmpty()
                                 ? QStringLiteral("Укажите --client IDC и --year ГГГГ.")
                                 : problem);
            std::vector<int> services;
            for (const QString& s :
                 a->options.value(QStringLiteral("--services")).split(u',', Qt::SkipEmptyParts)) {
                bool ok = false;
                const int id = s.trimmed().toInt(&ok);
                if (!ok || !shownService(app, id))
                    return failure(QStringLiteral("Услуга %1 не показывается в программе.").arg(s));
                services.push_back(id);
            }
            if (services.empty())
                for (const TVidUslugi& s : app.state.ShownServices)
                    services.push_back(s.IDUSL);
            fillHistoryTable(t, calculationHistory(app, *client, *year), services);
        } else {
            return usage(QStringLiteral("Неизвестный вид отчета %1").arg(kind));
        }
        return printReport(t, csv);
    } catch (const DbError& e) {
        return failure(e.message());
    }
}

} // namespace

int runCli(const QStringList& arguments) {
    QStringList args = arguments;
    QString dbPath;
    if (!args.isEmpty() && args[0] == u"--db") {
        if (args.size() < 2)
            return usage(QStringLiteral("Для --db не указан путь."));
        dbPath = args[1];
        args = args.mid(2);
    }
    if (args.isEmpty())
        return usage({});
    const QString command = args[0];
    const QStringList rest = args.mid(1);
    int rc;
    if (command == u"init")
        rc = cmdInit(rest);
    else if (command == u"demo")
        rc = cmdDemo(rest);
    else if (command == u"sql")
        rc = cmdSql(dbPath, rest);
    else if (command == u"list")
        rc = cmdList(dbPath, rest);
    else if (command == u"charge")
        rc = cmdCharge(dbPath, rest);
    else if (command == u"pay")
        rc = cmdPay(dbPath, rest);
    else if (command == u"correct")
        rc = cmdCorrect(dbPath, rest);
    else if (command == u"report")
        rc = cmdReport(dbPath, rest);
    else if (command == u"recalc" || command == u"close-month" || command == u"archive" ||
             command == u"check")
        rc = cmdPeriod(command, dbPath, rest);
    else if (command == u"--help" || command == u"help")
        rc = (usage({}), 0);
    else
        rc = usage(QStringLiteral("Неизвестная команда %1").arg(command));
    out().flush();
    err().flush();
    return rc;
}
