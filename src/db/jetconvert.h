#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>

// Conversions between text and values under the Russian regional settings the office works
// with: decimal comma, no thousands separator, dates day.month.year. The engine uses them when
// text is written into number and date columns and when values are read back as text.
namespace JetConvert {

// "136,5", "-3", " 7 " → number. A point, letters or an empty text do not convert.
std::optional<double> parseNumber(QStringView text);
// Whole number text within 64 bits (used for long columns before the range check).
std::optional<qint64> parseInteger(QStringView text);
// A double as the program shows it: decimal comma, at most 15 significant digits, no
// thousands separator, no trailing zeros (136,5; -68,25; 100).
QString formatNumber(double value);

// Stored date form: "2024-03-15" or "2024-03-15 10:22:33" (the time only when not midnight).
QString toStoredDate(const QDateTime& dt);
QString storedDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// Reads the stored form back; nullopt when the text is not one.
std::optional<QDateTime> fromStoredDate(QStringView text);
bool looksLikeStoredDate(QStringView text);
bool looksLikeStoredDate(const char* utf8, qsizetype bytes);
// "15.03.2024" or "15.03.2024 10:22:33" (time only when it is not midnight).
QString formatStoredDate(QStringView stored);
// Russian date text (or already the stored form) → stored form.
std::optional<QString> dateTextToStored(QStringView text);
// Days since 30.12.1899 (the Jet date serial) → stored form.
QString serialToStoredDate(double serial);

} // namespace JetConvert
