#include "db/dberror.h"
#include "period/balance.h"
#include "period/snapshot.h"
#include "reports/debtors.h"
#include "reports/history.h"
#include "reports/registers.h"
#include "testsupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The registers on a small dated office (period 03.2024): subscriber 1 in a settlement, 3 in a
// city, 4 without a street, 99 deleted; water (1) and sewerage (2) charged in January to March,
// payments on several days by three methods and one method no longer known, a correction.
class TestRegisters : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_db.reset(); }
    void chargeRegisterRowsAddUp();
    void closingOfAMonthIsTheNextOpening();
    void summariesGroupByServiceAndPlace();
    void paymentRegistersKeepEveryPayment();
    void historyMonthByMonth();
    void debtorList();

private:
    std::unique_ptr<TempDatabase> m_db;
    AppContext& app() { return m_db->app; }
    static Money money(const ReportTable& t, int column, int row) {
        const QString text = t.text(column, row);
        return text.isEmpty() ? Money() : *Money::parse(text);
    }
    // the data rows of a register: from row 3 up to the empty row before the totals
    static int dataRows(const ReportTable& t, int totalsFromEnd) {
        return t.rowCount() - 3 - totalsFromEnd;
    }
};

void TestRegisters::init() {
    m_db = std::make_unique<TempDatabase>();
    m_db->addSmallOffice();
    Connection& db = m_db->db();
    int id = 0;
    const auto charge = [&](int service, int client, const char* period, const char* nach,
                            const char* lgot) {
        const Money n = *Money::parse(QString::fromUtf8(nach)),
                    l = *Money::parse(QString::fromUtf8(lgot));
        db.execute(u"insert into Nachisl%1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) "
                   u"values (%2, 1, %3, \"%4\", \"%5\", \"%6\", \"%7\", 1)"_s.arg(
                       QString::number(service), QString::number(++id), QString::number(client),
                       QString::fromUtf8(period), n.toText(), l.toText(), (n + l).toText()));
    };
    for (const char* period : {"01.2024", "02.2024", "03.2024"}) {
        charge(1, 1, period, "136,5", "-22,75");
        charge(1, 3, period, "10", "0");
        charge(1, 4, period, "45,5", "0");
        charge(2, 1, period, "60", "0");
        charge(2, 3, period, "5", "0");
    }
    const auto pay = [&](int service, int doc, int client, int method, const char* amount,
                         const char* date, const char* receipt) {
        const QDate d = QDate::fromString(QString::fromUtf8(date), u"dd.MM.yyyy"_s);
        db.execute(
            u"insert into Oplata%1 (IDO, DOK, STROKA, CLIENT, SPOSOB, OPLATA, DATA, PERIOD, "
            u"KVITANS, USR) values (%2, %3, 1, %4, %5, \"%6\", \"%7\", \"%8\", \"%9\", 1)"_s.arg(
                QString::number(service), QString::number(++id), QString::number(doc),
                QString::number(client), QString::number(method), QString::fromUtf8(amount),
                QString::fromUtf8(date), d.toString(u"MM.yyyy"_s), QString::fromUtf8(receipt)));
    };
    db.execute(
        u"insert into Dokum (IDDOK, TIPDOK, NOMDOK, DATADOK) values (10, \"3\", 1, \"05.02.2024\")"_s);
    db.execute(
        u"insert into Dokum (IDDOK, TIPDOK, NOMDOK, DATADOK) values (11, \"3\", 2, \"05.02.2024\")"_s);
    db.execute(
        u"insert into Dokum (IDDOK, TIPDOK, NOMDOK, DATADOK) values (12, \"3\", 3, \"12.03.2024\")"_s);
    pay(1, 10, 1, 1, "100", "05.02.2024", "A1");
    pay(2, 10, 1, 1, "60", "05.02.2024", "A2");
    pay(1, 11, 3, 2, "10", "05.02.2024", "B1");    // a city subscriber
    pay(1, 11, 4, 3, "45,5", "20.02.2024", "C1");  // without a street
    pay(1, 12, 99, 1, "7,25", "12.03.2024", "D1"); // a deleted subscriber
    pay(2, 12, 1, 9, "30", "12.03.2024", "E1");    // a method no longer in VidOpl
    db.execute(u"insert into Korrekt1 (IDK, DOK, CLIENT, PERIOD, KORR, SPOSOB, VELICH, USR) "
               u"values (1, 13, 1, \"02.2024\", \"-15\", 2, \"-15\", 1)"_s);
}

