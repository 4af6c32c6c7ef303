#include "documents/correction.h"

#include "db/dberror.h"
#include "db/query.h"
#include "db/sqltext.h"
#include "db/statementtemplate.h"
#include "db/transaction.h"
#include "period/snapshot.h"

#include <QStringList>

using namespace Qt::StringLiterals;

const std::vector<CorrectionKindInfo>& correctionKinds() {
    static const std::vector<CorrectionKindInfo> kinds = {
        {CorrectionKind::Tariff, u"Изменить тариф"_s, u"Тариф"_s, u"Новый тариф"_s, true},
        {CorrectionKind::Amount, u"Фиксированной суммой"_s, u"Сумма"_s, u"Сумма (+ или -)"_s,
         false},
        {CorrectionKind::Residents, u"Изменить кол-во жильцов"_s, u"Кол-во"_s, u"Новое кол-во"_s,
         true},
        {CorrectionKind::Current, u"Переначислить по текущему"_s, u"Тек.сост."_s, QString(), true},
    };
    return kinds;
}

const CorrectionKindInfo& correctionKind(CorrectionKind kind) {
    return correctionKinds()[size_t(int(kind) - 1)];
}

bool rangeTouchesPeriod(CorrectionKind kind, QDate start, QDate end, const QString& period) {
    if (kind == CorrectionKind::Amount)
        return false;
    return start.toString(u"MM.yyyy"_s) == period || end.toString(u"MM.yyyy"_s) == period;
}

namespace {

int key(const Period& p) {
    return p.year() * 100 + p.month();
}

struct Computed {
    Money korr;
    QString problem;
};

} // namespace

