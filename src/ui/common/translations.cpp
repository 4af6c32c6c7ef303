#include "ui/common/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installRussianTranslations(QCoreApplication& application) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    auto* qt = new QTranslator(&application);
    if (!qt->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    QCoreApplication::installTranslator(qt);
    return true;
}
