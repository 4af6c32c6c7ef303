#include "db/dberror.h"
#include "db/jetshape.h"
#include "db/query.h"
#include "db/statementtemplate.h"
#include "db/transaction.h"
#include "testsupport.h"

#include <QRegularExpression>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

// The Jet SQL engine on a small fixture: every construct the program's statements use, the
// regional conversions on writing, the text forms on reading, and the failures.
class TestEngine : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void select_data();
    void select();
    void oneShapeServesEveryLiteral();
    void shapeOfARepeatedHeadIsTheShapeOfTheWhole();
    void columnNames();
    void textForms();
    void writesConvertRegionalText_data();
    void writesConvertRegionalText();
    void badTextFailsAndWritesNothing_data();
    void badTextFailsAndWritesNothing();
    void failingUpdateChangesNoRow();
    void selectIntoKeepsJetTypes();
    void schemaStatements();
    void preparedShapesFollowSchemaChanges();
    void errorsAreRussianWithExcerpt();
    void hugeStatementsAreRefusedQuickly();
    void sameTextSameAnswerWhateverRanBefore();
    void queryNavigation();
    void transactions();
    void doubleQuotedNamesAreNotTakenForText();
    void nowAndDate();
    void templatesAnswerAsTheirText();
    void templatesFollowSchemaChangesAndConnections();

private:
    std::unique_ptr<TempDatabase> m_db;
    QStringList rows(const QString& sql) { return m_db->rows(sql); }
    int count(const QString& table) {
        return m_db->scalar(QStringLiteral("select count(*) from ") + table).toInt();
    }
};

void TestEngine::init() {
    m_db = std::make_unique<TempDatabase>(false);
    Connection& db = m_db->db();
    db.execute(QStringLiteral(
        "CREATE TABLE T (ID long, NAME text, CODE String(5), AMOUNT float, D date, FLAG yesno)"));
    db.execute(QStringLiteral("CREATE TABLE U (ID long, T_ID long, V String(10))"));
    const char* const inserts[] = {
        "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (1, \"Иванов\", \"a1\", \"136,5\", \"15.03.2024\", True)",
        "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (2, 'иванова', 'B2', '-68,25', '01.01.2024 10:22:33', False)",
        "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (3, \"Петров\", Null, 100, Null, False)",
        "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (4, \"ёлкин\", \"c3\", \"5,5\", \"31.12.2999\", False)",
        "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (5, \"ИВАНОВ\", \"A1\", Null, Null, True)",
        "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (6, \"Ежов\", \"d\", \"0,0001\", Null, False)",
        "insert into T (ID, NAME, CODE, AMOUNT, D, FLAG) values (7, \"Жуков\", \"e\", 2, Null, False)",
        "insert into U (ID, T_ID, V) values (1, 1, \"один\")",
        "insert into U (ID, T_ID, V) values (2, 1, \"два\")",
        "insert into U (ID, T_ID, V) values (3, 99, \"сирота\")",
    };
    for (const char* s : inserts)
        db.execute(QString::fromUtf8(s));
}

void TestEngine::cleanup() {
    m_db.reset();
}

