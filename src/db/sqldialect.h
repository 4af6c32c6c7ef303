#pragma once

#include "db/jettypes.h"

#include <QString>
#include <QStringList>

// What the Jet translator asks of a backend's SQL dialect. Everything particular to one engine's
// SQL text lives behind this interface, so another backend fits beside the embedded one without
// touching the statements of the routines.
class SqlDialect {
public:
    virtual ~SqlDialect() = default;

    // Column type for CREATE TABLE.
    virtual QString columnType(JetColumnType type) const = 0;
    // The Jet type of a declared column type as the backend reports it (Unknown for expressions).
    virtual JetColumnType jetType(const QString& declaredType) const = 0;
    virtual QString quoteName(const QString& name) const = 0;
    // Positional parameter number n (from 1).
    virtual QString parameter(int n) const = 0;
    // The engine's name for a Jet function, or empty when the dialect has none.
    virtual QString function(const QString& jetNameLower) const = 0;
    // Jet's & (Null taken as empty text, numbers in the regional form).
    virtual QString concat(const QStringList& operands) const = 0;
    // Jet's /, which divides integers without truncating (7 / 2 is 3,5): the operator put
    // between the two operands.
    virtual QString divisionOperator() const = 0;
    // Jet's a \ b: both rounded to integers, the quotient truncated.
    virtual QString integerDivision(const QString& a, const QString& b) const = 0;
    // Jet's a ^ b.
    virtual QString power(const QString& a, const QString& b) const = 0;
    // Appended to a text literal or parameter so that comparisons with it ignore case.
    virtual QString textCompareSuffix() const = 0;
    // Converts an expression written into a column of the given type; the engine fails the
    // statement when the value does not convert.
    virtual QString convertForColumn(const QString& expr, JetColumnType type,
                                     const QString& column) const = 0;
};