SaveResult correct(AppContext& app, const CorrectionInput& input) {
    SaveResult result;
    const ProgramState& st = app.state;
    if (input.lines.empty()) {
        result.refusal = DocText::NoSubscribers;
        return result;
    }
    if (SaveResult refused = refuseHeader(input.header, st.CurrentPeriod); !refused.ok())
        return refused;
    if (!shownService(app, input.service)) {
        result.refusal = u"Выберите услугу, которую корректируете."_s;
        return result;
    }
    for (size_t k = 0; k < input.lines.size(); ++k) {
        const CorrectionLine& l = input.lines[k];
        if (rangeTouchesPeriod(l.kind, l.start, l.end, st.CurrentPeriod)) {
            result.refusal = u"Строка %1 (л/с %2): %3"_s.arg(QString::number(k + 1), l.account,
                                                             DocText::RangeTouchesPeriod);
            result.warning = true;
            return result;
        }
    }
    Connection& db = app.db();
    const QString n = QString::number(input.service);

    Transaction tx(db);
    // every line's amount first: a line that cannot be computed refuses the whole document
    const ResultSet periods = db.query(u"select DISTINCT PERIOD from Nachisl%1"_s.arg(n));
    std::vector<Money> amounts;
    const StatementTemplate tariffOf(u"select TARIF from Tarif%1 where CLIENT=%2"_s,
                                     {input.service});
    const StatementTemplate benefitsOf(u"select * from Lgoty where CLIENT=%1"_s);
    Query q(db);
    for (size_t k = 0; k < input.lines.size(); ++k) {
        const CorrectionLine& l = input.lines[k];
        if (l.kind == CorrectionKind::Amount) {
            amounts.push_back(l.value);
            continue;
        }
        const Period from = Period::fromDate(l.start), to = Period::fromDate(l.end);
        std::vector<Period> range;
        QStringList cond;
        for (int r = 0; r < periods.rowCount; ++r) {
            const QString text = periods.at(r, 0).toText();
            const auto p = Period::parse(text);
            if (p && key(from) <= key(*p) && key(*p) <= key(to)) {
                range.push_back(*p);
                cond << u"PERIOD=\"%1\""_s.arg(text);
            }
        }
        if (range.empty()) {
            result.refusal =
                u"Строка %1 (л/с %2, %3): с %4 по %5 начислений по услуге не было — корректировать "
                u"нечего. Исправьте период строки."_s.arg(QString::number(k + 1), l.account, l.name,
                                                          from.toText(), to.toText());
            return result; // the transaction rolls back: nothing was written
        }
        q.open(tariffOf, {l.subscriber});
        const Money tariff = q.eof() ? Money() : q.money(u"TARIF"_s);
        const Money residents = Money::fromInteger(l.residents);
        Money base;
        switch (l.kind) {
        case CorrectionKind::Tariff:
            base = residents * l.value;
            break;
        case CorrectionKind::Residents:
            base = tariff * l.value;
            break;
        default:
            base = residents * tariff;
        }
        q.open(benefitsOf, {l.subscriber});
        qint64 counted = 0;
        Money benefit;
        for (const BenefitRow& b : benefitRows(q.rows())) {
            qint64 bmonths = 0;
            for (const Period& p : range)
                bmonths += b.appliesIn(p);
            const qint64 persons = grantedPersons(b.persons, l.residents, counted);
            const Money monthly = benefitDeduction(
                b.percent, l.kind == CorrectionKind::Tariff ? l.value : tariff, persons);
            benefit += monthly * bmonths;
        }
        const ResultSet charged =
            db.query(u"select sum (ITOG) from Nachisl%1 where (CLIENT=%2 and (%3))"_s.arg(
                n, QString::number(l.subscriber), cond.join(u" or "_s)));
        const Money sum = charged.rowCount > 0 ? charged.at(0, 0).toMoney() : Money();
        amounts.push_back(base * qint64(range.size()) + benefit - sum);
    }

    const StoredHeader h = claimHeader(db, DocType::Correction, input.header);
    const QString number = QString::number(h.number);
    const QString date = input.header.date.toString(u"dd.MM.yyyy"_s);
    const QString doc = QString::number(h.id);
    ActionJournal journal = app.journal();
    db.execute(u"delete * from Dokum where IDDOK=%1"_s.arg(doc));
    db.execute(u"insert into Dokum (IDDOK,IDPR,TIPDOK,NOMDOK,NOMPR,DATADOK,OSNOV,USR) values (%1 "
               u", %2 , \"2\" , %3 , %4 , \"%5\" , %6 , %7 )"_s.arg(
                   doc, SqlText::quoted(st.DocIdPrefix), number,
                   SqlText::quoted(st.DocNumberPrefix), date, SqlText::quoted(input.header.note),
                   QString::number(app.CurrentUserId)));
    journal.HistZap(u"Dokum"_s, JournalText::correctionDocSaved(number), 0, h.id);
    // the document's earlier lines go from every service, so none stays behind when its service
    // changed
    for (const TVidUslugi& s : st.ShownServices)
        db.execute(u"delete * from Korrekt%1 where DOK=%2"_s.arg(QString::number(s.IDUSL), doc));
    const ResultSet last = db.query(u"select max(IDK) from Korrekt%1"_s.arg(n));
    qint64 id = last.rowCount > 0 ? last.at(0, 0).toInteger() : 0;
    const StatementTemplate insert(
        u"insert into Korrekt%1 (IDK, DOK, CLIENT, PERIOD, KORR, NACH, KON, SPOSOB, VELICH, USR) "
        u"values (%2 , %3 , %4 , '%5' , \"%6\" , \"%7\" , \"%8\" , %9 , \"%10\" , %11)"_s,
        {input.service});
    Money total;
    for (size_t k = 0; k < input.lines.size(); ++k) {
        const CorrectionLine& l = input.lines[k];
        const bool amountKind = l.kind == CorrectionKind::Amount;
        db.execute(insert, {++id, h.id, l.subscriber, st.CurrentPeriod, amounts[k],
                            amountKind ? input.header.date : l.start,
                            amountKind ? input.header.date : l.end, int(l.kind), l.value,
                            app.CurrentUserId});
        total += amounts[k];
    }
    db.execute(u"update Dokum set SUMMA=\"%1\" where IDDOK=%2"_s.arg(total.toText(), doc));
    journal.HistZap(u"Korrekt"_s + n, JournalText::correctionLinesSaved(number), 0, h.id);
    TEMPUpdate(app);
    tx.commit();
    return savedDocument(app, h, total, int(input.lines.size()));
}

