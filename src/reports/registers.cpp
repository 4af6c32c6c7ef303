#include "reports/registers.h"

#include "common/dates.h"
#include "common/money.h"
#include "common/period.h"
#include "db/connection.h"
#include "db/dberror.h"
#include "period/balance.h"

#include <QHash>
#include <QStringList>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

void heading(ReportTable& t, const QString& title, const QStringList& captions, int columns) {
    t.merge(0, 0, columns, 1);
    t.setText(0, 0, title);
    t.setStyle(0, 0, ReportTable::Bold);
    t.merge(0, 1, columns, 1);
    t.setRow(2, captions);
    for (int c = 0; c < captions.size(); ++c)
        t.setStyle(c, 2, ReportTable::Bold);
}

void boldRow(ReportTable& t, int row) {
    for (int c = 0; c < t.columnCount(); ++c)
        t.setStyle(c, row, ReportTable::Bold);
}

} // namespace

QString reportClientFilter(const QString& selectionFilter) {
    return u"Client in (select DISTINCT IDC from Client %1)"_s.arg(selectionFilter);
}

std::vector<RegisterMethod> registerMethods(Connection& db) {
    const ResultSet r = db.query(u"select * from VidOpl"_s);
    std::vector<RegisterMethod> out;
    const int nom = r.columnIndex(u"NOM"), name = r.columnIndex(u"NAME");
    for (int i = 0; i < r.rowCount; ++i)
        out.push_back({int(r.at(i, nom).toInteger()), r.at(i, name).toText()});
    return out;
}

std::vector<DayDocument> documentsOfDay(AppContext& app, QDate day) {
    std::vector<DayDocument> out;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const ResultSet r = app.db().query(u"select distinct DOK from Oplata%1 where DATA=%2"_s.arg(
            QString::number(s.IDUSL), Dates::jetLiteral(day)));
        for (int i = 0; i < r.rowCount; ++i) {
            const int id = int(r.at(i, 0).toInteger());
            if (std::any_of(out.begin(), out.end(),
                            [id](const DayDocument& d) { return d.id == id; }))
                continue; // a document with payments in several services is listed once
            const ResultSet n =
                app.db().query(u"select NOMDOK from Dokum where IDDOK=%1"_s.arg(id));
            out.push_back({id, n.rowCount > 0 ? n.at(0, 0).toText() : QString()});
        }
    }
    return out;
}

void fillDayRegister(AppContext& app, ReportTable& t, const DayRegister& p) {
    std::vector<QStringList> rows;
    Money total;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        const QString method =
            p.method ? u" and (Oplata%1.SPOSOB=%2)"_s.arg(n, QString::number(*p.method))
                     : QString();
        const QString document =
            p.document ? u" and (Oplata%1.DOK=%2)"_s.arg(n, QString::number(*p.document))
                       : QString();
        // outer joins: a payment stays whatever its subscriber's address or method
        const ResultSet r = app.db().query(
            u"SELECT Client.FIO as ФИО, NasPunkt.NAME as Нас_пункт, Street.NAME as Улица, "
            u"Client.DOM as Дом, Client.KVART as Квартира, Oplata%1.OPLATA as Оплата, "
            u"Oplata%1.KVITANS as Квит, VidOpl.Name as Способ_оплаты FROM (((Oplata%1 LEFT JOIN "
            u"Client ON Client.IDC = Oplata%1.CLIENT) LEFT JOIN NasPunkt ON NasPunkt.ID = "
            u"Client.NP) LEFT JOIN Street ON Street.ID = Client.ST) LEFT JOIN VidOpl ON "
            u"Oplata%1.SPOSOB = VidOpl.NOM WHERE (((Oplata%1.DATA)=%2)%3%4) ORDER BY Oplata%1.IDO"_s
                .arg(n, Dates::jetLiteral(p.day), method, document));
        for (int i = 0; i < r.rowCount; ++i) {
            QStringList cells;
            for (int c = 0; c < 8; ++c)
                cells << r.at(i, c).toText();
            cells << s.KRATKO;
            total += r.at(i, 5).toMoney();
            rows.push_back(cells);
        }
    }
    t = ReportTable();
    t.title = u"Отчет"_s;
    const int count = int(rows.size());
    t.setSize(count + 5, 9);
    t.setColumnWidth(0, 200);
    t.setColumnWidth(1, 90);
    t.setColumnWidth(2, 90);
    QString title = u"Реестр поступивших платежей за "_s + Dates::shortDate(p.day);
    if (p.document)
        title += u", Номер документа оплаты - "_s + p.documentNumber;
    heading(t, title,
            {u"ФИО абонента"_s, u"Нас.пункт"_s, u"Улица"_s, u"Дом"_s, u"Квартира"_s, u"Оплачено"_s,
             u"Квитанция"_s, u"Способ"_s, u"За услугу"_s},
            9);
    for (int i = 0; i < count; ++i)
        t.setRow(i + 3, rows[size_t(i)]);
    const int last = count + 4;
    t.setText(0, last, u"ИТОГО"_s);
    t.setStyle(0, last, ReportTable::Bold);
    t.setText(5, last, total.toText());
    t.setStyle(5, last, ReportTable::Bold);
}

