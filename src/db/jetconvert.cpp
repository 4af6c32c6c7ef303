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

bool isAsciiDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

QStringView trimmed(QStringView t) { return t.trimmed(); }

} // namespace

std::optional<double> parseNumber(QStringView text) {
    const QStringView t = trimmed(text);
    const qsizetype n = t.size();
    qsizetype i = 0;
    QByteArray ascii;
    ascii.reserve(n + 1);
    if (i < n && (t[i] == u'-' || t[i] == u'+'))
        ascii += char(t[i++].unicode());
    qsizetype digits = 0;
    for (; i < n && isAsciiDigit(t[i]); ++i, ++digits)
        ascii += char(t[i].unicode());
    if (i < n && t[i] == u',') {
        ascii += '.';
        ++i;
        for (; i < n && isAsciiDigit(t[i]); ++i, ++digits)
            ascii += char(t[i].unicode());
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (t[i] == u'E' || t[i] == u'e')) {
        ascii += 'e';
        ++i;
        if (i < n && (t[i] == u'-' || t[i] == u'+'))
            ascii += char(t[i++].unicode());
        qsizetype expDigits = 0;
        for (; i < n && isAsciiDigit(t[i]); ++i, ++expDigits)
            ascii += char(t[i].unicode());
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    const double v = std::strtod(ascii.constData(), nullptr);
    if (!std::isfinite(v))
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

QString toStoredDate(const QDateTime& dt) {
    const QTime t = dt.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return dt.date().toString(Qt::ISODate);
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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

bool looksLikeStoredDate(QStringView t) {
    if (t.size() != 10 && t.size() != 19)
        return false;
    static constexpr char Pattern[] = "dddd-dd-dd dd:dd:dd";
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char p = Pattern[i];
        if (p == 'd' ? !isAsciiDigit(t[i]) : t[i].unicode() != char16_t(p))
            return false;
    }
    return true;
}

QString formatStoredDate(QStringView stored) {
    const auto dt = fromStoredDate(stored);
    if (!dt)
        return stored.toString();
    const QTime t = dt->time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return Dates::shortDate(dt->date());
    return Dates::shortDateTime(*dt);
}

std::optional<QString> dateTextToStored(QStringView text) {
    const QStringView t = text.trimmed();
    if (fromStoredDate(t))
        return t.toString();
    const auto dt = Dates::parseRussian(t.toString());
    if (!dt)
        return std::nullopt;
    return toStoredDate(*dt);
}

QString serialToStoredDate(double serial) {
    const qint64 days = qint64(std::floor(serial));
    const double fraction = serial - double(days);
    const QDate d = QDate(1899, 12, 30).addDays(days);
    const int secs = int(std::llround(fraction * 86400.0));
    return toStoredDate(QDateTime(d, QTime(0, 0, 0).addSecs(secs)));
}

} // namespace JetConvert
