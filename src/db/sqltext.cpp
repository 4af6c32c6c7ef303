#include "db/sqltext.h"

namespace SqlText {

QString quoted(const QString& text) {
    QString inner = text;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

QString singleQuoted(const QString& text) {
    QString inner = text;
    inner.replace(u'\'', QStringLiteral("''"));
    return u'\'' + inner + u'\'';
}

QString excerpt(const QString& statement, int maxChars) {
    QString s = statement.simplified();
    if (s.size() > maxChars)
        s = s.left(maxChars) + QStringLiteral("…");
    return s;
}

} // namespace SqlText
