#include "common/period.h"

std::optional<Period> Period::parse(const QString& text) {
    if (text.size() != 7 || text[2] != u'.')
        return std::nullopt;
    for (int i : {0, 1, 3, 4, 5, 6})
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
    const int month = text.left(2).toInt();
    const int year = text.mid(3).toInt();
    if (month == 0 && year == 0)
        return beforeAll();
    if (month < 1 || month > 12 || year < 1)
        return std::nullopt;
    return Period(month, year);
}

QString Period::toText() const {
    return QStringLiteral("%1.%2").arg(m_month, 2, 10, QChar(u'0')).arg(m_year, 4, 10, QChar(u'0'));
}

Period Period::next() const {
    if (isBeforeAll())
        return *this;
    return m_month == 12 ? Period(1, m_year + 1) : Period(m_month + 1, m_year);
}

Period Period::prev() const {
    if (isBeforeAll())
        return *this;
    if (m_month == 1)
        return m_year <= 1 ? beforeAll() : Period(12, m_year - 1);
    return Period(m_month - 1, m_year);
}
