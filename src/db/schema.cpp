#include "db/schema.h"

#include "common/dates.h"
#include "db/connection.h"
#include "db/sqltext.h"

#include <QDate>

namespace Schema {

void ensureIndexes(Connection& db, const std::vector<int>& serviceIds) {
    // the lists join every subscriber to its street, district, settlement or city and to its
    // balances, and the routines read one subscriber's rows at a time: without these indexes the
    // engine builds them anew for every statement over a large office
    QStringList statements = {
        QStringLiteral("CREATE INDEX IF NOT EXISTS StreetId ON Street (ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS RajonId ON Rajon (ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS NasPunktId ON NasPunkt (ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS GorodId ON Gorod (ID)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS UchastokId ON Uchastok (ID)"),
    };
    const QStringList existing = db.tableNames();
    for (int id : serviceIds)
        for (const char* table : {"Nachisl", "Oplata", "Korrekt", "Dolg", "Tarif"}) {
            const QString name = QLatin1String(table) + QString::number(id);
            if (!existing.contains(name, Qt::CaseInsensitive))
                continue;
            statements
                << QStringLiteral("CREATE INDEX IF NOT EXISTS %1Client ON %1 (CLIENT)").arg(name);
            // the month's movements (registers, the snapshot, the charge's adding mode)
            if (table[0] != 'D' && table[0] != 'T')
                statements << QStringLiteral(
                                  "CREATE INDEX IF NOT EXISTS %1Period ON %1 (PERIOD, CLIENT)")
                                  .arg(name);
        }
    for (const QString& statement : statements)
        db.execute(statement);
}

void createFixedTables(Connection& db) {
    static const char* const tables[] = {
        "CREATE TABLE Client (IDC long, LS text, FIO text, RG long, GD long, RN long, NP long, "
        "ST long, DOM text, KORP text, KVART text, ZIP text, UCH long, KOL long, OB_PL float, "
        "ZH_PL float, TIPZ text, PAS_S text, PAS_N text, PAS_K text, PAS_D date, "
        "DATA_ROZHD date, USR long, TARIF float)",
        "CREATE TABLE Lgoty (IDL long, CLIENT long, LGOTA long, PRCNT float, FIO_LG text, "
        "KOL_LG long, OBOSN text, DOK_S text, DOK_N text, DOK_K text, DOK_D date, "
        "DATA_NACH date, DATA_OKON date, BESSROCH text, BEZ_OKON text, TIPZ text)",
        "CREATE TABLE Dokum (IDDOK long, IDPR text, TIPDOK text, NOMDOK long, NOMPR text, "
        "DATADOK date, SUMMA float, OSNOV text, USR long)",
        // the journal keeps whole statements (settings changes), so its text has no limit
        "CREATE TABLE Zhurnal (IDZ long, USR long, DATA date, TABL text, DEISTV memo, "
        "CLIENT long, DOK long)",
        "CREATE TABLE Uslugi (IDUSL long, NAME text, KRATKO text, OSNOVA text, OTOBR yesno)",
        "CREATE TABLE Service (IDS long, PERIOD text, DATA date, NAIMEN long, OKR long)",
        "CREATE TABLE Naimenovanie (NOM long, NAIMEN text, SL_PREFIKS text, PREFIKS text)",
        "CREATE TABLE Users (IDUSR long, NAME text, PASS text, PRAV long)",
        "CREATE TABLE Rekvizity (Rekvizit text, Soderzhanie memo)",
        "CREATE TABLE VidOpl (NOM long, NAME text, VIZ text)",
        "CREATE TABLE LgtSpr (IDLG long, NAME text, PROC float, TIPLG long, ZAGOL text)",
        "CREATE TABLE Region (ID long, NAME text)",
        "CREATE TABLE Gorod (ID long, NAME text, RG long)",
        "CREATE TABLE Rajon (ID long, NAME text, RG long, GD long)",
        "CREATE TABLE NasPunkt (ID long, NAME text, RN long)",
        "CREATE TABLE Street (ID long, NAME text, GD long, NP long)",
        "CREATE TABLE Uchastok (ID long, NAME text)",
        // the charge reads the benefit holders of one subscriber at a time
        "CREATE INDEX LgotyClient ON Lgoty (CLIENT)",
        "CREATE INDEX ClientIdc ON Client (IDC)",
    };
    for (const char* t : tables)
        db.execute(QString::fromUtf8(t));
}

void seed(Connection& db, const Seed& s) {
    using SqlText::quoted;
    db.execute(QStringLiteral("insert into Service (IDS, PERIOD, DATA, NAIMEN, OKR) values "
                              "(1, %1, %2, 1, 1)")
                   .arg(quoted(s.period.toText()), quoted(Dates::shortDate(QDate::currentDate()))));
    db.execute(QStringLiteral("insert into Naimenovanie (NOM, NAIMEN, SL_PREFIKS, PREFIKS) values "
                              "(1, %1, \"01\", \"\")")
                   .arg(quoted(s.databaseName)));
    struct ServiceSeed {
        int id;
        const char* name;
        const char* shortName;
        const char* base;
    };
    static const ServiceSeed services[] = {
        {1, "Холодное водоснабжение", "ХВС", "KOL"},
        {2, "Водоотведение", "Канализ.", "KOL"},
        {3, "Отопление", "Отопл.", "OB_PL"},
        {4, "Вывоз твердых бытовых отходов", "ТБО", "KOL"},
    };
    for (const auto& sv : services)
        db.execute(QStringLiteral("insert into Uslugi (IDUSL, NAME, KRATKO, OSNOVA, OTOBR) values "
                                  "(%1, %2, %3, %4, True)")
                       .arg(sv.id)
                       .arg(quoted(QString::fromUtf8(sv.name)),
                            quoted(QString::fromUtf8(sv.shortName)),
                            quoted(QString::fromUtf8(sv.base))));
    static const char* const methods[] = {"Наличными", "В кассу", "через почту"};
    int nom = 1;
    for (const char* m : methods)
        db.execute(QStringLiteral("insert into VidOpl (NOM, NAME, VIZ) values (%1, %2, \"1\")")
                       .arg(nom++)
                       .arg(quoted(QString::fromUtf8(m))));
    db.execute(QStringLiteral("insert into Rekvizity (Rekvizit, Soderzhanie) values "
                              "(\"Организация\", \"МУП «Тервала-Водоканал»\")"));
    db.execute(QStringLiteral("insert into Rekvizity (Rekvizit, Soderzhanie) values "
                              "(\"Руководитель\", \"Смирнов А. В.\")"));
    struct KindSeed {
        int id;
        const char* name;
        const char* percent;
        int type;
        const char* heading;
    };
    static const KindSeed kinds[] = {
        {1, "Ветеран труда", "50", 1, "Ветераны труда"},
        {2, "Инвалид II группы", "50", 1, "Инвалиды"},
        {3, "Многодетная семья", "30", 2, "Многодетные семьи"},
        {4, "Участник боевых действий", "50", 1, "Участники боевых действий"},
        {5, "Реабилитированный", "25,5", 1, "Реабилитированные"},
    };
    for (const auto& k : kinds)
        db.execute(QStringLiteral("insert into LgtSpr (IDLG, NAME, PROC, TIPLG, ZAGOL) values "
                                  "(%1, %2, %3, %4, %5)")
                       .arg(k.id)
                       .arg(quoted(QString::fromUtf8(k.name)), quoted(QString::fromUtf8(k.percent)))
                       .arg(k.type)
                       .arg(quoted(QString::fromUtf8(k.heading))));
    db.execute(QStringLiteral("insert into Users (IDUSR, NAME, PASS, PRAV) values "
                              "(1, \"Администратор\", %1, 3)")
                   .arg(quoted(s.adminPassword)));
}

} // namespace Schema