void TestEngine::select_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");
    auto row = [](const char* name, const char* sql, std::initializer_list<const char*> expected) {
        QStringList list;
        for (const char* e : expected)
            list << QString::fromUtf8(e);
        QTest::newRow(name) << QString::fromUtf8(sql) << list;
    };
    row("double-quoted literal, Cyrillic ignores case",
        "select ID from T where NAME = \"ИВАНОВ\" order by ID", {"1", "5"});
    row("single-quoted literal", "select ID from T where NAME = 'иванова'", {"2"});
    row("doubled quotes inside literals", "select \"it\"\"s\" & 'a''b'", {"it\"sa'b"});
    row("date literal", "select ID from T where D = #03/15/2024#", {"1"});
    row("date literal with time", "select ID from T where D = #01/01/2024 10:22:33#", {"2"});
    row("date literal compares", "select ID from T where D > #12/31/2024# and D < #01/01/3000#",
        {"4"});
    row("IIf with Is Null",
        "select IIf(AMOUNT Is Null, 0, AMOUNT) from T where ID in (1, 5) order by ID",
        {"136,5", "0"});
    row("IIf evaluates only its branch", "select IIf(ID = 1, 1, CLng(\"x\")) from T where ID = 1",
        {"1"});
    row("aggregates", "select Count(*), Sum(AMOUNT), Max(ID), Min(CODE) from T",
        {"7|175,7501|7|a1"});
    row("Sum over no rows is Null", "select Sum(AMOUNT) from T where ID > 100", {""});
    row("Sum with a blank before the bracket", "select sum (AMOUNT) from T where ID < 3",
        {"68,25"});
    row("Count without rows", "select count(*) from T where ID > 100", {"0"});
    row("DISTINCT ignores case",
        "select count(*) from (select distinct NAME from T where NAME like \"иванов\")", {"1"});
    row("GROUP BY ignores case", "select NAME, Count(*) from T where ID in (1, 5) group by NAME",
        {"Иванов|2"});
    row("ORDER BY Cyrillic, Ё after Е", "select NAME from T where ID in (3, 4, 6, 7) order by NAME",
        {"Ежов", "ёлкин", "Жуков", "Петров"});
    row("ORDER BY DESC", "select ID from T where ID in (1, 3, 6) order by NAME desc, ID",
        {"3", "1", "6"});
    row("UNION removes duplicates",
        "select ID from T where ID = 1 union select ID from T where ID = 1", {"1"});
    row("UNION ALL keeps them",
        "select ID from T where ID = 1 union all select ID from T where ID = 1", {"1", "1"});
    row("sub-select in FROM", "select * from (select ID, CODE from T where ID < 3) order by ID",
        {"1|a1", "2|B2"});
    row("sub-select in IN", "select NAME from T where ID in (select T_ID from U) order by NAME",
        {"Иванов"});
    row("LIKE with % ignores case", "select ID from T where NAME like \"%ВАН%\" order by ID",
        {"1", "2", "5"});
    row("LIKE with _", "select ID from T where CODE like \"_1\" order by ID", {"1", "5"});
    row("BETWEEN on text ignores case",
        "select ID from T where CODE between \"A\" and \"b9\" order by ID", {"1", "2", "5"});
    row("Format with zeros",
        "select Format(AMOUNT, \"000.00\") from T where ID in (1, 4, 2) order by ID",
        {"136,50", "-068,25", "005,50"});
    row("Format with a blank before the bracket",
        "select Format (AMOUNT*2, \"000.00\") from T where ID = 4", {"011,00"});
    row("Cdbl", "select Cdbl(0), Cdbl(\"1,5\") + 1", {"0|2,5"});
    row("number glued to a keyword",
        "select ID from T where ID = 1and NAME = \"Иванов\" or ID = 3and CODE Is Null order by ID",
        {"1", "3"});
    row("names in square brackets", "select [T].[NAME] from T where [T].[ID] = 3", {"Петров"});
    row("nested INNER and LEFT joins",
        "SELECT T.NAME, U.V FROM (T INNER JOIN U ON T.ID = U.T_ID) LEFT JOIN T AS T2 ON T2.ID = U.ID WHERE U.ID = 2",
        {"Иванов|два"});
    row("RIGHT JOIN keeps the orphan",
        "SELECT U.V, T.NAME FROM T RIGHT JOIN U ON T.ID = U.T_ID WHERE T.ID Is Null", {"сирота|"});
    row("parenthesised join chain",
        "SELECT U.V FROM U INNER JOIN (T INNER JOIN T AS T3 ON T.ID = T3.ID) ON U.T_ID = T.ID ORDER BY U.V",
        {"два", "один"});
    row("& takes Null as empty", "select NAME & Null & \"!\" from T where ID = 1", {"Иванов!"});
    row("& writes numbers with a comma", "select CODE & \"-\" & AMOUNT from T where ID = 1",
        {"a1-136,5"});
    row("+ with Null gives Null", "select ID + Null from T where ID = 1", {""});
    row("TOP", "select top 2 ID from T order by ID desc", {"7", "6"});
    row("TOP in a sub-select", "select count(*) from (select top 3 ID from T order by ID)", {"3"});
    row("Nz", "select Nz(CODE, \"нет\"), Nz(AMOUNT, 0) from T where ID = 3", {"нет|100"});
    row("Left, Mid, Right, Len",
        "select Left(NAME, 3), Mid(NAME, 2, 3), Right(NAME, 2), Len(NAME) from T where ID = 1",
        {"Ива|ван|ов|6"});
    row("Trim, UCase, LCase",
        "select \"[\" & Trim(\"  а б  \") & \"]\", UCase(NAME), LCase(CODE) from T where ID = 2",
        {"[а б]|ИВАНОВА|b2"});
    row("InStr", "select InStr(NAME, \"ан\"), InStr(3, \"абаба\", \"б\") from T where ID = 1",
        {"3|4"});
    row("Val, CStr", "select Val(\"12.5abc\"), CStr(AMOUNT) from T where ID = 1", {"12,5|136,5"});
    row("a bracketed Table.Column is a qualified column",
        "select Sum([T.AMOUNT]), Max([U.V]) from T inner join U on T.ID = U.T_ID", {"273|один"});
    row("Val skips blanks inside the number",
        "select Val(\" 12 22.3hhh\"), Val(\"- 4\") from T where ID = 1", {"1222,3|-4"});
    row("CLng and CInt round half to even",
        "select CLng(\"2,5\"), CInt(3.5), CLng(AMOUNT) from T where ID = 4", {"2|4|6"});
    row("Round half to even, Int, Abs",
        "select Round(2.5), Round(AMOUNT, 1), Int(-1.5), Abs(AMOUNT) from T where ID = 2",
        {"2|-68,2|-2|68,25"});
    row("Year, Month, Day", "select Year(D), Month(D), Day(D) from T where ID = 2", {"2024|1|1"});
    row("Mod", "select 7 Mod 3", {"1"});
    row("True and False", "select count(*) from T where FLAG = True", {"2"});
    row("ORDER BY column number", "select NAME, ID from T where ID in (1, 3) order by 2 desc",
        {"Петров|3", "Иванов|1"});
    row("sub-select in FROM named by its table",
        "select * from (select T.ID, T.CODE from T where T.ID < 4) where t.id not in (select ID from T where ID = 2) order by 1",
        {"1|a1", "3|"});
    row("ORDER BY a quoted column name",
        "select * from (select ID, AMOUNT AS 'Сумма' from T where ID in (1, 2, 7)) order by 'Сумма'",
        {"2|-68,25", "7|2", "1|136,5"});
    row("quote of a user inside a LIKE", "select count(*) from T where NAME like \"%\"\"%\"",
        {"0"});
    row("LIKE with many % does not backtrack",
        "select count(*) from T where \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\" like \"%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%a%b\"",
        {"0"});
    row("LIKE: % gives back what a later _ needs",
        "select ID from T where NAME like \"%в_н%в\" and CODE like \"%1\" order by ID", {"1", "5"});
    row("/ divides integers as Jet does", "select 7/2, 4/2, 1 - 7/2*2, 2*3/4", {"3,5|2|-6|1,5"});
    row("\\ rounds, divides and truncates",
        "select 7\\2, 7.5\\2, -7\\2, 2 + 3*4\\5, 7\\2*2, Null\\2", {"3|4|-3|4|1|"});
    row("^ before unary minus, left to right", "select 2^3, -2^2, 2^-1, 2^3^2, 3*2^2, (1+1)^2",
        {"8|-4|0,5|64|12|4"});
    row("Mod after \\ and before +", "select 10 Mod 3*2, 1 + 7 Mod 4, 7\\2 Mod 2", {"4|4|1"});
    row("arithmetic inside an & chain", "select \"=\" & 7\\2 & \";\" & 2^2", {"=3;4"});
    row("TOP of one UNION member limits that member",
        "select top 2 ID from T where ID > 4 union select ID from T where ID = 1 order by ID",
        {"1", "5", "6"});
    row("TOP of the last UNION member",
        "select ID from T where ID = 1 union all select top 1 ID from T where ID > 5", {"1", "6"});
    row("TOP of a UNION member in a sub-select",
        "select count(*) from (select top 1 ID from T union select ID from T where ID < 4)", {"3"});
    row("date column against a date text", "select ID from T where D < \"01.06.2024\" order by ID",
        {"1", "2"});
    row("date text against a qualified date column", "select ID from T where '01.06.2024' <= T.D",
        {"4"});
    row("date column BETWEEN date texts",
        "select ID from T where D between '01.01.2024' and \"15.03.2024\" order by ID", {"1", "2"});
    row("text column against a date-like text stays text",
        "select count(*) from T where NAME < \"01.06.2024\"", {"0"});
}