void fillPeriodRegister(AppContext& app, ReportTable& t, const PeriodRegister& p,
                        Progress* progress) {
    const QString from = Dates::jetLiteral(p.from), to = Dates::jetLiteral(p.to);
    t = ReportTable();
    t.title = u"Отчет"_s;
    Money total;
    if (!p.byName) {
        std::vector<QStringList> rows;
        for (const TVidUslugi& s : app.state.ShownServices) {
            const QString n = QString::number(s.IDUSL);
            const QString method =
                p.method ? u" and (Oplata%1.SPOSOB=%2)"_s.arg(n, QString::number(*p.method))
                         : QString();
            const ResultSet dates = app.db().query(
                u"SELECT DISTINCT DATA FROM Oplata%1 WHERE ((DATA>=%2) and (DATA<=%3)) order by DATA"_s
                    .arg(n, from, to));
            for (int i = 0; i < dates.rowCount; ++i) {
                const QDate day = dates.at(i, 0).toDateTime().date();
                const QString date = Dates::jetLiteral(day);
                const ResultSet sum = app.db().query(
                    p.clientFilter.isEmpty()
                        ? u"SELECT SUM(Oplata) FROM Oplata%1 WHERE (DATA=%2)%3"_s.arg(n, date,
                                                                                      method)
                        : u"SELECT SUM(Oplata) FROM Oplata%1 WHERE ((DATA=%2) and (%3)%4)"_s.arg(
                              n, date, p.clientFilter, method));
                const Money amount = sum.rowCount > 0 ? sum.at(0, 0).toMoney() : Money();
                total += amount;
                rows.push_back({Dates::shortDate(day), amount.toText(), s.KRATKO});
            }
        }
        const int count = int(rows.size());
        t.setSize(count + 4, 3);
        for (int c = 0; c < 3; ++c)
            t.setColumnWidth(c, 90);
        heading(t,
                u"Реестр поступивших платежей за период с %1 по %2"_s.arg(Dates::shortDate(p.from),
                                                                          Dates::shortDate(p.to)),
                {u"Дата"_s, u"Оплата"_s, u"За услугу"_s}, 3);
        t.setWordWrap(0, 0);
        t.setRowHeight(0, 33);
        for (int i = 0; i < count; ++i)
            t.setRow(i + 3, rows[size_t(i)]);
        t.setText(0, count + 3, u"ИТОГО"_s);
        t.setText(1, count + 3, total.toText());
        boldRow(t, count + 3);
        return;
    }
    // by name: every payment, its subscriber's account and name when the subscriber still exists
    std::vector<QStringList> rows;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        const QString method =
            p.method ? u" and (Oplata%1.SPOSOB=%2)"_s.arg(n, QString::number(*p.method))
                     : QString();
        const QString filter =
            p.clientFilter.isEmpty() ? QString() : u" and (Oplata%1.%2)"_s.arg(n, p.clientFilter);
        const ResultSet r = app.db().query(
            u"SELECT Client.LS as ЛС, Client.FIO as ФИО, Oplata%1.DATA as DATA, Oplata%1.OPLATA as "
            u"OPLATA, Oplata%1.KVITANS as KVITANS FROM Oplata%1 LEFT JOIN Client ON Client.IDC = "
            u"Oplata%1.CLIENT WHERE ((Oplata%1.DATA>=%2) and (Oplata%1.DATA<=%3)%4%5) order by "
            u"Oplata%1.DATA, Oplata%1.IDO"_s.arg(n, from, to, method, filter));
        for (int i = 0; i < r.rowCount; ++i) {
            const Money amount = r.at(i, 3).toMoney();
            total += amount;
            rows.push_back({r.at(i, 0).toText(), r.at(i, 1).toText(), r.at(i, 2).toText(),
                            amount.toText(), r.at(i, 4).toText(), s.KRATKO});
            if (progress)
                progress->setValue(i + 1, r.rowCount);
        }
    }
    const int count = int(rows.size());
    t.setSize(count + 4, 6);
    t.setColumnWidth(0, 90);
    t.setColumnWidth(1, 200);
    heading(t,
            u"Реестр (по-фамильный) поступивших платежей за период с %1 по %2"_s.arg(
                Dates::shortDate(p.from), Dates::shortDate(p.to)),
            {u"Лицевой счет"_s, u"ФИО"_s, u"Дата"_s, u"Оплата"_s, u"Квитанция"_s, u"За услугу"_s},
            6);
    for (int i = 0; i < count; ++i)
        t.setRow(i + 3, rows[size_t(i)]);
    t.setText(0, count + 3, u"ИТОГО"_s);
    t.setText(3, count + 3, total.toText());
    boldRow(t, count + 3);
}

