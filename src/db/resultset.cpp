#include "db/backend.h"

Value ResultSet::cellValue(const Cell& c) const {
    switch (c.kind) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Integer:
        return Value::integer(c.integer);
    case Value::Kind::Bool:
        return Value::boolean(c.integer != 0);
    case Value::Kind::Real:
        return Value::real(c.real);
    case Value::Kind::Text:
    case Value::Kind::Date: {
        const QString text = QString::fromUtf8(m_text.data() + c.integer, qsizetype(c.length));
        return c.kind == Value::Kind::Date ? Value::date(text) : Value::text(text);
    }
    }
    return {};
}

void ResultSet::append(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Null:
        return appendNull();
    case Value::Kind::Integer:
        return appendInteger(v.toInteger());
    case Value::Kind::Bool:
        return appendBool(v.toInteger() != 0);
    case Value::Kind::Real:
        return appendReal(v.toDouble());
    case Value::Kind::Text:
    case Value::Kind::Date: {
        const QByteArray utf8 = v.storedText().toUtf8();
        return appendText(utf8.constData(), int(utf8.size()), v.kind() == Value::Kind::Date);
    }
    }
}