void TestEngine::select() {
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QCOMPARE(rows(sql), expected);
    QCOMPARE(rows(sql), expected); // again, from the prepared statement of its shape
}

void TestEngine::oneShapeServesEveryLiteral() {
    // statements that differ only in their literals share a prepared statement; each must still
    // see its own values, and literals that change the statement's meaning must not be shared
    const struct {
        const char* sql;
        const char* expected;
    } cases[] = {
        {"select ID from T where NAME = \"Петров\"", "3"},
        {"select ID from T where NAME = \"Жуков\"", "7"},
        {"select ID from T where NAME = 'it''s'", ""},
        {"select ID from T where ID = 1and CODE = \"a1\"", "1"},
        {"select ID from T where ID = 4and CODE = \"c3\"", "4"},
        {"select ID from T where AMOUNT = 5.5", "4"},
        {"select ID from T where AMOUNT = 2", "7"},
        // the same head, then no literal, another literal kind or a glued word
        {"select ID from T where AMOUNT = AMOUNT and ID = 7", "7"},
        {"select ID from T where AMOUNT = .5", ""},
        {"select ID from T where AMOUNT = #01/01/2024# or ID = 6", "6"},
        {"select ID from T where AMOUNT = 2and ID = 7", "7"},
        {"select ID from T where AMOUNT = 2 or ID = 1 order by 1", "1,7"},
        {"select ID from T where D = #03/15/2024#", "1"},
        {"select ID from T where D = #12/31/2999#", "4"},
        {"select ID, NAME from T where ID in (1, 3) order by 1", "1|Иванов,3|Петров"},
        {"select ID, NAME from T where ID in (1, 3) order by 2 desc", "3|Петров,1|Иванов"},
        {"select top 1 ID from T order by ID", "1"},
        {"select top 2 ID from T order by ID", "1,2"},
    };
    for (const auto& c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        QCOMPARE(rows(sql).join(u','), QString::fromUtf8(c.expected));
    }
}

