#include "db/dberror.h"
#include "documents/charge.h"
#include "documents/correction.h"
#include "documents/documentjournal.h"
#include "documents/payment.h"
#include "documents/selection.h"
#include "testsupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The three documents against the rows they store, on the small office of period 03.2024:
// subscriber 1 (account 101, 3 residents, 54,2 m²), 2 (102, excluded), 3 (103, in the city) are
// selected; 4 has no street and is never selected.
class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void numbering();
    void dateTest();
    void chargeAmounts_data();
    void chargeAmounts();
    void deductionRounding();
    void chargeWritesLinesAndHeader();
    void chargeAddsToThePeriodsDocument();
    void chargeRefusesAndRollsBack();
    void twoWorkstationsNeverShareANumber();
    void correction_data();
    void correction();
    void correctionRefusals();
    void payment();
    void paymentRefusals();
    void storedDocumentsSaveAgainUnderTheirIdAndNumber();
    void composedAddress();
    void journalTreeAndFilters();
    void journalDeletesAndFinds();

private:
    std::unique_ptr<TempDatabase> m_db;
    AppContext& app() { return m_db->app; }
    QStringList rows(const QString& sql) { return m_db->rows(sql); }
    std::vector<DocumentRow> selected() {
        const SelectionStatement s = buildSelection({}, false, app().state.ShownServices);
        return documentRows(app().db().query(s.ListSql + u" order by 1"_s));
    }
    DocumentHeader header(const QString& number = u"1"_s, QDate date = QDate(2024, 3, 15)) {
        DocumentHeader h;
        h.number = number;
        h.date = date;
        h.note = u"Примечание \"в кавычках\""_s;
        return h;
    }
    int charge(std::vector<int> services, const QString& number = u"1"_s) {
        const SaveResult r = ::charge(app(), {header(number), selected(), services});
        if (!r.ok())
            qWarning() << r.refusal;
        return r.docId;
    }
    void chargePeriod(const QString& period, int client, const QString& itog) {
        static int id = 1000;
        ++id;
        app().db().execute(
            u"insert into Nachisl1 (IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR) "
            u"values (%1, 900, %2, \"%3\", \"%4\", 0, \"%4\", 1)"_s.arg(
                QString::number(id), QString::number(client), period, itog));
    }
    void addBenefit(int client, const QString& start, const QString& end, int persons,
                    const QString& percent, bool ignoreEnd = false) {
        app().db().execute(
            u"insert into Lgoty (IDL, CLIENT, LGOTA, PRCNT, KOL_LG, DATA_NACH, "
            u"DATA_OKON, BEZ_OKON) values (%1, %2, 1, \"%3\", %4, %5, %6, \"%7\")"_s.arg(
                QString::number(client * 10 + persons), QString::number(client), percent,
                QString::number(persons), start.isEmpty() ? u"Null"_s : u"\""_s + start + u"\""_s,
                end.isEmpty() ? u"Null"_s : u"\""_s + end + u"\""_s, ignoreEnd ? u"1"_s : u"0"_s));
    }
};

void TestDocuments::init() {
    m_db = std::make_unique<TempDatabase>();
    m_db->addSmallOffice();
    app().CurrentUserId = 1;
    app().state.ChargeBenefits = true;
    Connection& db = app().db();
    for (const char* s : {"insert into Tarif1 (CLIENT, TARIF) values (1, \"45,5\")",
                          "insert into Tarif1 (CLIENT, TARIF) values (2, \"45,5\")",
                          "insert into Tarif1 (CLIENT, TARIF) values (3, \"10\")",
                          "insert into Tarif3 (CLIENT, TARIF) values (1, \"2,15\")"})
        db.execute(QString::fromUtf8(s));
}

void TestDocuments::cleanup() {
    m_db.reset();
}

