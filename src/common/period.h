#pragma once

#include <QDate>
#include <QString>
#include <compare>
#include <optional>

// A calculation period: the text "MM.YYYY". "00.0000" stands for opening balances brought in
// from outside and is earlier than every real period.
class Period {
public:
    constexpr Period() = default;
    constexpr Period(int month, int year) : m_month(month), m_year(year) {}
    // Reads exactly "MM.YYYY" with a month 01..12 (or the whole text "00.0000").
    static std::optional<Period> parse(const QString& text);
    static Period fromDate(QDate date) { return Period(date.month(), date.year()); }
    static constexpr Period beforeAll() { return Period(0, 0); }

    int month() const { return m_month; }
    int year() const { return m_year; }
    bool isBeforeAll() const { return m_month == 0 && m_year == 0; }
    QString toText() const;
    Period next() const;
    Period prev() const;
    // The given day of the period's month ("02." + period is the benefit test day).
    QDate day(int d) const { return QDate(m_year, m_month, d); }

    constexpr auto operator<=>(const Period& o) const {
        if (auto c = m_year <=> o.m_year; c != 0)
            return c;
        return m_month <=> o.m_month;
    }
    constexpr bool operator==(const Period&) const = default;

private:
    int m_month = 0;
    int m_year = 0;
};
