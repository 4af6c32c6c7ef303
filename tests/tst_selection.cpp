#include "documents/selection.h"
#include "testsupport.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The selection statement and the address lists, as text and run on a small office.
class TestSelection : public QObject {
    Q_OBJECT
private slots:
    void noCriteriaTakesSettlementsAndCities();
    void clause_data();
    void clause();
    void otherModesListTheChargeColumns();
    void statementsRunAndSelect_data();
    void statementsRunAndSelect();
    void gridAddAndRemove();
    void addressLists_data();
    void addressLists();

private:
    static std::vector<TVidUslugi> oneService() {
        return {{1, u"Холодная вода"_s, u"ХВС"_s, u"KOL"_s}};
    }
};

void TestSelection::noCriteriaTakesSettlementsAndCities() {
    const SelectionStatement s = buildSelection({}, true, oneService());
    QCOMPARE(s.SelectionFilter, QString());
    QCOMPARE(
        s.ListSql,
        u"SELECT Client.LS as Лицевой_счет, Client.FIO as Фамилия_Имя_Отчество, NasPunkt.NAME as Нас_пункт, "
        "Street.NAME as Улица, Client.DOM as Дом, Client.KORP as Корпус, Client.KVART as Квартира, "
        "[Dolg1].[SUMMA] AS 'ХВС' , Client.IDC, Client.TIPZ FROM ( Street INNER JOIN (Rajon INNER JOIN "
        "(NasPunkt INNER JOIN Client ON NasPunkt.ID = Client.NP) ON Rajon.ID = Client.RN) ON Street.ID = "
        "Client.ST ) LEFT JOIN Dolg1 ON Client.IDC=Dolg1.CLIENT  union SELECT Client.LS as Лицевой_счет, "
        "Client.FIO as Фамилия_Имя_Отчество, Gorod.NAME as Город, Street.NAME as Улица, Client.DOM as Дом, "
        "Client.KORP as Корпус, Client.KVART as Квартира, [Dolg1].[SUMMA] AS 'ХВС', Client.IDC, Client.TIPZ "
        "FROM ((Street INNER JOIN Client ON Street.ID = Client.ST) INNER JOIN Gorod ON Client.GD = Gorod.ID "
        ") LEFT JOIN Dolg1 ON Client.IDC=Dolg1.CLIENT"_s);
}

void TestSelection::clause_data() {
    QTest::addColumn<SelectionCriteria>("criteria");
    QTest::addColumn<QString>("filter");
    auto row = [](const char* name, SelectionCriteria c, const QString& filter) {
        QTest::newRow(name) << c << filter;
    };
    SelectionCriteria c;
    c.account = u"101"_s;
    c.hasApartment = true;
    row("account and has an apartment", c,
        uR"(WHERE (((Client.LS)= "101") and ((Client.KVART)>"")))"_s);
    c = {};
    c.apartment = u"15"_s;
    c.hasApartment = true;
    row("ticked box ignores the apartment number", c, uR"(WHERE (((Client.KVART)>"")))"_s);
    c = {};
    c.apartment = u"15"_s;
    row("apartment", c, uR"(WHERE (((Client.KVART)= "15")))"_s);
    c = {};
    c.house = u"5-7"_s;
    row("house range", c, uR"(WHERE (((Client.DOM) BETWEEN "5" and "7")))"_s);
    c = {};
    c.name = u"иван"_s;
    c.building = u"2"_s;
    row("name part and building", c,
        uR"(WHERE (((Client.FIO) like  "%иван%") and ((Client.KORP)= "2")))"_s);
    c = {};
    c.name = uR"(О"Нил)"_s;
    row("a quote is doubled", c, uR"(WHERE (((Client.FIO) like  "%О""Нил%")))"_s);
    c = {};
    c.region = 1;
    c.district = 2;
    c.settlement = 3;
    c.street = 4;
    c.area = 5;
    row("lists in order", c,
        u"WHERE (((Client.RG)= 1) and ((Client.RN)= 2) and ((Client.NP)= 3) and ((Client.ST)= 4) and ((Client.UCH)= 5))"_s);
}

void TestSelection::clause() {
    QFETCH(SelectionCriteria, criteria);
    QFETCH(QString, filter);
    const SelectionStatement s = buildSelection(criteria, true, oneService());
    QCOMPARE(s.SelectionFilter, filter);
    QVERIFY(s.ListSql.endsWith(u".CLIENT "_s + filter));
    // both forms, the settlements' and the cities', take the criteria
    QCOMPARE(s.ListSql.count(u" union "_s), 1);
    QCOMPARE(s.ListSql.count(filter), 2);
}