void TestDocuments::numbering() {
    Connection& db = app().db();
    QCOMPARE(newDocument(db, DocType::Charge).id, 1);
    QCOMPARE(newDocument(db, DocType::Charge).number, 1);
    for (int k = 1; k <= 7; ++k)
        db.execute(u"insert into Dokum (IDDOK, TIPDOK, NOMDOK) values (%1, \"1\", %1)"_s.arg(k));
    for (int k = 1; k <= 12; ++k)
        db.execute(u"insert into Dokum (IDDOK, TIPDOK, NOMDOK) values (%1, \"3\", %2)"_s.arg(
            QString::number(k + 20), QString::number(k)));
    QCOMPARE(newDocument(db, DocType::Correction).number, 1);
    QCOMPARE(newDocument(db, DocType::Payment).number, 13);
    QCOMPARE(newDocument(db, DocType::Correction).id, 33);
}

void TestDocuments::dateTest() {
    // month and year: a date a year off is refused too
    QVERIFY(inCurrentPeriod(QDate(2024, 3, 15), u"03.2024"_s));
    QVERIFY(!inCurrentPeriod(QDate(2023, 3, 15), u"03.2024"_s));
    QVERIFY(!inCurrentPeriod(QDate(2024, 4, 1), u"03.2024"_s));
    const SaveResult r = ::charge(app(), {header(u"1"_s, QDate(2024, 4, 1)), selected(), {1}});
    QCOMPARE(r.refusal, DocText::DateOutsidePeriod);
    QVERIFY(r.warning);
    QCOMPARE(m_db->scalar(u"select count(*) from Dokum"_s), u"0"_s);
}

void TestDocuments::chargeAmounts_data() {
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<int>("residents");
    // start|end|persons|percent|ignoreEnd per benefit row, rows joined by ";"
    QTest::addColumn<QString>("benefits");
    QTest::addColumn<QString>("nach");
    QTest::addColumn<QString>("lgot");
    QTest::addColumn<QString>("itog");
    QTest::newRow("worked example") << u"3"_s << u"45,5"_s << 3 << u"15.01.2024|31.12.2024|1|50|0"_s
                                    << u"136,5"_s << u"-22,75"_s << u"113,75"_s;
    QTest::newRow("persons capped at the residents")
        << u"3"_s << u"45,5"_s << 3 << u"15.01.2024|31.12.2024|5|50|0"_s << u"136,5"_s
        << u"-68,25"_s << u"68,25"_s;
    QTest::newRow("two rows share the residents")
        << u"3"_s << u"45,5"_s << 3
        << u"01.01.2024|31.12.2024|2|50|0;01.01.2024|31.12.2024|2|50|0"_s << u"136,5"_s
        << u"-68,25"_s << u"68,25"_s;
    QTest::newRow("starting on the 1st applies")
        << u"1"_s << u"10"_s << 1 << u"01.03.2024|31.12.2024|1|50|0"_s << u"10"_s << u"-5"_s
        << u"5"_s;
    QTest::newRow("starting on the 2nd does not")
        << u"1"_s << u"10"_s << 1 << u"02.03.2024|31.12.2024|1|50|0"_s << u"10"_s << u"0"_s
        << u"10"_s;
    QTest::newRow("ending on the 2nd does not")
        << u"1"_s << u"10"_s << 1 << u"01.01.2024|02.03.2024|1|50|0"_s << u"10"_s << u"0"_s
        << u"10"_s;
    QTest::newRow("ending on the 2nd without end")
        << u"1"_s << u"10"_s << 1 << u"01.01.2024|02.03.2024|1|50|1"_s << u"10"_s << u"-5"_s
        << u"5"_s;
    QTest::newRow("empty dates: start passes, end only without end")
        << u"1"_s << u"10"_s << 2 << u"||1|50|0;||1|50|1"_s << u"10"_s << u"-5"_s << u"5"_s;
    QTest::newRow("area base, benefit on tariff times persons")
        << u"54,35"_s << u"2,15"_s << 3 << u"01.01.2024|31.12.2024|1|50|0"_s << u"116,8525"_s
        << u"-1,08"_s << u"115,7725"_s;
    QTest::newRow("no tariff") << u"3"_s << u"0"_s << 3 << u"01.01.2024|31.12.2024|1|50|0"_s
                               << u"0"_s << u"0"_s << u"0"_s;
}

