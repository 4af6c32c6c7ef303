#include "period/balance.h"

#include "common/period.h"
#include "db/dberror.h"
#include "db/statementtemplate.h"
#include "db/transaction.h"

#include <QHash>

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// "PERIOD="…" or …" over the periods of every shown service earlier than the current one.
QString earlierPeriodsFilter(AppContext& app) {
    const QString condition =
        periodCondition(app.db(), shownServiceIds(app), periodsBefore(app.state.CurrentPeriod));
    return condition.isEmpty() ? QStringLiteral("PERIOD=\"00.0000\"") : condition;
}

} // namespace

QString periodCondition(Connection& db, const std::vector<int>& services,
                        const std::function<bool(const QString& period)>& chosen) {
    if (services.empty())
        return {};
    QStringList tables;
    for (int service : services)
        tables << u"select PERIOD from Nachisl%1 union Select PERIOD from Oplata%1 union Select "
                  u"PERIOD from Korrekt%1"_s.arg(service);
    const ResultSet periods =
        db.query(u"select DISTINCT PERIOD from (%1)"_s.arg(tables.join(u" union "_s)));
    QStringList parts;
    for (int r = 0; r < periods.rowCount; ++r) {
        const QString text = periods.at(r, 0).toText();
        if (chosen(text))
            parts << u"PERIOD=\"%1\""_s.arg(text);
    }
    return parts.join(u" or "_s);
}

std::function<bool(const QString&)> periodsBefore(const QString& period) {
    const auto current = Period::parse(period);
    return [current](const QString& text) {
        const auto p = Period::parse(text);
        return p && current && *p < *current;
    };
}

std::vector<int> shownServiceIds(const AppContext& app) {
    std::vector<int> ids;
    for (const TVidUslugi& s : app.state.ShownServices)
        ids.push_back(s.IDUSL);
    return ids;
}

void PereschetSaldoOdnogo(AppContext& app, int clientId) {
    Connection& db = app.db();
    Transaction tx(db);
    const QString filter = earlierPeriodsFilter(app);
    const QString id = QString::number(clientId);
    auto sum = [&](const char* what, const QString& table) {
        const ResultSet r = db.query(u"select SUM (%1) from %2 where CLIENT=%3 and (%4)"_s.arg(
            QLatin1String(what), table, id, filter));
        return r.rowCount ? r.at(0, 0).toMoney() : Money();
    };
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        const Money balance = sum("ITOG", QStringLiteral("Nachisl") + n) +
                              sum("KORR", QStringLiteral("Korrekt") + n) -
                              sum("OPLATA", QStringLiteral("Oplata") + n);
        db.execute(u"delete * from Dolg%1 where CLIENT=%2"_s.arg(n, id));
        db.execute(
            u"insert into Dolg%1 (CLIENT, SUMMA) values (%2, '%3')"_s.arg(n, id, balance.toText()));
    }
    tx.commit();
    emit app.changes.subscribersChanged(clientId);
}

namespace {

// "WHERE (PERIOD="…" or …)" over the periods of one service earlier than the current one;
// "WHERE (PERIOD="00.0000")" when there is none.
QString serviceFilter(Connection& db, int service, const QString& currentPeriod) {
    const QString condition = periodCondition(db, {service}, periodsBefore(currentPeriod));
    return u"WHERE (%1)"_s.arg(condition.isEmpty() ? u"PERIOD=\"00.0000\""_s : condition);
}

struct TPerMass {
    qint64 client = 0;
    Money charges, corrections, payments;
};

QString sumStatement(const QString& table, const QString& column, const QString& filter) {
    return u"SELECT IIf(Sum([%1.%2]) Is Null,0,Sum([%1.%2])) AS Сумм, %1.CLIENT as Кл FROM %1 %3 "
           u"GROUP BY %1.CLIENT"_s.arg(table, column, filter);
}

} // namespace

