#include "db/columnwrite.h"
#include "db/jetconvert.h"
#include "db/sqlitebackend.h"
#include "db/sqlitevalue.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace {

constexpr qsizetype MaxValueBytes = SqliteBackend::MaxValueBytes;

QString textOf(const unsigned char* t, int bytes) {
    return QString::fromUtf8(reinterpret_cast<const char*>(t), bytes);
}

Value fromStorage(int storage, qint64 i, double d, const QString* text, JetColumnType declared) {
    switch (storage) {
    case SQLITE_INTEGER:
        return declared.type == JetType::YesNo ? Value::boolean(i != 0) : Value::integer(i);
    case SQLITE_FLOAT:
        return Value::real(d);
    case SQLITE_NULL:
        return {};
    default:
        break;
    }
    if (declared.type == JetType::Date ||
        (declared.type == JetType::Unknown && JetConvert::looksLikeStoredDate(*text)))
        return Value::date(*text);
    return Value::text(*text);
}

// --- case-insensitive comparison, Cyrillic as Latin, Ё after Е ---

char32_t nextCodePoint(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = c & (0x3F >> extra);
    while (extra-- > 0 && p < end && (*p & 0xC0) == 0x80)
        cp = (cp << 6) | (*p++ & 0x3F);
    return cp;
}

char32_t fold(char32_t c) {
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c >= 0x430 && c <= 0x45F)
        return c;
    return QChar::toCaseFolded(c);
}

// sort weight: ё sorts right after е, every other letter by its code point
quint64 weight(char32_t c) {
    const char32_t f = fold(c);
    if (f == 0x451)
        return (quint64(0x435) << 1) | 1;
    return quint64(f) << 1;
}

int compareNoCase(void*, int n1, const void* s1, int n2, const void* s2) {
    auto p1 = static_cast<const unsigned char*>(s1);
    auto p2 = static_cast<const unsigned char*>(s2);
    const auto* e1 = p1 + n1;
    const auto* e2 = p2 + n2;
    // ASCII (periods, numbers, Latin names) byte by byte; the first other character goes on below
    while (p1 < e1 && p2 < e2 && ((*p1 | *p2) & 0x80) == 0) {
        unsigned char a = *p1, b = *p2;
        if (a != b) {
            a = (a >= 'A' && a <= 'Z') ? a + 32 : a;
            b = (b >= 'A' && b <= 'Z') ? b + 32 : b;
            if (a != b)
                return a < b ? -1 : 1;
        }
        ++p1;
        ++p2;
    }
    while (p1 < e1 && p2 < e2) {
        const quint64 w1 = weight(nextCodePoint(p1, e1));
        const quint64 w2 = weight(nextCodePoint(p2, e2));
        if (w1 != w2)
            return w1 < w2 ? -1 : 1;
    }
    if (p1 < e1)
        return 1;
    if (p2 < e2)
        return -1;
    return 0;
}

// --- LIKE with % and _ (and [list]), case-insensitive ---

std::u32string foldedCodePoints(const unsigned char* t, int bytes) {
    std::u32string out;
    out.reserve(size_t(bytes));
    const unsigned char* end = t + bytes;
    while (t < end)
        out.push_back(fold(nextCodePoint(t, end)));
    return out;
}

// One element of a LIKE pattern.
struct LikeItem {
    enum Kind { Char, One, Many, Set } kind = Char;
    char32_t c = 0;
    size_t from = 0, to = 0; // Set: the list's characters in the pattern
    bool negate = false;
};

