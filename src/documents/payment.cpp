#include "documents/payment.h"

#include "app/prompter.h"
#include "db/query.h"
#include "db/sqltext.h"
#include "db/statementtemplate.h"
#include "db/transaction.h"
#include "period/balance.h"

#include <QHash>

using namespace Qt::StringLiterals;

std::vector<TVidOpl> paymentMethods(Connection& db) {
    const ResultSet r = db.query(u"select * from VidOpl"_s);
    const int nom = r.columnIndex(u"NOM"), name = r.columnIndex(u"NAME"),
              viz = r.columnIndex(u"VIZ");
    std::vector<TVidOpl> out;
    for (int i = 0; i < r.rowCount; ++i)
        if (r.at(i, viz).toText() == u"1")
            out.push_back({r.at(i, nom).toText(), r.at(i, name).toText()});
    return out;
}

Money paymentTotal(const std::vector<PaymentLine>& lines) {
    Money total;
    for (const PaymentLine& l : lines)
        total += l.amount;
    return total;
}

QString paymentLineProblem(const AppContext& app, const PaymentLine& l, int k) {
    const QString who = u"Строка %1 (л/с %2)"_s.arg(QString::number(k), l.account);
    if (!shownService(app, l.service))
        return who + u": не выбрана услуга. Выберите услугу и нажмите «Внести»."_s;
    if (!l.amountEntered)
        return who + u": не введена сумма. Введите сумму и нажмите «Внести»."_s;
    if (l.receipt.size() > ReceiptLength)
        return who + u": номер квитанции «%1» длиннее %2 знаков."_s.arg(
                         l.receipt, QString::number(ReceiptLength));
    return {};
}

bool paymentAsksRecalc(const AppContext& app, const DocumentHeader& header) {
    return !inCurrentPeriod(header.date, app.state.CurrentPeriod);
}

SaveResult pay(AppContext& app, const PaymentInput& input) {
    SaveResult result;
    const ProgramState& st = app.state;
    if (input.lines.empty())
        return result; // nothing happens; the window stays open
    if (const QString p = headerProblem(input.header); !p.isEmpty()) {
        result.refusal = p;
        return result;
    }
    for (size_t k = 0; k < input.lines.size(); ++k)
        if (const QString p = paymentLineProblem(app, input.lines[k], int(k) + 1); !p.isEmpty()) {
            result.refusal = p;
            return result;
        }
    Connection& db = app.db();
    Transaction tx(db);
    const StoredHeader h = claimHeader(db, DocType::Payment, input.header);
    const QString number = QString::number(h.number);
    const QString date = input.header.date.toString(u"dd.MM.yyyy"_s);
    const QString doc = QString::number(h.id);
    const Money total = paymentTotal(input.lines);
    ActionJournal journal = app.journal();
    db.execute(u"delete * from Dokum where IDDOK=%1"_s.arg(doc));
    db.execute(u"insert into Dokum (IDDOK,IDPR,TIPDOK,NOMDOK,NOMPR,DATADOK,SUMMA,OSNOV,USR) values "
               u"(%1 , %2 , \"3\" , %3 , %4 , \"%5\" ,  \"%6\", %7 , %8 )"_s.arg(
                   doc, SqlText::quoted(st.DocIdPrefix), number,
                   SqlText::quoted(st.DocNumberPrefix), date, total.toText(),
                   SqlText::quoted(input.header.note), QString::number(app.CurrentUserId)));
    journal.HistZap(u"Dokum"_s, JournalText::paymentDocSaved(number), 0, h.id);
    // the document's earlier lines go from every service, so none stays behind when a line's
    // service changed
    for (const TVidUslugi& s : st.ShownServices)
        db.execute(u"delete * from Oplata%1 where DOK=%2"_s.arg(QString::number(s.IDUSL), doc));
    const QString month = date.mid(3, 7);
    // per service, read once inside the transaction: the last line id and the line's insert
    struct ServiceLines {
        qint64 lastId = 0;
        StatementTemplate insert;
    };
    QHash<int, ServiceLines> services;
    for (size_t k = 0; k < input.lines.size(); ++k) {
        const PaymentLine& l = input.lines[k];
        auto it = services.find(l.service);
        if (it == services.end()) {
            const ResultSet r = db.query(u"select max(IDO) from Oplata%1"_s.arg(l.service));
            it = services.insert(
                l.service,
                {r.rowCount > 0 ? r.at(0, 0).toInteger() : 0,
                 StatementTemplate(
                     u"insert into Oplata%1 (IDO, DOK, STROKA, CLIENT, SPOSOB, OPLATA, DATA, "
                     u"PERIOD, KVITANS, USR) values (%2 , %3 , %4 , %5 , \"%6\" , \"%7\" , "
                     u"\"%8\" , \"%9\" , \"%10\" , %11)"_s,
                     {l.service})});
        }
        db.execute(it->insert,
                   {++it->lastId, h.id, int(k) + 1, l.subscriber, QString::number(l.method),
                    l.amount, input.header.date, month, l.receipt, app.CurrentUserId});
    }
    journal.HistZap(u"Oplata"_s, JournalText::paymentLinesSaved(number), 0, h.id);
    tx.commit();
    return savedDocument(app, h, total, int(input.lines.size()));
}

