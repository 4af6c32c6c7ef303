#include "db/value.h"

#include "db/jetconvert.h"

#include <cmath>

QString Value::toText() const {
    switch (m_kind) {
    case Kind::Null:
        return {};
    case Kind::Integer:
        return QString::number(m_int);
    case Kind::Real:
        return JetConvert::formatNumber(m_real);
    case Kind::Text:
        return m_text;
    case Kind::Date:
        return JetConvert::formatStoredDate(m_text);
    case Kind::Bool:
        return m_int ? QStringLiteral("True") : QStringLiteral("False");
    }
    return {};
}

qint64 Value::toInteger() const {
    switch (m_kind) {
    case Kind::Integer:
    case Kind::Bool:
        return m_int;
    case Kind::Real:
        return std::fabs(m_real) < 9.2e18 ? qint64(std::nearbyint(m_real)) : 0; // NaN too
    case Kind::Text: {
        if (auto v = JetConvert::parseNumber(m_text); v && std::fabs(*v) < 9.2e18)
            return qint64(std::nearbyint(*v));
        return 0;
    }
    case Kind::Null:
    case Kind::Date:
        break;
    }
    return 0;
}

double Value::toDouble() const {
    switch (m_kind) {
    case Kind::Integer:
    case Kind::Bool:
        return double(m_int);
    case Kind::Real:
        return m_real;
    case Kind::Text:
        return JetConvert::parseNumber(m_text).value_or(0.0);
    case Kind::Null:
    case Kind::Date:
        break;
    }
    return 0;
}

Money Value::toMoney() const {
    if (m_kind == Kind::Integer || m_kind == Kind::Bool)
        return Money::fromInteger(m_int);
    return Money::fromDouble(toDouble());
}

bool Value::toBool() const {
    if (m_kind == Kind::Text) {
        const QString t = m_text.trimmed().toLower();
        return t == QStringLiteral("true") || t == QStringLiteral("да") || toDouble() != 0;
    }
    return toDouble() != 0;
}

QDateTime Value::toDateTime() const {
    if (m_kind == Kind::Date || m_kind == Kind::Text) {
        if (auto stored = JetConvert::dateTextToStored(m_text))
            if (auto dt = JetConvert::fromStoredDate(*stored))
                return *dt;
        return {};
    }
    if (m_kind == Kind::Integer || m_kind == Kind::Real) {
        const auto dt = JetConvert::fromStoredDate(JetConvert::serialToStoredDate(toDouble()));
        return dt.value_or(QDateTime());
    }
    return {};
}
