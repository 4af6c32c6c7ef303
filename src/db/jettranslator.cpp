#include "db/jettranslator.h"

#include "db/dberror.h"
#include "db/sqltext.h"

#include <QHash>
#include <QSet>

namespace {

using K = JetToken::Kind;

const QSet<QString>& chainBoundaryWords() {
    static const QSet<QString> words = {
        QStringLiteral("and"),  QStringLiteral("or"),       QStringLiteral("not"),
        QStringLiteral("xor"),  QStringLiteral("between"),  QStringLiteral("like"),
        QStringLiteral("in"),   QStringLiteral("is"),       QStringLiteral("select"),
        QStringLiteral("from"), QStringLiteral("where"),    QStringLiteral("as"),
        QStringLiteral("on"),   QStringLiteral("into"),     QStringLiteral("values"),
        QStringLiteral("set"),  QStringLiteral("group"),    QStringLiteral("order"),
        QStringLiteral("by"),   QStringLiteral("having"),   QStringLiteral("union"),
        QStringLiteral("all"),  QStringLiteral("distinct"), QStringLiteral("distinctrow"),
        QStringLiteral("top"),  QStringLiteral("join"),     QStringLiteral("inner"),
        QStringLiteral("left"), QStringLiteral("right"),    QStringLiteral("outer"),
        QStringLiteral("then"), QStringLiteral("else"),     QStringLiteral("when"),
        QStringLiteral("case"), QStringLiteral("end"),      QStringLiteral("asc"),
        QStringLiteral("desc"), QStringLiteral("escape")};
    return words;
}

bool isClauseWord(const JetToken& t) {
    return t.isWord(u"from") || t.isWord(u"where") || t.isWord(u"group") || t.isWord(u"order") ||
           t.isWord(u"having") || t.isWord(u"union") || t.isWord(u"into");
}

bool isAsciiWord(const QString& w) {
    for (QChar c : w)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

class Emitter {
public:
    Emitter(const SqlDialect& d, Catalog& c, const QString& stmt, const std::vector<JetToken>& t,
            const std::vector<int>& lifted)
        : dialect(d), catalog(c), statement(stmt), toks(t), lift(lifted), skip(t.size(), false),
          schema(isSchemaVerb(statementVerb(t))) {}

    const SqlDialect& dialect;
    Catalog& catalog;
    const QString& statement;
    const std::vector<JetToken>& toks;
    const std::vector<int>& lift;
    std::vector<bool> skip;
    const bool schema; // schema statements keep their literals as they stand
    std::vector<ParamSlot> params;
    QSet<int> paramsEmitted;

    int size() const { return int(toks.size()); }

    [[noreturn]] void fail(const QString& reason) const {
        throw DbError(QStringLiteral("Ошибка в тексте запроса: %1. Запрос: %2")
                          .arg(reason, SqlText::excerpt(statement)),
                      statement, reason);
    }

    int matchParen(int open, int end) const {
        int depth = 0;
        for (int i = open; i < end; ++i) {
            if (toks[i].isSymbol(u"("))
                ++depth;
            else if (toks[i].isSymbol(u")") && --depth == 0)
                return i;
        }
        fail(QStringLiteral("не закрыта скобка"));
    }

    // Depth-0 positions in [b, e) where pred holds.
    template <class Pred> std::vector<int> topLevel(int b, int e, Pred pred) const {
        std::vector<int> out;
        for (int i = b; i < e; ++i) {
            if (toks[i].isSymbol(u"(")) {
                i = matchParen(i, e);
                continue;
            }
            if (pred(toks[i]))
                out.push_back(i);
        }
        return out;
    }

    // Text literals compared with a date column (by token): Jet compares them as dates when
    // they read as dates, so "D > '01.01.1990'" does not compare the stored text.
    QHash<int, QString> dateCompared;

    void findDateComparisons() {
        auto isComparison = [](const JetToken& t) {
            return t.isSymbol(u"=") || t.isSymbol(u"<>") || t.isSymbol(u"<") || t.isSymbol(u">") ||
                   t.isSymbol(u"<=") || t.isSymbol(u">=");
        };
        std::vector<std::pair<int, int>> candidates; // literal, the column's last token
        const int n = size();
        for (int i = 0; i < n; ++i) {
            if (toks[i].kind != K::String || lift[i] < 0)
                continue;
            if (i >= 2 && (isComparison(toks[i - 1]) || toks[i - 1].isWord(u"between")))
                candidates.emplace_back(i, i - 2);
            else if (i >= 4 && toks[i - 1].isWord(u"and") && toks[i - 2].isLiteral() &&
                     toks[i - 3].isWord(u"between"))
                candidates.emplace_back(i, i - 4);
            else if (i + 2 < n && isComparison(toks[i + 1])) {
                int last = i + 2;
                while (last + 2 < n &&
                       (toks[last + 1].isSymbol(u".") || toks[last + 1].isSymbol(u"!")) &&
                       toks[last + 2].isName())
                    last += 2;
                candidates.emplace_back(i, last);
            }
        }
        if (candidates.empty())
            return;
        const QStringList tables = statementTables();
        for (auto [literal, last] : candidates) {
            if (!toks[last].isName() || (last + 1 < n && toks[last + 1].isSymbol(u"(")))
                continue;
            const QString column = toks[last].text;
            QString qualifier;
            if (last >= 2 && (toks[last - 1].isSymbol(u".") || toks[last - 1].isSymbol(u"!")) &&
                toks[last - 2].isName())
                qualifier = toks[last - 2].text;
            bool date = false, other = false;
            for (const QString& table : tables) {
                if (!qualifier.isEmpty() && tables.contains(qualifier, Qt::CaseInsensitive) &&
                    table.compare(qualifier, Qt::CaseInsensitive) != 0)
                    continue; // qualified by a table of the statement: only that one
                if (const auto type = catalog.columnType(table, column))
                    (type->type == JetType::Date ? date : other) = true;
            }
            if (date && !other)
                dateCompared.insert(literal, column);
        }
    }

    // The tables a statement reads or changes: names after FROM, JOIN, a comma of a FROM list,
    // UPDATE and INTO, that are tables of the database.
    QStringList statementTables() {
        QStringList out;
        QSet<QString> looked;
        const int n = size();
        for (int i = 0; i + 1 < n && looked.size() < 64; ++i) {
            const JetToken& t = toks[i];
            const bool fromList = t.isWord(u"from");
            if (!fromList && !t.isWord(u"join") && !t.isWord(u"update") && !t.isWord(u"into"))
                continue;
            for (int j = i + 1; j < n && toks[j].isName();) {
                const QString key = toks[j].text.toLower();
                if (!looked.contains(key)) {
                    looked.insert(key);
                    if (catalog.columns(toks[j].text))
                        out << toks[j].text;
                }
                ++j;
                if (j < n && toks[j].isWord(u"as"))
                    ++j;
                if (j < n && toks[j].kind == K::Word && !isClauseWord(toks[j]) &&
                    !chainBoundaryWords().contains(toks[j].text.toLower()))
                    ++j; // the alias
                if (!fromList || j >= n || !toks[j].isSymbol(u","))
                    break;
                ++j;
            }
        }
        return out;
    }

    QString param(int tokenIndex, JetColumnType target = {}, const QString& column = {}) {
        const int literal = lift[tokenIndex];
        const int number = literal + 1;
        if (!paramsEmitted.contains(number)) {
            paramsEmitted.insert(number);
            params.push_back({number, literal, target, column});
        }
        return dialect.parameter(number);
    }

    QString literal(int i) {
        const JetToken& t = toks[i];
        const bool lifted = lift[i] >= 0;
        switch (t.kind) {
        case K::String: {
            // a quoted text that stays in the text outside a schema statement names a column:
            // "AS 'ХВС'" names it with its quotes, as Jet does, and "ORDER BY 'ХВС'" sorts by it
            if (!lifted && !schema)
                return dialect.quoteName(u'\'' + t.text + u'\'');
            if (lifted) {
                if (const auto it = dateCompared.constFind(i); it != dateCompared.constEnd()) {
                    const QString p = param(i, {JetType::Date, 0}, *it);
                    for (ParamSlot& slot : params)
                        if (slot.literalIndex == lift[i])
                            slot.dateIfReadable = true;
                    return p;
                }
            }
            const QString v = lifted ? param(i) : SqlText::singleQuoted(t.text);
            return v + dialect.textCompareSuffix();
        }
        case K::Date:
            return lifted ? param(i) : SqlText::singleQuoted(t.text);
        default:
            return lifted ? param(i) : t.text;
        }
    }

    QString token(int i, int e) {
        const JetToken& t = toks[i];
        switch (t.kind) {
        case K::BracketName:
        case K::QuotedName:
            return dialect.quoteName(t.text);
        case K::String:
        case K::Integer:
        case K::Decimal:
        case K::Date:
            return literal(i);
        case K::Symbol:
            if (t.text == u"&")
                return QStringLiteral("||");
            if (t.text == u"!")
                return QStringLiteral(".");
            if (t.text == u"/")
                return dialect.divisionOperator(); // Jet divides integers without truncating
            return t.text;
        case K::Word:
            break;
        }
        const QString lower = t.text.toLower();
        if (i + 1 < e && toks[i + 1].isSymbol(u"(")) {
            const QString f = dialect.function(lower);
            if (!f.isEmpty())
                return f;
        }
        if (lower == u"true")
            return QStringLiteral("-1");
        if (lower == u"false")
            return QStringLiteral("0");
        if (lower == u"mod")
            return QStringLiteral("%");
        if (lower == u"distinctrow")
            return QStringLiteral("DISTINCT");
        if (!isAsciiWord(t.text))
            return dialect.quoteName(t.text);
        return t.text;
    }

    static void join(QString& out, const QString& piece) {
        if (piece.isEmpty())
            return;
        if (!out.isEmpty() && !out.endsWith(u'(') && !piece.startsWith(u')') &&
            !piece.startsWith(u',') && !out.endsWith(u'.') && !piece.startsWith(u'.'))
            out += u' ';
        out += piece;
    }

    // Tokens of [b, e) one by one; parenthesised groups recurse through range().
    QString plain(int b, int e) {
        QString out;
        for (int i = b; i < e; ++i) {
            if (skip[i])
                continue;
            if (toks[i].isSymbol(u"(")) {
                const int close = matchParen(i, e);
                join(out, u'(' + range(i + 1, close) + u')');
                const QString alias = derivedTableAlias(i, close);
                if (!alias.isEmpty())
                    join(out, QStringLiteral("AS ") + dialect.quoteName(alias));
                i = close;
                continue;
            }
            join(out, token(i, e));
        }
        return out;
    }

    // Jet lets a statement name the columns of a sub-select in FROM that has no alias of its own
    // by the table they came from ("select * from (select Client.IDC …) where client.idc …").
    // Such a sub-select gets that name as its alias when the statement uses exactly one
    // qualifier that names nothing else at its level.
    QString derivedTableAlias(int open, int close) const {
        const int n = size();
        if (open == 0 || open + 1 >= close || !toks[open + 1].isWord(u"select"))
            return {};
        const JetToken& before = toks[open - 1];
        if (!before.isWord(u"from") && !before.isWord(u"join") && !before.isSymbol(u","))
            return {};
        if (close + 1 < n &&
            (toks[close + 1].isWord(u"as") || toks[close + 1].kind == K::BracketName ||
             (toks[close + 1].kind == K::Word && !isClauseWord(toks[close + 1]) &&
              !chainBoundaryWords().contains(toks[close + 1].text.toLower()))))
            return {}; // it has an alias
        QSet<QString> qualifiers, names;
        int depth = 0;
        for (int i = close + 1; i < n && depth >= 0; ++i) {
            const JetToken& t = toks[i];
            if (t.isSymbol(u"(")) {
                ++depth;
            } else if (t.isSymbol(u")")) {
                --depth;
            } else if (depth == 0 && (t.kind == K::Word || t.kind == K::BracketName)) {
                if (i + 2 < n && toks[i + 1].isSymbol(u".") &&
                    (toks[i + 2].kind == K::Word || toks[i + 2].kind == K::BracketName)) {
                    qualifiers.insert(t.text.toLower());
                    i += 2;
                } else {
                    names.insert(t.text.toLower());
                }
            }
        }
        if (qualifiers.size() != 1 || names.contains(*qualifiers.begin()))
            return {};
        for (int i = close + 1; i < n; ++i)
            if ((toks[i].kind == K::Word || toks[i].kind == K::BracketName) &&
                toks[i].text.toLower() == *qualifiers.begin())
                return toks[i].text;
        return {};
    }

    bool isChainBoundary(int i, int e) const {
        const JetToken& t = toks[i];
        // Left( and Right( are functions, not joins
        if ((t.isWord(u"left") || t.isWord(u"right")) && i + 1 < e && toks[i + 1].isSymbol(u"("))
            return false;
        if (t.kind == K::Symbol)
            return t.text == u"," || t.text == u"=" || t.text == u"<>" || t.text == u"<" ||
                   t.text == u">" || t.text == u"<=" || t.text == u">=" || t.text == u"!=" ||
                   t.text == u";";
        return t.kind == K::Word && chainBoundaryWords().contains(t.text.toLower());
    }

    // An expression range: TOP becomes LIMIT, & chains become the dialect's concatenation.
    QString range(int b, int e) {
        if (const auto unions =
                topLevel(b, e, [](const JetToken& t) { return t.isWord(u"union"); });
            !unions.empty())
            return unionOf(b, e, unions, false);
        QString limit;
        for (int i = b; i < e; ++i) {
            if (toks[i].isSymbol(u"(")) {
                i = matchParen(i, e);
                continue;
            }
            if (!toks[i].isWord(u"select"))
                continue;
            int j = i + 1;
            if (j < e && (toks[j].isWord(u"distinct") || toks[j].isWord(u"all") ||
                          toks[j].isWord(u"distinctrow")))
                ++j;
            if (j + 1 < e && toks[j].isWord(u"top") && (toks[j + 1].kind == K::Integer)) {
                skip[j] = skip[j + 1] = true;
                limit = QStringLiteral(" LIMIT ") + literal(j + 1);
                if (j + 2 < e && toks[j + 2].isWord(u"percent"))
                    fail(QStringLiteral("TOP … PERCENT не поддерживается"));
            }
        }
        QString out;
        int segStart = b;
        auto flush = [&](int segEnd) {
            if (segStart >= segEnd)
                return;
            const auto amps =
                topLevel(segStart, segEnd, [](const JetToken& t) { return t.isSymbol(u"&"); });
            if (amps.empty()) {
                join(out, operand(segStart, segEnd));
            } else {
                QStringList operands;
                int from = segStart;
                for (int a : amps) {
                    operands << operand(from, a);
                    from = a + 1;
                }
                operands << operand(from, segEnd);
                join(out, dialect.concat(operands));
            }
        };
        for (int i = b; i < e; ++i) {
            if (toks[i].isSymbol(u"(")) {
                i = matchParen(i, e);
                continue;
            }
            if (isChainBoundary(i, e)) {
                flush(i);
                join(out, plain(i, i + 1));
                segStart = i + 1;
            }
        }
        flush(e);
        return out + limit;
    }

    // The members of a UNION: each member keeps its own TOP (Jet limits that member, not the
    // whole), and an ORDER BY after the last member sorts the whole. outer: the first member is
    // the statement's own SELECT, whose unnamed columns get Jet's names.
    QString unionOf(int b, int e, const std::vector<int>& unions, bool outer) {
        int tail = e;
        const int lastFrom = unions.back() + 1;
        for (int o : topLevel(lastFrom, e, [](const JetToken& t) { return t.isWord(u"order"); })) {
            tail = o;
            break;
        }
        QString out;
        int from = b;
        for (size_t k = 0; k <= unions.size(); ++k) {
            const int to = k < unions.size() ? unions[k] : tail;
            if (from >= to)
                fail(QStringLiteral("пустая часть UNION"));
            QString member = outer && k == 0 ? topSelect(from, to, -1, -1) : range(from, to);
            if (hasTop(from, to))
                member = QStringLiteral("SELECT * FROM (") + member + u')';
            join(out, member);
            if (k < unions.size()) {
                join(out, QStringLiteral("UNION"));
                from = unions[k] + 1;
                if (from < e && toks[from].isWord(u"all")) {
                    join(out, QStringLiteral("ALL"));
                    ++from;
                }
            }
        }
        if (tail < e)
            join(out, range(tail, e));
        return out;
    }

    bool hasTop(int b, int e) const {
        if (b >= e || !toks[b].isWord(u"select"))
            return false;
        int i = b + 1;
        if (i < e && (toks[i].isWord(u"distinct") || toks[i].isWord(u"all") ||
                      toks[i].isWord(u"distinctrow")))
            ++i;
        return i + 1 < e && toks[i].isWord(u"top") && toks[i + 1].kind == K::Integer;
    }

    // --- arithmetic with Jet's own operators and precedence ---

    // One operand of a & chain. Arithmetic with \, ^ or Mod is parsed, so that those operators
    // keep Jet's meaning and precedence (^, unary minus, * and /, \, Mod, + and -); anything
    // else goes out token by token.
    QString operand(int b, int e) {
        const bool jetOnly = !topLevel(b, e, [](const JetToken& t) {
                                  return t.isSymbol(u"\\") || t.isSymbol(u"^") || t.isWord(u"mod");
                              }).empty();
        if (!jetOnly)
            return plain(b, e);
        int p = b;
        QString out = additive(p, e);
        if (p != e)
            fail(QStringLiteral("не удалось разобрать выражение около «%1»")
                     .arg(SqlText::excerpt(toks[p].text, 40)));
        return out;
    }

    QString additive(int& p, int e) {
        QString left = modulo(p, e);
        while (p < e && (toks[p].isSymbol(u"+") || toks[p].isSymbol(u"-"))) {
            const QString op = toks[p++].text;
            left = u'(' + left + u' ' + op + u' ' + modulo(p, e) + u')';
        }
        return left;
    }

    QString modulo(int& p, int e) {
        QString left = integerQuotient(p, e);
        while (p < e && toks[p].isWord(u"mod")) {
            ++p;
            left = u'(' + left + QStringLiteral(" % ") + integerQuotient(p, e) + u')';
        }
        return left;
    }

    QString integerQuotient(int& p, int e) {
        QString left = product(p, e);
        while (p < e && toks[p].isSymbol(u"\\")) {
            ++p;
            left = dialect.integerDivision(left, product(p, e));
        }
        return left;
    }

    QString product(int& p, int e) {
        QString left = signedPower(p, e);
        while (p < e && (toks[p].isSymbol(u"*") || toks[p].isSymbol(u"/"))) {
            const bool divide = toks[p++].text == u"/";
            const QString right = signedPower(p, e);
            left = u'(' + left + u' ' +
                   (divide ? dialect.divisionOperator() : QStringLiteral("*")) + u' ' + right +
                   u')';
        }
        return left;
    }

    // unary signs bind looser than ^ (-2^2 is -4), so they apply to the whole power
    QString signedPower(int& p, int e) {
        bool negative = false;
        while (p < e && (toks[p].isSymbol(u"-") || toks[p].isSymbol(u"+")))
            negative ^= toks[p++].text == u"-";
        QString base = primary(p, e);
        while (p < e && toks[p].isSymbol(u"^")) {
            ++p;
            bool negativeExponent = false;
            while (p < e && (toks[p].isSymbol(u"-") || toks[p].isSymbol(u"+")))
                negativeExponent ^= toks[p++].text == u"-";
            QString exponent = primary(p, e);
            if (negativeExponent)
                exponent = QStringLiteral("(-") + exponent + u')';
            base = dialect.power(base, exponent);
        }
        return negative ? QStringLiteral("(-") + base + u')' : base;
    }

    QString primary(int& p, int e) {
        if (p >= e)
            fail(QStringLiteral("в выражении не хватает операнда"));
        if (toks[p].isSymbol(u"(")) {
            const int close = matchParen(p, e);
            const QString inner = range(p + 1, close);
            p = close + 1;
            return u'(' + inner + u')';
        }
        if (toks[p].kind == K::Word && p + 1 < e && toks[p + 1].isSymbol(u"(")) {
            const int close = matchParen(p + 1, e);
            const QString call = token(p, e) + u'(' + range(p + 2, close) + u')';
            p = close + 1;
            return call;
        }
        if (toks[p].isLiteral())
            return token(p++, e);
        if (toks[p].isName()) {
            // a name, qualified with . or !
            const int from = p++;
            while (p + 1 < e && (toks[p].isSymbol(u".") || toks[p].isSymbol(u"!")) &&
                   toks[p + 1].isName())
                p += 2;
            return plain(from, p);
        }
        fail(QStringLiteral("в выражении неожиданный знак «%1»")
                 .arg(SqlText::excerpt(toks[p].text, 40)));
    }

    // --- helpers for the statement forms ---

    // A name token (word or bracketed), possibly qualified: returns the last part and its end.
    QString nameAt(int i, int e, int* next) const {
        if (i >= e || !toks[i].isName())
            fail(QStringLiteral("ожидалось имя"));
        QString name = toks[i].text;
        int j = i + 1;
        while (j + 1 < e && toks[j].isSymbol(u".") && toks[j + 1].isName()) {
            name = toks[j + 1].text;
            j += 2;
        }
        *next = j;
        return name;
    }

    JetColumnType columnType(const QString& table, const QString& column) {
        return catalog.columnType(table, column).value_or(JetColumnType{});
    }

    QString converted(int b, int e, JetColumnType type, const QString& column) {
        if (e - b == 1 && toks[b].isLiteral() && lift[b] >= 0)
            return param(b, type, column);
        const QString expr = range(b, e);
        if (type.type == JetType::Unknown)
            return expr;
        return dialect.convertForColumn(expr, type, column);
    }

    std::vector<std::pair<int, int>> splitCommas(int b, int e) const {
        std::vector<std::pair<int, int>> items;
        int from = b;
        for (int c : topLevel(b, e, [](const JetToken& t) { return t.isSymbol(u","); })) {
            items.emplace_back(from, c);
            from = c + 1;
        }
        items.emplace_back(from, e);
        return items;
    }

    // The select list of the SELECT at b: [first, end) of its items.
    std::pair<int, int> selectList(int b, int e) const {
        int i = b + 1;
        if (i < e && (toks[i].isWord(u"distinct") || toks[i].isWord(u"all") ||
                      toks[i].isWord(u"distinctrow")))
            ++i;
        if (i + 1 < e && toks[i].isWord(u"top"))
            i += 2;
        int end = e;
        for (int c : topLevel(i, e, [](const JetToken& t) { return isClauseWord(t); })) {
            end = c;
            break;
        }
        return {i, end};
    }

    bool hasAlias(int b, int e) const {
        return !topLevel(b, e, [](const JetToken& t) { return t.isWord(u"as"); }).empty();
    }

    bool isPlainColumn(int b, int e) const {
        if (e - b == 1)
            return toks[b].isName() || toks[b].isSymbol(u"*");
        if (e - b == 3 && toks[b].isName() && toks[b + 1].isSymbol(u".") &&
            (toks[b + 2].isName() || toks[b + 2].isSymbol(u"*")))
            return true;
        return false;
    }

    // The outer SELECT: TOP becomes LIMIT, unaliased expressions get Jet's names Expr1000, …
    QString topSelect(int b, int e, int intoAt, int intoEnd) {
        int i = b + 1;
        QString out = QStringLiteral("SELECT");
        if (i < e && (toks[i].isWord(u"distinct") || toks[i].isWord(u"all") ||
                      toks[i].isWord(u"distinctrow"))) {
            join(out, token(i, e));
            ++i;
        }
        QString limit;
        if (i + 1 < e && toks[i].isWord(u"top") && toks[i + 1].kind == K::Integer) {
            limit = QStringLiteral(" LIMIT ") + literal(i + 1);
            i += 2;
        }
        const auto [first, listEnd] = selectList(b, e);
        int counter = 1000;
        QStringList items;
        for (auto [b, ie] : splitCommas(first, listEnd)) {
            QString item = range(b, ie);
            if (b < ie && !isPlainColumn(b, ie) && !hasAlias(b, ie))
                item += QStringLiteral(" AS Expr%1").arg(counter++);
            items << item;
        }
        join(out, items.join(QStringLiteral(", ")));
        const int restFrom = intoAt >= 0 ? intoEnd : listEnd;
        if (restFrom < e)
            join(out, range(restFrom, e));
        return out + limit;
    }

    JetColumnType inferType(int b, int e) const {
        // strip the alias
        const auto as = topLevel(b, e, [](const JetToken& t) { return t.isWord(u"as"); });
        if (!as.empty())
            e = as.front();
        if (b >= e)
            return {};
        if (e - b == 1) {
            switch (toks[b].kind) {
            case K::String:
                return {JetType::Text, 255};
            case K::Integer:
                return {JetType::Long, 0};
            case K::Decimal:
                return {JetType::Float, 0};
            case K::Date:
                return {JetType::Date, 0};
            default:
                return {};
            }
        }
        if (toks[b].kind == K::Word && toks[b + 1].isSymbol(u"(") &&
            matchParen(b + 1, e) == e - 1) {
            const QString f = toks[b].text.toLower();
            static const QSet<QString> floats = {QStringLiteral("cdbl"), QStringLiteral("csng"),
                                                 QStringLiteral("ccur"), QStringLiteral("val"),
                                                 QStringLiteral("avg"),  QStringLiteral("round")};
            static const QSet<QString> longs = {QStringLiteral("clng"),  QStringLiteral("cint"),
                                                QStringLiteral("count"), QStringLiteral("len"),
                                                QStringLiteral("instr"), QStringLiteral("year"),
                                                QStringLiteral("month"), QStringLiteral("day"),
                                                QStringLiteral("int"),   QStringLiteral("fix")};
            static const QSet<QString> texts = {QStringLiteral("cstr"),  QStringLiteral("format"),
                                                QStringLiteral("left"),  QStringLiteral("right"),
                                                QStringLiteral("mid"),   QStringLiteral("trim"),
                                                QStringLiteral("ltrim"), QStringLiteral("rtrim"),
                                                QStringLiteral("ucase"), QStringLiteral("lcase")};
            static const QSet<QString> dates = {QStringLiteral("cdate"), QStringLiteral("now"),
                                                QStringLiteral("date")};
            if (floats.contains(f))
                return {JetType::Float, 0};
            if (longs.contains(f))
                return {JetType::Long, 0};
            if (texts.contains(f))
                return {JetType::Text, 255};
            if (dates.contains(f))
                return {JetType::Date, 0};
            const auto args = splitCommas(b + 2, e - 1);
            if (f == u"iif" && args.size() == 3)
                return inferType(args[1].first, args[1].second);
            if (f == u"sum" || f == u"max" || f == u"min" || f == u"nz" || f == u"first" ||
                f == u"last" || f == u"abs")
                return inferType(args[0].first, args[0].second);
        }
        return {};
    }
};

QString translateColumnDefs(Emitter& em, int b, int e) {
    // "(name type[(n)] [constraints], …)"
    QStringList defs;
    for (auto [ib, ie] : em.splitCommas(b, e)) {
        if (ib >= ie)
            em.fail(QStringLiteral("пустое описание столбца"));
        const JetToken& first = em.toks[ib];
        if (first.isWord(u"constraint") || first.isWord(u"primary") || first.isWord(u"unique")) {
            defs << em.plain(ib, ie);
            continue;
        }
        QString def = em.dialect.quoteName(first.text);
        int i = ib + 1;
        if (i < ie && em.toks[i].kind == K::Word) {
            const QString t = em.toks[i].text.toLower();
            int length = 0;
            int next = i + 1;
            if (next + 2 < ie + 1 && next < ie && em.toks[next].isSymbol(u"(")) {
                const int close = em.matchParen(next, ie);
                length = em.toks[next + 1].text.toInt();
                next = close + 1;
            }
            JetColumnType type;
            if (t == u"long" || t == u"integer" || t == u"int" || t == u"short" ||
                t == u"smallint" || t == u"byte" || t == u"counter" || t == u"autoincrement" ||
                t == u"integer4" || t == u"long integer")
                type = {JetType::Long, 0};
            else if (t == u"float" || t == u"double" || t == u"single" || t == u"real" ||
                     t == u"currency" || t == u"money" || t == u"numeric" || t == u"decimal" ||
                     t == u"number")
                type = {JetType::Float, 0};
            else if (t == u"string" || t == u"text" || t == u"varchar" || t == u"char" ||
                     t == u"nvarchar" || t == u"nchar")
                type = {JetType::Text, length > 0 ? length : 255};
            else if (t == u"memo" || t == u"longtext" || t == u"longchar" || t == u"note")
                type = {JetType::Text, 0};
            else if (t == u"date" || t == u"datetime" || t == u"time" || t == u"timestamp")
                type = {JetType::Date, 0};
            else if (t == u"yesno" || t == u"bit" || t == u"logical" || t == u"boolean" ||
                     t == u"logical1")
                type = {JetType::YesNo, 0};
            else
                em.fail(QStringLiteral("неизвестный тип столбца «%1»").arg(em.toks[i].text));
            def += u' ' + em.dialect.columnType(type);
            if (next < ie)
                def += u' ' + em.plain(next, ie);
        } else if (i < ie) {
            def += u' ' + em.plain(i, ie);
        }
        defs << def;
    }
    return defs.join(QStringLiteral(", "));
}

// SELECT … [INTO T] FROM …, and UNIONs
void translateSelect(Emitter& em, Translation& tr, int end) {
    const std::vector<JetToken>& toks = em.toks;
    // SELECT … INTO T FROM …: the INTO at the outer level names a new table
    const auto [first, listEnd] = em.selectList(0, end);
    int intoEnd = -1;
    if (listEnd < end && toks[listEnd].isWord(u"into")) {
        tr.kind = Translation::Kind::SelectInto;
        tr.intoTable = em.nameAt(listEnd + 1, end, &intoEnd);
        for (auto [b, e] : em.splitCommas(first, listEnd))
            tr.inferredTypes.push_back(em.inferType(b, e));
    }
    const auto unions = em.topLevel(0, end, [](const JetToken& t) { return t.isWord(u"union"); });
    if (tr.kind == Translation::Kind::SelectInto)
        tr.sql = em.topSelect(0, end, listEnd, intoEnd);
    else if (!unions.empty())
        tr.sql = em.unionOf(0, end, unions, true);
    else
        tr.sql = em.topSelect(0, end, -1, -1);
}

// INSERT … VALUES and INSERT … SELECT: every value converted for its column
void translateInsert(Emitter& em, Translation& tr, int end) {
    const std::vector<JetToken>& toks = em.toks;
    int i = 1;
    if (i < end && toks[i].isWord(u"into"))
        ++i;
    int next = 0;
    const QString table = em.nameAt(i, end, &next);
    QStringList columns;
    if (next < end && toks[next].isSymbol(u"(")) {
        const int close = em.matchParen(next, end);
        for (auto [b, e] : em.splitCommas(next + 1, close)) {
            int after = 0;
            columns << em.nameAt(b, e, &after);
        }
        next = close + 1;
    } else if (const auto* cols = em.catalog.columns(table)) {
        for (const auto& c : *cols)
            columns << c.name;
    }
    QStringList quotedColumns;
    for (const auto& c : columns)
        quotedColumns << em.dialect.quoteName(c);
    const QString head = QStringLiteral("INSERT INTO ") + em.dialect.quoteName(table) +
                         QStringLiteral(" (") + quotedColumns.join(QStringLiteral(", ")) + u')';
    if (next < end && toks[next].isWord(u"values")) {
        if (next + 1 >= end || !toks[next + 1].isSymbol(u"("))
            em.fail(QStringLiteral("после VALUES ожидается список значений в скобках"));
        const int close = em.matchParen(next + 1, end);
        const auto items = em.splitCommas(next + 2, close);
        if (int(items.size()) != columns.size())
            em.fail(
                QStringLiteral("значений %1, а столбцов %2").arg(items.size()).arg(columns.size()));
        QStringList values;
        for (size_t k = 0; k < items.size(); ++k)
            values << em.converted(items[k].first, items[k].second,
                                   em.columnType(table, columns[int(k)]), columns[int(k)]);
        tr.sql = head + QStringLiteral(" VALUES (") + values.join(QStringLiteral(", ")) + u')';
        if (close + 1 < end)
            em.fail(QStringLiteral("лишний текст после списка значений"));
    } else {
        // INSERT … SELECT: every selected value is converted for its column
        QStringList srcNames, convertedCols;
        for (int k = 0; k < columns.size(); ++k) {
            const QString src = QStringLiteral("c%1").arg(k + 1);
            srcNames << src;
            convertedCols << [&] {
                const JetColumnType t = em.columnType(table, columns[k]);
                return t.type == JetType::Unknown ? src
                                                  : em.dialect.convertForColumn(src, t, columns[k]);
            }();
        }
        tr.sql = QStringLiteral("WITH jet_source(") + srcNames.join(QStringLiteral(", ")) +
                 QStringLiteral(") AS (") + em.range(next, end) + QStringLiteral(") ") + head +
                 QStringLiteral(" SELECT ") + convertedCols.join(QStringLiteral(", ")) +
                 QStringLiteral(" FROM jet_source");
    }
}

// UPDATE T SET …: every assigned value converted for its column
void translateUpdate(Emitter& em, Translation& tr, int end) {
    const std::vector<JetToken>& toks = em.toks;
    int next = 0;
    const QString table = em.nameAt(1, end, &next);
    if (next >= end || !toks[next].isWord(u"set"))
        em.fail(QStringLiteral("в UPDATE ожидается SET после имени таблицы"));
    int setEnd = end;
    for (int w : em.topLevel(next + 1, end, [](const JetToken& t) { return t.isWord(u"where"); })) {
        setEnd = w;
        break;
    }
    QStringList assignments;
    for (auto [b, e] : em.splitCommas(next + 1, setEnd)) {
        int eq = 0;
        const QString column = em.nameAt(b, e, &eq);
        if (eq >= e || !toks[eq].isSymbol(u"="))
            em.fail(QStringLiteral("в SET ожидается «столбец = значение»"));
        assignments << em.dialect.quoteName(column) + QStringLiteral(" = ") +
                           em.converted(eq + 1, e, em.columnType(table, column), column);
    }
    tr.sql = QStringLiteral("UPDATE ") + em.dialect.quoteName(table) + QStringLiteral(" SET ") +
             assignments.join(QStringLiteral(", "));
    if (setEnd < end)
        tr.sql += u' ' + em.range(setEnd, end);
}

// delete * from T / delete T.* from T / delete from T
void translateDelete(Emitter& em, Translation& tr, int end) {
    int from = -1;
    for (int w : em.topLevel(1, end, [](const JetToken& t) { return t.isWord(u"from"); })) {
        from = w;
        break;
    }
    if (from < 0)
        em.fail(QStringLiteral("в DELETE ожидается FROM"));
    tr.sql = QStringLiteral("DELETE ") + em.range(from, end);
}

// CREATE TABLE with Jet's column types
void translateCreateTable(Emitter& em, Translation& tr, int end) {
    const std::vector<JetToken>& toks = em.toks;
    tr.kind = Translation::Kind::Schema;
    int next = 0;
    const QString table = em.nameAt(2, end, &next);
    if (next >= end || !toks[next].isSymbol(u"("))
        em.fail(QStringLiteral("в CREATE TABLE ожидается список столбцов"));
    const int close = em.matchParen(next, end);
    tr.sql = QStringLiteral("CREATE TABLE ") + em.dialect.quoteName(table) + QStringLiteral(" (") +
             translateColumnDefs(em, next + 1, close) + u')';
}

// ALTER TABLE … ADD [COLUMN] …
void translateAlterTable(Emitter& em, Translation& tr, int end) {
    const std::vector<JetToken>& toks = em.toks;
    tr.kind = Translation::Kind::Schema;
    int next = 0;
    const QString table = em.nameAt(2, end, &next);
    if (next < end && toks[next].isWord(u"add")) {
        int col = next + 1;
        if (col < end && toks[col].isWord(u"column"))
            ++col;
        tr.sql = QStringLiteral("ALTER TABLE ") + em.dialect.quoteName(table) +
                 QStringLiteral(" ADD COLUMN ") + translateColumnDefs(em, col, end);
    } else {
        tr.sql = QStringLiteral("ALTER TABLE ") + em.dialect.quoteName(table) + u' ' +
                 em.plain(next, end);
    }
}

} // namespace

QString statementVerb(const std::vector<JetToken>& tokens) {
    for (const auto& t : tokens) {
        if (t.isSymbol(u"("))
            continue;
        return t.kind == K::Word ? t.text.toUpper() : QString();
    }
    return {};
}

bool isSchemaVerb(const QString& verb) {
    return verb == u"CREATE" || verb == u"DROP" || verb == u"ALTER";
}

std::vector<int> liftedLiterals(const std::vector<JetToken>& tokens) {
    std::vector<int> lifted(tokens.size(), -1);
    if (isSchemaVerb(statementVerb(tokens)))
        return lifted;
    // ORDER BY lists keep their literals: a number there is a column position
    std::vector<bool> inOrderBy;
    std::vector<bool> stack{false};
    int next = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const JetToken& t = tokens[i];
        if (t.isSymbol(u"(")) {
            stack.push_back(false);
            continue;
        }
        if (t.isSymbol(u")")) {
            if (stack.size() > 1)
                stack.pop_back();
            continue;
        }
        if (t.isWord(u"order") && i + 1 < tokens.size() && tokens[i + 1].isWord(u"by"))
            stack.back() = true;
        else if (isClauseWord(t))
            stack.back() = false;
        // a text after AS is the column's name, not a value
        const bool alias = t.kind == K::String && i > 0 && tokens[i - 1].isWord(u"as");
        if (t.isLiteral() && !stack.back() && !alias)
            lifted[i] = next++;
    }
    return lifted;
}

