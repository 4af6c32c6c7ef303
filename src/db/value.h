#pragma once

#include "common/money.h"

#include <QDateTime>
#include <QString>

// One value read from the database. Dates are kept in their stored form ("2024-03-15" or
// "2024-03-15 10:22:33"); reading a value as text gives the form the program shows.
class Value {
public:
    enum class Kind { Null, Integer, Real, Text, Date, Bool };

    Value() = default;
    static Value integer(qint64 v) { return Value(Kind::Integer, v, 0, {}); }
    static Value real(double v) { return Value(Kind::Real, 0, v, {}); }
    static Value text(QString v) { return Value(Kind::Text, 0, 0, std::move(v)); }
    static Value date(QString stored) { return Value(Kind::Date, 0, 0, std::move(stored)); }
    static Value boolean(bool v) { return Value(Kind::Bool, v ? -1 : 0, 0, {}); }

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }

    // Integers in decimal; doubles with a decimal comma, at most 15 significant digits and no
    // trailing zeros; dates dd.mm.yyyy (with hh:mm:ss only when there is a time); NULL empty.
    QString toText() const;
    // Doubles round to the nearest integer (halves to even); text that is no number reads 0.
    qint64 toInteger() const;
    double toDouble() const;
    Money toMoney() const;
    bool toBool() const;
    QDateTime toDateTime() const;
    // The text of a text value and the stored form of a date value (empty for other kinds).
    const QString& storedText() const { return m_text; }

private:
    Value(Kind k, qint64 i, double d, QString s)
        : m_kind(k), m_int(i), m_real(d), m_text(std::move(s)) {}

    Kind m_kind = Kind::Null;
    qint64 m_int = 0;
    double m_real = 0;
    QString m_text;
};
