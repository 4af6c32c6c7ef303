#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// Splits a Jet SQL statement into tokens. Literals keep their value (a text literal without its
// quotes, a date literal in the stored form), so the translator can bind them as parameters.
struct JetToken {
    enum class Kind {
        Word,        // a bare name or keyword
        BracketName, // [Name]
        QuotedName,  // `Name`
        String,      // "text" or 'text'
        Integer,     // 42
        Decimal,     // 1.5
        Date,        // #03/15/2024#
        Symbol       // ( ) , . ; * + - / \ & = <> <= >= < > ^ !
    };
    Kind kind;
    QString text; // words and names as written; string value; number text; stored date; symbol
    int pos = 0;  // offset in the statement, for messages

    bool isWord(QStringView w) const {
        return kind == Kind::Word && text.compare(w, Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QStringView s) const { return kind == Kind::Symbol && text == s; }
    bool isLiteral() const {
        return kind == Kind::String || kind == Kind::Integer || kind == Kind::Decimal ||
               kind == Kind::Date;
    }
    bool isName() const {
        return kind == Kind::Word || kind == Kind::BracketName || kind == Kind::QuotedName;
    }
};

// Throws DbError on an unterminated literal or a malformed date literal.
std::vector<JetToken> tokenizeJet(const QString& statement);