void TestEngine::shapeOfARepeatedHeadIsTheShapeOfTheWhole() {
    // a scan that continues from a recent statement's head must give what a scan from the start
    // gives, whatever follows the head
    const char* heads[] = {"select",
                           "select ID from T where ID = ",
                           "select ID from T where ID =",
                           "insert into T (ID, NAME) values (",
                           "select * from T order by ",
                           "select NAME as ",
                           "update T set NAME = ",
                           "create table X (A ",
                           "select * from (select ID from T order by "};
    const char* tails[] = {
        "1",       "1.5",   "'a''b'", "\"x\"", "#01/02/2024#", "ID",       "2and ID = 3",
        ".5",      "5e3",   "[NAME]", "(1)",   "'ХВС' from T", "Nachisl1", "2 desc) where ID = 4",
        "'a', 7)", "long)", "5.5",    "'x'"};
    StatementShape shared;
    for (int round = 0; round < 2; ++round)
        for (const char* head : heads)
            for (const char* tail : tails) {
                const QString statement = QString::fromUtf8(head) + QString::fromUtf8(tail);
                StatementShape fresh;
                const bool ok = scanStatementShape(statement, fresh);
                QCOMPARE(scanStatementShape(statement, shared), ok);
                if (!ok)
                    continue;
                QCOMPARE(shared.key, fresh.key);
                QCOMPARE(shared.literals.size(), fresh.literals.size());
                for (size_t i = 0; i < fresh.literals.size(); ++i) {
                    QCOMPARE(int(shared.literals[i].kind), int(fresh.literals[i].kind));
                    QCOMPARE(shared.literals[i].toValue().toText(),
                             fresh.literals[i].toValue().toText());
                }
            }
}

void TestEngine::columnNames() {
    const ResultSet r = m_db->db().query(QStringLiteral(
        "select ID AS №, NAME as Фамилия_абонента, [T].[CODE], Count(*), AMOUNT*2 from T group by ID, NAME, CODE, AMOUNT"));
    QCOMPARE(r.columns, (QStringList{QStringLiteral("№"), QStringLiteral("Фамилия_абонента"),
                                     QStringLiteral("CODE"), QStringLiteral("Expr1000"),
                                     QStringLiteral("Expr1001")}));
    // a quoted text after AS names the column with its quotes
    QCOMPARE(m_db->db().query(QStringLiteral("select ID AS 'ХВС' from T")).columns,
             QStringList{QStringLiteral("'ХВС'")});
}

void TestEngine::textForms() {
    Query q(m_db->db());
    q.open(QStringLiteral("select ID, AMOUNT, D, NAME, FLAG, AMOUNT / 3, CODE from T order by ID"));
    QCOMPARE(q.text(QStringLiteral("ID")), QStringLiteral("1"));
    QCOMPARE(q.text(QStringLiteral("AMOUNT")), QStringLiteral("136,5"));
    QCOMPARE(q.text(QStringLiteral("D")), QStringLiteral("15.03.2024"));
    QCOMPARE(q.text(QStringLiteral("FLAG")), QStringLiteral("True"));
    QCOMPARE(q.text(QStringLiteral("Expr1000")), QStringLiteral("45,5"));
    QCOMPARE(q.dateTime(QStringLiteral("D")), QDateTime(QDate(2024, 3, 15), QTime(0, 0)));
    QVERIFY(q.truth(QStringLiteral("FLAG")));
    q.next();
    QCOMPARE(q.text(QStringLiteral("D")), QStringLiteral("01.01.2024 10:22:33"));
    QCOMPARE(q.money(QStringLiteral("AMOUNT")).toText(), QStringLiteral("-68,25"));
    QCOMPARE(q.text(QStringLiteral("Expr1000")), QStringLiteral("-22,75"));
    q.next();
    QCOMPARE(q.text(QStringLiteral("AMOUNT")), QStringLiteral("100"));
    QCOMPARE(q.text(QStringLiteral("Expr1000")), QStringLiteral("33,3333333333333")); // 15 digits
    QCOMPARE(q.text(QStringLiteral("CODE")), QString());                              // Null
    QCOMPARE(q.integer(QStringLiteral("CODE")), 0);
    QCOMPARE(q.text(QStringLiteral("D")), QString());
    q.setRecNo(6);
    QCOMPARE(q.text(QStringLiteral("AMOUNT")), QStringLiteral("0,0001"));
}

void TestEngine::writesConvertRegionalText_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("decimal comma") << u"AMOUNT"_s << u"\"136,5\""_s << u"136,5"_s;
    QTest::newRow("negative") << u"AMOUNT"_s << u"\"-68,25\""_s << u"-68,25"_s;
    QTest::newRow("blanks around a number") << u"AMOUNT"_s << u"\" 7 \""_s << u"7"_s;
    QTest::newRow("whole text into long") << u"ID"_s << u"\"42\""_s << u"42"_s;
    QTest::newRow("short date") << u"D"_s << u"\"05.03.2024\""_s << u"05.03.2024"_s;
    QTest::newRow("date and time")
        << u"D"_s << u"\"05.03.2024 07:08:09\""_s << u"05.03.2024 07:08:09"_s;
    QTest::newRow("date literal") << u"D"_s << u"#03/05/2024#"_s << u"05.03.2024"_s;
    QTest::newRow("number into text") << u"NAME"_s << u"12.5"_s << u"12,5"_s;
    QTest::newRow("text at the length limit") << u"CODE"_s << u"\"12345\""_s << u"12345"_s;
    QTest::newRow("expression into float") << u"AMOUNT"_s << u"\"1,5\" & \"0\""_s << u"1,5"_s;
    QTest::newRow("Null") << u"AMOUNT"_s << u"Null"_s << u""_s;
}

