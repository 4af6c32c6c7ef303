#include "db/journal.h"

#include "common/dates.h"
#include "db/connection.h"
#include "db/query.h"
#include "db/sqltext.h"
#include "db/transaction.h"

void ActionJournal::HistZap(const QString& table, const QString& action, int clientId, int docId) {
    // the next IDZ is read and written in one transaction (the caller's, or its own), so two
    // workstations never take the same one
    Transaction tx(m_db);
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
    tx.commit();
}
