#include "common/cp1251.h"
#include "common/dates.h"
#include "common/money.h"
#include "common/period.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCommon : public QObject {
    Q_OBJECT
private slots:
    void currencyText_data();
    void currencyText();
    void parseRefusesOtherForms_data();
    void parseRefusesOtherForms();
    void productRoundsHalfToEven_data();
    void productRoundsHalfToEven();
    void roundHalfAway2_data();
    void roundHalfAway2();
    void fromDouble();
    void periodParse_data();
    void periodParse();
    void periodOrderAndSteps();
    void dates();
    void cp1251RoundTrip();
};

void TestCommon::currencyText_data() {
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("text");
    QTest::newRow("one decimal") << qint64(1365000) << QStringLiteral("136,5");
    QTest::newRow("negative") << qint64(-682500) << QStringLiteral("-68,25");
    QTest::newRow("whole") << qint64(1000000) << QStringLiteral("100");
    QTest::newRow("smallest") << qint64(1) << QStringLiteral("0,0001");
    QTest::newRow("negative below one") << qint64(-50) << QStringLiteral("-0,005");
    QTest::newRow("zero") << qint64(0) << QStringLiteral("0");
    QTest::newRow("four decimals") << qint64(1168525) << QStringLiteral("116,8525");
}

void TestCommon::currencyText() {
    QFETCH(qint64, units);
    QFETCH(QString, text);
    QCOMPARE(Money::fromUnits(units).toText(), text);
    const auto parsed = Money::parse(text);
    QVERIFY(parsed);
    QCOMPARE(parsed->units(), units);
}

void TestCommon::parseRefusesOtherForms_data() {
    QTest::addColumn<QString>("text");
    for (const char* t : {"", "12.5", "1 000", "1,", ",5", "12,34567", "abc", "+5", " 5", "5 ",
                          "--1", "1,2,3", "١٢"})
        QTest::newRow(t) << QString::fromUtf8(t);
}

void TestCommon::parseRefusesOtherForms() {
    QFETCH(QString, text);
    QVERIFY(!Money::parse(text).has_value());
}

void TestCommon::productRoundsHalfToEven_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("product");
    QTest::newRow("residents x tariff") << u"3"_s << u"45,5"_s << u"136,5"_s;
    QTest::newRow("area keeps four decimals") << u"54,35"_s << u"2,15"_s << u"116,8525"_s;
    QTest::newRow("half to even, down") << u"0,0001"_s << u"0,5"_s << u"0"_s;
    QTest::newRow("half to even, up") << u"0,0003"_s << u"0,5"_s << u"0,0002"_s;
    QTest::newRow("negative half") << u"-0,0001"_s << u"0,5"_s << u"0"_s;
    QTest::newRow("benefit product") << u"0,5"_s << u"45,5"_s << u"22,75"_s;
}

void TestCommon::productRoundsHalfToEven() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, product);
    QCOMPARE((*Money::parse(a) * *Money::parse(b)).toText(), product);
}

void TestCommon::roundHalfAway2_data() {
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("rounded");
    QTest::newRow("negative half away") << u"-22,745"_s << u"-22,75"_s;
    QTest::newRow("negative below half") << u"-22,744"_s << u"-22,74"_s;
    QTest::newRow("positive half away") << u"22,745"_s << u"22,75"_s;
    QTest::newRow("fourth decimal ignored") << u"22,7449"_s << u"22,74"_s;
    QTest::newRow("third decimal 9") << u"-0,009"_s << u"-0,01"_s;
    QTest::newRow("two decimals unchanged") << u"-68,25"_s << u"-68,25"_s;
    QTest::newRow("whole unchanged") << u"100"_s << u"100"_s;
}

void TestCommon::roundHalfAway2() {
    QFETCH(QString, amount);
    QFETCH(QString, rounded);
    QCOMPARE(RoundHalfAway2(*Money::parse(amount)).toText(), rounded);
}

void TestCommon::fromDouble() {
    QCOMPARE(Money::fromDouble(136.5).toText(), QStringLiteral("136,5"));
    QCOMPARE(Money::fromDouble(0.1 + 0.2).toText(), QStringLiteral("0,3"));
    QCOMPARE(Money::fromDouble(-22.745).toText(), QStringLiteral("-22,745"));
    QCOMPARE(Money::fromDouble(std::nan("")).toText(), QStringLiteral("0"));
}

void TestCommon::periodParse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("march") << u"03.2024"_s << true;
    QTest::newRow("before all") << u"00.0000"_s << true;
    QTest::newRow("month 13") << u"13.2024"_s << false;
    QTest::newRow("one-digit month") << u"3.2024"_s << false;
    QTest::newRow("slash") << u"03/2024"_s << false;
    QTest::newRow("month zero of a year") << u"00.2024"_s << false;
}

void TestCommon::periodParse() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const auto p = Period::parse(text);
    QCOMPARE(p.has_value(), valid);
    if (valid)
        QCOMPARE(p->toText(), text);
}

void TestCommon::periodOrderAndSteps() {
    const Period dec2023(12, 2023), jan2024(1, 2024), feb2024(2, 2024), nov2024(11, 2024);
    QVERIFY(dec2023 < jan2024);
    QVERIFY(feb2024 < nov2024); // by year, then month
    QVERIFY(Period(1, 2025) > nov2024);
    QVERIFY(Period::beforeAll() < Period(1, 1));
    QCOMPARE(dec2023.next(), jan2024);
    QCOMPARE(jan2024.prev(), dec2023);
    QCOMPARE(nov2024.next().next().toText(), QStringLiteral("01.2025"));
    QCOMPARE(jan2024.day(2), QDate(2024, 1, 2));
}

void TestCommon::dates() {
    QCOMPARE(Dates::shortDate(QDate(2024, 3, 5)), QStringLiteral("05.03.2024"));
    QCOMPARE(Dates::jetLiteral(QDate(2024, 3, 5)), QStringLiteral("#03/05/2024#"));
    QCOMPARE(Dates::shortDateTime(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))),
             QStringLiteral("05.03.2024 07:08:09"));
    QCOMPARE(Dates::parseRussian(QStringLiteral("5.3.2024 10:22"))->toString(Qt::ISODate),
             QStringLiteral("2024-03-05T10:22:00"));
    QVERIFY(!Dates::parseRussian(QStringLiteral("31.02.2024")));
    QVERIFY(!Dates::parseRussian(QStringLiteral("2024-03-05")));
}

void TestCommon::cp1251RoundTrip() {
    const QString text = QStringLiteral("Период расчета №5 «ёЁ» — C:\\Data.mdb");
    const QByteArray bytes = Cp1251::encode(text);
    QCOMPARE(bytes.size(), text.size());                  // one byte per character
    QCOMPARE(static_cast<unsigned char>(bytes[0]), 0xCF); // П
    QCOMPARE(Cp1251::decode(bytes), text);
    QCOMPARE(Cp1251::encode(QStringLiteral("日")), QByteArray("?"));
}

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