void TestDocuments::chargeAmounts() {
    QFETCH(QString, quantity);
    QFETCH(QString, tariff);
    QFETCH(int, residents);
    QFETCH(QString, benefits);
    QFETCH(QString, nach);
    QFETCH(QString, lgot);
    QFETCH(QString, itog);
    std::vector<BenefitRow> rows;
    for (const QString& row : benefits.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = row.split(u'|');
        BenefitRow b;
        b.start = QDateTime(QDate::fromString(f[0], u"dd.MM.yyyy"_s), QTime(0, 0));
        b.end = QDateTime(QDate::fromString(f[1], u"dd.MM.yyyy"_s), QTime(0, 0));
        b.persons = f[2].toInt();
        b.percent = *Money::parse(f[3]);
        b.ignoreEnd = f[4] == u"1";
        rows.push_back(b);
    }
    const ChargeAmounts a = ::chargeAmounts(*Money::parse(quantity), *Money::parse(tariff),
                                            residents, rows, Period(3, 2024));
    QCOMPARE(a.NACH.toText(), nach);
    QCOMPARE(a.LGOT.toText(), lgot);
    QCOMPARE(a.ITOG.toText(), itog);
}

void TestDocuments::deductionRounding() {
    // −22,745 → −22,75; −22,744 → −22,74; a negative percent gives +22,745 → 22,75
    QCOMPARE(benefitDeduction(Money::fromInteger(50), *Money::parse(u"45,49"_s), 1).toText(),
             u"-22,75"_s);
    QCOMPARE(benefitDeduction(Money::fromInteger(50), *Money::parse(u"45,488"_s), 1).toText(),
             u"-22,74"_s);
    QCOMPARE(benefitDeduction(Money::fromInteger(-50), *Money::parse(u"45,49"_s), 1).toText(),
             u"22,75"_s);
    // the product is rounded once, to four decimals, halves to even, before the two decimals
    QCOMPARE(benefitDeduction(*Money::parse(u"25,5"_s), *Money::parse(u"0,0001"_s), 1).toText(),
             u"0"_s);
}

void TestDocuments::chargeWritesLinesAndHeader() {
    addBenefit(1, u"15.01.2024"_s, u"31.12.2024"_s, 1, u"50"_s);
    const SaveResult r = ::charge(app(), {header(u"5"_s), selected(), {1, 3}});
    QVERIFY2(r.ok(), qPrintable(r.refusal));
    QCOMPARE(r.docId, 1);
    QCOMPARE(r.number, 5);
    // the excluded subscriber gets no line; a missing tariff gives zeros
    QCOMPARE(
        rows(
            u"select IDR, DOK, CLIENT, PERIOD, NACH, LGOT, ITOG, USR from Nachisl1 order by IDR"_s),
        (QStringList{u"1|1|1|03.2024|136,5|-22,75|113,75|1"_s, u"2|1|3|03.2024|10|0|10|1"_s}));
    QCOMPARE(rows(u"select CLIENT, NACH, LGOT, ITOG from Nachisl3 order by IDR"_s),
             (QStringList{u"1|116,53|-1,08|115,45"_s, u"3|0|0|0"_s}));
    QCOMPARE(
        rows(u"select IDDOK, IDPR, TIPDOK, NOMDOK, NOMPR, DATADOK, SUMMA, OSNOV, USR from Dokum"_s),
        (QStringList{u"1|01|1|5||15.03.2024|239,2|Примечание \"в кавычках\"|1"_s}));
    QCOMPARE(rows(u"select TABL, DEISTV, DOK from Zhurnal order by IDZ"_s),
             (QStringList{u"Dokum|Введен/изменен документ начисления № 5|1"_s,
                          u"Nachisl1|Введены данные документа начисления № 5|1"_s,
                          u"Dokum|Введен/изменен документ начисления № 5|1"_s,
                          u"Nachisl3|Введены данные документа начисления № 5|1"_s}));
    // the current period's snapshot follows
    QCOMPARE(m_db->scalar(u"select count(*) from TEMP1"_s), u"2"_s);

    // benefits off: LGOT 0 and the benefit holders are not read
    app().state.ChargeBenefits = false;
    app().db().execute(u"delete * from Nachisl1"_s);
    app().db().execute(u"delete * from Dokum"_s);
    QVERIFY(charge({1}) > 0);
    QCOMPARE(rows(u"select CLIENT, LGOT, ITOG from Nachisl1 order by IDR"_s),
             (QStringList{u"1|0|136,5"_s, u"3|0|10"_s}));
}

