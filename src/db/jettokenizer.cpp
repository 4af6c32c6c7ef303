#include "db/jettokenizer.h"

#include "db/dberror.h"
#include "db/jetconvert.h"
#include "db/sqltext.h"

#include <QDate>
#include <QTime>

namespace {

bool isDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}
bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}
bool isWordChar(QChar c) {
    return isWordStart(c) || isDigit(c) || c == u'$';
}

[[noreturn]] void fail(const QString& statement, const QString& reason) {
    throw DbError(QStringLiteral("Ошибка в тексте запроса: %1. Запрос: %2")
                      .arg(reason, SqlText::excerpt(statement)),
                  statement, reason);
}

// #mm/dd/yyyy# or #mm/dd/yyyy hh:mm:ss# → stored form.
QString parseDateLiteral(QStringView body, const QString& statement) {
    const QString t = body.trimmed().toString();
    const QStringList parts = t.split(u' ', Qt::SkipEmptyParts);
    const QStringList mdy = parts.value(0).split(u'/');
    bool okM = false, okD = false, okY = false;
    if (mdy.size() == 3) {
        const int m = mdy[0].toInt(&okM), d = mdy[1].toInt(&okD), y = mdy[2].toInt(&okY);
        const QDate date(y, m, d);
        if (okM && okD && okY && date.isValid()) {
            QTime time(0, 0, 0);
            if (parts.size() > 1) {
                const QStringList hms = parts[1].split(u':');
                time = QTime(hms.value(0).toInt(), hms.value(1).toInt(), hms.value(2).toInt());
                if (hms.size() < 2 || !time.isValid())
                    fail(statement, QStringLiteral("неверная дата #%1#").arg(t));
            }
            return JetConvert::toStoredDate(QDateTime(date, time));
        }
    }
    fail(statement, QStringLiteral("неверная дата #%1# (ожидается #мм/дд/гггг#)").arg(t));
}

} // namespace

std::vector<JetToken> tokenizeJet(const QString& s) {
    std::vector<JetToken> out;
    out.reserve(s.size() / 4 + 4);
    const qsizetype n = s.size();
    qsizetype i = 0;
    using K = JetToken::Kind;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const int start = int(i);
        if (c == u'"' || c == u'\'') {
            QString value;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        value += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += s[i++];
            }
            if (!closed)
                fail(s, QStringLiteral("не закрыта кавычка, открытая в позиции %1").arg(start + 1));
            out.push_back({K::String, std::move(value), start});
            continue;
        }
        if (c == u'[' || c == u'`') {
            const QChar close = c == u'[' ? u']' : u'`';
            const qsizetype end = s.indexOf(close, i + 1);
            if (end < 0)
                fail(s, QStringLiteral("не закрыта скобка имени в позиции %1").arg(start + 1));
            const QString name = s.mid(i + 1, end - i - 1);
            const qsizetype dot = name.indexOf(u'.');
            if (c == u'[' && dot > 0 && dot < name.size() - 1 && name.indexOf(u'.', dot + 1) < 0) {
                // [Table.Column] is the column of that table, as Jet reads it
                out.push_back({K::BracketName, name.left(dot), start});
                out.push_back({K::Symbol, QStringLiteral("."), int(i + 1 + dot)});
                out.push_back({K::BracketName, name.mid(dot + 1), int(i + 2 + dot)});
            } else {
                out.push_back({c == u'[' ? K::BracketName : K::QuotedName, name, start});
            }
            i = end + 1;
            continue;
        }
        if (c == u'#') {
            const qsizetype end = s.indexOf(u'#', i + 1);
            if (end < 0)
                fail(s, QStringLiteral("не закрыта дата, начатая в позиции %1").arg(start + 1));
            out.push_back(
                {K::Date, parseDateLiteral(QStringView(s).mid(i + 1, end - i - 1), s), start});
            i = end + 1;
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
            // an exponent only when digits follow: "5and" is the number 5 and the word "and"
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
            out.push_back({decimal ? K::Decimal : K::Integer, s.mid(i, j - i), start});
            i = j;
            continue;
        }
        if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(s[j]))
                ++j;
            out.push_back({K::Word, s.mid(i, j - i), start});
            i = j;
            continue;
        }
        // symbols, the two-character ones first
        if (i + 1 < n) {
            const QChar d = s[i + 1];
            if ((c == u'<' && (d == u'>' || d == u'=')) || (c == u'>' && d == u'=') ||
                (c == u'!' && d == u'=')) {
                out.push_back({K::Symbol, s.mid(i, 2), start});
                i += 2;
                continue;
            }
        }
        static const QString Single = QStringLiteral("(),.;*+-/\\&=<>^!%");
        if (Single.contains(c)) {
            out.push_back({K::Symbol, QString(c), start});
            ++i;
            continue;
        }
        fail(s, QStringLiteral("непонятный знак «%1» в позиции %2").arg(c).arg(start + 1));
    }
    return out;
}
