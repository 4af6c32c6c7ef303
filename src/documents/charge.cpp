#include "documents/charge.h"

#include "app/clients.h"
#include "db/dberror.h"
#include "db/query.h"
#include "db/sqltext.h"
#include "db/statementtemplate.h"
#include "db/transaction.h"
#include "period/snapshot.h"

using namespace Qt::StringLiterals;

ChargeAmounts chargeAmounts(Money quantity, Money tariff, qint64 residents,
                            const std::vector<BenefitRow>& benefits, Period period) {
    ChargeAmounts a;
    a.NACH = quantity * tariff;
    qint64 counted = 0;
    for (const BenefitRow& b : benefits) {
        if (!b.appliesIn(period))
            continue;
        const qint64 persons = grantedPersons(b.persons, residents, counted);
        a.LGOT += benefitDeduction(b.percent, tariff, persons);
    }
    a.ITOG = a.NACH + a.LGOT;
    return a;
}

SaveResult charge(AppContext& app, const ChargeInput& input, Progress* progress) {
    SaveResult result;
    const ProgramState& st = app.state;
    if (input.rows.empty()) {
        result.refusal = DocText::NoSubscribers;
        return result;
    }
    // the ticked services in the order they are shown
    std::vector<const TVidUslugi*> services;
    for (const TVidUslugi& s : st.ShownServices)
        if (std::find(input.services.begin(), input.services.end(), s.IDUSL) !=
            input.services.end())
            services.push_back(&s);
    if (services.empty()) {
        result.refusal = u"Отметьте услуги, которые нужно начислить."_s;
        return result;
    }
    if (SaveResult refused = refuseHeader(input.header, st.CurrentPeriod); !refused.ok())
        return refused;
    for (const TVidUslugi* s : services)
        if (!knownBase(s->OSNOVA)) {
            result.refusal = u"У услуги «%1» основание начисления «%2» — не KOL, OB_PL или ZH_PL. "
                             u"Исправьте услугу в справочнике."_s.arg(s->NAME, s->OSNOVA);
            return result;
        }
    const Period period = *Period::parse(st.CurrentPeriod);

    Connection& db = app.db();
    ActionJournal journal = app.journal();
    Transaction tx(db);
    const StoredHeader h = claimHeader(db, DocType::Charge, input.header);
    const QString number = QString::number(h.number);
    const QString date = input.header.date.toString(u"dd.MM.yyyy"_s);
    result.number = h.number;
    const int d0 = h.id;
    int current = d0;
    bool headerRemoved = false, headerWritten = false;

    // a subscriber's benefit holders are read once, for the first service charged
    const StatementTemplate benefitsOf(u"select * from Lgoty where (CLIENT=%1)"_s);
    Query benefits(db);
    QHash<int, std::vector<BenefitRow>> benefitsRead;
    for (const TVidUslugi* service : services) {
        const QString n = QString::number(service->IDUSL);
        int doc = d0;
        // the header goes once: a later pass that adds to another document must not lose it
        if (!headerRemoved)
            db.execute(u"delete * from Dokum where IDDOK=%1"_s.arg(d0));
        headerRemoved = true;
        db.execute(u"delete * from Nachisl%1 where DOK=%2"_s.arg(n, QString::number(d0)));
        const ResultSet count = db.query(
            u"select count(*) from Nachisl%1 where PERIOD=\"%2\""_s.arg(n, st.CurrentPeriod));
        const bool adding = count.rowCount > 0 && count.at(0, 0).toInteger() > 0;
        if (adding) {
            const ResultSet first =
                db.query(u"select * from Nachisl%1 where PERIOD=\"%2\""_s.arg(n, st.CurrentPeriod));
            doc = int(first.at(0, first.columnIndex(u"DOK")).toInteger());
            journal.HistZap(u"Dokum"_s, JournalText::chargeDocAdded(st.CurrentPeriod), 0, doc);
        } else {
            if (!headerWritten)
                db.execute(u"insert into Dokum (IDDOK,IDPR,TIPDOK,NOMDOK,NOMPR,DATADOK,OSNOV,USR) "
                           u"values (%1 , %2 , \"1\" , %3 , %4 , \"%5\" , %6 , %7 )"_s.arg(
                               QString::number(doc), SqlText::quoted(st.DocIdPrefix), number,
                               SqlText::quoted(st.DocNumberPrefix), date,
                               SqlText::quoted(input.header.note),
                               QString::number(app.CurrentUserId)));
            headerWritten = true;
            journal.HistZap(u"Dokum"_s, JournalText::chargeDocSaved(number), 0, doc);
        }
        current = doc;
        const ResultSet last = db.query(u"select max(IDR) from Nachisl%1"_s.arg(n));
        qint64 id = last.rowCount > 0 ? last.at(0, 0).toInteger() : 0;

        if (progress)
            progress->processEvents();
        const StatementTemplate insert(
            u"insert into Nachisl%1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) values (%2 , "
            u"%3 , %4 , '%5' , \"%6\" , \"%7\" , \"%8\" , %9)"_s,
            {service->IDUSL});
        const std::vector<BenefitRow> none;
        for (const DocumentRow& row : input.rows) {
            if (Clients::isExcluded(row.TIPZ))
                continue;
            const Money tariff = row.tariffs.value(service->IDUSL);
            const std::vector<BenefitRow>* rowsOf = &none;
            if (st.ChargeBenefits) {
                auto it = benefitsRead.find(row.IDC);
                if (it == benefitsRead.end()) {
                    benefits.open(benefitsOf, {row.IDC});
                    it = benefitsRead.insert(row.IDC, benefitRows(benefits.rows()));
                }
                rowsOf = &*it;
            }
            const ChargeAmounts a =
                chargeAmounts(row.quantity(service->OSNOVA), tariff, row.KOL, *rowsOf, period);
            db.execute(insert, {++id, doc, row.IDC, st.CurrentPeriod, a.NACH, a.LGOT, a.ITOG,
                                app.CurrentUserId});
            ++result.lines;
        }
        Money total;
        for (const TVidUslugi& m : st.ShownServices) {
            const ResultSet sum = db.query(u"select sum (ITOG) from Nachisl%1 where DOK=%2"_s.arg(
                QString::number(m.IDUSL), QString::number(doc)));
            if (sum.rowCount > 0)
                total += sum.at(0, 0).toMoney();
        }
        db.execute(u"update Dokum set SUMMA=\"%1\" where IDDOK=%2"_s.arg(total.toText(),
                                                                         QString::number(doc)));
        journal.HistZap(u"Nachisl"_s + n,
                        adding ? JournalText::chargeLinesAdded(st.CurrentPeriod)
                               : JournalText::chargeLinesSaved(number),
                        0, doc);
        result.total = total;
    }
    TEMPUpdate(app, progress);
    tx.commit();
    result.renumbered = h.renumbered && headerWritten;
    result.docId = current;
    emit app.changes.subscribersChanged(0);
    emit app.changes.documentsChanged(current);
    return result;
}

StoredCharge loadCharge(AppContext& app, int docId) {
    Connection& db = app.db();
    StoredCharge out;
    out.header = readHeader(db, docId);
    QString ids;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const ResultSet r = db.query(u"Select CLIENT AS ИД From Nachisl%1 where DOK=%2"_s.arg(
            QString::number(s.IDUSL), QString::number(docId)));
        for (int i = 0; i < r.rowCount; ++i)
            ids += r.at(i, 0).toText() + u", "_s;
        if (r.rowCount > 0)
            out.services.push_back(s.IDUSL);
    }
    ids.chop(2);
    out.ListSql = storedDocumentListSql(app.state.ShownServices, ids);
    return out;
}
