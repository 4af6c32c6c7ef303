#pragma once

#include "db/catalog.h"
#include "db/jettokenizer.h"
#include "db/sqldialect.h"

#include <QString>
#include <vector>

// A literal of the statement lifted into a bound parameter, converted before binding when it is
// written straight into a typed column.
struct ParamSlot {
    int number = 0;       // parameter number in the translated text (from 1)
    int literalIndex = 0; // which lifted literal of the statement, in order of appearance
    JetColumnType target; // Unknown: bound as it is
    QString column;       // for messages
    // a text compared with a date column: converted when it reads as a date, else bound as it is
    bool dateIfReadable = false;
};

struct Translation {
    enum class Kind { Statement, Schema, SelectInto };
    Kind kind = Kind::Statement;
    QString sql;
    std::vector<ParamSlot> params;
    // SELECT … INTO: the new table and the types the translator can tell from the select list
    // (Unknown where only the result can tell).
    QString intoTable;
    std::vector<JetColumnType> inferredTypes;
};

// Which literals of a token list become parameters: every literal except those of schema
// statements and of ORDER BY lists (positions there are column numbers). Returns, per token,
// the lifted literal's index from 0, or -1.
std::vector<int> liftedLiterals(const std::vector<JetToken>& tokens);
// The text that identifies statements differing only in lifted literals.
QString statementShape(const std::vector<JetToken>& tokens, const std::vector<int>& lifted);
// The first word, upper-cased (SELECT, INSERT, …).
QString statementVerb(const std::vector<JetToken>& tokens);
bool isSchemaVerb(const QString& verb);

// Turns one Jet SQL statement into the backend's dialect.
class JetTranslator {
public:
    // Parentheses nested deeper than this are refused (the shape scan stops following them at
    // the same depth).
    static constexpr int MaxNesting = 63;

    JetTranslator(const SqlDialect& dialect, Catalog& catalog)
        : m_dialect(dialect), m_catalog(catalog) {}

    // Throws DbError for statements it cannot translate.
    Translation translate(const QString& statement, const std::vector<JetToken>& tokens,
                          const std::vector<int>& lifted);

private:
    const SqlDialect& m_dialect;
    Catalog& m_catalog;
};