std::vector<LikeItem> likeItems(const std::u32string& pat, char32_t escape) {
    std::vector<LikeItem> items;
    for (size_t pi = 0; pi < pat.size(); ++pi) {
        const char32_t c = pat[pi];
        if (escape && c == escape && pi + 1 < pat.size()) {
            items.push_back({LikeItem::Char, pat[++pi]});
        } else if (c == U'%') {
            if (items.empty() || items.back().kind != LikeItem::Many)
                items.push_back({LikeItem::Many});
        } else if (c == U'_') {
            items.push_back({LikeItem::One});
        } else if (const size_t close = c == U'[' ? pat.find(U']', pi + 1) : std::u32string::npos;
                   close != std::u32string::npos) {
            LikeItem set{LikeItem::Set};
            set.negate = pi + 1 < close && pat[pi + 1] == U'!';
            set.from = pi + 1 + (set.negate ? 1 : 0);
            set.to = close;
            items.push_back(set);
            pi = close;
        } else {
            items.push_back({LikeItem::Char, c});
        }
    }
    return items;
}

bool likeOne(const LikeItem& item, const std::u32string& pat, char32_t c) {
    switch (item.kind) {
    case LikeItem::Char:
        return item.c == c;
    case LikeItem::One:
        return true;
    case LikeItem::Set: {
        bool found = false;
        for (size_t k = item.from; k < item.to; ++k) {
            if (k + 2 < item.to && pat[k + 1] == U'-') {
                found = found || (c >= pat[k] && c <= pat[k + 2]);
                k += 2;
            } else {
                found = found || pat[k] == c;
            }
        }
        return found != item.negate;
    }
    case LikeItem::Many:
        break;
    }
    return false;
}

// The wildcard matcher that remembers only the latest %: when a later element fails, that % takes
// one more character and the match goes on from there. It never backtracks further, so a text is
// matched in time proportional to its length times the pattern's, whatever the pattern.
bool likeMatch(const std::u32string& pat, const std::u32string& str, char32_t escape) {
    const std::vector<LikeItem> items = likeItems(pat, escape);
    size_t p = 0, s = 0;
    size_t starItem = SIZE_MAX, starText = 0;
    while (s < str.size()) {
        if (p < items.size() && items[p].kind == LikeItem::Many) {
            starItem = p++;
            starText = s;
        } else if (p < items.size() && likeOne(items[p], pat, str[s])) {
            ++p;
            ++s;
        } else if (starItem != SIZE_MAX) {
            p = starItem + 1;
            s = ++starText;
        } else {
            return false;
        }
    }
    while (p < items.size() && items[p].kind == LikeItem::Many)
        ++p;
    return p == items.size();
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    char32_t escape = 0;
    if (argc == 3) {
        const auto e = foldedCodePoints(sqlite3_value_text(argv[2]), sqlite3_value_bytes(argv[2]));
        if (e.size() == 1)
            escape = e[0];
    }
    const auto pattern =
        foldedCodePoints(sqlite3_value_text(argv[0]), sqlite3_value_bytes(argv[0]));
    const auto text = foldedCodePoints(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]));
    sqlite3_result_int(ctx, likeMatch(pattern, text, escape) ? 1 : 0);
}

// --- helpers for the Jet functions ---

