#pragma once

#include "db/value.h"

#include <QString>
#include <optional>
#include <vector>

// The shape of a statement, found in one pass over its text: the text with every literal that
// becomes a parameter replaced by a marker, and those literals' values in order. Statements of
// the same shape share one prepared statement. nullopt for text the pass does not handle (an
// unterminated literal, a malformed date); the full tokenizer then reports it.
// A literal of the statement. A text literal refers to the statement's own characters (it owns a
// copy only when doubled quotes had to be collapsed), so the statement must outlive it.
struct ShapeLiteral {
    enum class Kind { Text, Integer, Real, Date };
    Kind kind = Kind::Text;
    QStringView view;
    QString owned; // collapsed text literal, or the stored form of a date
    qint64 integer = 0;
    double real = 0;

    QStringView text() const { return owned.isNull() ? view : QStringView(owned); }
    Value toValue() const;
};

struct StatementShape {
    QString key;
    std::vector<ShapeLiteral> literals;
};

// Fills shape (its buffers are reused from call to call); false for text the pass does not
// handle.
bool scanStatementShape(const QString& statement, StatementShape& shape);
