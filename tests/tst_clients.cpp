#include "app/benefits.h"
#include "app/card.h"
#include "app/clients.h"
#include "period/balance.h"
#include "period/snapshot.h"
#include "testsupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The subscriber register (add, delete, mass processing), the card's load and save, and one
// subscriber's balance recalculation, on the small office (period 03.2024).
class TestClients : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_db.reset(); }
    void newIdsAndAccounts_data();
    void newIdsAndAccounts();
    void deletion_data();
    void deletion();
    void massProcessing_data();
    void massProcessing();
    void refusedMassChangeWritesNothing_data();
    void refusedMassChangeWritesNothing();
    void cardLoadsDefaults();
    void cardSave();
    void cardRefusals_data();
    void cardRefusals();
    void cardDefaultAccount_data();
    void cardDefaultAccount();
    void recalculation();
    void benefitStatements();
    void benefitSaveAndCorrect();

private:
    std::unique_ptr<TempDatabase> m_db;
    AppContext& app() { return m_db->app; }
    QStringList rows(const QString& sql) { return m_db->rows(sql); }
    QString scalar(const QString& sql) { return m_db->scalar(sql); }
};

void TestClients::init() {
    m_db = std::make_unique<TempDatabase>();
    m_db->addSmallOffice();
    app().CurrentUserId = 1;
    TEMPUpdate(app()); // as the login does
}

void TestClients::newIdsAndAccounts_data() {
    QTest::addColumn<int>("maxId");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("account");
    QTest::newRow("99998") << 99998 << 99999 << u"99999"_s;
    QTest::newRow("99999") << 99999 << 100000 << u"1100000"_s;
}

void TestClients::newIdsAndAccounts() {
    QFETCH(int, maxId);
    QFETCH(int, id);
    QFETCH(QString, account);
    m_db->db().execute(u"insert into Client (IDC, LS) values (%1, \"x\")"_s.arg(maxId));
    QCOMPARE(Clients::addClient(app()), id);
    QCOMPARE(scalar(u"select LS from Client where IDC=%1"_s.arg(id)), account);
    QCOMPARE(rows(u"select DEISTV, CLIENT from Zhurnal"_s),
             QStringList{u"Начат ввод нового абонента IDC=%1|%1"_s.arg(id)});
    // the list of the new subscriber shows it without an address
    QCOMPARE(m_db->db().query(Clients::newClientListSql(id)).rowCount, 1);
}

void TestClients::deletion_data() {
    QTest::addColumn<QString>("movement");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("no movements") << QString() << true << true;
    QTest::newRow("payments do not prevent it")
        << u"insert into Oplata1 (IDO, CLIENT, OPLATA, PERIOD) values (1, 2, 10, \"03.2024\")"_s
        << true << true;
    QTest::newRow("a charge in any service prevents it")
        << u"insert into Nachisl3 (IDR, CLIENT, ITOG, PERIOD) values (1, 2, 10, \"02.2024\")"_s
        << true << false;
    QTest::newRow("Нет") << QString() << false << false;
}

void TestClients::deletion() {
    QFETCH(QString, movement);
    QFETCH(bool, answer);
    QFETCH(bool, deleted);
    if (!movement.isEmpty())
        m_db->db().execute(movement);
    m_db->db().execute(u"insert into Tarif1 (CLIENT, TARIF) values (2, 5)"_s);
    ScriptedPrompter p;
    p.answers = {answer};
    QCOMPARE(Clients::deleteClient(app(), p, 2), deleted);
    QCOMPARE(scalar(u"select count(*) from Client where IDC=2"_s), deleted ? u"0"_s : u"1"_s);
    QCOMPARE(scalar(u"select count(*) from Tarif1 where CLIENT=2"_s), u"1"_s); // other rows stay
    QCOMPARE(rows(u"select DEISTV from Zhurnal"_s),
             deleted ? QStringList{u"УДАЛЕН АБОНЕНТ!"_s} : QStringList{});
    if (answer && !deleted)
        QCOMPARE(
            p.warnings,
            QStringList{
                u"По данному абоненту (IDC=2) производились начисления. Удалить его нельзя! Обратитесь к администратору!"_s});
}

