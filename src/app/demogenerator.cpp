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

QString u8(const char* s) { return QString::fromUtf8(s); }

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
    "Иванов", "Смирнов", "Кузнецов", "Попов", "Васильев", "Петров", "Соколов", "Михайлов",
    "Новиков", "Фёдоров", "Морозов", "Волков", "Алексеев", "Лебедев", "Семёнов", "Егоров",
    "Павлов", "Козлов", "Степанов", "Николаев", "Орлов", "Андреев", "Макаров", "Никитин",
    "Захаров", "Зайцев", "Соловьёв", "Борисов", "Яковлев", "Григорьев", "Романов", "Воробьёв",
    "Сергеев", "Кузьмин", "Фролов", "Александров", "Дмитриев", "Королёв", "Гусев", "Киселёв"};
const char* const MaleNames[] = {"Александр", "Сергей", "Владимир", "Николай", "Алексей",
                                 "Андрей", "Виктор", "Михаил", "Иван", "Юрий", "Геннадий",
                                 "Анатолий", "Валерий", "Пётр", "Григорий", "Василий"};
const char* const FemaleNames[] = {"Елена", "Ольга", "Татьяна", "Наталья", "Ирина", "Светлана",
                                   "Галина", "Людмила", "Валентина", "Нина", "Анна", "Мария",
                                   "Любовь", "Надежда", "Зинаида", "Раиса"};
const char* const Patronymics[] = {"Александров", "Сергеев", "Владимиров", "Николаев",
                                   "Алексеев", "Андреев", "Викторов", "Михайлов", "Иванов",
                                   "Петров", "Васильев", "Григорьев", "Фёдоров", "Павлов"};
const char* const StreetNames[] = {
    "ул. Ленина", "ул. Советская", "ул. Садовая", "ул. Школьная", "ул. Набережная",
    "ул. Молодёжная", "ул. Лесная", "ул. Полевая", "ул. Мира", "ул. Гагарина",
    "ул. Октябрьская", "ул. Комсомольская", "пер. Почтовый", "пер. Речной", "ул. Заводская",
    "ул. Пушкина", "ул. Лермонтова", "ул. Кирова", "ул. Луговая", "пр. Победы",
    "ул. Вокзальная", "ул. Первомайская", "ул. Северная", "пер. Садовый"};
const char* const VillageNames[] = {"д. Горки",       "с. Никольское", "пос. Заречный",
                                    "д. Берёзовка",   "с. Покровское", "д. Ивановка",
                                    "пос. Лесной",    "д. Озерки",     "с. Воскресенское",
                                    "д. Новосёлки",   "д. Сосновка",   "пос. Первомайский"};
const char* const Controllers[] = {"Петрова Н. А.", "Кузьмина Т. В.", "Орлов С. П.",
                                   "Зайцева Л. М.", "Никитин Ю. Г.", "Белова О. И."};
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

} // namespace

