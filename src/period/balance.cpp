#include "period/balance.h"

#include "common/period.h"
#include "db/transaction.h"

#include <QStringList>

using namespace Qt::StringLiterals;

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