// --- the charge register ---

namespace {

struct TOtchMass {
    QString KRATKO, client, name, settlement, street, house, building, flat;
    int serviceOrder = 0, settlementId = 0, streetId = 0;
    qint64 residents = 0;
    Money opening, charged, benefit, correction, payments;
    Money total() const { return charged + benefit + correction; }
    Money closing() const { return opening + total() - payments; }
};

class Records {
public:
    std::vector<TOtchMass> list;

    TOtchMass* find(const QString& client, const QString& service) {
        const auto it = m_keys.constFind(key(client, service));
        return it == m_keys.constEnd() ? nullptr : &list[*it];
    }
    TOtchMass& add(TOtchMass r) {
        m_keys.insert(key(r.client, r.KRATKO), list.size());
        list.push_back(std::move(r));
        return list.back();
    }

private:
    static QString key(const QString& client, const QString& service) {
        return (client + u'_' + service).toLower();
    }
    QHash<QString, size_t> m_keys;
};

// The month's movements of one table per subscriber with the subscriber's address; every row
// counts, also of a subscriber no longer in Client (the movements' table leads the join).
QString movementStatement(const QString& table, const QString& sums, const QString& condition) {
    return u"SELECT %2 %1.CLIENT AS Кл, Client.FIO AS ФИО, NasPunkt.NAME AS НП, Street.NAME AS УЛ, "
           u"Client.DOM as ДМ, Client.KORP as КП, Client.KVART as КВ, Client.KOL as Кол, Client.NP "
           u"as IDNP, Client.ST as IDUL FROM ((%1 LEFT JOIN Client ON Client.IDC = %1.CLIENT) LEFT "
           u"JOIN NasPunkt ON Client.NP = NasPunkt.ID) LEFT JOIN Street ON Client.ST = Street.ID %3"
           u"GROUP BY %1.CLIENT, Client.FIO, NasPunkt.NAME, Street.NAME, Client.DOM, Client.KORP, "
           u"Client.KVART, Client.KOL, Client.NP, Client.ST ORDER BY %1.CLIENT"_s.arg(table, sums,
                                                                                      condition);
}

QString sumOf(const QString& table, const QString& column, const QString& alias) {
    return u"IIf(Sum([%1.%2]) Is Null,0,Sum([%1.%2])) AS %3,"_s.arg(table, column, alias);
}

TOtchMass recordOf(const ResultSet& r, int i, const TVidUslugi& s, int order) {
    const auto v = [&](const char16_t* c) { return r.at(i, r.columnIndex(QStringView(c))); };
    TOtchMass m;
    m.KRATKO = s.KRATKO;
    m.serviceOrder = order;
    m.client = v(u"Кл").toText();
    m.name = v(u"ФИО").toText();
    m.settlement = v(u"НП").toText();
    m.street = v(u"УЛ").toText();
    m.house = v(u"ДМ").toText();
    m.building = v(u"КП").toText();
    m.flat = v(u"КВ").toText();
    m.residents = v(u"Кол").toInteger();
    m.settlementId = int(v(u"IDNP").toInteger());
    m.streetId = int(v(u"IDUL").toInteger());
    return m;
}

void signature(AppContext& app, ReportTable& t, int row) {
    const ResultSet r =
        app.db().query(u"select Soderzhanie from Rekvizity where Rekvizit = \"Руководитель\""_s);
    const QString name = r.rowCount > 0 ? r.at(r.rowCount - 1, 0).toText() : QString();
    t.merge(0, row, t.columnCount(), 1);
    t.setText(0, row, u"Генеральный директор                  "_s + name);
    t.setStyle(0, row, ReportTable::Bold);
    t.setCentred(0, row);
}

} // namespace

