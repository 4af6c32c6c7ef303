#include "db/jetshape.h"

#include "db/jetconvert.h"

#include <QDate>

namespace {

inline bool isDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }
inline bool isWordStart(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_';
    return !c.isSpace();
}
inline bool isWordChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_' ||
               (u >= u'0' && u <= u'9') || u == u'$';
    return !c.isSpace();
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

bool isSchemaVerb(QStringView w) { return same(w, u"create") || same(w, u"drop") || same(w, u"alter"); }

// #m/d/yyyy[ h:m:s]# body → stored form
std::optional<QString> dateLiteral(QStringView body) {
    int parts[6] = {0, 0, 0, 0, 0, 0};
    int part = 0, digits = 0;
    for (QChar c : body.trimmed()) {
        if (isDigit(c)) {
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

bool scanStatementShape(const QString& s, StatementShape& shape) {
    shape.key.resize(0); // keeps the capacity
    shape.literals.clear();
    shape.key.reserve(s.size());
    const qsizetype n = s.size();
    // ORDER BY lists keep their literals in the text (a number there is a column position);
    // schema statements keep all of them
    std::vector<bool> orderBy{false};
    bool keepAll = false;
    bool firstWord = true;
    bool lastWordWasOrder = false;
    qsizetype i = 0;
    qsizetype copied = 0; // text before this offset is already in the key
    auto keep = [&] { return keepAll || orderBy.back(); };
    auto flushTo = [&](qsizetype offset) {
        shape.key += QStringView(s).mid(copied, offset - copied);
        copied = offset;
    };
    auto marker = [&](qsizetype start, qsizetype end, char16_t kind) {
        flushTo(start);
        shape.key += QChar(kind);
        copied = end;
    };
    while (i < n) {
        const QChar c = s[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype start = i++;
            QString collapsed;
            bool closed = false, doubled = false;
            qsizetype from = i;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        collapsed += QStringView(s).mid(from, i + 1 - from);
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
                return false;
            ShapeLiteral lit;
            if (doubled) {
                collapsed += QStringView(s).mid(from, i - from);
                lit.owned = std::move(collapsed);
            } else {
                lit.view = QStringView(s).mid(from, i - from);
            }
            ++i;
            if (!keep()) {
                marker(start, i, 0x1);
                shape.literals.push_back(std::move(lit));
            }
            lastWordWasOrder = false;
            continue;
        }
        if (c == u'#') {
            const qsizetype end = s.indexOf(u'#', i + 1);
            if (end < 0)
                return false;
            auto stored = dateLiteral(QStringView(s).mid(i + 1, end - i - 1));
            if (!stored)
                return false;
            if (!keep()) {
                marker(i, end + 1, 0x2);
                ShapeLiteral lit;
                lit.kind = ShapeLiteral::Kind::Date;
                lit.owned = std::move(*stored);
                shape.literals.push_back(std::move(lit));
            }
            i = end + 1;
            lastWordWasOrder = false;
            continue;
        }
        if (isDigit(c) || (c == u'.' && i + 1 < n && isDigit(s[i + 1]))) {
            qsizetype j = i;
            while (j < n && isDigit(s[j]))
                ++j;
            bool decimal = false;
            if (j < n && s[j] == u'.' && j + 1 < n && isDigit(s[j + 1])) {
                decimal = true;
                ++j;
                while (j < n && isDigit(s[j]))
                    ++j;
            }
            if (j + 1 < n && (s[j] == u'e' || s[j] == u'E')) {
                qsizetype k = j + 1;
                if (k < n && (s[k] == u'+' || s[k] == u'-'))
                    ++k;
                if (k < n && isDigit(s[k])) {
                    decimal = true;
                    j = k;
                    while (j < n && isDigit(s[j]))
                        ++j;
                }
            }
            const QStringView text = QStringView(s).mid(i, j - i);
            if (!keep()) {
                marker(i, j, decimal ? 0x4 : 0x3);
                ShapeLiteral lit;
                lit.view = text;
                if (!decimal && text.size() <= 18) {
                    lit.kind = ShapeLiteral::Kind::Integer;
                    for (QChar d : text)
                        lit.integer = lit.integer * 10 + (d.unicode() - u'0');
                } else {
                    lit.kind = ShapeLiteral::Kind::Real;
                    lit.real = text.toDouble();
                }
                shape.literals.push_back(std::move(lit));
            }
            // a word glued to the number ("5and") starts a new token
            if (j < n && isWordStart(s[j])) {
                flushTo(j);
                shape.key += u' ';
            }
            i = j;
            lastWordWasOrder = false;
            continue;
        }
        if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            const QStringView word = QStringView(s).mid(i, j - i);
            if (firstWord) {
                keepAll = isSchemaVerb(word);
                firstWord = false;
            }
            if (same(word, u"by") && lastWordWasOrder)
                orderBy.back() = true;
            else if (isClauseWord(word))
                orderBy.back() = false;
            lastWordWasOrder = same(word, u"order");
            i = j;
            continue;
        }
        if (c == u'[' || c == u'`') {
            const qsizetype end = s.indexOf(c == u'[' ? u']' : u'`', i + 1);
            if (end < 0)
                return false;
            i = end + 1;
            lastWordWasOrder = false;
            continue;
        }
        if (c == u'(') {
            orderBy.push_back(false);
        } else if (c == u')') {
            if (orderBy.size() > 1)
                orderBy.pop_back();
        }
        if (c < QChar(0x20) && !c.isSpace())
            return false; // keeps the markers unambiguous
        if (!c.isSpace())
            lastWordWasOrder = false;
        ++i;
    }
    flushTo(n);
    return true;
}
