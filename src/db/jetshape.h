#pragma once

#include "db/value.h"

#include <QString>
#include <array>
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

// Where the scan of a recent statement met its first literal, and what it knew there: a
// statement that starts with the same text continues from that point. (A routine sends the
// same statement head again and again with other values.)
struct ShapePrefix {
    QString text;          // the statement the prefix was taken from
    qsizetype offset = -1; // the first literal's position; -1: unused
    QString key;           // the key up to there
    quint64 orderBy = 0;
    int depth = 0;
    bool keepAll = false, firstWord = true, lastWordWasOrder = false, lastWordWasAs = false;
};

struct StatementShape {
    QString key;
    std::vector<ShapeLiteral> literals;
    std::array<ShapePrefix, 4> prefixes; // the latest heads, replaced in turn
    int nextPrefix = 0;
};

// Fills shape (its buffers are reused from call to call); false for text the pass does not
// handle.
bool scanStatementShape(const QString& statement, StatementShape& shape);
