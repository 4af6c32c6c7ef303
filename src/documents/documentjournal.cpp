#include "documents/documentjournal.h"

#include "db/connection.h"
#include "db/sqltext.h"
#include "db/transaction.h"
#include "period/snapshot.h"

using namespace Qt::StringLiterals;

std::vector<QDate> documentDates(Connection& db) {
    const ResultSet r = db.query(u"select DISTINCT DATADOK from DOKUM order by DATADOK"_s);
    std::vector<QDate> out;
    for (int i = 0; i < r.rowCount; ++i) {
        const QDate d = r.at(i, 0).toDateTime().date();
        if (d.isValid())
            out.push_back(d);
    }
    return out;
}

JournalNode journalTree(const std::vector<QDate>& dates) {
    JournalNode root{JournalRoot, {}};
    int year = -1, month = -1;
    for (const QDate& d : dates) {
        if (d.year() != year) {
            root.children.push_back({QString::number(d.year()), {}});
            year = d.year();
            month = -1;
        }
        JournalNode& y = root.children.back();
        if (d.month() != month) {
            y.children.push_back({d.toString(u"MM.yyyy"_s), {}});
            month = d.month();
        }
        y.children.back().children.push_back({d.toString(u"dd.MM.yyyy"_s), {}});
    }
    return root;
}

QString documentTypeName(const QString& tipdok) {
    if (tipdok == u"1")
        return u"Начисление"_s;
    if (tipdok == u"2")
        return u"Корректировка"_s;
    if (tipdok == u"3")
        return u"Оплата"_s;
    return tipdok;
}

QString journalFilter(const QString& node, int tab) {
    const QString type = tab >= 1 && tab <= 3 ? QString::number(tab) : QString();
    QString head;
    switch (node.size()) {
    case 4: {
        const int y = node.toInt();
        head = u" Where ((DATADOK > #12/31/%1#) and (DATADOK < #01/01/%2#)"_s.arg(
            QString::number(y - 1), QString::number(y + 1));
        break;
    }
    case 7: {
        const int m = node.left(2).toInt(), y = node.mid(3, 4).toInt();
        const QDate before = QDate(y, m, 1).addMonths(-1), after = QDate(y, m, 1).addMonths(1);
        head = u" Where ((DATADOK > #%1/%2/%3#) and (DATADOK < #%4/01/%5#)"_s.arg(
            before.toString(u"MM"_s), QString::number(before.daysInMonth()),
            QString::number(before.year()), after.toString(u"MM"_s), QString::number(after.year()));
        break;
    }
    case 10:
        head =
            u" Where ((DATADOK = #%1/%2/%3#)"_s.arg(node.mid(3, 2), node.left(2), node.mid(6, 4));
        break;
    default:
        return type.isEmpty() ? QString() : u" where TIPDOK=\"%1\""_s.arg(type);
    }
    return type.isEmpty() ? QString(head + u')') : head + u" and TIPDOK=\"%1\")"_s.arg(type);
}

QString journalListSql(const QString& filter) {
    return u"select TIPDOK as Тип, NOMDOK as №, DATADOK as Дата, SUMMA as Сумма, OSNOV as "
           u"Примечание, IDDOK as Абоненты from Dokum%1 order by DATADOK"_s.arg(filter);
}

QString journalFullRowSql(const QString& filter) {
    return u"select * from Dokum%1 order by DATADOK"_s.arg(filter);
}

bool deleteDocument(AppContext& app, int docId) {
    Connection& db = app.db();
    Transaction tx(db);
    const ResultSet r = db.query(u"select * from Dokum where IDDOK=%1"_s.arg(docId));
    if (r.rowCount == 0)
        return false;
    const auto v = [&](const char16_t* c) { return r.at(0, r.columnIndex(QStringView(c))); };
    const QString type = v(u"TIPDOK").toText();
    const QString table = type == u"1" ? u"Nachisl"_s : type == u"2" ? u"Korrekt"_s : u"Oplata"_s;
    ActionJournal journal = app.journal();
    journal.HistZap(
        u"Dokum"_s,
        JournalText::documentDeleted(type, v(u"NOMDOK").toText(), v(u"DATADOK").toText()), 0,
        docId);
    db.execute(u"Delete * from Dokum where IDDOK=%1"_s.arg(docId));
    journal.HistZap(table, JournalText::documentValuesDeleted(), 0, docId);
    for (const TVidUslugi& s : app.state.ShownServices)
        db.execute(u"Delete * from %1%2 where DOK=%3"_s.arg(table, QString::number(s.IDUSL),
                                                            QString::number(docId)));
    TEMPUpdate(app);
    tx.commit();
    emit app.changes.documentsChanged(docId);
    emit app.changes.subscribersChanged(0);
    return true;
}

int findReceipt(AppContext& app, const QString& receipt) {
    for (const TVidUslugi& s : app.state.ShownServices) {
        const ResultSet r = app.db().query(u"select * from Oplata%1 where KVITANS=%2"_s.arg(
            QString::number(s.IDUSL), SqlText::quoted(receipt)));
        if (r.rowCount > 0)
            return int(r.at(0, r.columnIndex(u"DOK")).toInteger());
    }
    return 0;
}