void TestDocuments::chargeAddsToThePeriodsDocument() {
    const int first = charge({1}, u"1"_s);
    QCOMPARE(first, 1);
    // service 1 is charged in the period: its lines join document 1; service 2 gets the new one
    const SaveResult r = ::charge(app(), {header(u"2"_s), selected(), {1, 2}});
    QVERIFY(r.ok());
    QCOMPARE(r.docId, 2);
    QCOMPARE(rows(u"select DOK, count(*) from Nachisl1 group by DOK"_s), QStringList{u"1|4"_s});
    QCOMPARE(rows(u"select DOK, count(*) from Nachisl2 group by DOK"_s), QStringList{u"2|2"_s});
    QCOMPARE(rows(u"select IDDOK, NOMDOK, SUMMA from Dokum order by IDDOK"_s),
             (QStringList{u"1|1|293"_s, u"2|2|0"_s}));
    QCOMPARE(rows(u"select TABL, DEISTV, DOK from Zhurnal where IDZ > 2 order by IDZ"_s),
             (QStringList{u"Dokum|Добавлены данные в док. начисления за 03.2024|1"_s,
                          u"Nachisl1|Введены (добавка) данные документа начисления за 03.2024|1"_s,
                          u"Dokum|Введен/изменен документ начисления № 2|2"_s,
                          u"Nachisl2|Введены данные документа начисления № 2|2"_s}));
    // a new service first, an already charged one second: the new header stays
    QCOMPARE(charge({4}, u"3"_s), 3);
    const SaveResult again = ::charge(app(), {header(u"4"_s), selected(), {3, 4}});
    QVERIFY(again.ok());
    QCOMPARE(rows(u"select IDDOK, NOMDOK from Dokum order by IDDOK"_s),
             (QStringList{u"1|1"_s, u"2|2"_s, u"3|3"_s, u"4|4"_s}));
    QCOMPARE(m_db->scalar(u"select count(*) from Nachisl3 where DOK=4"_s), u"2"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from Nachisl4 where DOK=3"_s), u"4"_s);
}

void TestDocuments::chargeRefusesAndRollsBack() {
    QCOMPARE(::charge(app(), {header(), {}, {1}}).refusal, DocText::NoSubscribers);
    QVERIFY(!::charge(app(), {header(), selected(), {}}).ok());
    QVERIFY(::charge(app(), {header(u"1a"_s), selected(), {1}}).refusal.contains(u"1a"));
    QCOMPARE(m_db->scalar(u"select count(*) from Dokum"_s), u"0"_s);
    // a statement failing half-way leaves nothing behind
    app().db().execute(u"DROP TABLE Nachisl2"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, ::charge(app(), {header(), selected(), {1, 2}}));
    QCOMPARE(m_db->scalar(u"select count(*) from Dokum"_s), u"0"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from Nachisl1"_s), u"0"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from Zhurnal"_s), u"0"_s);
}

void TestDocuments::twoWorkstationsNeverShareANumber() {
    // both offered id 1 and number 1 before either saved
    const NewDocument offered = newDocument(app().db(), DocType::Payment);
    const PaymentLine line = enteredPayment(1, u"101"_s, 1, Money::fromInteger(100));
    DocumentHeader h = header(QString::number(offered.number));
    h.id = offered.id;
    const SaveResult a = pay(app(), {h, {line}});
    const SaveResult b = pay(app(), {h, {line}});
    QCOMPARE(a.docId, 1);
    QCOMPARE(a.number, 1);
    QVERIFY(!a.renumbered);
    QCOMPARE(b.docId, 2);
    QCOMPARE(b.number, 2);
    QVERIFY(b.renumbered);
    QCOMPARE(rows(u"select IDO, DOK from Oplata1 order by IDO"_s),
             (QStringList{u"1|1"_s, u"2|2"_s}));
}

