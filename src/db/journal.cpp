#include "db/journal.h"

#include "common/dates.h"
#include "db/connection.h"
#include "db/query.h"
#include "db/sqltext.h"

void ActionJournal::HistZap(const QString& table, const QString& action, int clientId, int docId) {
    Query q(m_db);
    q.open(QStringLiteral("select max (IDZ) from Zhurnal"));
    const qint64 id = q.integer(0) + 1;
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const QString sep = QStringLiteral(", ");
    m_db.execute(QStringLiteral("insert into Zhurnal (IDZ,USR,DATA,TABL,DEISTV,CLIENT,DOK) values (") +
                 QString::number(id) + sep + QString::number(m_userId) + sep + u'"' +
                 Dates::shortDateTime(now) + u'"' + sep + SqlText::singleQuoted(table) + sep +
                 SqlText::singleQuoted(action) + sep + QString::number(clientId) + sep +
                 QString::number(docId) + u')');
}
