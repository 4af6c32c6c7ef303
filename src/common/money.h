#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

// A money amount: a 64-bit count of ten-thousandths, so that sums never suffer floating-point
// rounding. Products are rounded to four decimals, halves to even; roundHalfAway2() gives the
// two-decimal rounding of benefit deductions.
class Money {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(std::int64_t tenThousandths) {
        Money m;
        m.m_units = tenThousandths;
        return m;
    }
    static constexpr Money fromInteger(std::int64_t whole) { return fromUnits(whole * Scale); }
    // The nearest amount with four decimals (halves to even); NaN and infinities give zero.
    static Money fromDouble(double value);
    // Reads the currency text: optional minus, digits, optionally a comma and one to four
    // decimals. Anything else (a point, blanks, thousands separators, a fifth decimal) fails.
    static std::optional<Money> parse(const QString& text);

    constexpr std::int64_t units() const { return m_units; }
    double toDouble() const { return double(m_units) / Scale; }
    bool isZero() const { return m_units == 0; }

    // Currency text: 136,5; -68,25; 100; 0,0001.
    QString toText() const;

    // Product rounded to four decimals, halves to even.
    Money operator*(Money other) const;
    Money operator*(std::int64_t factor) const { return fromUnits(m_units * factor); }
    // Quotient rounded to four decimals, halves to even.
    Money dividedBy(std::int64_t divisor) const;
    Money roundHalfAway2() const;

    constexpr Money operator+(Money o) const { return fromUnits(m_units + o.m_units); }
    constexpr Money operator-(Money o) const { return fromUnits(m_units - o.m_units); }
    constexpr Money operator-() const { return fromUnits(-m_units); }
    Money& operator+=(Money o) {
        m_units += o.m_units;
        return *this;
    }
    Money& operator-=(Money o) {
        m_units -= o.m_units;
        return *this;
    }
    constexpr auto operator<=>(const Money&) const = default;

private:
    std::int64_t m_units = 0;
};

// RoundHalfAway2: two decimals, a third decimal of 5 or more moves one hundredth away from zero.
inline Money RoundHalfAway2(Money m) {
    return m.roundHalfAway2();
}