void TestDocuments::correction_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("korr");
    const QDate jan(2024, 1, 1), feb(2024, 2, 10);
    QTest::newRow("worked example: 3 residents instead of 2")
        << 3 << u"3"_s << jan << feb << u"91"_s;
    QTest::newRow("fixed amount") << 2 << u"-150"_s << jan << feb << u"-150"_s;
    QTest::newRow("by the current facts, nothing changed") << 4 << u"0"_s << jan << feb << u"0"_s;
    QTest::newRow("a new tariff") << 1 << u"50"_s << jan << feb << u"18"_s;
}

void TestDocuments::correction() {
    QFETCH(int, kind);
    QFETCH(QString, value);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QString, korr);
    // subscriber 1 had 2 residents in January and February: 91 charged each month
    app().db().execute(u"update Client set KOL=2 where IDC=1"_s);
    chargePeriod(u"01.2024"_s, 1, u"91"_s);
    chargePeriod(u"02.2024"_s, 1, u"91"_s);
    chargePeriod(u"02.2024"_s, 3, u"10"_s);
    CorrectionLine l;
    l.subscriber = 1;
    l.account = u"101"_s;
    l.residents = 2;
    l.kind = CorrectionKind(kind);
    l.value = *Money::parse(value);
    l.start = start;
    l.end = end;
    const SaveResult r = correct(app(), {header(u"4"_s), 1, {l}});
    QVERIFY2(r.ok(), qPrintable(r.refusal));
    const QString dates = kind == 2 ? u"15.03.2024|15.03.2024"_s : u"01.01.2024|10.02.2024"_s;
    QCOMPARE(
        rows(
            u"select IDK, DOK, CLIENT, PERIOD, KORR, NACH, KON, SPOSOB, VELICH, USR from Korrekt1"_s),
        QStringList{
            u"1|1|1|03.2024|%1|%2|%3|%4|1"_s.arg(korr, dates, QString::number(kind), value)});
    QCOMPARE(rows(u"select TIPDOK, NOMDOK, SUMMA from Dokum"_s), QStringList{u"2|4|"_s + korr});
    QCOMPARE(rows(u"select TABL, DEISTV from Zhurnal order by IDZ"_s),
             (QStringList{u"Dokum|Введен/изменен документ коррект. № 4"_s,
                          u"Korrekt1|Введены данные документа коррект. № 4"_s}));
}

void TestDocuments::correctionRefusals() {
    chargePeriod(u"01.2024"_s, 1, u"91"_s);
    chargePeriod(u"01.2024"_s, 1, u"45,5"_s); // charged twice in one period: both count
    addBenefit(1, u"01.12.2023"_s, QString(), 1, u"50"_s, true);
    CorrectionLine l;
    l.subscriber = 1;
    l.account = u"101"_s;
    l.residents = 3;
    l.kind = CorrectionKind::Current;
    l.start = QDate(2024, 1, 1);
    l.end = QDate(2024, 1, 31);
    // 3 × 45,5 − 22,75 (the benefit without end) − 136,5 charged
    SaveResult r = correct(app(), {header(), 1, {l}});
    QVERIFY2(r.ok(), qPrintable(r.refusal));
    QCOMPARE(m_db->scalar(u"select KORR from Korrekt1"_s), u"-22,75"_s);

    // a range without a charged period, an end before the start: refused, nothing written
    app().db().execute(u"delete * from Korrekt1"_s);
    app().db().execute(u"delete * from Dokum"_s);
    for (const auto& [from, to] : {std::pair(QDate(2023, 5, 1), QDate(2023, 6, 1)),
                                   std::pair(QDate(2024, 1, 1), QDate(2023, 12, 1))}) {
        l.start = from;
        l.end = to;
        r = correct(app(), {header(), 1, {l}});
        QVERIFY(r.refusal.contains(u"101"));
        QCOMPARE(m_db->scalar(u"select count(*) from Dokum"_s), u"0"_s);
    }
    // a range touching the current period
    l.end = QDate(2024, 3, 1);
    r = correct(app(), {header(), 1, {l}});
    QVERIFY(r.refusal.contains(DocText::RangeTouchesPeriod));
    QVERIFY(rangeTouchesPeriod(CorrectionKind::Tariff, QDate(2024, 1, 1), QDate(2024, 3, 5),
                               u"03.2024"_s));
    QVERIFY(!rangeTouchesPeriod(CorrectionKind::Amount, QDate(2024, 3, 1), QDate(2024, 3, 5),
                                u"03.2024"_s));
    QCOMPARE(correct(app(), {header(), 1, {}}).refusal, DocText::NoSubscribers);
}