void TestEngine::writesConvertRegionalText() {
    QFETCH(QString, column);
    QFETCH(QString, written);
    QFETCH(QString, read);
    Connection& db = m_db->db();
    if (column == u"ID") {
        db.execute(QStringLiteral("insert into T (ID) values (%1)").arg(written));
        QCOMPARE(m_db->scalar(QStringLiteral("select max(ID) from T")), read);
        return;
    }
    db.execute(QStringLiteral("insert into T (ID, %1) values (100, %2)").arg(column, written));
    QCOMPARE(m_db->scalar(QStringLiteral("select %1 from T where ID = 100").arg(column)), read);
    // the same through UPDATE and INSERT … SELECT
    db.execute(QStringLiteral("update T set %1 = %2 where ID = 3").arg(column, written));
    QCOMPARE(m_db->scalar(QStringLiteral("select %1 from T where ID = 3").arg(column)), read);
    db.execute(QStringLiteral("insert into T (ID, %1) select 101, %2 from U where ID = 1")
                   .arg(column, written));
    QCOMPARE(m_db->scalar(QStringLiteral("select %1 from T where ID = 101").arg(column)), read);
}

void TestEngine::badTextFailsAndWritesNothing_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("reason");
    QTest::newRow("decimal point")
        << u"insert into T (ID, AMOUNT) values (50, \"12.5\")"_s << u"AMOUNT"_s;
    QTest::newRow("letters into long") << u"insert into T (ID) values (\"abc\")"_s << u"ID"_s;
    QTest::newRow("empty text into float")
        << u"insert into T (ID, AMOUNT) values (50, \"\")"_s << u"AMOUNT"_s;
    QTest::newRow("impossible date")
        << u"insert into T (ID, D) values (50, \"32.13.2024\")"_s << u"дата"_s;
    QTest::newRow("ISO-looking date text")
        << u"insert into T (ID, D) values (50, \"2024/03/05\")"_s << u"дата"_s;
    QTest::newRow("longer than String(5)")
        << u"insert into T (ID, CODE) values (50, \"123456\")"_s << u"5 знаков"_s;
    QTest::newRow("long out of range")
        << u"insert into T (ID) values (3000000000)"_s << u"пределов"_s;
    QTest::newRow("bad expression value")
        << u"insert into T (ID, AMOUNT) values (50, \"1\" & \".5\")"_s << u"AMOUNT"_s;
    QTest::newRow("insert select with a bad row")
        << u"insert into T (ID, CODE) select ID + 50, NAME from T"_s << u"5 знаков"_s;
}

void TestEngine::badTextFailsAndWritesNothing() {
    QFETCH(QString, sql);
    QFETCH(QString, reason);
    const int before = count(QStringLiteral("T"));
    try {
        m_db->db().execute(sql);
        QFAIL("the statement should fail");
    } catch (const DbError& e) {
        QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("Запрос: insert into T")),
                 qPrintable(e.message()));
    }
    QCOMPARE(count(QStringLiteral("T")), before);
}

void TestEngine::failingUpdateChangesNoRow() {
    // CODE is String(5): the first names fit, "иванова" does not; no row may change
    QVERIFY_THROWS_EXCEPTION(DbError,
                             m_db->db().execute(QStringLiteral("update T set CODE = NAME")));
    QCOMPARE(m_db->scalar(QStringLiteral("select CODE from T where ID = 1")), QStringLiteral("a1"));
    QVERIFY_THROWS_EXCEPTION(
        DbError, m_db->db().execute(QStringLiteral("update T set AMOUNT = \"x\" where ID = 1")));
    QCOMPARE(m_db->scalar(QStringLiteral("select AMOUNT from T where ID = 1")),
             QStringLiteral("136,5"));
}

void TestEngine::selectIntoKeepsJetTypes() {
    Connection& db = m_db->db();
    db.execute(
        QStringLiteral("Select ID AS CLIENT, Cdbl(0) AS SUMMA, CODE, D, NAME INTO N from T"));
    db.execute(
        QStringLiteral("Select ID AS CLIENT, Cdbl(0) AS SUMMA INTO Empty from T where ID > 100"));
    auto type = [&](const char* table, const char* column) {
        return db.catalog()
            .columnType(QString::fromLatin1(table), QString::fromLatin1(column))
            .value_or(JetColumnType{});
    };
    QCOMPARE(type("N", "CLIENT"), (JetColumnType{JetType::Long, 0}));
    QCOMPARE(type("N", "SUMMA"), (JetColumnType{JetType::Float, 0}));
    QCOMPARE(type("N", "CODE"), (JetColumnType{JetType::Text, 5}));
    QCOMPARE(type("N", "D"), (JetColumnType{JetType::Date, 0}));
    QCOMPARE(type("Empty", "SUMMA"), (JetColumnType{JetType::Float, 0}));
    QCOMPARE(count(QStringLiteral("N")), 7);
    QCOMPARE(count(QStringLiteral("Empty")), 0);
    // the new table converts as Jet does: the float column takes "2,5"
    db.execute(QStringLiteral("update N set SUMMA = \"2,5\" where CLIENT = 1"));
    QCOMPARE(m_db->scalar(QStringLiteral("select SUMMA from N where CLIENT = 1")),
             QStringLiteral("2,5"));
    // an existing table is not replaced
    QVERIFY_THROWS_EXCEPTION(DbError, db.execute(QStringLiteral("Select ID INTO N from T")));
    QCOMPARE(count(QStringLiteral("N")), 7);
}

