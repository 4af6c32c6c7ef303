#include "period/transition.h"

#include "common/dates.h"
#include "common/period.h"
#include "db/dberror.h"
#include "db/transaction.h"
#include "period/snapshot.h"

#include <QDate>
#include <QStringList>

using namespace Qt::StringLiterals;

QString nextPeriod(const QString& period) {
    const auto p = Period::parse(period);
    return p ? p->next().toText() : QString();
}

QString TransitionText::checkLine(const BalanceCheck& c) {
    QString line =
        u"%1: сальдо %2, движение %3"_s.arg(c.name, c.balances.toText(), c.movements.toText());
    if (!c.ok())
        line += u", расхождение %1"_s.arg((c.balances - c.movements).toText());
    return line;
}

TransitionResult monthTransition(AppContext& app, Progress* progress) {
    const QString old = app.state.CurrentPeriod;
    const QString next = nextPeriod(old);
    if (next.isEmpty())
        throw DbError(
            u"Текущий период «%1» записан неверно; переход на новый месяц невозможен."_s.arg(old));
    Connection& db = app.db();
    TransitionResult result;
    try {
        Transaction tx(db);
        app.state.CurrentPeriod = next;
        QHash<int, Money> movements;
        Pereschet(app, progress, &movements);
        const ResultSet max = db.query(u"select MAX(IDS) from Service"_s);
        const qint64 i = max.rowCount > 0 ? max.at(0, 0).toInteger() : 0;
        const ResultSet service = db.query(u"select * from Service"_s);
        QString naimen, okr;
        if (service.rowCount > 0) {
            const int last = service.rowCount - 1;
            naimen = service.at(last, service.columnIndex(u"NAIMEN")).toText();
            okr = service.at(last, service.columnIndex(u"OKR")).toText();
        }
        db.execute(u"insert into Service (IDS, PERIOD, DATA, NAIMEN, OKR) values (%1, \"%2\", "
                   u"\"%3\", %4, %5)"_s.arg(QString::number(i + 1), next,
                                            Dates::shortDate(QDate::currentDate()), naimen, okr));
        TEMPUpdate(app, progress);
        app.journal().HistZap(u"Client,Oplata,Service"_s, JournalText::periodChanged(next), 0, 0);
        // what the balances hold must be what was read of the movements
        for (const TVidUslugi& s : app.state.ShownServices)
            result.checks.push_back(
                {s.IDUSL, s.NAME, storedBalances(db, s.IDUSL), movements.value(s.IDUSL)});
        QStringList wrong;
        for (const BalanceCheck& c : result.checks)
            if (!c.ok())
                wrong << TransitionText::checkLine(c);
        if (!wrong.isEmpty())
            throw DbError(u"Сальдо нового месяца не сходится с движением прошлых месяцев, переход "
                          u"отменен:\n%1"_s.arg(wrong.join(u'\n')));
        tx.commit();
    } catch (...) {
        app.state.CurrentPeriod = old;
        throw;
    }
    result.period = next;
    if (!app.state.PeriodPanelText.isEmpty())
        app.state.PeriodPanelText = u"Период расчета "_s + next;
    return result;
}
