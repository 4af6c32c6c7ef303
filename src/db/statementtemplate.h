#pragma once

#include "common/money.h"

#include <QDate>
#include <QString>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

// A value written into a statement template: a whole number (decimal), an amount (its currency
// text, 136,5), a text (as it is), or a date (dd.mm.yyyy).
class TemplateValue {
public:
    enum class Kind { Integer, Money, Text, Date };

    TemplateValue(int v) : m_kind(Kind::Integer), m_integer(v) {}
    TemplateValue(qint64 v) : m_kind(Kind::Integer), m_integer(v) {}
    TemplateValue(Money v) : m_kind(Kind::Money), m_integer(v.units()) {}
    TemplateValue(QString v) : m_kind(Kind::Text), m_text(std::move(v)) {}
    TemplateValue(const char16_t* v) : m_kind(Kind::Text), m_text(QString::fromUtf16(v)) {}
    TemplateValue(QDate v);

    Kind kind() const { return m_kind; }
    qint64 integer() const { return m_integer; }
    Money money() const { return Money::fromUnits(m_integer); }
    // The text of a text or a date.
    const QString& text() const { return m_text; }
    // As it is written into the statement.
    QString toText() const;

private:
    Kind m_kind;
    qint64 m_integer = 0;
    QString m_text;
};

struct TemplatePrepared;

// A statement a routine runs again and again with other values, written once as the office
// writes it, with %1, %2, … where the values go:
//
//   StatementTemplate insert(u"insert into Nachisl%1 (IDR, DOK, …) values (%2 , %3 , … "
//                            u"\"%6\" …)"_s, {service});
//   db.execute(insert, {id, doc, …, nach});
//
// The values given when the template is made fix its names (a table number); the rest are given
// at each run, in order. A run gives exactly the answer of the statement with the values written
// in (`text()`, a quote inside a quoted value doubled, as SqlText does), errors and their
// messages included. Where a value takes the whole place of a literal (`%2` standing alone, or
// `"%6"` as a whole quoted text) the engine binds it without writing or reading the text: the
// routine's loop then costs little more than the database's own work. A value glued to other
// characters, a negative number standing alone, or statement logging make the run go through
// the text.
class StatementTemplate {
public:
    explicit StatementTemplate(const QString& text,
                               std::initializer_list<TemplateValue> fixed = {});

    // The statement with the values written in.
    QString text(std::span<const TemplateValue> values) const;
    QString text(std::initializer_list<TemplateValue> values) const {
        return text(std::span<const TemplateValue>(values.begin(), values.size()));
    }
    // The template with its fixed values written in and %n left where the run's values go.
    const QString& pattern() const { return m_text; }
    int valueCount() const { return m_values; }

private:
    friend class Connection;
    struct Hole {
        qsizetype start = 0, length = 0; // of "%n" in m_text
        int value = 0;                   // index into the run's values
        QChar quote;                     // the quote the hole stands inside, or null
        bool whole = false;              // the hole is the whole literal
    };

    QString m_text;
    std::vector<Hole> m_holes; // in text order
    int m_values = 0;
    bool m_bindable = true;                             // every hole is a whole literal
    mutable std::weak_ptr<TemplatePrepared> m_prepared; // the connection's prepared form
};
