#include "app/demogenerator.h"

#include "app/clients.h"

#include "common/dates.h"
#include "common/money.h"
#include "db/sqltext.h"
#include "db/transaction.h"

#include <QDate>
#include <random>

namespace {

using SqlText::quoted;

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

class Random {
public:
    explicit Random(quint32 seed) : m_engine(seed) {}
    int below(int n) { return n <= 1 ? 0 : int(m_engine() % quint32(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <size_t N> const char* pick(const char* const (&items)[N]) { return items[below(N)]; }

private:
    std::mt19937 m_engine; // the same sequence on every platform
};

const char* const MaleSurnames[] = {
    "Иванов",  "Смирнов", "Кузнецов", "Попов",       "Васильев", "Петров",    "Соколов", "Михайлов",
    "Новиков", "Фёдоров", "Морозов",  "Волков",      "Алексеев", "Лебедев",   "Семёнов", "Егоров",
    "Павлов",  "Козлов",  "Степанов", "Николаев",    "Орлов",    "Андреев",   "Макаров", "Никитин",
    "Захаров", "Зайцев",  "Соловьёв", "Борисов",     "Яковлев",  "Григорьев", "Романов", "Воробьёв",
    "Сергеев", "Кузьмин", "Фролов",   "Александров", "Дмитриев", "Королёв",   "Гусев",   "Киселёв"};
const char* const MaleNames[] = {
    "Александр", "Сергей", "Владимир", "Николай",  "Алексей", "Андрей", "Виктор",   "Михаил",
    "Иван",      "Юрий",   "Геннадий", "Анатолий", "Валерий", "Пётр",   "Григорий", "Василий"};
const char* const FemaleNames[] = {"Елена",  "Ольга",   "Татьяна",   "Наталья", "Ирина", "Светлана",
                                   "Галина", "Людмила", "Валентина", "Нина",    "Анна",  "Мария",
                                   "Любовь", "Надежда", "Зинаида",   "Раиса"};
const char* const Patronymics[] = {"Александров", "Сергеев",   "Владимиров", "Николаев", "Алексеев",
                                   "Андреев",     "Викторов",  "Михайлов",   "Иванов",   "Петров",
                                   "Васильев",    "Григорьев", "Фёдоров",    "Павлов"};
const char* const StreetNames[] = {
    "ул. Ленина",      "ул. Советская",     "ул. Садовая",   "ул. Школьная", "ул. Набережная",
    "ул. Молодёжная",  "ул. Лесная",        "ул. Полевая",   "ул. Мира",     "ул. Гагарина",
    "ул. Октябрьская", "ул. Комсомольская", "пер. Почтовый", "пер. Речной",  "ул. Заводская",
    "ул. Пушкина",     "ул. Лермонтова",    "ул. Кирова",    "ул. Луговая",  "пр. Победы",
    "ул. Вокзальная",  "ул. Первомайская",  "ул. Северная",  "пер. Садовый"};
const char* const VillageNames[] = {"д. Горки",     "с. Никольское", "пос. Заречный",
                                    "д. Берёзовка", "с. Покровское", "д. Ивановка",
                                    "пос. Лесной",  "д. Озерки",     "с. Воскресенское",
                                    "д. Новосёлки", "д. Сосновка",   "пос. Первомайский"};
const char* const Controllers[] = {"Петрова Н. А.", "Кузьмина Т. В.", "Орлов С. П.",
                                   "Зайцева Л. М.", "Никитин Ю. Г.",  "Белова О. И."};
const char* const Issuers[] = {"ОВД г. Великие Луки", "УФМС по Псковской обл.",
                               "ОВД Великолукского р-на", "ОУФМС в г. Пскове"};

QString personName(Random& r, bool female) {
    QString surname = u8(r.pick(MaleSurnames));
    if (female)
        surname += u'а';
    const QString name = u8(female ? r.pick(FemaleNames) : r.pick(MaleNames));
    const QString patronymic = u8(r.pick(Patronymics)) + (female ? u8("на") : u8("ич"));
    return surname + u' ' + name + u' ' + patronymic;
}

struct Place {
    int region, city, district, settlement;
    std::vector<int> streets;
    QString zip;
    bool flats; // blocks of flats with apartment numbers
};

// The demo office, step by step; every step draws from the one random sequence in the same
// order, so the same seed gives the same database.
class DemoBuilder {
public:
    DemoBuilder(AppContext& app, quint32 seed) : m_app(app), m_db(app.db()), m_r(seed) {}

    void addressBooks();
    void areas();
    void users();
    void benefitKinds();
    void subscriber(int idc);

private:
    struct Kind {
        int id;
        QString percent;
        int type;
    };
    void addStreets(Place& p, int count, int gd, int np);
    QString tariffFor(const TVidUslugi& s);
    void tariffs(int idc, const Place& p);
    void holder(int idc, const QString& fio, int residents);

    AppContext& m_app;
    Connection& m_db;
    Random m_r;
    std::vector<Place> m_places;
    int m_streetId = 0, m_settlementId = 0, m_areas = 0, m_holderId = 0;
    std::vector<Kind> m_kinds;
    const QDate m_today = QDate::currentDate();
};

// Two regions, their cities, districts, settlements and streets.
void DemoBuilder::addressBooks() {
    struct CitySeed {
        int region;
        const char* name;
        const char* district;
        const char* zip;
    };
    static const CitySeed cities[] = {
        {1, "Великие Луки", "Великолукский район", "182100"},
        {1, "Невель", "Невельский район", "182500"},
        {2, "Старая Русса", "Старорусский район", "175200"},
        {2, "Боровичи", "Боровичский район", "174400"},
    };
    m_db.execute(u8("insert into Region (ID, NAME) values (1, \"Псковская область\")"));
    m_db.execute(u8("insert into Region (ID, NAME) values (2, \"Новгородская область\")"));
    int cityId = 0;
    for (const CitySeed& c : cities) {
        ++cityId;
        m_db.execute(
            QStringLiteral("insert into Gorod (ID, NAME, RG) values (%1, %2, %3)")
                .arg(QString::number(cityId), quoted(u8(c.name)), QString::number(c.region)));
        m_db.execute(
            QStringLiteral("insert into Rajon (ID, NAME, RG, GD) values (%1, %2, %3, 0)")
                .arg(QString::number(cityId), quoted(u8(c.district)), QString::number(c.region)));
        Place city{c.region, cityId, cityId, 0, {}, u8(c.zip), true};
        addStreets(city, 10, cityId, 0);
        m_places.push_back(city);
        for (int v = 0; v < 3; ++v) {
            ++m_settlementId;
            m_db.execute(
                QStringLiteral("insert into NasPunkt (ID, NAME, RN) values (%1, %2, %3)")
                    .arg(QString::number(m_settlementId),
                         quoted(u8(VillageNames[(m_settlementId - 1) % std::size(VillageNames)])),
                         QString::number(cityId)));
            Place village{c.region,       0,  cityId,
                          m_settlementId, {}, u8(c.zip).left(5) + QString::number(v + 1),
                          false};
            addStreets(village, 3, 0, m_settlementId);
            m_places.push_back(village);
        }
    }
}

void DemoBuilder::addStreets(Place& p, int count, int gd, int np) {
    std::vector<int> used;
    for (int k = 0; k < count; ++k) {
        int idx;
        do
            idx = m_r.below(int(std::size(StreetNames)));
        while (std::find(used.begin(), used.end(), idx) != used.end());
        used.push_back(idx);
        ++m_streetId;
        m_db.execute(QStringLiteral("insert into Street (ID, NAME, GD, NP) values (%1, %2, %3, %4)")
                         .arg(QString::number(m_streetId), quoted(u8(StreetNames[idx])),
                              QString::number(gd), QString::number(np)));
        p.streets.push_back(m_streetId);
    }
}

// The areas, each named by its controller.
void DemoBuilder::areas() {
    for (const char* controller : Controllers) {
        ++m_areas;
        m_db.execute(
            QStringLiteral("insert into Uchastok (ID, NAME) values (%1, %2)")
                .arg(QString::number(m_areas),
                     quoted(QStringLiteral("Участок № %1 (%2)").arg(m_areas).arg(u8(controller)))));
    }
}

// Users of every rights level; the seed's administrator takes the demo password.
void DemoBuilder::users() {
    m_db.execute(QStringLiteral("delete * from Users"));
    int userId = 0;
    for (const DemoUser& u : DemoUsers)
        m_db.execute(
            QStringLiteral("insert into Users (IDUSR, NAME, PASS, PRAV) values (%1, %2, %3, %4)")
                .arg(QString::number(++userId), quoted(u8(u.name)), quoted(u8(u.password)),
                     QString::number(u.rights)));
}

// The benefit kinds as the seed made them.
void DemoBuilder::benefitKinds() {
    const ResultSet rows = m_db.query(QStringLiteral("select IDLG, PROC, TIPLG from LgtSpr"));
    for (int i = 0; i < rows.rowCount; ++i)
        m_kinds.push_back({int(rows.at(i, 0).toInteger()), rows.at(i, 1).toText(),
                           int(rows.at(i, 2).toInteger())});
}

// One subscriber with its address, areas, passport, tariffs and maybe a benefit holder.
void DemoBuilder::subscriber(int idc) {
    Random& r = m_r;
    const Place& p = m_places[size_t(r.below(int(m_places.size())))];
    const bool female = r.chance(55);
    const QString fio = personName(r, female);
    const QString ls = Clients::defaultAccount(idc);
    const int residents = r.between(1, 6);
    const Money total = Money::fromUnits(qint64(r.between(280, 1200)) * 1000); // 28,0..120,0
    const Money living =
        Money::fromUnits((total * Money::fromUnits(6000 + r.below(1500))).units() / 1000 * 1000);
    const QString dom =
        QString::number(r.between(1, p.flats ? 60 : 90)) + (r.chance(10) ? u8("а") : QString());
    const QString korp = p.flats && r.chance(15) ? QString::number(r.between(1, 3)) : QString();
    const QString kvart = p.flats ? QString::number(r.between(1, 180)) : QString();
    const bool excluded = r.chance(3);
    const bool passport = r.chance(60);
    const QDate born = QDate(1935, 1, 1).addDays(r.below(365 * 70));
    const int street = p.streets[size_t(r.below(int(p.streets.size())))];
    const int area = r.between(1, m_areas);
    QString passportValues = QStringLiteral("\"\", \"\", \"\", Null");
    if (passport)
        passportValues =
            QStringLiteral("%1, %2, %3, %4")
                .arg(quoted(QStringLiteral("%1 %2")
                                .arg(r.between(10, 99))
                                .arg(r.between(0, 99), 2, 10, QChar(u'0'))),
                     quoted(QString::number(r.between(100000, 999999))),
                     quoted(u8(r.pick(Issuers))),
                     quoted(Dates::shortDate(born.addYears(20).addDays(r.below(3000)))));
    const QString n = QString::number(idc);
    m_db.execute(QStringLiteral(
                     "insert into Client (IDC, LS, FIO, RG, GD, RN, NP, ST, DOM, KORP, KVART, ZIP, "
                     "UCH, KOL, OB_PL, ZH_PL, TIPZ, PAS_S, PAS_N, PAS_K, PAS_D, DATA_ROZHD, USR) "
                     "values (%1, %2, %3, %4, %5, %6, %7, %8, %9, ")
                     .arg(n, quoted(ls), quoted(fio), QString::number(p.region),
                          QString::number(p.city), QString::number(p.district),
                          QString::number(p.settlement), QString::number(street), quoted(dom)) +
                 QStringLiteral("%1, %2, %3, %4, %5, %6, %7, %8, %9, ")
                     .arg(quoted(korp), quoted(kvart), quoted(p.zip), QString::number(area),
                          QString::number(residents), quoted(total.toText()),
                          quoted(living.toText()),
                          quoted(excluded ? Clients::ExcludedMark : QString()), passportValues) +
                 QStringLiteral("%1, 1)").arg(quoted(Dates::shortDate(born))));
    tariffs(idc, p);
    if (!m_kinds.empty() && r.chance(9))
        holder(idc, fio, residents);
}

// The usual tariff of a service, and a few older ones still in force.
QString DemoBuilder::tariffFor(const TVidUslugi& s) {
    if (s.OSNOVA == u"OB_PL")
        return m_r.chance(80) ? u8("28,65") : u8("31,2");
    switch (s.IDUSL % 4) {
    case 1:
        return m_r.chance(85) ? u8("45,5") : u8("38,72");
    case 2:
        return m_r.chance(85) ? u8("32,1") : u8("29,4");
    default:
        return m_r.chance(90) ? u8("95,4") : u8("87");
    }
}

void DemoBuilder::tariffs(int idc, const Place& p) {
    for (const TVidUslugi& s : m_app.state.ShownServices) {
        // settlements have no district heating
        if (s.OSNOVA == u"OB_PL" && !p.flats)
            continue;
        if (m_r.chance(2))
            continue;
        m_db.execute(
            QStringLiteral("insert into Tarif%1 (CLIENT, TARIF) values (%2, %3)")
                .arg(QString::number(s.IDUSL), QString::number(idc), quoted(tariffFor(s))));
    }
}

void DemoBuilder::holder(int idc, const QString& fio, int residents) {
    Random& r = m_r;
    const Kind& k = m_kinds[size_t(r.below(int(m_kinds.size())))];
    const QDate start = m_today.addDays(-r.between(30, 3000));
    const bool unlimited = r.chance(60);
    const QDate end = unlimited ? QDate(2999, 12, 31) : start.addYears(r.between(1, 6));
    const int persons = k.type == 2 ? residents : 1;
    const QString document = QString::number(r.between(100000, 999999));
    m_db.execute(QStringLiteral(
                     "insert into Lgoty (IDL, CLIENT, LGOTA, PRCNT, FIO_LG, KOL_LG, OBOSN, DOK_S, "
                     "DOK_N, DOK_K, DOK_D, DATA_NACH, DATA_OKON, BESSROCH, BEZ_OKON, TIPZ) values "
                     "(%1, %2, %3, %4, %5, %6, %7, %8, %9, ")
                     .arg(QString::number(++m_holderId), QString::number(idc),
                          QString::number(k.id), quoted(k.percent), quoted(fio),
                          QString::number(persons), quoted(u8("Удостоверение")), quoted(u8("АБ")),
                          quoted(document)) +
                 QStringLiteral("%1, %2, %3, %4, %5, \"0\", \"\")")
                     .arg(quoted(u8("Соцзащита")), quoted(Dates::shortDate(start.addDays(-10))),
                          quoted(Dates::shortDate(start)), quoted(Dates::shortDate(end)),
                          quoted(unlimited ? u8("1") : u8("0"))));
}

} // namespace

void generateDemo(AppContext& app, const DemoOptions& options, Progress* progress) {
    Transaction tx(app.db());
    DemoBuilder demo(app, options.seed);
    demo.addressBooks();
    demo.areas();
    demo.users();
    demo.benefitKinds();
    for (int idc = 1; idc <= options.subscribers; ++idc) {
        demo.subscriber(idc);
        if (progress && idc % 1000 == 0) {
            progress->setValue(idc, options.subscribers);
            progress->processEvents();
        }
    }
    tx.commit();
}