void TestClients::massProcessing_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("journal");
    QTest::newRow("tariff") << int(Clients::MassKind::Tariff)
                            << u"select CLIENT, TARIF from Tarif2 order by CLIENT"_s
                            << QStringList{u"1|12,5"_s, u"2|12,5"_s, u"3|12,5"_s}
                            << u"Произведена смена тарифа"_s;
    QTest::newRow("exclude") << int(Clients::MassKind::Inclusion)
                             << u"select TIPZ from Client where IDC < 4 order by IDC"_s
                             << QStringList{u"isk"_s, u"isk"_s, u"isk"_s}
                             << u"Вкл/Искл в/из начисления, TIPZ=\"isk\""_s;
    QTest::newRow("area") << int(Clients::MassKind::Area)
                          << u"select UCH from Client where IDC < 4 order by IDC"_s
                          << QStringList{u"2"_s, u"2"_s, u"2"_s} << u"Изменен участок, UCH=2"_s;
    QTest::newRow("address")
        << int(Clients::MassKind::Address)
        << u"select RG & GD & RN & NP & ST & \"/\" & DOM & \"/\" & KORP & \"/\" & USR from Client where IDC = 3"_s
        << QStringList{u"10111/12\"а/2/1"_s} << u"Массовое изменение адресов USR= 1"_s;
}

void TestClients::massProcessing() {
    QFETCH(int, kind);
    QFETCH(QString, check);
    QFETCH(QStringList, expected);
    QFETCH(QString, journal);
    m_db->db().execute(u"insert into Tarif2 (CLIENT, TARIF) values (2, 7)"_s);
    Clients::MassChange c;
    c.kind = Clients::MassKind(kind);
    c.service = 1;
    c.tariff = u"12,5"_s;
    c.exclude = true;
    c.area = 2;
    c.RG = 1;
    c.NP = 1;
    c.RN = 1;
    c.ST = 1;
    c.house = u"12\"а"_s;
    c.building = u"2"_s;
    QCOMPARE(Clients::massProcess(app(), {1, 2, 3}, c), QString());
    QCOMPARE(rows(check), expected);
    QCOMPARE(rows(u"select DEISTV from Zhurnal"_s), QStringList{journal});
}

void TestClients::refusedMassChangeWritesNothing_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("service");
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("tariff with a point")
        << 0 << 0 << u"12.5"_s << u"Тариф услуги «Холодное водоснабжение» — «12.5»"_s;
    QTest::newRow("tariff with letters") << 0 << 0 << u"abc"_s << u"Тариф услуги"_s;
    QTest::newRow("no service") << 0 << -1 << u"12"_s << u"Выберите услугу"_s;
    QTest::newRow("no area") << 2 << 0 << QString() << u"Выберите участок"_s;
    QTest::newRow("address without a street")
        << 3 << 0 << QString() << u"Адресные данные заполнены не полностью!"_s;
}

void TestClients::refusedMassChangeWritesNothing() {
    QFETCH(int, kind);
    QFETCH(int, service);
    QFETCH(QString, tariff);
    QFETCH(QString, refusal);
    m_db->db().execute(u"insert into Tarif1 (CLIENT, TARIF) values (1, 7)"_s);
    Clients::MassChange c;
    c.kind = Clients::MassKind(kind);
    if (service >= 0)
        c.service = service;
    c.tariff = tariff;
    const QString said = Clients::massProcess(app(), {1, 2}, c);
    QVERIFY2(said.startsWith(refusal), qPrintable(said));
    QCOMPARE(rows(u"select CLIENT, TARIF from Tarif1"_s),
             QStringList{u"1|7"_s}); // the old tariff stays
    QCOMPARE(rows(u"select ST from Client where IDC=1"_s), QStringList{u"1"_s});
    QCOMPARE(scalar(u"select count(*) from Zhurnal"_s), u"0"_s);
}

void TestClients::cardLoadsDefaults() {
    m_db->db().execute(u"insert into Tarif2 (CLIENT, TARIF) values (1, \"12,75\")"_s);
    const Card::Data d = Card::load(app(), 1);
    QCOMPARE(d.LS, u"101"_s);
    QCOMPARE(d.OB_PL, u"54,2"_s);
    QCOMPARE(d.tariffs, (std::vector<QString>{u"0,0"_s, u"12,75"_s, u"0,0"_s, u"0,0"_s}));
    QVERIFY(!d.PAS_D.isValid());
    Money total = Money::fromInteger(99);
    const auto f = Card::figures(app(), 1, &total);
    QCOMPARE(f.size(), size_t(4));
    QCOMPARE(f[0].opening.toText(), u"136,5"_s); // Dolg1
    QCOMPARE(f[0].toPay.toText(), u"136,5"_s);
    QCOMPARE(f[1].toPay.toText(), u"0"_s);
    QCOMPARE(total.toText(), u"136,5"_s);
}