void TestRegisters::chargeRegisterRowsAddUp() {
    for (const char* period : {"01.2024", "02.2024", "03.2024"}) {
        ReportTable t;
        fillChargeRegister(app(), t, {QString::fromUtf8(period), ChargeLayout::Subscriber, {}});
        QCOMPARE(t.text(0, 0), u"Отчет по начислению за  "_s + QString::fromUtf8(period));
        const int rows = t.rowCount() - 8;
        QVERIFY(rows > 0);
        Money sums[7];
        for (int r = 3; r < rows + 3; ++r) {
            const Money opening = money(t, 9, r), norm = money(t, 10, r), benefit = money(t, 11, r),
                        correction = money(t, 12, r), total = money(t, 13, r),
                        paid = money(t, 14, r), closing = money(t, 15, r);
            QCOMPARE(total, norm + benefit + correction);
            QCOMPARE(closing, opening + norm + benefit + correction - paid);
            for (int k = 0; k < 7; ++k)
                sums[k] += money(t, 9 + k, r);
        }
        const int totals = rows + 4;
        QCOMPARE(t.text(2, totals), u"ИТОГО :"_s);
        for (int k = 0; k < 7; ++k)
            QCOMPARE(money(t, 9 + k, totals), sums[k]);
        QCOMPARE(t.text(0, rows + 7), u"Генеральный директор                  Смирнов А. В."_s);
    }
    // March: the deleted subscriber's payment stays, with an empty name
    ReportTable march;
    fillChargeRegister(app(), march, {u"03.2024"_s, ChargeLayout::Subscriber, {}});
    bool deleted = false;
    for (int r = 3; r < march.rowCount() - 5; ++r)
        deleted = deleted || (march.text(2, r).isEmpty() && march.text(14, r) == u"7,25");
    QVERIFY(deleted);
}

void TestRegisters::closingOfAMonthIsTheNextOpening() {
    const auto closings = [&](const QString& period, int column) {
        ReportTable t;
        fillChargeRegister(app(), t, {period, ChargeLayout::Subscriber, {}});
        QHash<QString, Money> out; // service and name
        for (int r = 3; r < t.rowCount() - 5; ++r)
            out.insert(t.text(1, r) + u'|' + t.text(2, r), money(t, column, r));
        return out;
    };
    const auto jan = closings(u"01.2024"_s, 15), febOpening = closings(u"02.2024"_s, 9);
    const auto feb = closings(u"02.2024"_s, 15), marOpening = closings(u"03.2024"_s, 9);
    for (auto it = jan.begin(); it != jan.end(); ++it)
        QCOMPARE(febOpening.value(it.key()), it.value());
    for (auto it = feb.begin(); it != feb.end(); ++it)
        if (marOpening.contains(it.key()))
            QCOMPARE(marOpening.value(it.key()), it.value());
    // January is the first period: no opening balance
    for (const Money& m : closings(u"01.2024"_s, 9))
        QCOMPARE(m, Money());
}

