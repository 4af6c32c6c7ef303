#include "app/archive.h"

#include "db/backend.h"
#include "db/connection.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

ArchiveResult archiveDatabase(AppContext& app, QDate day) {
    ArchiveResult r;
    const QFileInfo database(app.state.DatabasePath);
    const QString name =
        database.absoluteDir().filePath(u"arhiv_"_s + day.toString(u"yyyy_MM_dd"_s));
    r.path = name + u".zip"_s;
    if (!app.connected()) {
        r.problem = u"база данных не открыта"_s;
        return r;
    }
    // a snapshot first: what other workstations write meanwhile never reaches the archive half
    QTemporaryDir dir;
    if (!dir.isValid()) {
        r.problem = u"не удалось создать временную папку"_s;
        return r;
    }
    const QString snapshot = dir.filePath(database.fileName());
    try {
        QString quoted = snapshot;
        quoted.replace(u'\'', u"''"_s);
        app.db().backend().execute(u"VACUUM INTO '%1'"_s.arg(quoted));
    } catch (const BackendError& e) {
        r.problem = u"не удалось снять копию базы: %1"_s.arg(e.reason);
        return r;
    }
    QProcess zip;
    zip.start(u"zip"_s, {u"-1"_s, u"-j"_s, name, snapshot});
    if (!zip.waitForStarted()) {
        r.problem = u"не удалось запустить архиватор zip (установите пакет zip)"_s;
        return r;
    }
    zip.waitForFinished(-1);
    if (zip.exitStatus() != QProcess::NormalExit || zip.exitCode() != 0) {
        r.problem = u"архиватор zip завершился с ошибкой %1: %2"_s.arg(
            QString::number(zip.exitCode()),
            QString::fromLocal8Bit(zip.readAllStandardError()).trimmed());
        return r;
    }
    if (!QFileInfo::exists(r.path))
        r.problem = u"архиватор не записал файл %1"_s.arg(r.path);
    return r;
}