void resultValue(sqlite3_context* ctx, const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Null:
        return sqlite3_result_null(ctx);
    case Value::Kind::Integer:
    case Value::Kind::Bool:
        return sqlite3_result_int64(ctx, v.toInteger());
    case Value::Kind::Real:
        return sqlite3_result_double(ctx, v.toDouble());
    case Value::Kind::Text:
    case Value::Kind::Date: {
        const QByteArray utf8 =
            (v.kind() == Value::Kind::Date ? v.storedText() : v.toText()).toUtf8();
        return sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

void resultText(sqlite3_context* ctx, const QString& s) {
    if (s.size() > MaxValueBytes / 3 && s.toUtf8().size() > MaxValueBytes)
        return sqlite3_result_error_toobig(ctx);
    resultValue(ctx, Value::text(s));
}

void resultError(sqlite3_context* ctx, const QString& message) {
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(ctx, utf8.constData(), int(utf8.size()));
}

// Jet's text form of a value: numbers with a decimal comma, dates dd.mm.yyyy, Null empty.
QString jetText(const Value& v) {
    return v.toText();
}

std::optional<double> jetNumber(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Bool:
    case Value::Kind::Real:
        return v.toDouble();
    case Value::Kind::Text:
        return JetConvert::parseNumber(v.toText());
    case Value::Kind::Date: {
        const auto dt = JetConvert::fromStoredDate(v.storedText());
        if (!dt)
            return std::nullopt;
        const double days = double(QDate(1899, 12, 30).daysTo(dt->date()));
        return days + dt->time().msecsSinceStartOfDay() / 86400000.0;
    }
    case Value::Kind::Null:
        break;
    }
    return std::nullopt;
}

std::optional<QDateTime> jetDate(const Value& v) {
    if (v.isNull())
        return std::nullopt;
    const QDateTime dt = v.toDateTime();
    if (!dt.isValid())
        return std::nullopt;
    return dt;
}

double roundHalfEven(double x, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double scaled = x * scale;
    double r = std::nearbyint(scaled);
    // a value that is a half in decimal but not quite in binary still rounds to even
    const double fl = std::floor(scaled);
    if (std::fabs(scaled - fl - 0.5) < 1e-9)
        r = std::fmod(fl, 2.0) == 0 ? fl : fl + 1;
    return r / scale;
}

#define ARG(i) argumentValue(argv[i])

void fnWrite(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const JetColumnType type{JetType(sqlite3_value_int(argv[1])), sqlite3_value_int(argv[2])};
    const QString column = textOf(sqlite3_value_text(argv[3]), sqlite3_value_bytes(argv[3]));
    QString error;
    const auto v = valueForColumn(ARG(0), type, column, &error);
    if (!v)
        return resultError(ctx, error);
    resultValue(ctx, *v);
}

void fnConcat(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    QString out;
    for (int i = 0; i < argc; ++i) {
        const QString piece = jetText(ARG(i));
        if (out.size() + piece.size() > MaxValueBytes)
            return sqlite3_result_error_toobig(ctx); // checked before the text is built
        out += piece;
    }
    resultText(ctx, out);
}

void fnNz(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        return sqlite3_result_value(ctx, argv[0]);
    if (argc > 1)
        return sqlite3_result_value(ctx, argv[1]);
    resultText(ctx, QString());
}

void fnNow(sqlite3_context* ctx, int, sqlite3_value**) {
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    resultValue(ctx, Value::date(JetConvert::toStoredDate(now)));
}

void fnDate(sqlite3_context* ctx, int, sqlite3_value**) {
    resultValue(ctx, Value::date(QDate::currentDate().toString(Qt::ISODate)));
}

void fnTime(sqlite3_context* ctx, int, sqlite3_value**) {
    resultText(ctx, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
}

template <int Part> void fnDatePart(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto dt = jetDate(ARG(0));
    if (!dt)
        return sqlite3_result_null(ctx);
    const QDate d = dt->date();
    sqlite3_result_int(ctx, Part == 0 ? d.year() : Part == 1 ? d.month() : d.day());
}

void fnLeft(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    resultText(ctx, jetText(v).left(std::max(0, sqlite3_value_int(argv[1]))));
}

void fnRight(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    resultText(ctx, jetText(v).right(std::max(0, sqlite3_value_int(argv[1]))));
}

void fnMid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    const int start = sqlite3_value_int(argv[1]);
    if (start < 1)
        return resultError(ctx, QStringLiteral("Mid: начальная позиция должна быть не меньше 1"));
    const QString t = jetText(v);
    resultText(ctx, argc > 2 ? t.mid(start - 1, std::max(0, sqlite3_value_int(argv[2])))
                             : t.mid(start - 1));
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, int(jetText(v).size()));
}

template <int Which> void fnTrim(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    QString t = jetText(v);
    if (Which != 2)
        while (t.startsWith(u' '))
            t.remove(0, 1);
    if (Which != 1)
        while (t.endsWith(u' '))
            t.chop(1);
    resultText(ctx, t);
}