void TestClients::cardSave() {
    Card::Data d = Card::load(app(), 1);
    d.FIO = u"Иванов \"Младший\""_s;
    d.ZIP = u"182100"_s;
    d.DATA_ROZHD = QDate(1970, 5, 6);
    d.KOL = QString(); // empty numbers become 0
    d.excluded = true;
    d.tariffs[0] = u"15,5"_s;
    QCOMPARE(Card::save(app(), 1, d), QString());
    QCOMPARE(rows(u"select FIO, ZIP, DATA_ROZHD, KOL, TIPZ, PAS_D, USR from Client where IDC=1"_s),
             QStringList{u"Иванов \"Младший\"|182100|06.05.1970|0|isk||1"_s});
    QCOMPARE(rows(u"select TARIF from Tarif1 where CLIENT=1"_s), QStringList{u"15,5"_s});
    QCOMPARE(rows(u"select TARIF from Tarif2 where CLIENT=1"_s), QStringList{u"0"_s}); // "0,0"
    QCOMPARE(rows(u"select DEISTV, CLIENT from Zhurnal"_s),
             QStringList{u"Изменены даные абонента|1"_s});
    QVERIFY(
        Card::updateStatement(app(), 1, d)
            .contains(
                u", PAS_K= \"\", KOL= \"0\", OB_PL= \"54,2\", ZH_PL= \"40\", ZIP= \"182100\", DATA_ROZHD = \"06.05.1970\",  RG = 1 , GD = 0"_s));
}

void TestClients::cardRefusals_data() {
    QTest::addColumn<int>("GD");
    QTest::addColumn<int>("NP");
    QTest::addColumn<int>("ST");
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("no city and no settlement")
        << 0 << 0 << 1 << u"1"_s << u"Адресные данные заполнены не полностью!"_s;
    QTest::newRow("no street") << 1 << 0 << 0 << u"1"_s
                               << u"Адресные данные заполнены не полностью!"_s;
    QTest::newRow("tariff not a number")
        << 0 << 1 << 1 << u"1.5"_s
        << u"Тариф услуги «Холодное водоснабжение» — «1.5» — не число."_s;
}

void TestClients::cardRefusals() {
    QFETCH(int, GD);
    QFETCH(int, NP);
    QFETCH(int, ST);
    QFETCH(QString, tariff);
    QFETCH(QString, refusal);
    m_db->db().execute(u"insert into Tarif1 (CLIENT, TARIF) values (1, 7)"_s);
    Card::Data d = Card::load(app(), 1);
    d.GD = GD;
    d.NP = NP;
    d.ST = ST;
    d.FIO = u"Другой"_s;
    d.tariffs[0] = tariff;
    QVERIFY(Card::save(app(), 1, d).startsWith(refusal));
    QCOMPARE(scalar(u"select FIO from Client where IDC=1"_s), u"Иванов Иван Иванович"_s);
    QCOMPARE(rows(u"select TARIF from Tarif1"_s), QStringList{u"7"_s});
    QCOMPARE(scalar(u"select count(*) from Zhurnal"_s), u"0"_s);
}

void TestClients::cardDefaultAccount_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("account");
    QTest::newRow("7") << 7 << u"7"_s;
    QTest::newRow("123456") << 123456 << u"1123456"_s;
}

void TestClients::cardDefaultAccount() {
    QFETCH(int, id);
    QFETCH(QString, account);
    m_db->db().execute(u"insert into Client (IDC, LS, ST, NP) values (%1, \"\", 1, 1)"_s.arg(id));
    Card::Data d = Card::load(app(), id);
    QCOMPARE(Card::save(app(), id, d), QString());
    QCOMPARE(scalar(u"select LS from Client where IDC=%1"_s.arg(id)), account);
}

void TestClients::recalculation() {
    Connection& db = m_db->db();
    // service 1: charges of 01 and 02.2024, a correction and a payment; current period 03.2024
    db.execute(
        u"insert into Nachisl1 (IDR, CLIENT, ITOG, PERIOD) values (1, 1, \"100,5\", \"01.2024\")"_s);
    db.execute(
        u"insert into Nachisl1 (IDR, CLIENT, ITOG, PERIOD) values (2, 1, \"50\", \"02.2024\")"_s);
    db.execute(
        u"insert into Nachisl1 (IDR, CLIENT, ITOG, PERIOD) values (3, 1, \"999\", \"03.2024\")"_s);
    db.execute(
        u"insert into Korrekt1 (IDK, CLIENT, KORR, PERIOD) values (1, 1, \"-0,25\", \"02.2024\")"_s);
    db.execute(
        u"insert into Oplata1 (IDO, CLIENT, OPLATA, PERIOD) values (1, 1, \"40\", \"01.2024\")"_s);
    db.execute(
        u"insert into Nachisl1 (IDR, CLIENT, ITOG, PERIOD) values (4, 2, \"7\", \"01.2024\")"_s);
    PereschetSaldoOdnogo(app(), 1);
    PereschetSaldoOdnogo(app(), 1); // twice: still one row per service
    QCOMPARE(rows(u"select SUMMA from Dolg1 where CLIENT=1"_s), QStringList{u"110,25"_s});
    QCOMPARE(rows(u"select SUMMA from Dolg2 where CLIENT=1"_s), QStringList{u"0"_s});
    QCOMPARE(scalar(u"select count(*) from Dolg1 where CLIENT=2"_s), u"0"_s); // others untouched

    // no period before the current one: only opening rows "00.0000" count
    TempDatabase fresh;
    fresh.db().execute(
        u"insert into Nachisl1 (IDR, CLIENT, ITOG, PERIOD) values (1, 5, \"8\", \"00.0000\")"_s);
    fresh.db().execute(
        u"insert into Nachisl1 (IDR, CLIENT, ITOG, PERIOD) values (2, 5, \"3\", \"03.2024\")"_s);
    PereschetSaldoOdnogo(fresh.app, 5);
    QCOMPARE(fresh.rows(u"select SUMMA from Dolg1 where CLIENT=5"_s), QStringList{u"8"_s});
}

