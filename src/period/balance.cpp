#include "period/balance.h"

#include "common/period.h"
#include "db/transaction.h"

#include <QStringList>

namespace {

// "PERIOD="…" or PERIOD="…"" over the periods of every shown service earlier than the current.
QString earlierPeriodsFilter(AppContext& app) {
    QStringList parts;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        parts << QStringLiteral("select PERIOD from Nachisl") + n +
                     QStringLiteral(" union Select PERIOD from Oplata") + n +
                     QStringLiteral(" union Select PERIOD from Korrekt") + n;
    }
    if (parts.isEmpty())
        return {};
    const ResultSet periods = app.db().query(QStringLiteral("select DISTINCT PERIOD from (") +
                                             parts.join(QStringLiteral(" union ")) + u')');
    const auto current = Period::parse(app.state.CurrentPeriod);
    QString filter;
    for (int r = 0; r < periods.rowCount; ++r) {
        const QString text = periods.at(r, 0).toText();
        const auto p = Period::parse(text);
        if (p && current && *p < *current)
            filter += QStringLiteral("PERIOD=\"") + text + QStringLiteral("\" or ");
    }
    if (filter.isEmpty())
        return QStringLiteral("PERIOD=\"00.0000\"");
    filter.chop(4);
    return filter;
}

} // namespace

void PereschetSaldoOdnogo(AppContext& app, int clientId) {
    Connection& db = app.db();
    Transaction tx(db);
    const QString filter = earlierPeriodsFilter(app);
    const QString id = QString::number(clientId);
    auto sum = [&](const char* what, const QString& table) {
        const ResultSet r = db.query(QStringLiteral("select SUM (") + QLatin1String(what) +
                                     QStringLiteral(") from ") + table + QStringLiteral(" where CLIENT=") +
                                     id + QStringLiteral(" and (") + filter + u')');
        return r.rowCount ? r.at(0, 0).toMoney() : Money();
    };
    for (const TVidUslugi& s : app.state.ShownServices) {
        const QString n = QString::number(s.IDUSL);
        const Money balance = sum("ITOG", QStringLiteral("Nachisl") + n) +
                              sum("KORR", QStringLiteral("Korrekt") + n) -
                              sum("OPLATA", QStringLiteral("Oplata") + n);
        db.execute(QStringLiteral("delete * from Dolg") + n + QStringLiteral(" where CLIENT=") + id);
        db.execute(QStringLiteral("insert into Dolg") + n + QStringLiteral(" (CLIENT, SUMMA) values (") +
                   id + QStringLiteral(", '") + balance.toText() + QStringLiteral("')"));
    }
    tx.commit();
    emit app.changes.subscribersChanged(clientId);
}