template <bool Upper> void fnCase(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    resultText(ctx, Upper ? jetText(v).toUpper() : jetText(v).toLower());
}

void fnInStr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    int start = 1;
    int first = 0;
    if (argc == 3) {
        start = sqlite3_value_int(argv[0]);
        first = 1;
    }
    const Value a = ARG(first), b = ARG(first + 1);
    if (a.isNull() || b.isNull())
        return sqlite3_result_null(ctx);
    const qsizetype at =
        jetText(a).indexOf(jetText(b), std::max(0, start - 1), Qt::CaseInsensitive);
    sqlite3_result_int(ctx, int(at + 1));
}

void fnVal(sqlite3_context* ctx, int, sqlite3_value** argv) {
    // Val reads the leading number with a point as its decimal separator, whatever the region;
    // blanks, tabs and line feeds are skipped anywhere in it ("12 22.3hhh" is 1222.3)
    QString t = jetText(ARG(0));
    t.removeIf([](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; });
    static const QRegularExpression re(QStringLiteral(R"(^[-+]?\d*\.?\d*(?:[eE][-+]?\d+)?)"));
    const QString m = re.match(t).captured(0);
    bool ok = false;
    const double d = m.toDouble(&ok);
    sqlite3_result_double(ctx, ok ? d : 0.0);
}

void fnCStr(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return resultError(ctx, QStringLiteral("CStr: недопустимое использование Null"));
    resultText(ctx, jetText(v));
}

template <bool Int32> void fnCLng(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    const auto d = jetNumber(v);
    if (!d)
        return resultError(ctx, QStringLiteral("значение «%1» не является числом").arg(jetText(v)));
    const double r = std::nearbyint(*d);
    const double limit = Int32 ? 2147483647.0 : 32767.0;
    if (!(r <= limit && r >= -limit - 1))
        return resultError(ctx, QStringLiteral("переполнение: %1").arg(jetText(v)));
    sqlite3_result_int64(ctx, qint64(r));
}

void fnCDbl(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    const auto d = jetNumber(v);
    if (!d)
        return resultError(ctx, QStringLiteral("значение «%1» не является числом").arg(jetText(v)));
    sqlite3_result_double(ctx, *d);
}

void fnCCur(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    const auto d = jetNumber(v);
    if (!d)
        return resultError(ctx, QStringLiteral("значение «%1» не является числом").arg(jetText(v)));
    sqlite3_result_double(ctx, roundHalfEven(*d, 4));
}

void fnCDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
    QString error;
    const auto v = valueForColumn(ARG(0), {JetType::Date, 0}, QStringLiteral("CDate"), &error);
    if (!v)
        return resultError(ctx, error);
    resultValue(ctx, *v);
}

void fnRound(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    const auto d = jetNumber(v);
    if (!d)
        return resultError(ctx, QStringLiteral("Round: «%1» не является числом").arg(jetText(v)));
    sqlite3_result_double(ctx, roundHalfEven(*d, argc > 1 ? sqlite3_value_int(argv[1]) : 0));
}

template <bool Floor> void fnInt(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    const auto d = jetNumber(v);
    if (!d)
        return resultError(ctx, QStringLiteral("«%1» не является числом").arg(jetText(v)));
    if (v.kind() == Value::Kind::Integer)
        return sqlite3_result_int64(ctx, v.toInteger());
    sqlite3_result_double(ctx, Floor ? std::floor(*d) : std::trunc(*d));
}

void fnSgn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const auto d = jetNumber(ARG(0));
    if (!d)
        return sqlite3_result_null(ctx);
    sqlite3_result_int(ctx, *d > 0 ? 1 : *d < 0 ? -1 : 0);
}

