#include "app/demohistory.h"

#include "db/dberror.h"
#include "documents/charge.h"
#include "documents/correction.h"
#include "documents/payment.h"
#include "documents/selection.h"
#include "period/transition.h"

#include <QHash>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace {

enum class Habit { OnTime, Late, Ahead, Never };

Habit habitOf(int client, quint32 seed) {
    const quint32 h = (quint32(client) * 2654435761u) ^ (seed * 40503u);
    const quint32 k = h % 100;
    return k < 78 ? Habit::OnTime : k < 90 ? Habit::Late : k < 96 ? Habit::Ahead : Habit::Never;
}

DocumentHeader header(Connection& db, DocType type, QDate date, const QString& note) {
    DocumentHeader h;
    const NewDocument d = newDocument(db, type);
    h.id = d.id;
    h.number = QString::number(d.number);
    h.date = date;
    h.note = note;
    return h;
}

void check(const SaveResult& r) {
    if (!r.ok())
        throw DbError(u"Демонстрационная история не записана: "_s + r.refusal);
}

// This month's charge of every subscriber and service (ITOG by subscriber).
QHash<int, QHash<int, Money>> chargesOf(AppContext& app, const QString& period) {
    QHash<int, QHash<int, Money>> out;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const ResultSet r = app.db().query(
            u"select CLIENT, sum(ITOG) from Nachisl%1 where PERIOD=\"%2\" group by CLIENT"_s.arg(
                QString::number(s.IDUSL), period));
        for (int i = 0; i < r.rowCount; ++i)
            out[int(r.at(i, 0).toInteger())][s.IDUSL] = r.at(i, 1).toMoney();
    }
    return out;
}

} // namespace

void generateHistory(AppContext& app, int months, quint32 seed, Progress* progress) {
    Connection& db = app.db();
    QRandomGenerator random(seed ^ 0x5EEDu);
    std::vector<int> services;
    for (const TVidUslugi& s : app.state.ShownServices)
        services.push_back(s.IDUSL);
    const SelectionStatement everybody = buildSelection({}, false, app.state.ShownServices);
    for (int month = 0; month <= months; ++month) {
        const Period period = *Period::parse(app.state.CurrentPeriod);
        if (progress) {
            progress->setText(u"Месяц %1 из %2: %3"_s.arg(
                QString::number(month + 1), QString::number(months + 1), period.toText()));
            progress->processEvents();
        }
        const std::vector<DocumentRow> rows = documentRows(db.query(everybody.ListSql));
        check(charge(app, {header(db, DocType::Charge, period.day(3), u"Начисление за месяц"_s),
                           rows, services}));
        if (month == months)
            break; // the current month: charged, nothing paid yet

        // a few fixed corrections of the water charge
        std::vector<CorrectionLine> corrections;
        for (const DocumentRow& row : rows) {
            if (random.bounded(100) != 0 || row.TIPZ == u"isk")
                continue;
            CorrectionLine l;
            l.subscriber = row.IDC;
            l.account = row.LS;
            l.name = row.FIO;
            l.residents = row.KOL;
            l.kind = CorrectionKind::Amount;
            l.value = Money::fromInteger(qint64(random.bounded(101)) - 60);
            corrections.push_back(l);
        }
        if (!corrections.empty())
            check(correct(app, {header(db, DocType::Correction, period.day(10),
                                       u"Перерасчет по заявлениям"_s),
                                services.front(), corrections}));

        // payments in four documents of the month
        const auto charged = chargesOf(app, period.toText());
        std::vector<PaymentLine> batches[4];
        int receipt = 0;
        for (const DocumentRow& row : rows) {
            const Habit habit = habitOf(row.IDC, seed);
            double share = 1.0;
            switch (habit) {
            case Habit::Never:
                continue;
            case Habit::Late:
                if (month % 2 == 0)
                    continue;
                share = 2.0;
                break;
            case Habit::Ahead:
                share = 1.5;
                break;
            case Habit::OnTime:
                break;
            }
            const auto it = charged.constFind(row.IDC);
            if (it == charged.constEnd())
                continue;
            const int method = 1 + int(random.bounded(3));
            for (int service : services) {
                const Money amount = Money::fromDouble(
                    std::round(it->value(service).toDouble() * share * 100) / 100);
                if (amount.units() <= 0)
                    continue;
                PaymentLine l;
                l.subscriber = row.IDC;
                l.account = row.LS;
                l.name = row.FIO;
                l.service = service;
                l.amount = amount;
                l.amountEntered = true;
                l.method = method;
                l.receipt =
                    u"%1-%2"_s.arg(QString::number(period.month()), QString::number(++receipt));
                batches[row.IDC % 4].push_back(l);
            }
        }
        const int days[] = {5, 12, 19, 26};
        for (int b = 0; b < 4; ++b)
            if (!batches[b].empty())
                check(pay(
                    app, {header(db, DocType::Payment, period.day(days[b]), u"Поступления кассы"_s),
                          batches[b]}));
        monthTransition(app, progress);
    }
}
