#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// The date forms of the program: the short date shown and written into statements
// (dd.mm.yyyy), the journal's date and time (dd.mm.yyyy hh:mm:ss) and the Jet literal used in
// conditions (#mm/dd/yyyy#).
namespace Dates {

QString shortDate(QDate date);
QString shortDateTime(const QDateTime& dt);
QString jetLiteral(QDate date);
// Reads dd.mm.yyyy, optionally followed by a blank and hh:mm or hh:mm:ss (the Russian regional
// form; one-digit day and month are accepted as the regional settings accept them).
std::optional<QDateTime> parseRussian(const QString& text);

} // namespace Dates
