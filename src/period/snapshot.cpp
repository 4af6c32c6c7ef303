#include "period/snapshot.h"

#include "db/dberror.h"

void TEMPUpdate(AppContext& app, Progress* progress) {
    if (progress)
        progress->processEvents();
    Connection& db = app.db();
    for (const TVidUslugi& service : app.state.ShownServices) {
        const QString n = QString::number(service.IDUSL);
        try {
            db.execute(QStringLiteral("DROP TABLE TEMP") + n);
        } catch (const DbError&) {
            // no snapshot yet
        }
        db.execute(QStringLiteral("SELECT [Nachisl") + n + QStringLiteral("].[IDR], [Nachisl") + n +
                   QStringLiteral("].[DOK], [Nachisl") + n + QStringLiteral("].[CLIENT], ") +
                   QStringLiteral("[Nachisl") + n + QStringLiteral("].[PERIOD], [Nachisl") + n +
                   QStringLiteral("].[NACH], [Nachisl") + n + QStringLiteral("].[LGOT], ") +
                   QStringLiteral("[Nachisl") + n + QStringLiteral("].[ITOG], [Nachisl") + n +
                   QStringLiteral("].[USR] INTO TEMP") + n + QStringLiteral(" ") +
                   QStringLiteral("FROM Nachisl") + n + QStringLiteral(" WHERE ((([Nachisl") + n +
                   QStringLiteral("].[PERIOD])=\"") + app.state.CurrentPeriod +
                   QStringLiteral("\"))"));
    }
}
