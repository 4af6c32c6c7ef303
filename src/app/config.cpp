#include "app/config.h"

#include "common/cp1251.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

std::optional<ConfigIni> ConfigIni::read(const QString& path) {
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ConfigError{QStringLiteral("Не удалось прочитать файл %1: %2")
                              .arg(QFileInfo(path).absoluteFilePath(), f.errorString())};
    const QString text = Cp1251::decode(f.readAll());
    QStringList lines = text.split(u'\n');
    for (QString& l : lines)
        if (l.endsWith(u'\r'))
            l.chop(1);
    ConfigIni c;
    c.databasePath = lines.value(0);
    c.title = lines.value(1);
    c.benefitsLine = lines.value(2);
    return c;
}

void ConfigIni::write(const QString& path, const QStringList& lines) {
    QFile f(path);
    QByteArray bytes;
    for (const QString& l : lines)
        bytes += Cp1251::encode(l) + "\r\n";
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw ConfigError{QStringLiteral("Не удалось записать файл %1: %2")
                              .arg(QFileInfo(path).absoluteFilePath(), f.errorString())};
}
