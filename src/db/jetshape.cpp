#include "db/jetshape.h"

#include "db/jetconvert.h"

#include <QDate>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

inline bool isDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}
// ASCII keyword comparison without regard to case (the keywords are lower-case ASCII)
template <size_t N> bool same(QStringView word, const char16_t (&keyword)[N]) {
    if (word.size() != qsizetype(N - 1))
        return false;
    for (size_t i = 0; i + 1 < N; ++i) {
        const char16_t c = word[qsizetype(i)].unicode();
        if ((c >= u'A' && c <= u'Z' ? c + 32 : c) != keyword[i])
            return false;
    }
    return true;
}

bool isClauseWord(QStringView w) {
    return same(w, u"from") || same(w, u"where") || same(w, u"group") || same(w, u"order") ||
           same(w, u"having") || same(w, u"union") || same(w, u"into");
}

bool isSchemaVerb(QStringView w) {
    return same(w, u"create") || same(w, u"drop") || same(w, u"alter");
}

// #m/d/yyyy[ h:m:s]# body → stored form
std::optional<QString> dateLiteral(QStringView body) {
    int parts[6] = {0, 0, 0, 0, 0, 0};
    int part = 0, digits = 0;
    for (QChar c : body.trimmed()) {
        if (isDigit(c)) {
            // a part this long is never a valid date or time: the tokenizer reports it
            if (parts[part] > 99999)
                return std::nullopt;
            parts[part] = parts[part] * 10 + (c.unicode() - u'0');
            ++digits;
        } else if ((c == u'/' && part < 2) || (c == u' ' && part == 2) ||
                   (c == u':' && part >= 3 && part < 5)) {
            if (digits == 0 && c != u' ')
                return std::nullopt;
            if (c == u' ' && digits == 0)
                continue;
            ++part;
            digits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 && part != 4 && part != 5)
        return std::nullopt;
    const QDate d(parts[2], parts[0], parts[1]);
    const QTime t(parts[3], parts[4], parts[5]);
    if (!d.isValid() || !t.isValid())
        return std::nullopt;
    return JetConvert::toStoredDate(QDateTime(d, t));
}

} // namespace

Value ShapeLiteral::toValue() const {
    switch (kind) {
    case Kind::Text:
        return Value::text(text().toString());
    case Kind::Integer:
        return Value::integer(integer);
    case Kind::Real:
        return Value::real(real);
    case Kind::Date:
        return Value::date(owned);
    }
    return {};
}

namespace {

// What a character starts, for the characters below 0x80; everything above is a word character
// unless it is a space.
enum CharClass : unsigned char {
    Plain,
    Space,
    Quote,
    Hash,
    Digit,
    Dot,
    Word,
    Bracket,
    Open,
    Close,
    Bad
};

constexpr std::array<unsigned char, 128> charClasses() {
    std::array<unsigned char, 128> t{};
    for (int c = 0; c < 0x20; ++c)
        t[size_t(c)] = Bad;
    for (char c : {'\t', '\n', '\v', '\f', '\r', ' '})
        t[size_t(c)] = Space;
    t[size_t('"')] = t[size_t('\'')] = Quote;
    t[size_t('#')] = Hash;
    for (int c = '0'; c <= '9'; ++c)
        t[size_t(c)] = Digit;
    t[size_t('.')] = Dot;
    for (int c = 'a'; c <= 'z'; ++c)
        t[size_t(c)] = t[size_t(c - 32)] = Word;
    t[size_t('_')] = Word;
    t[size_t('[')] = t[size_t('`')] = Bracket;
    t[size_t('(')] = Open;
    t[size_t(')')] = Close;
    return t;
}
constexpr auto Classes = charClasses();

inline CharClass classOf(char16_t c) {
    if (c < 0x80)
        return CharClass(Classes[c]);
    return QChar(c).isSpace() ? Space : Word;
}

inline bool continuesWord(char16_t c) {
    if (c < 0x80) {
        const unsigned char k = Classes[c];
        return k == Word || k == Digit || c == u'$';
    }
    return !QChar(c).isSpace();
}

} // namespace