void TestDocuments::payment() {
    const PaymentLine a = enteredPayment(1, u"101"_s, 1, Money::fromInteger(100), 2, u"A\"1'"_s),
                      b = enteredPayment(1, u"101"_s, 2, *Money::parse(u"50,5"_s), 1);
    const DocumentHeader h = header(u"7"_s, QDate(2024, 2, 28));
    const SaveResult r = pay(app(), {h, {a, b}});
    QVERIFY2(r.ok(), qPrintable(r.refusal));
    QCOMPARE(rows(u"select IDDOK, TIPDOK, NOMDOK, DATADOK, SUMMA, OSNOV from Dokum"_s),
             QStringList{u"1|3|7|28.02.2024|150,5|Примечание \"в кавычках\""_s});
    // the lines belong to the period of the document's date, numbered in the document
    QCOMPARE(
        rows(
            u"select IDO, DOK, STROKA, CLIENT, SPOSOB, OPLATA, DATA, PERIOD, KVITANS, USR from Oplata1"_s),
        QStringList{u"1|1|1|1|2|100|28.02.2024|02.2024|A\"1'|1"_s});
    QCOMPARE(rows(u"select STROKA, OPLATA, PERIOD from Oplata2"_s),
             QStringList{u"2|50,5|02.2024"_s});
    QCOMPARE(rows(u"select TABL, DEISTV from Zhurnal order by IDZ"_s),
             (QStringList{u"Dokum|Введен/изменен документ оплаты № 7"_s,
                          u"Oplata|Введены данные документа оплаты № 7"_s}));
    // dated outside the current period: the payers' balances can be recalculated
    QVERIFY(paymentAsksRecalc(app(), h));
    QVERIFY(!paymentAsksRecalc(app(), header()));
    struct Captions : Progress {
        QStringList texts;
        void setText(const QString& t) override { texts << t; }
    } progress;
    recalcPayers(app(), {a, b}, &progress);
    QCOMPARE(progress.texts, (QStringList{u"Производится перерасчет сальдо...  № 1"_s,
                                          u"Производится перерасчет сальдо...  № 2"_s}));
    QCOMPARE(m_db->scalar(u"select SUMMA from Dolg1 where CLIENT=1"_s), u"-100"_s);
    QCOMPARE(paymentTotal({a, b}).toText(), u"150,5"_s);
    // an empty list does nothing
    const SaveResult none = pay(app(), {header(), {}});
    QVERIFY(none.ok());
    QCOMPARE(none.docId, 0);
}