StoredCorrection loadCorrection(AppContext& app, int docId) {
    Connection& db = app.db();
    StoredCorrection out;
    out.header = readHeader(db, docId);
    const QString doc = QString::number(docId);
    for (const TVidUslugi& s : app.state.ShownServices) {
        const ResultSet r = db.query(u"Select count(*) AS ИД From Korrekt%1 where DOK=%2"_s.arg(
            QString::number(s.IDUSL), doc));
        if (r.rowCount > 0 && r.at(0, 0).toInteger() > 0)
            out.service = s.IDUSL;
    }
    if (out.service == 0)
        return out;
    const QString n = QString::number(out.service);
    const ResultSet r = db.query(
        u"SELECT Client.LS as ЛС, Client.FIO as ФИО, Client.KOL, Client.OB_PL, Client.ZH_PL, "
        u"Korrekt%1.CLIENT as ИД, Korrekt%1.KORR as Корр, Korrekt%1.NACH as Начало, Korrekt%1.KON "
        u"as Конец,  Korrekt%1.SPOSOB as СПОС, Korrekt%1.VELICH as ВЕЛИЧ, [Gorod].[NAME] as Гор, "
        u"[Rajon].[NAME] as Рай, [NasPunkt].[NAME] as НП, [Street].[NAME] as Ул, Client.DOM as "
        u"Дом, Client.KORP as Корп, Client.KVART as Кв FROM ((((Korrekt%1 LEFT JOIN Client ON "
        u"[Korrekt%1].[CLIENT]=[Client].[IDC]) LEFT JOIN Rajon ON [Client].[RN]=[Rajon].[ID]) LEFT "
        u"JOIN NasPunkt ON [Client].[NP]=[NasPunkt].[ID]) LEFT JOIN Street ON "
        u"[Client].[ST]=[Street].[ID]) LEFT JOIN Gorod ON [Client].[GD]=[Gorod].[ID] WHERE "
        u"(((Korrekt%1.DOK)=%2))"_s.arg(n, doc));
    const auto v = [&](int row, const char16_t* column) {
        return r.at(row, r.columnIndex(QStringView(column)));
    };
    const StatementTemplate tariffOf(u"select TARIF from Tarif%1 where CLIENT=%2"_s, {out.service});
    Query tariff(db);
    for (int i = 0; i < r.rowCount; ++i) {
        CorrectionLine l;
        l.account = v(i, u"ЛС").toText();
        l.name = v(i, u"ФИО").toText();
        l.address = composeAddress(r, i);
        l.subscriber = int(v(i, u"ИД").toInteger());
        l.residents = v(i, u"KOL").toInteger();
        l.livingArea = v(i, u"ZH_PL").toMoney();
        l.totalArea = v(i, u"OB_PL").toMoney();
        l.value = v(i, u"ВЕЛИЧ").toMoney();
        l.start = v(i, u"Начало").toDateTime().date();
        l.end = v(i, u"Конец").toDateTime().date();
        l.amount = v(i, u"Корр").toMoney();
        l.stored = true;
        const int kind = int(v(i, u"СПОС").toInteger());
        l.kind = kind >= 1 && kind <= 4 ? CorrectionKind(kind) : CorrectionKind::Amount;
        // the subscriber's current tariff of the corrected service (the lines keep none)
        tariff.open(tariffOf, {l.subscriber});
        l.tariff = tariff.eof() ? Money() : tariff.money(u"TARIF"_s);
        out.lines.push_back(l);
    }
    out.ListSql =
        u"SELECT Client.LS as Лицевой_счет, Client.FIO as Фамилия_Имя_Отчество, NasPunkt.NAME as "
        u"Нас_пункт, Street.NAME as Улица, Client.DOM as Дом, Client.KORP as Корпус, Client.KVART "
        u"as Квартира, KOL, ZH_PL, OB_PL, Client.IDC, Client.TIPZ FROM Street INNER JOIN (Rajon "
        u"INNER JOIN (NasPunkt INNER JOIN Client ON NasPunkt.ID = Client.NP) ON Rajon.ID = "
        u"Client.RN) ON Street.ID = Client.ST where Client.IDC in (select CLIENT from Korrekt%1 "
        u"where DOK=%2)"_s.arg(n, doc);
    return out;
}
