#include "db/jetconvert.h"

#include "common/dates.h"
#include "db/jettypes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

QString jetTypeDescription(JetType type) {
    switch (type) {
    case JetType::Long:
        return QStringLiteral("целое число");
    case JetType::Float:
        return QStringLiteral("число");
    case JetType::Text:
        return QStringLiteral("текст");
    case JetType::Date:
        return QStringLiteral("дата");
    case JetType::YesNo:
        return QStringLiteral("да/нет");
    case JetType::Unknown:
        break;
    }
    return QStringLiteral("значение");
}

namespace JetConvert {

namespace {

bool isAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

QStringView trimmed(QStringView t) {
    // most texts have nothing to trim
    if (t.isEmpty() || (!t.front().isSpace() && !t.back().isSpace()))
        return t;
    return t.trimmed();
}

} // namespace

std::optional<double> parseNumber(QStringView text) {
    const QStringView t = trimmed(text);
    const qsizetype n = t.size();
    qsizetype i = 0;
    bool negative = false;
    if (i < n && (t[i] == u'-' || t[i] == u'+'))
        negative = t[i++] == u'-';
    // the usual short amounts are read exactly as a whole number over a power of ten
    quint64 mantissa = 0;
    int digits = 0, decimals = 0;
    bool exact = true;
    for (; i < n && isAsciiDigit(t[i]); ++i, ++digits) {
        if (mantissa > 99999999999999ULL)
            exact = false;
        mantissa = mantissa * 10 + (t[i].unicode() - u'0');
    }
    if (i < n && t[i] == u',') {
        ++i;
        for (; i < n && isAsciiDigit(t[i]); ++i, ++digits, ++decimals) {
            if (mantissa > 99999999999999ULL)
                exact = false;
            mantissa = mantissa * 10 + (t[i].unicode() - u'0');
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i == n && exact && decimals <= 22) {
        static constexpr double Powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const double v = double(mantissa) / Powers[decimals];
        return negative ? -v : v;
    }
    // long mantissas and exponents: the C library reads the point form
    QByteArray ascii = t.toLatin1();
    ascii.replace(',', '.');
    if (i < n) {
        if (t[i] != u'E' && t[i] != u'e')
            return std::nullopt;
        qsizetype k = i + 1;
        if (k < n && (t[k] == u'-' || t[k] == u'+'))
            ++k;
        if (k == n)
            return std::nullopt;
        for (; k < n; ++k)
            if (!isAsciiDigit(t[k]))
                return std::nullopt;
    }
    char* end = nullptr;
    const double v = std::strtod(ascii.constData(), &end);
    if (!std::isfinite(v) || end != ascii.constData() + ascii.size())
        return std::nullopt;
    return v;
}

std::optional<qint64> parseInteger(QStringView text) {
    const QStringView t = trimmed(text);
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

QString formatNumber(double value) {
    if (value == 0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return QString::number(value);
    const double a = std::fabs(value);
    char buf[64];
    if (a >= 1e15 || a < 1e-15) {
        std::snprintf(buf, sizeof buf, "%.14E", value);
        // mantissa without trailing zeros, exponent as Jet writes it: 1E+20
        QString s = QString::fromLatin1(buf);
        const qsizetype e = s.indexOf(u'E');
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        while (mant.contains(u'.') && (mant.endsWith(u'0') || mant.endsWith(u'.')))
            mant.chop(1);
        const int expValue = exp.toInt();
        mant.replace(u'.', u',');
        return mant + u'E' + (expValue < 0 ? u'-' : u'+') + QString::number(std::abs(expValue));
    }
    const int intDigits = a >= 1 ? int(std::floor(std::log10(a))) + 1 : 0;
    int decimals = 15 - intDigits;
    if (a < 1) {
        // leading zeros after the comma do not count as significant digits
        const int zeros = int(std::ceil(-std::log10(a))) - 1;
        decimals = 15 + zeros;
    }
    decimals = std::clamp(decimals, 0, 30);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    QString s = QString::fromLatin1(buf);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
    }
    s.replace(u'.', u',');
    if (s == QStringLiteral("-0"))
        return QStringLiteral("0");
    return s;
}

QString storedDate(int year, int month, int day, int hour, int minute, int second) {
    char buf[24];
    if (hour == 0 && minute == 0 && second == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                      minute, second);
    return QString::fromLatin1(buf);
}

QString toStoredDate(const QDateTime& dt) {
    const QDate d = dt.date();
    const QTime t = dt.time();
    return storedDate(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

std::optional<QDateTime> fromStoredDate(QStringView text) {
    if (!looksLikeStoredDate(text))
        return std::nullopt;
    const QDate d(text.mid(0, 4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt());
    if (!d.isValid())
        return std::nullopt;
    QTime t(0, 0, 0);
    if (text.size() >= 19)
        t = QTime(text.mid(11, 2).toInt(), text.mid(14, 2).toInt(), text.mid(17, 2).toInt());
    if (!t.isValid())
        return std::nullopt;
    return QDateTime(d, t);
}

namespace {

// "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss", over UTF-16 units or UTF-8 bytes alike
template <class Unit> bool storedDateForm(const Unit* t, qsizetype n) {
    if (n != 10 && n != 19)
        return false;
    static constexpr char Pattern[] = "dddd-dd-dd dd:dd:dd";
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned>(t[i]);
        if (Pattern[i] == 'd' ? !(c >= '0' && c <= '9') : c != unsigned(Pattern[i]))
            return false;
    }
    return true;
}

} // namespace

bool looksLikeStoredDate(QStringView t) {
    return storedDateForm(reinterpret_cast<const char16_t*>(t.utf16()), t.size());
}

bool looksLikeStoredDate(const char* utf8, qsizetype bytes) {
    return storedDateForm(reinterpret_cast<const unsigned char*>(utf8), bytes);
}

QString formatStoredDate(QStringView stored) {
    if (!looksLikeStoredDate(stored))
        return stored.toString();
    // yyyy-mm-dd[ hh:mm:ss] → dd.mm.yyyy[ hh:mm:ss], the time only when it is not midnight
    QString out(10, u'.');
    QChar* o = out.data();
    o[0] = stored[8];
    o[1] = stored[9];
    o[3] = stored[5];
    o[4] = stored[6];
    for (int i = 0; i < 4; ++i)
        o[6 + i] = stored[i];
    if (stored.size() == 19 && stored.mid(11) != u"00:00:00")
        out += u' ' + stored.mid(11);
    return out;
}

std::optional<QString> dateTextToStored(QStringView text) {
    const QStringView t = text.trimmed();
    if (looksLikeStoredDate(t)) {
        if (fromStoredDate(t))
            return t.toString();
        return std::nullopt;
    }
    // d.m.yyyy, optionally followed by h:mm or h:mm:ss (the regional short date and time)
    int f[6] = {0, 0, 0, 0, 0, 0};
    int digits[6] = {0, 0, 0, 0, 0, 0};
    int part = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (isAsciiDigit(c)) {
            if (++digits[part] > 4)
                return std::nullopt;
            f[part] = f[part] * 10 + (c.unicode() - u'0');
        } else if (c == u'.' && part < 2 && digits[part] > 0) {
            ++part;
        } else if (c == u' ' && part == 2 && digits[2] == 4) {
            while (i + 1 < t.size() && t[i + 1] == u' ')
                ++i;
            part = 3;
        } else if (c == u':' && (part == 3 || part == 4) && digits[part] > 0) {
            ++part;
        } else {
            return std::nullopt;
        }
    }
    if (digits[0] > 2 || digits[1] > 2 || digits[2] != 4)
        return std::nullopt;
    if (part != 2 && part != 4 && part != 5)
        return std::nullopt;
    if (part >= 4 && (digits[3] > 2 || digits[4] != 2 || (part == 5 && digits[5] != 2)))
        return std::nullopt;
    if (!QDate::isValid(f[2], f[1], f[0]) || !QTime::isValid(f[3], f[4], f[5]))
        return std::nullopt;
    return storedDate(f[2], f[1], f[0], f[3], f[4], f[5]);
}

QString serialToStoredDate(double serial) {
    // Jet's dates run from the year 100 to 9999; beyond them a number is no date (and would
    // not fit the day count)
    if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0)
        return {};
    const qint64 days = qint64(std::floor(serial));
    const double fraction = serial - double(days);
    const QDate d = QDate(1899, 12, 30).addDays(days);
    const int secs = int(std::llround(fraction * 86400.0));
    return toStoredDate(QDateTime(d, QTime(0, 0, 0).addSecs(secs)));
}

} // namespace JetConvert