void generateDemo(AppContext& app, const DemoOptions& options, Progress* progress) {
    Connection& db = app.db();
    Random r(options.seed);
    Transaction tx(db);

    // address books: two regions, their cities, districts, settlements and streets
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
    db.execute(u8("insert into Region (ID, NAME) values (1, \"Псковская область\")"));
    db.execute(u8("insert into Region (ID, NAME) values (2, \"Новгородская область\")"));
    std::vector<Place> places;
    int streetId = 0, settlementId = 0;
    auto addStreets = [&](Place& p, int count, int gd, int np) {
        std::vector<int> used;
        for (int k = 0; k < count; ++k) {
            int idx;
            do
                idx = r.below(int(std::size(StreetNames)));
            while (std::find(used.begin(), used.end(), idx) != used.end());
            used.push_back(idx);
            ++streetId;
            db.execute(QStringLiteral("insert into Street (ID, NAME, GD, NP) values (%1, %2, %3, %4)")
                           .arg(streetId)
                           .arg(quoted(u8(StreetNames[idx])))
                           .arg(gd)
                           .arg(np));
            p.streets.push_back(streetId);
        }
    };
    int cityId = 0;
    for (const CitySeed& c : cities) {
        ++cityId;
        db.execute(QStringLiteral("insert into Gorod (ID, NAME, RG) values (%1, %2, %3)")
                       .arg(cityId)
                       .arg(quoted(u8(c.name)))
                       .arg(c.region));
        db.execute(QStringLiteral("insert into Rajon (ID, NAME, RG, GD) values (%1, %2, %3, 0)")
                       .arg(cityId)
                       .arg(quoted(u8(c.district)))
                       .arg(c.region));
        Place city{c.region, cityId, cityId, 0, {}, u8(c.zip), true};
        addStreets(city, 10, cityId, 0);
        places.push_back(city);
        for (int v = 0; v < 3; ++v) {
            ++settlementId;
            db.execute(QStringLiteral("insert into NasPunkt (ID, NAME, RN) values (%1, %2, %3)")
                           .arg(settlementId)
                           .arg(quoted(u8(VillageNames[(settlementId - 1) % std::size(VillageNames)])))
                           .arg(cityId));
            Place village{c.region, 0, cityId, settlementId, {}, u8(c.zip).left(5) + QString::number(v + 1), false};
            addStreets(village, 3, 0, settlementId);
            places.push_back(village);
        }
    }
    int areaId = 0;
    for (const char* controller : Controllers) {
        ++areaId;
        db.execute(QStringLiteral("insert into Uchastok (ID, NAME) values (%1, %2)")
                       .arg(areaId)
                       .arg(quoted(QStringLiteral("Участок № %1 (%2)").arg(areaId).arg(u8(controller)))));
    }

    // users of every rights level; the seed's administrator takes the demo password
    db.execute(QStringLiteral("delete * from Users"));
    int userId = 0;
    for (const DemoUser& u : DemoUsers)
        db.execute(QStringLiteral("insert into Users (IDUSR, NAME, PASS, PRAV) values (%1, %2, %3, %4)")
                       .arg(++userId)
                       .arg(quoted(u8(u.name)), quoted(u8(u.password)))
                       .arg(u.rights));

    // benefit kinds as the seed made them
    struct Kind {
        int id;
        QString percent;
        int type;
    };
    std::vector<Kind> kinds;
    {
        const ResultSet rows = db.query(QStringLiteral("select IDLG, PROC, TIPLG from LgtSpr"));
        for (int i = 0; i < rows.rowCount; ++i)
            kinds.push_back({int(rows.at(i, 0).toInteger()), rows.at(i, 1).toText(),
                             int(rows.at(i, 2).toInteger())});
    }

    // tariffs per service: the usual one and a few older ones still in force
    auto tariffFor = [&](const TVidUslugi& s) -> QString {
        if (s.OSNOVA == u"OB_PL")
            return r.chance(80) ? u8("28,65") : u8("31,2");
        switch (s.IDUSL % 4) {
        case 1:
            return r.chance(85) ? u8("45,5") : u8("38,72");
        case 2:
            return r.chance(85) ? u8("32,1") : u8("29,4");
        default:
            return r.chance(90) ? u8("95,4") : u8("87");
        }
    };

    const QDate today = QDate::currentDate();
    int holderId = 0;
    for (int idc = 1; idc <= options.subscribers; ++idc) {
        const Place& p = places[size_t(r.below(int(places.size())))];
        const bool female = r.chance(55);
        const QString fio = personName(r, female);
        const QString ls = Clients::defaultAccount(idc);
        const int residents = r.between(1, 6);
        const Money total = Money::fromUnits(qint64(r.between(280, 1200)) * 1000); // 28,0..120,0
        const Money living = Money::fromUnits((total * Money::fromUnits(6000 + r.below(1500))).units() / 1000 * 1000);
        const QString dom = QString::number(r.between(1, p.flats ? 60 : 90)) +
                            (r.chance(10) ? u8("а") : QString());
        const QString korp = p.flats && r.chance(15) ? QString::number(r.between(1, 3)) : QString();
        const QString kvart = p.flats ? QString::number(r.between(1, 180)) : QString();
        const bool excluded = r.chance(3);
        const bool passport = r.chance(60);
        const QDate born = QDate(1935, 1, 1).addDays(r.below(365 * 70));
        QString sql = QStringLiteral(
                          "insert into Client (IDC, LS, FIO, RG, GD, RN, NP, ST, DOM, KORP, KVART, ZIP, "
                          "UCH, KOL, OB_PL, ZH_PL, TIPZ, PAS_S, PAS_N, PAS_K, PAS_D, DATA_ROZHD, USR) "
                          "values (%1, %2, %3, %4, %5, %6, %7, %8, %9, ")
                          .arg(idc)
                          .arg(quoted(ls), quoted(fio))
                          .arg(p.region)
                          .arg(p.city)
                          .arg(p.district)
                          .arg(p.settlement)
                          .arg(p.streets[size_t(r.below(int(p.streets.size())))])
                          .arg(quoted(dom));
        sql += QStringLiteral("%1, %2, %3, %4, %5, %6, %7, %8, ")
                   .arg(quoted(korp), quoted(kvart), quoted(p.zip))
                   .arg(r.between(1, areaId))
                   .arg(residents)
                   .arg(quoted(total.toText()), quoted(living.toText()),
                        quoted(excluded ? u8("isk") : QString()));
        if (passport)
            sql += QStringLiteral("%1, %2, %3, %4, ")
                       .arg(quoted(QStringLiteral("%1 %2").arg(r.between(10, 99)).arg(r.between(0, 99), 2, 10, QChar(u'0'))),
                            quoted(QStringLiteral("%1").arg(r.between(100000, 999999))),
                            quoted(u8(r.pick(Issuers))),
                            quoted(Dates::shortDate(born.addYears(20).addDays(r.below(3000)))));
        else
            sql += QStringLiteral("\"\", \"\", \"\", Null, ");
        sql += QStringLiteral("%1, 1)").arg(quoted(Dates::shortDate(born)));
        db.execute(sql);

        for (const TVidUslugi& s : app.state.ShownServices) {
            // settlements have no district heating
            if (s.OSNOVA == u"OB_PL" && !p.flats)
                continue;
            if (r.chance(2))
                continue;
            db.execute(QStringLiteral("insert into Tarif%1 (CLIENT, TARIF) values (%2, %3)")
                           .arg(s.IDUSL)
                           .arg(idc)
                           .arg(quoted(tariffFor(s))));
        }

        if (!kinds.empty() && r.chance(9)) {
            const Kind& k = kinds[size_t(r.below(int(kinds.size())))];
            const QDate start = today.addDays(-r.between(30, 3000));
            const bool unlimited = r.chance(60);
            const QDate end = unlimited ? QDate(2999, 12, 31) : start.addYears(r.between(1, 6));
            const int persons = k.type == 2 ? residents : 1;
            db.execute(QStringLiteral(
                           "insert into Lgoty (IDL, CLIENT, LGOTA, PRCNT, FIO_LG, KOL_LG, OBOSN, DOK_S, "
                           "DOK_N, DOK_K, DOK_D, DATA_NACH, DATA_OKON, BESSROCH, BEZ_OKON, TIPZ) values "
                           "(%1, %2, %3, %4, %5, %6, %7, %8, %9, ")
                           .arg(++holderId)
                           .arg(idc)
                           .arg(k.id)
                           .arg(quoted(k.percent), quoted(fio))
                           .arg(persons)
                           .arg(quoted(u8("Удостоверение")), quoted(u8("АБ")),
                                quoted(QString::number(r.between(100000, 999999)))) +
                       QStringLiteral("%1, %2, %3, %4, %5, \"0\", \"\")")
                           .arg(quoted(u8("Соцзащита")), quoted(Dates::shortDate(start.addDays(-10))),
                                quoted(Dates::shortDate(start)), quoted(Dates::shortDate(end)),
                                quoted(unlimited ? u8("1") : u8("0"))));
        }
        if (progress && idc % 1000 == 0) {
            progress->setValue(idc, options.subscribers);
            progress->processEvents();
        }
    }
    tx.commit();
}
