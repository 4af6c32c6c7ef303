#pragma once

#include "app/appcontext.h"

#include <QDate>

// The archive of the database: a consistent snapshot of the file packed by the zip archiver
// ("zip -1 -j", the member named as the database file) into arhiv_yyyy_mm_dd.zip beside the
// database file. The program waits for the archiver and checks its result.
struct ArchiveResult {
    QString path;    // the archive written
    QString problem; // why it was not (empty when written)
    bool ok() const { return problem.isEmpty(); }
};
namespace ArchiveText {
inline const QString Question = QStringLiteral("Произвести архивацию?");
inline const QString Failed = QStringLiteral("Немогу выполнить архивирование!");
} // namespace ArchiveText
ArchiveResult archiveDatabase(AppContext& app, QDate day = QDate::currentDate());
