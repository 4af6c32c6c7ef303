#include "common/dates.h"

#include <QRegularExpression>

namespace Dates {

QString shortDate(QDate date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString shortDateTime(const QDateTime& dt) {
    return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString jetLiteral(QDate date) {
    return u'#' + date.toString(QStringLiteral("MM/dd/yyyy")) + u'#';
}

std::optional<QDateTime> parseRussian(const QString& text) {
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{1,2})\.(\d{1,2})\.(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0, 0);
    if (m.capturedLength(4) > 0) {
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(),
                     m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0);
        if (!time.isValid())
            return std::nullopt;
    }
    return QDateTime(date, time);
}

} // namespace Dates