void recalcPayers(AppContext& app, const std::vector<PaymentLine>& lines, Progress* progress) {
    for (size_t k = 0; k < lines.size(); ++k) {
        PereschetSaldoOdnogo(app, lines[k].subscriber);
        if (progress) {
            progress->setText(u"Производится перерасчет сальдо...  № "_s + QString::number(k + 1));
            progress->processEvents();
        }
    }
}

StoredPayment loadPayment(AppContext& app, int docId) {
    Connection& db = app.db();
    StoredPayment out;
    out.header = readHeader(db, docId);
    const QString doc = QString::number(docId);
    QString ids;
    for (const TVidUslugi& s : app.state.ShownServices) {
        const ResultSet r = db.query(
            u"SELECT Client.LS as ЛС, Client.FIO as ФИО, Oplata%1.CLIENT as ИД, Oplata%1.OPLATA as "
            u"ТБО, Oplata%1.SPOSOB as СПОС, Oplata%1.KVITANS as КВИТ, [Gorod].[NAME] as Гор, "
            u"[Rajon].[NAME] as Рай, [NasPunkt].[NAME] as НП, [Street].[NAME] as Ул, Client.DOM as "
            u"Дом, Client.KORP as Корп, Client.KVART as Кв FROM ((((Oplata%1 LEFT JOIN Client ON "
            u"[Oplata%1].[CLIENT]=[Client].[IDC]) LEFT JOIN Rajon ON [Client].[RN]=[Rajon].[ID]) "
            u"LEFT JOIN NasPunkt ON [Client].[NP]=[NasPunkt].[ID]) LEFT JOIN Street ON "
            u"[Client].[ST]=[Street].[ID]) LEFT JOIN Gorod ON [Client].[GD]=[Gorod].[ID] WHERE "
            u"(((Oplata%1.DOK)=%2))"_s.arg(QString::number(s.IDUSL), doc));
        const auto v = [&](int row, const char16_t* column) {
            return r.at(row, r.columnIndex(QStringView(column)));
        };
        for (int i = 0; i < r.rowCount; ++i) {
            PaymentLine l;
            l.account = v(i, u"ЛС").toText();
            l.name = v(i, u"ФИО").toText();
            l.address = composeAddress(r, i);
            l.subscriber = int(v(i, u"ИД").toInteger());
            l.amount = v(i, u"ТБО").toMoney();
            l.amountEntered = true;
            l.method = int(v(i, u"СПОС").toInteger());
            l.receipt = v(i, u"КВИТ").toText();
            l.service = s.IDUSL;
            ids += QString::number(l.subscriber) + u", "_s;
            out.lines.push_back(l);
        }
    }
    ids.chop(2);
    out.ListSql = storedDocumentListSql(app.state.ShownServices, ids);
    return out;
}