void fnSpace(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const qint64 n = sqlite3_value_int64(argv[0]);
    if (n > MaxValueBytes)
        return sqlite3_result_error_toobig(ctx); // refused before anything is built
    resultText(ctx, QString(qsizetype(std::max<qint64>(0, n)), u' '));
}

// a \ b: both rounded to integers (halves to even), the quotient truncated towards zero
void fnIntDiv(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value a = ARG(0), b = ARG(1);
    if (a.isNull() || b.isNull())
        return sqlite3_result_null(ctx);
    const auto x = jetNumber(a), y = jetNumber(b);
    if (!x || !y)
        return resultError(
            ctx, QStringLiteral("значение «%1» не является числом").arg(jetText(x ? b : a)));
    const double rx = std::nearbyint(*x), ry = std::nearbyint(*y);
    if (ry == 0)
        return resultError(ctx, QStringLiteral("деление на ноль"));
    const double limit = 9.2e18;
    if (!(std::fabs(rx) < limit) || !(std::fabs(ry) < limit))
        return resultError(ctx, QStringLiteral("переполнение при целочисленном делении"));
    const qint64 xi = qint64(rx), yi = qint64(ry);
    if (yi == -1)
        return sqlite3_result_int64(ctx, xi == INT64_MIN ? xi : -xi);
    sqlite3_result_int64(ctx, xi / yi);
}

// a ^ b
void fnPow(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const Value a = ARG(0), b = ARG(1);
    if (a.isNull() || b.isNull())
        return sqlite3_result_null(ctx);
    const auto x = jetNumber(a), y = jetNumber(b);
    if (!x || !y)
        return resultError(
            ctx, QStringLiteral("значение «%1» не является числом").arg(jetText(x ? b : a)));
    const double r = std::pow(*x, *y);
    if (std::isnan(r))
        return resultError(
            ctx, QStringLiteral("степень не определена: %1 ^ %2").arg(jetText(a), jetText(b)));
    if (!std::isfinite(r))
        return resultError(ctx, QStringLiteral("переполнение при возведении в степень"));
    sqlite3_result_double(ctx, r);
}

void fnIsNull(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? -1 : 0);
}

// Format(value, pattern): number patterns of 0, # and a point (the comma is written), and date
// patterns of d, m, yy, yyyy, h, n, s.
QString formatNumberPattern(double x, const QString& pattern) {
    const qsizetype point = pattern.indexOf(u'.');
    const QString intPart = point < 0 ? pattern : pattern.left(point);
    const QString fracPart = point < 0 ? QString() : pattern.mid(point + 1);
    const int minInt = int(intPart.count(u'0'));
    const int maxFrac = int(fracPart.count(u'0') + fracPart.count(u'#'));
    const int minFrac = int(fracPart.count(u'0'));
    const double rounded = roundHalfEven(std::fabs(x), maxFrac);
    QString digits = QString::number(rounded, 'f', maxFrac);
    QString ip = digits.section(u'.', 0, 0);
    QString fp = digits.section(u'.', 1, 1);
    while (fp.size() > minFrac && fp.endsWith(u'0'))
        fp.chop(1);
    if (ip == u"0" && minInt == 0)
        ip.clear();
    while (ip.size() < minInt)
        ip.prepend(u'0');
    QString out = ip;
    if (!fp.isEmpty() || (point >= 0 && minFrac > 0))
        out += u',' + fp;
    if (x < 0 && rounded != 0)
        out.prepend(u'-');
    return out;
}

QString formatDatePattern(const QDateTime& dt, const QString& pattern) {
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i].toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run].toLower() == c)
            ++run;
        const QDate d = dt.date();
        const QTime t = dt.time();
        auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QChar(u'0')); };
        if (c == u'd')
            out += run >= 2 ? two(d.day()) : QString::number(d.day());
        else if (c == u'm')
            out += run >= 2 ? two(d.month()) : QString::number(d.month());
        else if (c == u'y')
            out += run >= 4 ? QString::number(d.year()) : two(d.year() % 100);
        else if (c == u'h')
            out += run >= 2 ? two(t.hour()) : QString::number(t.hour());
        else if (c == u'n')
            out += run >= 2 ? two(t.minute()) : QString::number(t.minute());
        else if (c == u's')
            out += run >= 2 ? two(t.second()) : QString::number(t.second());
        else
            out += QString(run, pattern[i]);
        i += run;
    }
    return out;
}

