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

void ResultSet::appendRows(const ResultSet& other) {
    const qint64 shift = qint64(m_text.size());
    m_text.insert(m_text.end(), other.m_text.begin(), other.m_text.end());
    m_cells.reserve(m_cells.size() + other.m_cells.size());
    for (Cell c : other.m_cells) {
        if (c.kind == Value::Kind::Text || c.kind == Value::Kind::Date)
            c.integer += shift;
        m_cells.push_back(c);
    }
    rowCount += other.rowCount;
}
