#include "db/columnwrite.h"

#include "db/jetconvert.h"

#include <cmath>
#include <limits>

namespace {

QString shown(const Value& v) {
    QString t = v.kind() == Value::Kind::Text ? v.toText() : v.toText();
    if (t.size() > 60)
        t = t.left(60) + QStringLiteral("…");
    return t;
}

QString mismatch(const Value& v, JetColumnType type, const QString& column, const QString& hint) {
    return QStringLiteral("значение «%1» нельзя записать в столбец %2 (%3): %4")
        .arg(shown(v), column, jetTypeDescription(type.type), hint);
}

std::optional<double> numberOf(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Bool:
        return double(v.toInteger());
    case Value::Kind::Real:
        return v.toDouble();
    case Value::Kind::Text:
        return JetConvert::parseNumber(v.toText());
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<Value> valueForColumn(const Value& v, JetColumnType type, const QString& column,
                                    QString* error) {
    if (v.isNull())
        return v;
    switch (type.type) {
    case JetType::Unknown:
        return v;
    case JetType::Long: {
        if (v.kind() == Value::Kind::Integer || v.kind() == Value::Kind::Bool) {
            const qint64 i = v.toInteger();
            if (i < std::numeric_limits<qint32>::min() || i > std::numeric_limits<qint32>::max()) {
                *error = mismatch(v, type, column, QStringLiteral("число вне допустимых пределов"));
                return std::nullopt;
            }
            return Value::integer(i);
        }
        const auto d = numberOf(v);
        if (!d) {
            *error = mismatch(v, type, column, QStringLiteral("ожидается целое число, например 3"));
            return std::nullopt;
        }
        const double r = std::nearbyint(*d);
        if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max()) {
            *error = mismatch(v, type, column, QStringLiteral("число вне допустимых пределов"));
            return std::nullopt;
        }
        return Value::integer(qint64(r));
    }
    case JetType::Float: {
        const auto d = numberOf(v);
        if (!d) {
            *error =
                mismatch(v, type, column,
                         QStringLiteral("ожидается число с десятичной запятой, например 136,5"));
            return std::nullopt;
        }
        return Value::real(*d);
    }
    case JetType::Text: {
        const QString t = v.toText();
        if (type.length > 0 && t.size() > type.length) {
            *error = QStringLiteral("текст «%1» длиннее %2 знаков и не помещается в столбец %3")
                         .arg(shown(v))
                         .arg(type.length)
                         .arg(column);
            return std::nullopt;
        }
        return Value::text(t);
    }
    case JetType::Date: {
        if (v.kind() == Value::Kind::Date)
            return v;
        if (v.kind() == Value::Kind::Integer || v.kind() == Value::Kind::Real)
            return Value::date(JetConvert::serialToStoredDate(v.toDouble()));
        if (v.kind() == Value::Kind::Text) {
            if (auto stored = JetConvert::dateTextToStored(v.toText()))
                return Value::date(*stored);
        }
        *error = mismatch(v, type, column, QStringLiteral("ожидается дата вида 15.03.2024"));
        return std::nullopt;
    }
    case JetType::YesNo: {
        if (v.kind() == Value::Kind::Text) {
            const QString t = v.toText().trimmed().toLower();
            if (t == u"true" || t == u"да" || t == u"yes")
                return Value::integer(-1);
            if (t == u"false" || t == u"нет" || t == u"no")
                return Value::integer(0);
        }
        const auto d = numberOf(v);
        if (!d) {
            *error = mismatch(v, type, column, QStringLiteral("ожидается да или нет"));
            return std::nullopt;
        }
        return Value::integer(*d != 0 ? -1 : 0);
    }
    }
    return v;
}