void fnFormat(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const Value v = ARG(0);
    if (v.isNull())
        return sqlite3_result_null(ctx);
    if (argc < 2)
        return resultText(ctx, jetText(v));
    const QString pattern = textOf(sqlite3_value_text(argv[1]), sqlite3_value_bytes(argv[1]));
    const bool datePattern = pattern.contains(QRegularExpression(QStringLiteral("[dDyYhHnNsS]"))) ||
                             (pattern.contains(QRegularExpression(QStringLiteral("[mM]"))) &&
                              !pattern.contains(u'0') && !pattern.contains(u'#'));
    if (datePattern) {
        const auto dt = jetDate(v);
        if (!dt)
            return resultText(ctx, jetText(v));
        return resultText(ctx, formatDatePattern(*dt, pattern));
    }
    const auto d = jetNumber(v);
    if (!d)
        return resultText(ctx, jetText(v));
    resultText(ctx, formatNumberPattern(*d, pattern));
}

void fnFirstStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto** slot = static_cast<sqlite3_value**>(sqlite3_aggregate_context(ctx, sizeof(void*)));
    if (slot && !*slot)
        *slot = sqlite3_value_dup(argv[0]);
}
void fnLastStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto** slot = static_cast<sqlite3_value**>(sqlite3_aggregate_context(ctx, sizeof(void*)));
    if (!slot)
        return;
    sqlite3_value_free(*slot);
    *slot = sqlite3_value_dup(argv[0]);
}
void fnKeptFinal(sqlite3_context* ctx) {
    auto** slot = static_cast<sqlite3_value**>(sqlite3_aggregate_context(ctx, 0));
    if (slot && *slot) {
        sqlite3_result_value(ctx, *slot);
        sqlite3_value_free(*slot);
    } else {
        sqlite3_result_null(ctx);
    }
}

using ScalarFunction = void (*)(sqlite3_context*, int, sqlite3_value**);

// No C++ exception may cross SQLite's C frames: a function that throws ends its statement with an
// error instead.
template <ScalarFunction F> void guarded(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    try {
        F(ctx, argc, argv);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
    } catch (...) {
        resultError(ctx, QStringLiteral("внутренняя ошибка функции"));
    }
}

void add(sqlite3* db, const char* name, int args, ScalarFunction fn, bool deterministic = true) {
    sqlite3_create_function_v2(db, name, args,
                               SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0), nullptr,
                               fn, nullptr, nullptr, nullptr);
}

} // namespace

void appendColumn(ResultSet& rows, sqlite3_stmt* stmt, int column, JetColumnType declared) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, column);
        return declared.type == JetType::YesNo ? rows.appendBool(v != 0) : rows.appendInteger(v);
    }
    case SQLITE_FLOAT:
        return rows.appendReal(sqlite3_column_double(stmt, column));
    case SQLITE_NULL:
        return rows.appendNull();
    default:
        break;
    }
    const auto* text = sqlite3_column_text(stmt, column);
    const int bytes = sqlite3_column_bytes(stmt, column);
    const bool date = declared.type == JetType::Date ||
                      (declared.type == JetType::Unknown &&
                       JetConvert::looksLikeStoredDate(reinterpret_cast<const char*>(text), bytes));
    rows.appendText(reinterpret_cast<const char*>(text), bytes, date);
}