bool scanStatementShape(const QString& statement, StatementShape& shape) {
    const qsizetype n = statement.size();
    const char16_t* s = reinterpret_cast<const char16_t*>(statement.utf16());
    const QStringView all(statement);
    shape.literals.clear();
    // the key is written in place: never longer than the text plus one space per glued word
    shape.key.resize(2 * n + 1);
    char16_t* out = reinterpret_cast<char16_t*>(shape.key.data());
    char16_t* const keyStart = out;
    auto copy = [&](qsizetype from, qsizetype to) {
        std::copy(s + from, s + to, out);
        out += to - from;
    };
    // ORDER BY lists keep their literals in the text (a number there is a column position);
    // schema statements keep all of them. One bit per open parenthesis: inside an ORDER BY list
    // at that depth.
    quint64 orderBy = 0;
    int depth = 0;
    bool keepAll = false;
    bool firstWord = true;
    bool lastWordWasOrder = false;
    bool lastWordWasAs = false; // a quoted text after AS names a column and stays in the key
    auto keep = [&] { return keepAll || (orderBy >> depth & 1) != 0; };
    auto setOrderBy = [&](bool on) {
        orderBy = on ? orderBy | (quint64(1) << depth) : orderBy & ~(quint64(1) << depth);
    };
    auto finish = [&](bool ok) {
        shape.key.truncate(ok ? out - keyStart : 0);
        return ok;
    };
    qsizetype i = 0;
    // a statement with a recent statement's head continues where that one met its first literal
    ShapePrefix* taken = nullptr;
    for (ShapePrefix& p : shape.prefixes) {
        if (p.offset < 0 || p.offset >= n ||
            std::memcmp(s, p.text.utf16(), size_t(p.offset) * sizeof(char16_t)) != 0)
            continue;
        // the head must end where a token ends in this statement too: after "select.5" the
        // head "select" is not the head of "select5.5", whose first word is "select5"
        if (p.offset > 0 && continuesWord(s[p.offset - 1]) && continuesWord(s[p.offset]))
            continue;
        taken = &p;
        std::copy(p.key.utf16(), p.key.utf16() + p.key.size(), out);
        out += p.key.size();
        i = p.offset;
        orderBy = p.orderBy;
        depth = p.depth;
        keepAll = p.keepAll;
        firstWord = p.firstWord;
        lastWordWasOrder = p.lastWordWasOrder;
        lastWordWasAs = p.lastWordWasAs;
        break;
    }
    // otherwise this statement's head is kept at its first literal
    auto remember = [&](bool afterAs) {
        if (taken)
            return;
        ShapePrefix& p = shape.prefixes[size_t(shape.nextPrefix)];
        shape.nextPrefix = (shape.nextPrefix + 1) % int(shape.prefixes.size());
        p.text = statement;
        p.offset = i;
        p.key = QString(reinterpret_cast<const QChar*>(keyStart), out - keyStart);
        p.orderBy = orderBy;
        p.depth = depth;
        p.keepAll = keepAll;
        p.firstWord = firstWord;
        p.lastWordWasOrder = lastWordWasOrder;
        p.lastWordWasAs = afterAs;
        taken = &p;
    };
    while (i < n) {
        const char16_t c = s[i];
        if (c == u' ') { // the most common characters, kept out of the dispatch below
            *out++ = c;
            ++i;
            continue;
        }
        if (c == u',') {
            *out++ = c;
            ++i;
            lastWordWasOrder = lastWordWasAs = false;
            continue;
        }
        const bool afterAs = std::exchange(lastWordWasAs, false);
        switch (classOf(c)) {
        case Space:
            lastWordWasAs = afterAs;
            *out++ = c;
            ++i;
            continue;
        case Plain:
            break;
        case Bad:
            return finish(false); // keeps the markers unambiguous
        case Quote: {
            remember(afterAs);
            const qsizetype start = i++;
            qsizetype from = i;
            QString collapsed;
            bool closed = false, doubled = false;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        collapsed += all.mid(from, i + 1 - from);
                        i += 2;
                        from = i;
                        doubled = true;
                        continue;
                    }
                    closed = true;
                    break;
                }
                ++i;
            }
            if (!closed)
                return finish(false);
            ++i;
            if (keep() || afterAs) {
                copy(start, i);
            } else {
                ShapeLiteral& lit = shape.literals.emplace_back();
                if (doubled) {
                    collapsed += all.mid(from, i - 1 - from);
                    lit.owned = std::move(collapsed);
                } else {
                    lit.view = all.mid(from, i - 1 - from);
                }
                *out++ = 0x1;
            }
            lastWordWasOrder = false;
            continue;
        }
        case Hash: {
            remember(afterAs);
            const qsizetype end = statement.indexOf(u'#', i + 1);
            if (end < 0)
                return finish(false);
            auto stored = dateLiteral(all.mid(i + 1, end - i - 1));
            if (!stored)
                return finish(false);
            if (keep()) {
                copy(i, end + 1);
            } else {
                ShapeLiteral& lit = shape.literals.emplace_back();
                lit.kind = ShapeLiteral::Kind::Date;
                lit.owned = std::move(*stored);
                *out++ = 0x2;
            }
            i = end + 1;
            lastWordWasOrder = false;
            continue;
        }
        case Dot:
            if (!(i + 1 < n && isDigit(QChar(s[i + 1])))) {
                *out++ = c;
                lastWordWasOrder = false;
                ++i;
                continue;
            }
            [[fallthrough]];
        case Digit: {
            remember(afterAs);
            qsizetype j = i;
            qint64 integer = 0;
            for (; j < n && s[j] >= u'0' && s[j] <= u'9'; ++j)
                if (j - i < 18)
                    integer = integer * 10 + (s[j] - u'0');
            bool decimal = j - i > 18;
            if (j + 1 < n && s[j] == u'.' && isDigit(QChar(s[j + 1]))) {
                decimal = true;
                ++j;
                while (j < n && isDigit(QChar(s[j])))
                    ++j;
            }
            if (j + 1 < n && (s[j] == u'e' || s[j] == u'E')) {
                qsizetype k = j + 1;
                if (k < n && (s[k] == u'+' || s[k] == u'-'))
                    ++k;
                if (k < n && isDigit(QChar(s[k]))) {
                    decimal = true;
                    j = k;
                    while (j < n && isDigit(QChar(s[j])))
                        ++j;
                }
            }
            if (keep()) {
                copy(i, j);
            } else {
                ShapeLiteral& lit = shape.literals.emplace_back();
                lit.view = all.mid(i, j - i);
                if (decimal) {
                    lit.kind = ShapeLiteral::Kind::Real;
                    lit.real = lit.view.toDouble();
                } else {
                    lit.kind = ShapeLiteral::Kind::Integer;
                    lit.integer = integer;
                }
                *out++ = decimal ? 0x4 : 0x3;
            }
            // a word glued to the number ("5and") starts a new token
            if (j < n && classOf(s[j]) == Word)
                *out++ = u' ';
            i = j;
            lastWordWasOrder = false;
            continue;
        }
        case Word: {
            qsizetype j = i + 1;
            while (j < n && continuesWord(s[j]))
                ++j;
            const QStringView word = all.mid(i, j - i);
            if (firstWord) {
                keepAll = isSchemaVerb(word);
                firstWord = false;
            }
            if (word.size() <= 6) {
                if (same(word, u"by") && lastWordWasOrder)
                    setOrderBy(true);
                else if (isClauseWord(word))
                    setOrderBy(false);
                lastWordWasOrder = same(word, u"order");
                lastWordWasAs = same(word, u"as");
            } else {
                lastWordWasOrder = false;
            }
            copy(i, j);
            i = j;
            continue;
        }
        case Bracket: {
            const qsizetype end = statement.indexOf(c == u'[' ? u']' : u'`', i + 1);
            if (end < 0)
                return finish(false);
            copy(i, end + 1);
            i = end + 1;
            lastWordWasOrder = false;
            continue;
        }
        case Open:
            if (++depth == 64)
                return finish(false); // nested deeper than the pass follows
            setOrderBy(false);
            break;
        case Close:
            if (depth > 0)
                --depth;
            break;
        }
        *out++ = c;
        lastWordWasOrder = false;
        ++i;
    }
    return finish(true);
}