void TestClients::benefitStatements() {
    const QDate today(2024, 3, 15);
    Benefits::Holder h;
    h.kind = 2;
    h.percent = Money::fromInteger(50);
    h.DATA_NACH = today;
    h.DOK_D = today; // today: not written
    QCOMPARE(
        Benefits::insertStatement(1, h, 1, today),
        u"insert into Lgoty (CLIENT , LGOTA , DATA_OKON ,PRCNT , DATA_NACH , BESSROCH , BEZ_OKON ,IDL)  values ( 1 , 2"
        " , \"31.12.2999\" , \"50\" , \"15.03.2024\" , \"1\" , \"0\" ,1)"_s);
    h.FIO_LG = u"Иванова \"Мл.\""_s;
    h.KOL_LG = u"3"_s;
    h.DOK_D = QDate(2020, 1, 2);
    h.unlimited = false;
    h.DATA_OKON = QDate(2025, 1, 1);
    h.ignoreEnd = true;
    h.percent = Money::fromUnits(125000);
    QCOMPARE(
        Benefits::updateStatement(1, h, 7, today),
        u"update Lgoty set  CLIENT=1 ,LGOTA=2 ,FIO_LG=\"Иванова \"\"Мл.\"\"\" ,KOL_LG=3 ,DOK_D=\"02.01.2020\""
        " ,DATA_OKON=\"01.01.2025\" ,PRCNT=\"12,5\" ,DATA_NACH=\"15.03.2024\" ,BESSROCH=\"0\" ,BEZ_OKON=\"1\" where IDL=7"_s);
}

void TestClients::benefitSaveAndCorrect() {
    const QDate today(2024, 3, 15);
    Benefits::Holder h;
    QCOMPARE(Benefits::save(app(), 1, h, std::nullopt, today).refusal,
             u"Вы не указали льготу!!!"_s);
    h.kind = 1;
    h.KOL_LG = u"2, FIO_LG=\"x\""_s;
    QVERIFY(Benefits::save(app(), 1, h, std::nullopt, today).refusal.contains(u"не число"_s));
    QCOMPARE(scalar(u"select count(*) from Lgoty"_s), u"0"_s);
    h.KOL_LG = u"2"_s;
    h.DATA_NACH = today;
    QCOMPARE(Benefits::save(app(), 1, h, std::nullopt, today).idl, 1); // the first ever: 1
    QCOMPARE(Benefits::save(app(), 3, h, std::nullopt, today).idl, 2); // table-wide maximum + 1
    QCOMPARE(
        rows(u"select IDL, CLIENT, KOL_LG, DATA_OKON, BESSROCH, DOK_D from Lgoty order by IDL"_s),
        (QStringList{u"1|1|2|31.12.2999|1|"_s, u"2|3|2|31.12.2999|1|"_s}));
    auto stored = Benefits::load(app(), 2, today);
    QVERIFY(stored && stored->unlimited);
    stored->FIO_LG = u"Петров"_s;
    stored->unlimited = false;
    stored->DATA_OKON = QDate(2024, 12, 31);
    QCOMPARE(Benefits::save(app(), 3, *stored, 2, today).idl, 2);
    QCOMPARE(rows(u"select FIO_LG, DATA_OKON, BESSROCH from Lgoty where IDL=2"_s),
             QStringList{u"Петров|31.12.2024|0"_s});
    QCOMPARE(rows(u"select DEISTV from Zhurnal order by IDZ"_s),
             (QStringList{u"Введен новый льготник IDL=1"_s, u"Введен новый льготник IDL=2"_s,
                          u"Изменены параметры льготника IDL=2"_s}));
    QCOMPARE(m_db->db().query(Benefits::listSql(3)).rowCount, 1);
    QVERIFY(!Benefits::load(app(), 99, today));
}

QTEST_GUILESS_MAIN(TestClients)
#include "tst_clients.moc"