void TestRegisters::summariesGroupByServiceAndPlace() {
    ReportTable list, bySettlement, byStreet;
    fillChargeRegister(app(), list, {u"02.2024"_s, ChargeLayout::Subscriber, {}});
    fillChargeRegister(app(), bySettlement, {u"02.2024"_s, ChargeLayout::Settlement, {}});
    fillChargeRegister(app(), byStreet, {u"02.2024"_s, ChargeLayout::Street, {}});
    // one row per service and settlement: water in Невель and without one (the city and the
    // street-less subscriber), sewerage likewise
    QStringList groups;
    for (int r = 3; r < bySettlement.rowCount() - 5; ++r)
        groups << bySettlement.text(1, r) + u'|' + bySettlement.text(2, r);
    QCOMPARE(groups,
             (QStringList{u"ХВС|"_s, u"ХВС|Невель"_s, u"Канализ.|"_s, u"Канализ.|Невель"_s}));
    QCOMPARE(bySettlement.columnCount(), 11);
    QCOMPARE(byStreet.columnCount(), 12);
    // every layout's totals are the list's
    const int listTotals = list.rowCount() - 4;
    for (const ReportTable* t : {&bySettlement, &byStreet}) {
        const int totals = t->rowCount() - 4, first = t->columnCount() - 7;
        for (int k = 0; k < 7; ++k)
            QCOMPARE(money(*t, first + k, totals), money(list, 9 + k, listTotals));
    }
}

void TestRegisters::paymentRegistersKeepEveryPayment() {
    // the documents of a day, each once
    const std::vector<DayDocument> docs = documentsOfDay(app(), QDate(2024, 2, 5));
    QCOMPARE(docs.size(), size_t(2));
    QCOMPARE(docs[0].id, 10);
    QCOMPARE(docs[1].number, u"2"_s);

    Money days;
    for (const QDate& d : {QDate(2024, 2, 5), QDate(2024, 2, 20), QDate(2024, 3, 12)}) {
        ReportTable t;
        fillDayRegister(app(), t, {d, {}, {}, {}});
        const int last = t.rowCount() - 1;
        QCOMPARE(t.text(0, last), u"ИТОГО"_s);
        Money rows;
        for (int r = 3; r < last - 1; ++r)
            rows += money(t, 5, r);
        QCOMPARE(money(t, 5, last), rows);
        days += rows;
    }
    // 12.03: the deleted subscriber and the unknown method are listed
    ReportTable march;
    fillDayRegister(app(), march, {QDate(2024, 3, 12), {}, {}, {}});
    QCOMPARE(march.rowCount(), 3 + 2 + 2);
    QCOMPARE(march.text(5, 3), u"7,25"_s);
    QCOMPARE(march.text(0, 3), QString());
    QCOMPARE(march.text(7, 4), QString());
    // a method and a document restrict it
    ReportTable one;
    fillDayRegister(app(), one, {QDate(2024, 2, 5), 1, 10, u"1"_s});
    QCOMPARE(one.text(0, 0),
             u"Реестр поступивших платежей за 05.02.2024, Номер документа оплаты - 1"_s);
    QCOMPARE(money(one, 5, one.rowCount() - 1).toText(), u"160"_s);

    // the period registers hold what the days hold
    for (bool byName : {false, true}) {
        ReportTable period;
        fillPeriodRegister(app(), period, {QDate(2024, 2, 1), QDate(2024, 3, 31), {}, byName, {}});
        const int last = period.rowCount() - 1;
        QCOMPARE(period.text(0, last), u"ИТОГО"_s);
        QCOMPARE(money(period, byName ? 3 : 1, last), days);
    }
    // a subscriber filter
    ReportTable filtered;
    fillPeriodRegister(app(), filtered,
                       {QDate(2024, 2, 1),
                        QDate(2024, 3, 31),
                        {},
                        true,
                        reportClientFilter(u"WHERE (((Client.LS)= \"103\"))"_s)});
    QCOMPARE(filtered.rowCount(), 5);
    QCOMPARE(filtered.text(0, 3), u"103"_s);
}