void TestEngine::schemaStatements() {
    Connection& db = m_db->db();
    db.execute(
        QStringLiteral("CREATE TABLE [Новая] (A long, B float, C String(3), D date, E text)"));
    db.execute(QStringLiteral(
        "insert into Новая (A, B, C, D, E) values (1, \"1,25\", \"abc\", \"01.02.2024\", \"e\")"));
    QCOMPARE(rows(QStringLiteral("select * from Новая")),
             QStringList{QStringLiteral("1|1,25|abc|01.02.2024|e")});
    QCOMPARE(db.execute(QStringLiteral("delete * from Новая where A = 1")), 1);
    QCOMPARE(db.execute(QStringLiteral("delete from T where ID > 5")), 2);
    db.execute(QStringLiteral("DROP TABLE Новая"));
    QVERIFY_THROWS_EXCEPTION(DbError, db.execute(QStringLiteral("select * from Новая")));
}

void TestEngine::preparedShapesFollowSchemaChanges() {
    Connection& db = m_db->db();
    for (int id : {1, 3, 4})
        QCOMPARE(m_db->scalar(QStringLiteral("select ID from T where ID = %1").arg(id)),
                 QString::number(id));
    db.execute(QStringLiteral("CREATE TABLE X (A float)"));
    db.execute(QStringLiteral("insert into X (A) values (\"1,5\")"));
    db.execute(QStringLiteral("DROP TABLE X"));
    db.execute(QStringLiteral("CREATE TABLE X (A String(3))"));
    db.execute(QStringLiteral("insert into X (A) values (\"1,5\")")); // now a text, kept as typed
    QCOMPARE(rows(QStringLiteral("select A from X")), QStringList{QStringLiteral("1,5")});
    QVERIFY_THROWS_EXCEPTION(DbError,
                             db.execute(QStringLiteral("insert into X (A) values (\"1,55\")")));
}

void TestEngine::errorsAreRussianWithExcerpt() {
    struct Case {
        const char* sql;
        const char* reason;
    };
    const Case cases[] = {
        {"select * from Nowhere", "нет такой таблицы: Nowhere"},
        {"select NOPE from T", "нет такого столбца: NOPE"},
        {"select from where", "синтаксическая ошибка"},
        {"select \"open", "не закрыта кавычка"},
        {"select #13/45/2024#", "неверная дата"},
        {"select 1;2", "только один запрос"},
        {"select 1;;", "только один запрос"},
        {"update T set NAME = 'x'; delete * from T", "только один запрос"},
        {"create table X (A long); drop table T", "только один запрос"},
        {"select Space(2000000000)", "слишком длинный"},
        {"select 1 \\ 0", "деление на ноль"},
        {"select (-8) ^ 0.5", "степень не определена"},
        {"select ID from T where ID = 1 2", "синтаксическая ошибка"},
        {"select * from T where ID in (select ID, NAME from T)",
         "вложенный запрос возвращает столбцов: 2"},
        {"select ID from T union select ID, NAME from T", "разное число столбцов"},
        {"alter table T add column NAME long", "имя столбца повторяется: NAME"},
    };
    for (const Case& c : cases) {
        try {
            m_db->db().query(QString::fromUtf8(c.sql));
            QFAIL(c.sql);
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QString::fromUtf8(c.reason)), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QString::fromUtf8(c.sql).left(10)),
                     qPrintable(e.message()));
        }
    }
    // nothing of a refused statement ran, nor of the text after its ";"
    QCOMPARE(count(u"T"_s), 7);
    QCOMPARE(m_db->scalar(u"select count(*) from T where NAME = 'x'"_s), u"0"_s);
    QVERIFY(m_db->db().tableNames().contains(u"T"_s));
    QVERIFY(!m_db->db().tableNames().contains(u"X"_s));
}

void TestEngine::hugeStatementsAreRefusedQuickly() {
    // deep nesting is refused with a message (linear time, no deep recursion); a long name is
    // quoted as a readable excerpt
    const QString deep = QString(100000, u'(') + u'1' + QString(100000, u')');
    for (const QString& sql :
         QStringList{u"select "_s + deep, u"select * from T where ID in "_s + deep,
                     u"create table Y (A long, CHECK "_s + deep + u')'}) {
        try {
            m_db->db().query(sql);
            QFAIL("deep nesting accepted");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(u"вложенность"_s), qPrintable(e.message().left(300)));
        }
    }
    try {
        m_db->db().query(u"select * from "_s + QString(1000000, u'Z'));
        QFAIL("a missing table found");
    } catch (const DbError& e) {
        QVERIFY2(e.message().size() < 1000, qPrintable(e.message().left(300)));
        QVERIFY(e.message().contains(u"нет такой таблицы: ZZZ"_s));
    }
}