void TestSelection::otherModesListTheChargeColumns() {
    SelectionCriteria c;
    c.city = 1;
    const SelectionStatement s = buildSelection(c, false, oneService());
    QVERIFY(s.ListSql.startsWith(
        u"SELECT Client.LS as Лицевой_счет, Client.FIO as Фамилия_Имя_Отчество, Gorod.NAME as Город, "
        "Street.NAME as Улица, Client.DOM as Дом, Client.KORP as Корпус, Client.KVART as Квартира, "
        "KOL, OB_PL, ZH_PL, [Dolg1].[SUMMA] AS Dolg1, [Tarif1].[TARIF] AS Tarif1, Client.IDC, Client.TIPZ FROM (("_s));
    // the city form, a blank, then the clause
    QVERIFY(s.ListSql.endsWith(
        u") LEFT JOIN Tarif1 ON Client.IDC=Tarif1.CLIENT WHERE (((Client.GD)= 1))"_s));
}

void TestSelection::statementsRunAndSelect_data() {
    QTest::addColumn<SelectionCriteria>("criteria");
    QTest::addColumn<bool>("plain");
    QTest::addColumn<QStringList>("accounts");
    SelectionCriteria c;
    QTest::newRow("everybody with an address")
        << c << true << QStringList{u"101"_s, u"102"_s, u"103"_s};
    QTest::newRow("everybody, document mode")
        << c << false << QStringList{u"101"_s, u"102"_s, u"103"_s};
    c.name = uR"(О"Нил)"_s;
    c.city = 1;
    QTest::newRow("a quote in the name") << c << true << QStringList{u"103"_s};
    c = {};
    c.house = u"1-6"_s;
    c.city = 1;
    QTest::newRow("house range is a text range") << c << true << QStringList{u"103"_s};
    c = {};
    c.name = u"нил"_s;
    QTest::newRow("with criteria but no city, cities too") << c << true << QStringList{u"103"_s};
    c = {};
    c.area = 1;
    QTest::newRow("criteria select in both forms") << c << false << QStringList{u"101"_s, u"103"_s};
    c = {};
    c.city = 1;
    QTest::newRow("city form") << c << false << QStringList{u"103"_s};
    c = {};
    c.area = 2;
    QTest::newRow("area") << c << true << QStringList{u"102"_s};
    c = {};
    c.account = u"999"_s;
    QTest::newRow("no rows is an empty list") << c << true << QStringList{};
}

void TestSelection::statementsRunAndSelect() {
    QFETCH(SelectionCriteria, criteria);
    QFETCH(bool, plain);
    QFETCH(QStringList, accounts);
    TempDatabase t;
    t.addSmallOffice();
    const SelectionStatement s = buildSelection(criteria, plain, t.app.state.ShownServices);
    QStringList got;
    for (const QString& row : t.rows(SelectionSql::sorted(s.ListSql, u"Лицевой_счет"_s)))
        got << row.section(u'|', 0, 0);
    QCOMPARE(got, accounts);
}

void TestSelection::gridAddAndRemove() {
    TempDatabase t;
    t.addSmallOffice();
    SelectionCriteria c;
    c.area = 1;
    const SelectionStatement s = buildSelection(c, false, t.app.state.ShownServices);
    const QString twice = SelectionSql::added(s.ListSql, s.ListSql);
    // the list's UNION of its two forms keeps a subscriber of both selections once
    QCOMPARE(t.rows(twice).size(), 2);
    QCOMPARE(t.rows(SelectionSql::removed(twice, s.SelectionFilter)), QStringList{});
    // the count comes from Client alone: the city subscriber of the area counts too
    QCOMPARE(t.scalar(SelectionSql::count(s.SelectionFilter)), u"2"_s);
    QCOMPARE(t.scalar(SelectionSql::residents(s.SelectionFilter)), u"4"_s);
}

void TestSelection::addressLists_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<AddressIds>("ids");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("names");
    AddressIds ids;
    ids.region = 1;
    QTest::newRow("districts of a region without a city")
        << int(AddressLevel::District) << ids << u"select * from Rajon where RG = 1and GD = 0"_s
        << u"Невельский район"_s;
    ids.city = 1;
    QTest::newRow("districts of a city")
        << int(AddressLevel::District) << ids << u"select * from Rajon where RG = 1and GD = 1"_s
        << u"Городской"_s;
    QTest::newRow("streets of a city, sorted")
        << int(AddressLevel::Street) << ids << u"select * from Street where GD = 1 order by NAME"_s
        << u"Гагарина,Мира"_s;
    ids = {};
    ids.settlement = 1;
    QTest::newRow("streets of a settlement")
        << int(AddressLevel::Street) << ids << u"select * from Street where NP = 1 order by NAME"_s
        << u"Ленина"_s;
    QTest::newRow("areas") << int(AddressLevel::Area) << ids << u"select * from Uchastok "_s
                           << u"Иванова Т.П.,Петров С.С."_s;
}

void TestSelection::addressLists() {
    QFETCH(int, level);
    QFETCH(AddressIds, ids);
    QFETCH(QString, sql);
    QFETCH(QString, names);
    QCOMPARE(addressListSql(AddressLevel(level), ids), sql);
    TempDatabase t;
    t.addSmallOffice();
    QStringList got;
    for (const QString& row : t.rows(sql))
        got << row.section(u'|', 1, 1);
    QCOMPARE(got.join(u','), names);
}

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