void Pereschet(AppContext& app, Progress* progress, QHash<int, Money>* movements) {
    Connection& db = app.db();
    Transaction tx(db);
    for (const TVidUslugi& service : app.state.ShownServices) {
        const QString n = QString::number(service.IDUSL);
        const QString filter = serviceFilter(db, service.IDUSL, app.state.CurrentPeriod);
        std::vector<TPerMass> rows;
        QHash<qint64, size_t> index;
        // charges, payments and corrections summed per subscriber by the engine
        const struct {
            const char16_t* table;
            const char16_t* column;
            Money TPerMass::*field;
        } sums[] = {{u"Nachisl", u"ITOG", &TPerMass::charges},
                    {u"Oplata", u"OPLATA", &TPerMass::payments},
                    {u"Korrekt", u"KORR", &TPerMass::corrections}};
        for (const auto& sum : sums) {
            const ResultSet r = db.query(sumStatement(QString::fromUtf16(sum.table) + n,
                                                      QString::fromUtf16(sum.column), filter));
            for (int i = 0; i < r.rowCount; ++i) {
                const qint64 client = r.at(i, 1).toInteger();
                auto it = index.constFind(client);
                if (it == index.constEnd()) {
                    it = index.insert(client, rows.size());
                    rows.push_back({client, {}, {}, {}});
                }
                rows[*it].*sum.field = r.at(i, 0).toMoney();
                if (progress)
                    progress->setValue(i + 1, r.rowCount);
            }
        }
        try {
            db.execute(u"DROP TABLE Dolg%1"_s.arg(n));
        } catch (const DbError&) {
            // no balances yet
        }
        try {
            db.execute(u"Select IDC AS CLIENT, Cdbl(0) AS SUMMA INTO Dolg%1 from Client"_s.arg(n));
        } catch (const DbError&) {
            // the old table stays; the updates act on its rows
        }
        db.execute(u"CREATE INDEX IF NOT EXISTS Dolg%1Client ON Dolg%1 (CLIENT)"_s.arg(n));
        const StatementTemplate update(u"update Dolg%1 set SUMMA='%2' where Client=%3"_s,
                                       {service.IDUSL});
        Money written;
        for (size_t k = 0; k < rows.size(); ++k) {
            const TPerMass& r = rows[k];
            const Money balance = r.charges + r.corrections - r.payments;
            if (db.execute(update, {balance, r.client}) > 0)
                written += balance;
            if (progress)
                progress->setValue(int(k + 1), int(rows.size()));
        }
        if (movements)
            movements->insert(service.IDUSL, written);
    }
    tx.commit();
    emit app.changes.subscribersChanged(0);
}

Money storedBalances(Connection& db, int service) {
    // sums of ten-thousandths: whole numbers, so the engine adds them exactly
    const ResultSet r =
        db.query(u"select Sum(Round(SUMMA * 10000)) from Dolg%1"_s.arg(QString::number(service)));
    return Money::fromUnits(r.rowCount > 0 ? r.at(0, 0).toInteger() : 0);
}

std::vector<BalanceCheck> checkBalances(AppContext& app) {
    Connection& db = app.db();
    std::vector<BalanceCheck> out;
    for (const TVidUslugi& service : app.state.ShownServices) {
        const QString n = QString::number(service.IDUSL);
        BalanceCheck c;
        c.service = service.IDUSL;
        c.name = service.NAME;
        c.balances = storedBalances(db, service.IDUSL);
        // the movements of the earlier periods of the subscribers that exist, in ten-thousandths
        const QString filter = serviceFilter(db, service.IDUSL, app.state.CurrentPeriod);
        const struct {
            const char16_t* table;
            const char16_t* column;
            int sign;
        } sums[] = {{u"Nachisl", u"ITOG", 1}, {u"Korrekt", u"KORR", 1}, {u"Oplata", u"OPLATA", -1}};
        for (const auto& sum : sums) {
            const ResultSet r = db.query(
                u"select Sum(IIf(CLIENT in (select IDC from Client), Round(%1 * 10000), 0)) from "
                u"%2%3 %4"_s.arg(QString::fromUtf16(sum.column), QString::fromUtf16(sum.table), n,
                                 filter));
            c.movements +=
                Money::fromUnits(r.rowCount > 0 ? r.at(0, 0).toInteger() : 0) * qint64(sum.sign);
        }
        out.push_back(c);
    }
    return out;
}