void TestDocuments::paymentRefusals() {
    const PaymentLine good = enteredPayment(1, u"101"_s, 1, Money::fromInteger(10));
    PaymentLine noService = good, noAmount = good, longReceipt = good;
    noService.service = 0;
    noAmount.amountEntered = false;
    longReceipt.receipt = u"12345678901"_s;
    for (const PaymentLine& bad : {noService, noAmount, longReceipt}) {
        const SaveResult r = pay(app(), {header(), {good, bad}});
        QVERIFY(r.refusal.startsWith(u"Строка 2 (л/с 101)"));
    }
    QCOMPARE(m_db->scalar(u"select count(*) from Dokum"_s), u"0"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from Oplata1"_s), u"0"_s);
}

void TestDocuments::storedDocumentsSaveAgainUnderTheirIdAndNumber() {
    // a charge
    const int c = charge({1, 3}, u"3"_s);
    StoredCharge sc = loadCharge(app(), c);
    QCOMPARE(sc.header.number, u"3"_s);
    QCOMPARE(sc.header.date, QDate(2024, 3, 15));
    QCOMPARE(sc.services, (std::vector<int>{1, 3}));
    const std::vector<DocumentRow> chargeRows = documentRows(app().db().query(sc.ListSql));
    QCOMPARE(chargeRows.size(), size_t(2));
    // saved again: its own lines go first, so it stays the period's document, id and number kept
    const SaveResult resaved = ::charge(app(), {sc.header, chargeRows, sc.services});
    QCOMPARE(resaved.docId, c);
    QCOMPARE(resaved.number, 3);
    QCOMPARE(m_db->scalar(u"select count(*) from Nachisl1 where DOK=%1"_s.arg(c)), u"2"_s);
    // a correction of service 3
    chargePeriod(u"01.2024"_s, 1, u"91"_s);
    CorrectionLine l;
    l.subscriber = 1;
    l.account = u"101"_s;
    l.kind = CorrectionKind::Amount;
    l.value = Money::fromInteger(5);
    const SaveResult k = correct(app(), {header(u"1"_s), 3, {l}});
    StoredCorrection stored = loadCorrection(app(), k.docId);
    QCOMPARE(stored.service, 3);
    QCOMPARE(stored.lines.size(), size_t(1));
    QCOMPARE(stored.lines[0].tariff.toText(), u"2,15"_s); // the current tariff of service 3
    QCOMPARE(stored.lines[0].amount.toText(), u"5"_s);
    QCOMPARE(stored.lines[0].address, u"Невельский район, Невель, Ул. Ленина, Д. 5, Кв. "_s);
    // saved again for service 1: nothing stays behind in service 3
    SaveResult again = correct(app(), {stored.header, 1, stored.lines});
    QCOMPARE(again.docId, k.docId);
    QCOMPARE(again.number, 1);
    QCOMPARE(m_db->scalar(u"select count(*) from Korrekt3"_s), u"0"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from Korrekt1"_s), u"1"_s);
    // a payment
    const PaymentLine p = enteredPayment(3, u"103"_s, 2, Money::fromInteger(20), 3);
    const SaveResult pd = pay(app(), {header(u"9"_s), {p}});
    StoredPayment sp = loadPayment(app(), pd.docId);
    QCOMPARE(sp.lines.size(), size_t(1));
    QCOMPARE(sp.lines[0].method, 3);
    QCOMPARE(sp.lines[0].service, 2);
    sp.lines[0].service = 1;
    again = pay(app(), {sp.header, sp.lines});
    QCOMPARE(again.docId, pd.docId);
    QCOMPARE(again.number, 9);
    QCOMPARE(m_db->scalar(u"select count(*) from Oplata2"_s), u"0"_s);
    QCOMPARE(rows(u"select DOK, OPLATA from Oplata1"_s),
             QStringList{QString::number(pd.docId) + u"|20"_s});
    // one header per document
    QCOMPARE(rows(u"select TIPDOK, count(*) from Dokum group by TIPDOK order by TIPDOK"_s),
             (QStringList{u"1|1"_s, u"2|1"_s, u"3|1"_s}));
}

void TestDocuments::composedAddress() {
    QCOMPARE(composeAddress({}, u"Северный"_s, u"Ивановка"_s, u"Лесная"_s, u"5"_s, {}, u"12"_s),
             u"Северный, Ивановка, Ул. Лесная, Д. 5, Кв. 12"_s);
    QCOMPARE(composeAddress({}, u"Р"_s, u"Н"_s, u"Лесная"_s, u"5"_s, u"2"_s, u"12"_s),
             u"Р, Н, Ул. Лесная, Д. 5, Корп 2, , Кв. 12"_s);
    QCOMPARE(::composedAddress(app().db(), 3),
             u"Великие Луки, Городской, , Ул. Мира, Д. 11а, Кв. 3"_s);
}

void TestDocuments::journalTreeAndFilters() {
    const JournalNode root =
        journalTree({QDate(2023, 12, 31), QDate(2024, 1, 1), QDate(2024, 1, 15)});
    QCOMPARE(root.text, u"Все документы"_s);
    QCOMPARE(root.children.size(), size_t(2));
    QCOMPARE(root.children[0].text, u"2023"_s);
    QCOMPARE(root.children[0].children[0].text, u"12.2023"_s);
    QCOMPARE(root.children[0].children[0].children[0].text, u"31.12.2023"_s);
    QCOMPARE(root.children[1].children.size(), size_t(1));
    QCOMPARE(root.children[1].children[0].children.size(), size_t(2));

    QCOMPARE(journalFilter(u"Все документы"_s, 0), QString());
    QCOMPARE(journalFilter(u"Все документы"_s, 3), u" where TIPDOK=\"3\""_s);
    QCOMPARE(journalFilter(u"2024"_s, 3),
             u" Where ((DATADOK > #12/31/2023#) and (DATADOK < #01/01/2025#) and TIPDOK=\"3\")"_s);
    QCOMPARE(journalFilter(u"01.2024"_s, 0),
             u" Where ((DATADOK > #12/31/2023#) and (DATADOK < #02/01/2024#))"_s);
    QCOMPARE(journalFilter(u"12.2023"_s, 1),
             u" Where ((DATADOK > #11/30/2023#) and (DATADOK < #01/01/2024#) and TIPDOK=\"1\")"_s);
    QCOMPARE(journalFilter(u"15.01.2024"_s, 0), u" Where ((DATADOK = #01/15/2024#))"_s);

    // on stored documents: the month and the year select by date, the tab by type
    Connection& db = app().db();
    const char* docs[] = {"1, \"1\", \"31.12.2023\"", "2, \"3\", \"01.01.2024\"",
                          "3, \"3\", \"15.01.2024\"", "4, \"1\", \"01.02.2024\""};
    for (const char* d : docs)
        db.execute(
            u"insert into Dokum (IDDOK, TIPDOK, DATADOK) values (%1)"_s.arg(QString::fromUtf8(d)));
    const auto ids = [&](const QString& node, int tab) {
        QStringList out;
        for (const QString& r : rows(journalListSql(journalFilter(node, tab))))
            out << r.section(u'|', 5, 5);
        return out;
    };
    QCOMPARE(ids(u"01.2024"_s, 0), (QStringList{u"2"_s, u"3"_s}));
    QCOMPARE(ids(u"12.2023"_s, 0), QStringList{u"1"_s});
    QCOMPARE(ids(u"2024"_s, 3), (QStringList{u"2"_s, u"3"_s}));
    QCOMPARE(ids(u"15.01.2024"_s, 0), QStringList{u"3"_s});
    QCOMPARE(ids(u"Все документы"_s, 1), (QStringList{u"1"_s, u"4"_s}));
    QCOMPARE(documentDates(db).size(), size_t(4));
}

void TestDocuments::journalDeletesAndFinds() {
    const PaymentLine a = enteredPayment(1, u"101"_s, 2, Money::fromInteger(10), 0, u"77\"1"_s);
    const int paid = pay(app(), {header(u"1"_s), {a}}).docId;
    const int charged = charge({1, 3});
    QCOMPARE(findReceipt(app(), u"77\"1"_s), paid);
    QCOMPARE(findReceipt(app(), u"78"_s), 0);
    // a document goes with all its lines and two journal lines
    app().db().execute(u"delete * from Zhurnal"_s);
    QVERIFY(deleteDocument(app(), charged));
    QCOMPARE(m_db->scalar(u"select count(*) from Dokum where IDDOK=%1"_s.arg(charged)), u"0"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from Nachisl1"_s), u"0"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from Nachisl3"_s), u"0"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from TEMP1"_s), u"0"_s);
    QCOMPARE(rows(u"select TABL, DEISTV, DOK from Zhurnal order by IDZ"_s),
             (QStringList{
                 u"Dokum|Удален документ! TIPDOK=1, NOMDOK=1, DATADOK=15.03.2024|%1"_s.arg(charged),
                 u"Nachisl|Удалены значения по документу|%1"_s.arg(charged)}));
    QCOMPARE(m_db->scalar(u"select count(*) from Oplata2"_s), u"1"_s);
    QVERIFY(!deleteDocument(app(), 999));
    // a failure half-way leaves the document whole
    app().db().execute(u"DROP TABLE Oplata3"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, deleteDocument(app(), paid));
    QCOMPARE(m_db->scalar(u"select count(*) from Dokum where IDDOK=%1"_s.arg(paid)), u"1"_s);
    QCOMPARE(m_db->scalar(u"select count(*) from Oplata2"_s), u"1"_s);
}

QTEST_GUILESS_MAIN(TestDocuments)
#include "tst_documents.moc"