QString statementShape(const std::vector<JetToken>& tokens, const std::vector<int>& lifted) {
    QString key;
    key.reserve(int(tokens.size()) * 6);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const JetToken& t = tokens[i];
        key += QChar(u'a' + int(t.kind));
        if (lifted[i] < 0)
            key += t.text;
        key += QChar(0x1f);
    }
    return key;
}

Translation JetTranslator::translate(const QString& statement, const std::vector<JetToken>& toks,
                                     const std::vector<int>& lifted) {
    Emitter em(m_dialect, m_catalog, statement, toks, lifted);
    Translation tr;
    const int n = em.size();
    // one statement: only one ";" may close it
    int end = n;
    if (end > 0 && toks[end - 1].isSymbol(u";"))
        --end;
    for (int i = 0; i < end; ++i)
        if (toks[i].isSymbol(u";"))
            em.fail(QStringLiteral("после «;» идёт ещё текст, а выполняется только один запрос"));
    if (end == 0)
        em.fail(QStringLiteral("пустой запрос"));
    // the translation follows parentheses recursively: a sane depth keeps it linear and the
    // stack small
    int depth = 0;
    for (int i = 0; i < end; ++i) {
        if (toks[i].isSymbol(u"(") && ++depth > MaxNesting)
            em.fail(
                QStringLiteral("слишком глубокая вложенность скобок (больше %1)").arg(MaxNesting));
        if (toks[i].isSymbol(u")"))
            --depth;
    }
    // Jet's statements only: the engine's own commands (transactions, PRAGMA, ATTACH, …) would
    // end the routine's transaction or reach files behind the program's back
    static const QSet<QString> verbs = {QStringLiteral("SELECT"), QStringLiteral("INSERT"),
                                        QStringLiteral("UPDATE"), QStringLiteral("DELETE"),
                                        QStringLiteral("CREATE"), QStringLiteral("DROP"),
                                        QStringLiteral("ALTER")};
    const QString verb = statementVerb(toks);
    if (!verbs.contains(verb))
        em.fail(QStringLiteral("запрос должен начинаться с SELECT, INSERT, UPDATE, DELETE, CREATE, "
                               "DROP или ALTER"));
    if (!em.schema)
        em.findDateComparisons();
    if (verb == u"SELECT" && toks[0].isWord(u"select"))
        translateSelect(em, tr, end);
    else if (verb == u"INSERT")
        translateInsert(em, tr, end);
    else if (verb == u"UPDATE")
        translateUpdate(em, tr, end);
    else if (verb == u"DELETE")
        translateDelete(em, tr, end);
    else if (verb == u"CREATE" && end > 2 && toks[1].isWord(u"table"))
        translateCreateTable(em, tr, end);
    else if (verb == u"ALTER" && end > 4 && toks[1].isWord(u"table"))
        translateAlterTable(em, tr, end);
    else if (verb == u"DROP" && end > 2 && toks[1].isWord(u"index")) {
        // Jet: DROP INDEX name ON table
        tr.kind = Translation::Kind::Schema;
        tr.sql = QStringLiteral("DROP INDEX ") + m_dialect.quoteName(toks[2].text);
    } else if (isSchemaVerb(verb)) {
        tr.kind = Translation::Kind::Schema;
        tr.sql = em.plain(0, end);
    } else {
        tr.sql = em.range(0, end);
    }
    tr.params = std::move(em.params);
    return tr;
}