Value argumentValue(sqlite3_value* value) {
    const int storage = sqlite3_value_type(value);
    if (storage == SQLITE_TEXT || storage == SQLITE_BLOB) {
        const QString text = textOf(sqlite3_value_text(value), sqlite3_value_bytes(value));
        return fromStorage(SQLITE_TEXT, 0, 0, &text, {});
    }
    return fromStorage(storage, sqlite3_value_int64(value), sqlite3_value_double(value), nullptr,
                       {});
}

void registerJetFunctions(sqlite3* db) {
    // replaces SQLite's ASCII-only NOCASE, so text columns declared NOCASE compare as Jet does
    sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, compareNoCase, nullptr);
    add(db, "like", 2, guarded<likeFunction>);
    add(db, "like", 3, guarded<likeFunction>);
    add(db, "jet_write", 4, guarded<fnWrite>);
    add(db, "jet_concat", -1, guarded<fnConcat>);
    add(db, "jet_nz", 1, guarded<fnNz>);
    add(db, "jet_nz", 2, guarded<fnNz>);
    add(db, "jet_now", 0, guarded<fnNow>, false);
    add(db, "jet_date", 0, guarded<fnDate>, false);
    add(db, "jet_time", 0, guarded<fnTime>, false);
    add(db, "jet_year", 1, guarded<fnDatePart<0>>);
    add(db, "jet_month", 1, guarded<fnDatePart<1>>);
    add(db, "jet_day", 1, guarded<fnDatePart<2>>);
    add(db, "jet_left", 2, guarded<fnLeft>);
    add(db, "jet_right", 2, guarded<fnRight>);
    add(db, "jet_mid", 2, guarded<fnMid>);
    add(db, "jet_mid", 3, guarded<fnMid>);
    add(db, "jet_len", 1, guarded<fnLen>);
    add(db, "jet_trim", 1, guarded<fnTrim<0>>);
    add(db, "jet_ltrim", 1, guarded<fnTrim<1>>);
    add(db, "jet_rtrim", 1, guarded<fnTrim<2>>);
    add(db, "jet_ucase", 1, guarded<fnCase<true>>);
    add(db, "jet_lcase", 1, guarded<fnCase<false>>);
    add(db, "jet_instr", 2, guarded<fnInStr>);
    add(db, "jet_instr", 3, guarded<fnInStr>);
    add(db, "jet_val", 1, guarded<fnVal>);
    add(db, "jet_cstr", 1, guarded<fnCStr>);
    add(db, "jet_clng", 1, guarded<fnCLng<true>>);
    add(db, "jet_cint", 1, guarded<fnCLng<false>>);
    add(db, "jet_cdbl", 1, guarded<fnCDbl>);
    add(db, "jet_csng", 1, guarded<fnCDbl>);
    add(db, "jet_ccur", 1, guarded<fnCCur>);
    add(db, "jet_cdate", 1, guarded<fnCDate>);
    add(db, "jet_round", 1, guarded<fnRound>);
    add(db, "jet_round", 2, guarded<fnRound>);
    add(db, "jet_int", 1, guarded<fnInt<true>>);
    add(db, "jet_fix", 1, guarded<fnInt<false>>);
    add(db, "jet_sgn", 1, guarded<fnSgn>);
    add(db, "jet_space", 1, guarded<fnSpace>);
    add(db, "jet_intdiv", 2, guarded<fnIntDiv>);
    add(db, "jet_pow", 2, guarded<fnPow>);
    add(db, "jet_isnull", 1, guarded<fnIsNull>);
    add(db, "jet_format", 1, guarded<fnFormat>);
    add(db, "jet_format", 2, guarded<fnFormat>);
    sqlite3_create_function_v2(db, "jet_first", 1, SQLITE_UTF8, nullptr, nullptr, fnFirstStep,
                               fnKeptFinal, nullptr);
    sqlite3_create_function_v2(db, "jet_last", 1, SQLITE_UTF8, nullptr, nullptr, fnLastStep,
                               fnKeptFinal, nullptr);
}
