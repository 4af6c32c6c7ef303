#include "db/statementtemplate.h"

#include "common/dates.h"
#include "db/dberror.h"

namespace {

bool gluesToName(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'$';
}

void appendQuoted(QString& out, const QString& value, QChar quote) {
    if (quote != u'"' && quote != u'\'') {
        out += value;
        return;
    }
    for (const QChar c : value) {
        out += c;
        if (c == quote)
            out += c;
    }
}

} // namespace

TemplateValue::TemplateValue(QDate v) : m_kind(Kind::Date), m_text(Dates::shortDate(v)) {}

QString TemplateValue::toText() const {
    switch (m_kind) {
    case Kind::Integer:
        return QString::number(m_integer);
    case Kind::Money:
        return money().toText();
    case Kind::Text:
    case Kind::Date:
        break;
    }
    return m_text;
}

StatementTemplate::StatementTemplate(const QString& text,
                                     std::initializer_list<TemplateValue> fixed) {
    const int fixedCount = int(fixed.size());
    const qsizetype n = text.size();
    QChar quote;
    qsizetype quoteStart = 0;
    bool inBracket = false;
    qsizetype copied = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'%' || i + 1 >= n || !text[i + 1].isDigit()) {
            if (inBracket) {
                inBracket = c != u']';
            } else if (!quote.isNull()) {
                if (c == quote) {
                    if (quote != u'#' && i + 1 < n && text[i + 1] == quote)
                        ++i; // a doubled quote stays inside
                    else
                        quote = QChar();
                }
            } else if (c == u'"' || c == u'\'' || c == u'#') {
                quote = c;
                quoteStart = i;
            } else if (c == u'[') {
                inBracket = true;
            }
            continue;
        }
        // %n with one or two digits
        qsizetype end = i + 2;
        if (end < n && text[end].isDigit())
            ++end;
        const int number = QStringView(text).mid(i + 1, end - i - 1).toInt();
        Hole h;
        h.quote = inBracket ? QChar(u']') : quote;
        if (inBracket)
            h.whole = false;
        else if (quote.isNull())
            h.whole = !(i > 0 && gluesToName(text[i - 1])) && !(end < n && gluesToName(text[end]));
        else
            h.whole = quote != u'#' && i == quoteStart + 1 && end < n && text[end] == quote &&
                      !(end + 1 < n && text[end + 1] == quote);
        m_text += QStringView(text).mid(copied, i - copied);
        copied = end;
        if (number >= 1 && number <= fixedCount) {
            appendQuoted(m_text, fixed.begin()[number - 1].toText(), h.quote);
        } else if (number > fixedCount) {
            h.start = m_text.size();
            h.length = end - i;
            h.value = number - fixedCount - 1;
            m_text += QStringView(text).mid(i, end - i);
            m_values = std::max(m_values, h.value + 1);
            m_bindable = m_bindable && h.whole;
            m_holes.push_back(h);
        } else {
            m_text += QStringView(text).mid(i, end - i); // %0 is no place for a value
        }
        i = end - 1;
    }
    m_text += QStringView(text).mid(copied);
}

QString StatementTemplate::text(std::span<const TemplateValue> values) const {
    if (qsizetype(values.size()) < m_values)
        throw DbError(QStringLiteral("Ошибка программы: для запроса даны не все значения.\n"
                                     "Запрос: %1")
                          .arg(m_text),
                      m_text, QStringLiteral("не все значения"));
    QString out;
    out.reserve(m_text.size() + 16 * qsizetype(m_holes.size()));
    qsizetype copied = 0;
    for (const Hole& h : m_holes) {
        out += QStringView(m_text).mid(copied, h.start - copied);
        appendQuoted(out, values[size_t(h.value)].toText(), h.quote);
        copied = h.start + h.length;
    }
    out += QStringView(m_text).mid(copied);
    return out;
}