void fillChargeRegister(AppContext& app, ReportTable& t, const ChargeRegister& p,
                        Progress* progress) {
    Connection& db = app.db();
    const auto period = Period::parse(p.period);
    if (!period)
        throw DbError(u"Период «%1» записан неверно: нужен ММ.ГГГГ."_s.arg(p.period));
    // the summaries always cover every subscriber
    const QString filter = p.layout == ChargeLayout::Subscriber ? p.clientFilter : QString();
    Records records;
    int order = 0;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        const auto condition = [&](const QString& table) {
            return filter.isEmpty()
                       ? u"WHERE ((%1.PERIOD)=\"%2\") "_s.arg(table, p.period)
                       : u"WHERE ((%1.PERIOD=\"%2\") and (%1.%3)) "_s.arg(table, p.period, filter);
        };
        const QString nachisl = u"Nachisl"_s + n, oplata = u"Oplata"_s + n,
                      korrekt = u"Korrekt"_s + n;
        ResultSet r = db.query(movementStatement(nachisl,
                                                 sumOf(nachisl, u"NACH"_s, u"Сумм"_s) + u" "_s +
                                                     sumOf(nachisl, u"LGOT"_s, u"Сумм2"_s),
                                                 condition(nachisl)));
        for (int i = 0; i < r.rowCount; ++i) {
            TOtchMass m = recordOf(r, i, s, order);
            m.charged = r.at(i, 0).toMoney();
            m.benefit = r.at(i, 1).toMoney();
            records.add(std::move(m));
            if (progress)
                progress->setValue(i + 1, r.rowCount);
        }
        const struct {
            const QString& table;
            const char16_t* column;
            Money TOtchMass::*field;
        } others[] = {{oplata, u"OPLATA", &TOtchMass::payments},
                      {korrekt, u"KORR", &TOtchMass::correction}};
        for (const auto& other : others) {
            r = db.query(movementStatement(
                other.table, sumOf(other.table, QString::fromUtf16(other.column), u"Сумм"_s),
                condition(other.table)));
            for (int i = 0; i < r.rowCount; ++i) {
                const Money amount = r.at(i, 0).toMoney();
                TOtchMass* m = records.find(r.at(i, 1).toText(), s.KRATKO);
                if (!m)
                    m = &records.add(recordOf(r, i, s, order));
                m->*other.field = amount;
                if (progress)
                    progress->setValue(i + 1, r.rowCount);
            }
        }
        // the opening balances of the listed subscribers
        const QString earlier = periodCondition(db, {s.IDUSL}, periodsBefore(p.period));
        if (!earlier.isEmpty()) {
            const QString w = u"WHERE (%1)"_s.arg(earlier);
            const struct {
                const QString& table;
                const char16_t* column;
                int sign;
            } sums[] = {{nachisl, u"ITOG", 1}, {oplata, u"OPLATA", -1}, {korrekt, u"KORR", 1}};
            for (const auto& e : sums) {
                r = db.query(
                    u"SELECT IIf(Sum([%1.%2]) Is Null,0,Sum([%1.%2])) AS Сумм, %1.CLIENT AS "
                    u"Кл FROM %1 %3GROUP BY %1.CLIENT"_s.arg(e.table, QString::fromUtf16(e.column),
                                                             w));
                for (int i = 0; i < r.rowCount; ++i)
                    if (TOtchMass* m = records.find(r.at(i, 1).toText(), s.KRATKO))
                        m->opening += r.at(i, 0).toMoney() * qint64(e.sign);
            }
        }
        ++order;
    }

    t = ReportTable();
    t.title = u"Отчет"_s;
    const QString title = u"Отчет по начислению за  "_s + p.period;
    struct Sums {
        qint64 residents = 0;
        Money opening, charged, benefit, correction, payments;
        void add(const TOtchMass& m) {
            residents += m.residents;
            opening += m.opening;
            charged += m.charged;
            benefit += m.benefit;
            correction += m.correction;
            payments += m.payments;
        }
    } sums;
    // the amount columns from `first` on: opening, charged, benefit, correction, total,
    // payments, closing
    const auto amounts = [&](int row, int first, const TOtchMass& m) {
        const Money values[] = {m.opening, m.charged,  m.benefit,  m.correction,
                                m.total(), m.payments, m.closing()};
        for (int k = 0; k < 7; ++k)
            t.setText(first + k, row, values[k].toText());
    };
    const auto totals = [&](int row, int residentsColumn) {
        TOtchMass all;
        all.residents = sums.residents;
        all.opening = sums.opening;
        all.charged = sums.charged;
        all.benefit = sums.benefit;
        all.correction = sums.correction;
        all.payments = sums.payments;
        t.setText(2, row, u"ИТОГО :"_s);
        t.setText(residentsColumn, row, QString::number(sums.residents));
        amounts(row, residentsColumn + 1, all);
        boldRow(t, row);
    };

    if (p.layout == ChargeLayout::Subscriber) {
        const int count = int(records.list.size());
        t.setSize(count + 8, 16);
        t.setColumnWidth(2, 200);
        t.setColumnWidth(3, 90);
        t.setColumnWidth(4, 90);
        heading(t, title,
                {u"№ п/п"_s, u"За услугу"_s, u"ФИО"_s, u"Нас. пункт"_s, u"Улица"_s, u"Дом"_s,
                 u"Корп"_s, u"Кварт"_s, u"Кол"_s, u"Нач.сальдо"_s, u"По норме"_s, u"Льгота"_s,
                 u"Перерасчет"_s, u"Итого"_s, u"Оплата"_s, u"Кон.сальдо"_s},
                16);
        for (int i = 0; i < count; ++i) {
            const TOtchMass& m = records.list[size_t(i)];
            t.setRow(i + 3, {QString::number(i + 1), m.KRATKO, m.name, m.settlement, m.street,
                             m.house, m.building, m.flat, QString::number(m.residents)});
            amounts(i + 3, 9, m);
            sums.add(m);
            if (progress)
                progress->setValue(i + 1, count);
        }
        totals(count + 4, 8);
        signature(app, t, count + 7);
        return;
    }

    // the summaries: one row per service and place, services in their order
    const bool bySettlement = p.layout == ChargeLayout::Settlement;
    const auto place = [&](const TOtchMass& m) {
        return bySettlement ? m.settlementId : m.streetId;
    };
    std::vector<TOtchMass> sorted = records.list;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const TOtchMass& a, const TOtchMass& b) {
        return std::pair(a.serviceOrder, place(a)) < std::pair(b.serviceOrder, place(b));
    });
    std::vector<TOtchMass> groups;
    for (const TOtchMass& m : sorted) {
        if (groups.empty() || groups.back().serviceOrder != m.serviceOrder ||
            place(groups.back()) != place(m)) {
            groups.push_back(m);
            continue;
        }
        TOtchMass& g = groups.back();
        g.residents += m.residents;
        g.opening += m.opening;
        g.charged += m.charged;
        g.benefit += m.benefit;
        g.correction += m.correction;
        g.payments += m.payments;
    }
    const int count = int(groups.size());
    const int columns = bySettlement ? 11 : 12;
    t.setSize(count + 8, columns);
    t.setColumnWidth(2, 90);
    QStringList captions = {u"№ п/п"_s, u"За услугу"_s, u"Нас. пункт"_s};
    if (!bySettlement) {
        t.setColumnWidth(3, 90);
        captions << u"Улица"_s;
    }
    captions << u"Кол"_s << u"Нач.сальдо"_s << u"По норме"_s << u"Льгота"_s << u"Перерасчет"_s
             << u"Итого"_s << u"Оплата"_s << u"Кон.сальдо"_s;
    heading(t, title, captions, columns);
    const int residentsColumn = bySettlement ? 3 : 4;
    for (int i = 0; i < count; ++i) {
        const TOtchMass& g = groups[size_t(i)];
        t.setText(0, i + 3, QString::number(i + 1));
        t.setText(1, i + 3, g.KRATKO);
        t.setText(2, i + 3, g.settlement);
        if (!bySettlement)
            t.setText(3, i + 3, g.street);
        t.setText(residentsColumn, i + 3, QString::number(g.residents));
        amounts(i + 3, residentsColumn + 1, g);
        sums.add(g);
    }
    totals(count + 4, residentsColumn);
    signature(app, t, count + 7);
}