void TestRegisters::historyMonthByMonth() {
    m_db->db().execute(u"insert into Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) "
                       u"values (500, 2, 1, \"12.2023\", \"40\", 0, \"40\", 1)"_s);
    m_db->db().execute(
        u"insert into Dokum (IDDOK, TIPDOK, NOMDOK, DATADOK) values (1, \"1\", 7, \"03.02.2024\")"_s);
    const History y2023 = calculationHistory(app(), 1, 2023),
                  y2024 = calculationHistory(app(), 1, 2024);
    ReportTable t2023, t2024, water, none;
    fillHistoryTable(t2023, y2023, {1, 2});
    fillHistoryTable(t2024, y2024, {1, 2});
    fillHistoryTable(water, y2024, {1});
    fillHistoryTable(none, y2024, {});
    // January opens with what December closed; every month adds up and opens with the last close
    QCOMPARE(t2024.text(1, 1), t2023.text(8, 12));
    QCOMPARE(t2024.text(1, 1), u"40"_s);
    for (int m = 1; m <= 12; ++m) {
        const Money opening = money(t2024, 1, m), charged = money(t2024, 2, m),
                    benefits = money(t2024, 3, m), corrections = money(t2024, 4, m),
                    paid = money(t2024, 6, m);
        QCOMPARE(money(t2024, 5, m), charged + benefits + corrections);
        QCOMPARE(money(t2024, 8, m), opening + charged + benefits + corrections - paid);
        if (m > 1)
            QCOMPARE(money(t2024, 1, m), money(t2024, 8, m - 1));
    }
    QCOMPARE(t2024.text(0, 2), u"02.2024"_s);
    QCOMPARE(t2024.text(7, 2), u"A1 , A2"_s); // both services' receipts
    // the water alone agrees with the charge register's closing of February
    ReportTable feb;
    fillChargeRegister(app(), feb, {u"02.2024"_s, ChargeLayout::Subscriber, {}});
    QCOMPARE(feb.text(15, 3), water.text(8, 2));
    QCOMPARE(none.text(0, 1), QString());
    QCOMPARE(none.text(8, 1), u"0"_s);
    // the documents behind February: the charge, the correction, the payments
    QStringList items;
    for (const THistDok& d : monthDocuments(app(), y2024, u"02.2024"_s))
        items << historyItem(d);
    QCOMPARE(items,
             (QStringList{u"Начисление:  № 7   от 03.02.2024"_s, u"Корректировка:  № 0   от "_s,
                          u"Оплата:  № 1   от 05.02.2024"_s, u"Начисление:  № 7   от 03.02.2024"_s,
                          u"Оплата:  № 1   от 05.02.2024"_s}));
}

void TestRegisters::debtorList() {
    Pereschet(app());
    TEMPUpdate(app());
    // subscriber 3 is charged twice in March: 10 + 10 for water; each line alone is below 15
    m_db->db().execute(u"insert into Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) "
                       u"values (900, 1, 3, \"03.2024\", \"10\", 0, \"10\", 1)"_s);
    TEMPUpdate(app());
    ReportTable t;
    fillDebtorList(app(), t, {u"15"_s, {}});
    QCOMPARE(t.text(0, 0), u"Список абонентов, за 03.2024, чей долг превышает 15 руб."_s);
    QStringList listed;
    for (int r = 3; r < t.rowCount(); ++r) {
        listed << t.text(1, r) + u'|' + t.text(2, r);
        // К оплате = Сальдо + Перерасчет + Начислено − Оплачено
        QCOMPARE(money(t, 17, r),
                 money(t, 11, r) + money(t, 14, r) + money(t, 15, r) - money(t, 16, r));
    }
    // by address: the city subscriber (103, no settlement) first, then in Невель the street-less
    // 104 and 101 on Ленина, his two services side by side; the excluded 102 owes nothing
    QCOMPARE(listed, (QStringList{u"ХВС|103"_s, u"ХВС|104"_s, u"ХВС|101"_s, u"Канализ.|101"_s}));
    QCOMPARE(t.text(15, 3), u"20"_s);
    QCOMPARE(t.text(16, 6), u"30"_s); // paid in March
    // a limit that is no number is refused
    QVERIFY(!debtorLimitProblem(u"-"_s).isEmpty());
    QVERIFY(debtorLimitProblem(u"150,5"_s).isEmpty());
    QVERIFY_THROWS_EXCEPTION(DbError, fillDebtorList(app(), t, {u"abc"_s, {}}));
}

QTEST_GUILESS_MAIN(TestRegisters)
#include "tst_registers.moc"
