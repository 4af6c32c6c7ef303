#pragma once

#include <QString>
#include <optional>

// Config.ini: three lines of single-byte Cyrillic text: the database path, the fallback caption
// and "1" when benefits are charged. Missing lines read as empty.
struct ConfigIni {
    QString databasePath;
    QString title;
    QString benefitsLine;

    bool chargeBenefits() const { return benefitsLine == u"1"; }

    static QString fileName() { return QStringLiteral("Config.ini"); }
    // nullopt when the file does not exist; throws ConfigError when it cannot be read.
    static std::optional<ConfigIni> read(const QString& path);
    // Writes the lines given (one line for a new file, three for Settings); throws ConfigError.
    static void write(const QString& path, const QStringList& lines);
};

struct ConfigError {
    QString message;
};
