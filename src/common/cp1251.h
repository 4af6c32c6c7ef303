#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251, the single-byte Cyrillic of the office's text files (Config.ini, CSV). Text is
// converted only at the file boundary; characters the code page lacks become '?'.
namespace Cp1251 {

QString decode(const QByteArray& bytes);
QByteArray encode(const QString& text);

} // namespace Cp1251
