#include "reports/debtors.h"

#include "common/cp1251.h"
#include "common/money.h"
#include "db/connection.h"
#include "db/dberror.h"

#include <QHash>
#include <QStringList>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct TDolgniki {
    int subscriber = 0, order = 0;
    QString service, account, name, settlement, street, house, building, apartment;
    qint64 residents = 0;
    Money tariff, balance, charged, benefit, correction, total, paid;
    Money due() const { return balance + correction + total - paid; }
};

// Blanks in front up to six characters: house and flat numbers sort as numbers.
QString padded(const QString& text) {
    return text.size() < 6 ? QString(6 - text.size(), u' ') + text : text;
}

QString limitText(const QString& limit) {
    QString t = limit.trimmed();
    t.replace(u',', u'.');
    return t.isEmpty() ? u"0"_s : t;
}

} // namespace

QString debtorLimitProblem(const QString& limit) {
    bool ok = false;
    limitText(limit).toDouble(&ok);
    return ok ? QString()
              : u"Предел «%1» — не число. Введите сумму цифрами, например 500 или 150.5."_s.arg(
                    limit);
}

void fillDebtorList(AppContext& app, ReportTable& t, const DebtorList& p, Progress* progress) {
    if (const QString problem = debtorLimitProblem(p.limit); !problem.isEmpty())
        throw DbError(problem);
    const QString l = limitText(p.limit);
    Connection& db = app.db();
    std::vector<TDolgniki> rows;
    int order = 0;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        // outer joins keep subscribers of a city or without a district; the limit applies to
        // the month total of the subscriber, after grouping
        const ResultSet r = db.query(
            u"SELECT Client.IDC as Cl, Client.LS as Лицевой_счет, Client.FIO as "
            u"Фамилия_Имя_Отчество, NasPunkt.NAME as Нас_пункт, Street.NAME as Улица, Client.DOM "
            u"as Дом, Client.KORP as Корпус, Client.KVART as Квартира, Client.KOL as Количество, "
            u"sum(TEMP%1.NACH) as Начислено, sum (TEMP%1.LGOT) as Льгота, sum (TEMP%1.ITOG) as "
            u"Итого_за_месяц, Tarif%1.TARIF as Тариф, Dolg%1.SUMMA as Сальдо FROM ((((Client LEFT "
            u"JOIN NasPunkt ON NasPunkt.ID = Client.NP) LEFT JOIN Street ON Street.ID = Client.ST) "
            u"LEFT JOIN TEMP%1 ON Client.IDC = TEMP%1.CLIENT) LEFT JOIN Tarif%1 ON Client.IDC = "
            u"Tarif%1.CLIENT) LEFT JOIN Dolg%1 ON Client.IDC = Dolg%1.CLIENT %2 group by "
            u"Client.IDC, Client.LS, Client.FIO, NasPunkt.NAME, Street.NAME, Client.DOM, "
            u"Client.KORP, Client.KVART, Client.KOL, Tarif%1.TARIF, Dolg%1.SUMMA having "
            u"((Dolg%1.SUMMA>%3) or (sum(TEMP%1.ITOG)>%3)) order by Client.IDC"_s.arg(
                n, p.selectionFilter, l));
        QHash<int, size_t> index;
        for (int i = 0; i < r.rowCount; ++i) {
            const auto v = [&](const char16_t* c) {
                return r.at(i, r.columnIndex(QStringView(c)));
            };
            TDolgniki d;
            d.subscriber = int(v(u"Cl").toInteger());
            d.order = order;
            d.service = s.KRATKO;
            d.account = v(u"Лицевой_счет").toText();
            d.name = v(u"Фамилия_Имя_Отчество").toText();
            d.settlement = v(u"Нас_пункт").toText();
            d.street = v(u"Улица").toText();
            d.house = padded(v(u"Дом").toText());
            d.building = v(u"Корпус").toText();
            d.apartment = padded(v(u"Квартира").toText());
            d.residents = v(u"Количество").toInteger();
            d.tariff = v(u"Тариф").toMoney();
            d.balance = v(u"Сальдо").toMoney();
            d.charged = v(u"Начислено").toMoney();
            d.benefit = v(u"Льгота").toMoney();
            d.total = v(u"Итого_за_месяц").toMoney();
            index.insert(d.subscriber, rows.size());
            rows.push_back(d);
            if (progress)
                progress->setValue(i + 1, r.rowCount);
        }
        const struct {
            const char16_t* statement;
            Money TDolgniki::*field;
        } month[] = {{u"SELECT Client, sum (Oplata) as Opl FROM Oplata%1 where PERIOD=\"%2\" group "
                      u"by Client order by Client",
                      &TDolgniki::paid},
                     {u"SELECT Client, sum (KORR) as Kor FROM Korrekt%1 where PERIOD=\"%2\" group "
                      u"by Client order by Client",
                      &TDolgniki::correction}};
        for (const auto& m : month) {
            const ResultSet sums =
                db.query(QString::fromUtf16(m.statement).arg(n, app.state.CurrentPeriod));
            for (int i = 0; i < sums.rowCount; ++i) {
                const auto it = index.constFind(int(sums.at(i, 0).toInteger()));
                if (it != index.constEnd())
                    rows[*it].*m.field = sums.at(i, 1).toMoney();
            }
        }
        ++order;
    }
    // by address, the texts compared by their single-byte codes; ties keep service order
    const auto key = [](const TDolgniki& d) {
        return std::tuple(Cp1251::encode(d.settlement), Cp1251::encode(d.street),
                          Cp1251::encode(d.house), Cp1251::encode(d.apartment));
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const TDolgniki& a, const TDolgniki& b) { return key(a) < key(b); });

    t = ReportTable();
    t.title = u"Отчет"_s;
    const int count = int(rows.size());
    t.setSize(count + 3, 18);
    t.setColumnWidth(0, 30);
    t.setColumnWidth(3, 200);
    t.setColumnWidth(4, 90);
    t.merge(0, 0, 18, 1);
    t.setText(
        0, 0,
        u"Список абонентов, за %1, чей долг превышает %2 руб."_s.arg(app.state.CurrentPeriod, l));
    t.merge(0, 1, 18, 1);
    const QStringList titles = {u"№ п/п"_s,
                                u"Вид услуги"_s,
                                u"Лицевой счет"_s,
                                u"Фамилия Имя Отчество"_s,
                                u"Населенный пункт"_s,
                                u"Улица"_s,
                                u"Дом"_s,
                                u"Корпус"_s,
                                u"Квартира"_s,
                                u"Количество"_s,
                                u"Тариф"_s,
                                u"Сальдо"_s,
                                u"По тарифу"_s,
                                u"Льгота"_s,
                                u"Перерасчет"_s,
                                u"Начислено"_s,
                                u"Оплачено"_s,
                                u"К оплате"_s};
    t.setRow(2, titles);
    for (int i = 0; i < count; ++i) {
        const TDolgniki& d = rows[size_t(i)];
        t.setRow(i + 3,
                 {QString::number(i + 1), d.service, d.account, d.name, d.settlement, d.street,
                  d.house, d.building, d.apartment, QString::number(d.residents), d.tariff.toText(),
                  d.balance.toText(), d.charged.toText(), d.benefit.toText(), d.correction.toText(),
                  d.total.toText(), d.paid.toText(), d.due().toText()});
    }
}