void TestEngine::sameTextSameAnswerWhateverRanBefore() {
    // a statement of the same shape (or the same head) ran first must not change the answer
    const struct {
        const char* before;
        const char* statement;
        const char* reason; // nullptr: succeeds with the value below
        const char* value;
    } cases[] = {
        {"select #02/02/2024#", "select #4294967297/2/2024#", "неверная дата", nullptr},
        {"select #02/02/2024#", "select #2/4294967298/2024#", "неверная дата", nullptr},
        {"select.5", "select5.5", "должен начинаться с SELECT", nullptr},
        {"select D from T where ID = 1", "select D from T where ID = 2", nullptr,
         "01.01.2024 10:22:33"},
        {"select 1;", "select 2;", nullptr, "2"},
    };
    for (const auto& c : cases) {
        const QString statement = QString::fromUtf8(c.statement);
        for (bool warm : {false, true}) {
            TempDatabase fresh(false);
            fresh.db().execute(u"CREATE TABLE T (ID long, D date)"_s);
            fresh.db().execute(u"insert into T (ID, D) values (2, \"01.01.2024 10:22:33\")"_s);
            if (warm)
                fresh.db().query(QString::fromUtf8(c.before));
            try {
                const QStringList got = fresh.rows(statement);
                QVERIFY2(!c.reason, qPrintable(statement + u" gave "_s + got.join(u',')));
                QCOMPARE(got.join(u','), QString::fromUtf8(c.value));
            } catch (const DbError& e) {
                QVERIFY2(c.reason && e.message().contains(QString::fromUtf8(c.reason)),
                         qPrintable(statement + u": "_s + e.message()));
            }
        }
    }
}

void TestEngine::queryNavigation() {
    Query q(m_db->db());
    q.open(QStringLiteral("select ID, NAME from T where ID < 4 order by ID"));
    QCOMPARE(q.recordCount(), 3);
    QCOMPARE(q.recNo(), 1);
    QCOMPARE(q.columnNames(), (QStringList{QStringLiteral("ID"), QStringLiteral("NAME")}));
    q.last();
    QCOMPARE(q.integer(QStringLiteral("ID")), 3);
    q.next();
    QVERIFY(q.eof());
    QCOMPARE(q.text(QStringLiteral("NAME")), QString()); // past the end reads empty
    q.setRecNo(2);
    QCOMPARE(q.text(1), QStringLiteral("иванова"));
    q.first();
    QCOMPARE(q.integer(0), 1);
    QVERIFY_THROWS_EXCEPTION(DbError, q.text(QStringLiteral("MISSING")));
    q.open(QStringLiteral("select ID from T where ID > 100"));
    QVERIFY(q.eof());
    QCOMPARE(q.recNo(), 0);
    QCOMPARE(q.integer(0), 0);
}

void TestEngine::transactions() {
    Connection& db = m_db->db();
    {
        Transaction tx(db);
        db.execute(QStringLiteral("delete * from T"));
    } // no commit: rolled back
    QCOMPARE(count(QStringLiteral("T")), 7);
    {
        Transaction outer(db);
        db.execute(QStringLiteral("delete * from T where ID = 1"));
        {
            Transaction inner(db);
            db.execute(QStringLiteral("delete * from T where ID = 2"));
        }
        outer.commit();
    }
    QCOMPARE(rows(QStringLiteral("select ID from T where ID < 3")),
             QStringList{QStringLiteral("2")});
    try {
        Transaction tx(db);
        db.execute(QStringLiteral("delete * from T where ID = 3"));
        db.execute(QStringLiteral("insert into T (ID, AMOUNT) values (9, \"x\")"));
        tx.commit();
    } catch (const DbError&) {
    }
    QCOMPARE(count(QStringLiteral("T")), 6);
}

void TestEngine::doubleQuotedNamesAreNotTakenForText() {
    // a double-quoted text the translator missed must fail in the engine, not pass for a name
    QVERIFY_THROWS_EXCEPTION(BackendError,
                             m_db->db().backend().prepare(QStringLiteral("SELECT \"nosuch\"")));
}

void TestEngine::nowAndDate() {
    const QStringList r = rows(QStringLiteral("select Now(), Date()"));
    QVERIFY(QRegularExpression(
                QStringLiteral(R"(^\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)?\|\d\d\.\d\d\.\d{4}$)"))
                .match(r.value(0))
                .hasMatch());
}

