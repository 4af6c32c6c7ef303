#include "common/money.h"

#include <cmath>
#include <cstdlib>

namespace {

// Divides rounding to nearest, halves to even (works for negative numerators too).
std::int64_t divideHalfEven(__int128 numerator, __int128 divisor) {
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    __int128 q = numerator / divisor;
    __int128 r = numerator % divisor;
    if (r < 0) {
        r += divisor;
        q -= 1;
    }
    const __int128 twice = 2 * r;
    if (twice > divisor || (twice == divisor && (q % 2 != 0)))
        q += 1;
    return static_cast<std::int64_t>(q);
}

} // namespace

Money Money::fromDouble(double value) {
    const double scaled = value * Scale;
    if (!(std::fabs(scaled) < 9.2e18)) // not finite, or beyond what the units hold
        return {};
    // The stored doubles come from four-decimal texts; snap to the nearest unit, halves to even.
    const double r = std::nearbyint(scaled);
    return fromUnits(static_cast<std::int64_t>(r));
}

std::optional<Money> Money::parse(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool negative = false;
    if (i < n && text[i] == u'-') {
        negative = true;
        ++i;
    }
    std::int64_t whole = 0;
    qsizetype digits = 0;
    for (; i < n && text[i].isDigit() && text[i].unicode() < 128; ++i, ++digits) {
        if (whole > (INT64_MAX / Scale) / 10 - 1)
            return std::nullopt;
        whole = whole * 10 + (text[i].unicode() - u'0');
    }
    if (digits == 0)
        return std::nullopt;
    std::int64_t fraction = 0;
    if (i < n && text[i] == u',') {
        ++i;
        qsizetype decimals = 0;
        for (; i < n && text[i].isDigit() && text[i].unicode() < 128; ++i, ++decimals) {
            if (decimals == 4)
                return std::nullopt;
            fraction = fraction * 10 + (text[i].unicode() - u'0');
        }
        if (decimals == 0)
            return std::nullopt;
        for (qsizetype k = decimals; k < 4; ++k)
            fraction *= 10;
    }
    if (i != n)
        return std::nullopt;
    const std::int64_t units = whole * Scale + fraction;
    return fromUnits(negative ? -units : units);
}

QString Money::toText() const {
    // built right to left in a small buffer: the routines write amounts into every line
    char16_t buf[32];
    int pos = 32;
    const bool negative = m_units < 0;
    std::uint64_t abs =
        negative ? std::uint64_t(0) - std::uint64_t(m_units) : std::uint64_t(m_units);
    std::uint64_t fraction = abs % Scale;
    std::uint64_t whole = abs / Scale;
    if (fraction != 0) {
        int digits = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        for (int i = 0; i < digits; ++i) {
            buf[--pos] = char16_t(u'0' + fraction % 10);
            fraction /= 10;
        }
        buf[--pos] = u',';
    }
    do {
        buf[--pos] = char16_t(u'0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (negative)
        buf[--pos] = u'-';
    return QString(reinterpret_cast<const QChar*>(buf + pos), 32 - pos);
}

Money Money::operator*(Money other) const {
    return fromUnits(divideHalfEven(__int128(m_units) * other.m_units, Scale));
}

Money Money::dividedBy(std::int64_t divisor) const {
    return fromUnits(divideHalfEven(m_units, divisor));
}

Money Money::roundHalfAway2() const {
    const std::int64_t step = Scale / 100; // one hundredth
    const std::int64_t abs = std::llabs(m_units);
    const std::int64_t rest = abs % step;
    std::int64_t rounded = abs - rest;
    if (rest / (step / 10) >= 5) // the third decimal digit
        rounded += step;
    return fromUnits(m_units < 0 ? -rounded : rounded);
}