// A template run with its values gives what its text with the values written in gives: the same
// rows, the same stored values, the same error; bound where every value takes a literal's place.
void TestEngine::templatesAnswerAsTheirText() {
    struct Case {
        const char16_t* pattern;
        std::vector<TemplateValue> values;
        bool bound;
    };
    const std::vector<Case> cases = {
        {u"insert into T (ID, NAME, CODE, AMOUNT, D) values (%1 , \"%2\" , '%3' , \"%4\" , \"%5\")",
         {50, u"О\"Брайен"_s, u"x'y"_s, Money::fromUnits(1365000), QDate(2024, 3, 15)},
         true},
        {u"insert into T (ID, AMOUNT, NAME) values (%1 , \"%2\" , \"%3\")",
         {51, Money::fromUnits(-682500), Money::fromUnits(1)},
         true},
        {u"insert into T (ID, AMOUNT, CODE) values (%1 , '%2' , '%2')", {52, 7}, true},
        {u"update T set AMOUNT = \"%1\" where ID = %2", {Money::fromUnits(1), 1}, true},
        {u"select ID from T where NAME = \"%1\" order by ID", {u"иванов"_s}, true},
        {u"select ID from T where D > \"%1\" order by ID", {u"01.02.2024"_s}, true},
        {u"select ID from T where D > \"%1\" order by ID", {u"abc"_s}, true},
        {u"select count(*) from T where ID > %1", {-1}, false},
        {u"select ID from T where NAME like \"%1%\" order by ID", {u"Ив"_s}, false},
        {u"select ID, NAME from T order by %1", {2}, false},
        {u"select ID from T where FLAG = %1 order by ID", {0}, true},
        // the errors: nothing written, the message of the text
        {u"insert into T (ID, AMOUNT) values (%1 , \"%2\")", {53, u"12.5"_s}, false},
        {u"insert into T (ID, CODE) values (%1 , \"%2\")", {54, u"123456"_s}, false},
        {u"insert into T (ID) values (%1)", {qint64(3000000000)}, false},
        {u"insert into T (ID, D) values (%1 , \"%2\")", {55, u"32.13.2024"_s}, false},
        {u"insert into Nowhere (ID) values (%1)", {56}, false},
    };
    Connection& db = m_db->db();
    const auto answer = [&](const std::function<void(ResultSet&)>& run) {
        QStringList out;
        db.beginTransaction();
        try {
            ResultSet rows;
            run(rows);
            for (int r = 0; r < rows.rowCount; ++r)
                for (int c = 0; c < rows.columns.size(); ++c)
                    out << rows.at(r, c).toText();
        } catch (const DbError& e) {
            out << u"error: "_s + e.message();
        }
        out << rows(u"select ID, NAME, CODE, AMOUNT, D, FLAG from T order by ID"_s);
        db.rollbackTransaction();
        return out;
    };
    for (const Case& c : cases) {
        const StatementTemplate t(QString::fromUtf16(c.pattern));
        const std::span<const TemplateValue> values(c.values);
        const QString text = t.text(values);
        const QStringList expected = answer([&](ResultSet& rows) { db.queryInto(text, rows); });
        const qint64 boundBefore = db.boundTemplateRuns();
        // twice: the second run reuses what the first prepared
        for (int run = 0; run < 2; ++run) {
            const QStringList got = answer([&](ResultSet& rows) { db.queryInto(t, values, rows); });
            QVERIFY2(got == expected, qPrintable(text + u"\n"_s + got.join(u'\n') + u"\n---\n"_s +
                                                 expected.join(u'\n')));
        }
        QVERIFY2((db.boundTemplateRuns() - boundBefore == 2) == c.bound, qPrintable(text));
    }
    // the text doubles a quote inside a quoted value, as SqlText does
    QCOMPARE(StatementTemplate(u"x = \"%1\" and y = '%1' and z = %2"_s).text({u"a\"b'c"_s, 5}),
             u"x = \"a\"\"b'c\" and y = 'a\"b''c' and z = 5"_s);
    // fixed values name the table; a %1 inside a value is not a place for another value
    const StatementTemplate named(u"select V from %1 where ID = %2 and V <> \"%3\""_s, {u"U"_s});
    QCOMPARE(named.pattern(), u"select V from U where ID = %2 and V <> \"%3\""_s);
    QCOMPARE(named.text({1, u"%1"_s}), u"select V from U where ID = 1 and V <> \"%1\""_s);
}

void TestEngine::templatesFollowSchemaChangesAndConnections() {
    Connection& db = m_db->db();
    const StatementTemplate insert(u"insert into X (A) values (\"%1\")"_s);
    db.execute(u"CREATE TABLE X (A float)"_s);
    db.execute(insert, {u"1,5"_s});
    QCOMPARE(rows(u"select A from X"_s), QStringList{u"1,5"_s});
    db.execute(u"DROP TABLE X"_s);
    db.execute(u"CREATE TABLE X (A String(3))"_s);
    db.execute(insert, {u"1,5"_s}); // now a text, kept as typed
    QCOMPARE(rows(u"select A from X"_s), QStringList{u"1,5"_s});
    QVERIFY_THROWS_EXCEPTION(DbError, db.execute(insert, {u"1,55"_s}));
    db.execute(u"DROP TABLE X"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, db.execute(insert, {u"1"_s}));

    // one template on two connections: each runs it on its own database
    TempDatabase other(false);
    db.execute(u"CREATE TABLE X (A long)"_s);
    other.db().execute(u"CREATE TABLE X (A long)"_s);
    db.execute(insert, {u"1"_s});
    other.db().execute(insert, {u"2"_s});
    other.db().execute(insert, {u"3"_s});
    QCOMPARE(rows(u"select A from X"_s), QStringList{u"1"_s});
    QCOMPARE(other.rows(u"select A from X order by A"_s), (QStringList{u"2"_s, u"3"_s}));
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
