#include "db/journal.h"

#include "common/dates.h"
#include "db/connection.h"
#include "db/query.h"
#include "db/sqltext.h"
#include "db/transaction.h"

using namespace Qt::StringLiterals;

void ActionJournal::HistZap(const QString& table, const QString& action, int clientId, int docId) {
    // the next IDZ is read and written in one transaction (the caller's, or its own), so two
    // workstations never take the same one
    Transaction tx(m_db);
    Query q(m_db);
    q.open(QStringLiteral("select max (IDZ) from Zhurnal"));
    const qint64 id = q.integer(0) + 1;
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    m_db.execute(u"insert into Zhurnal (IDZ,USR,DATA,TABL,DEISTV,CLIENT,DOK) values "
                 u"(%1, %2, \"%3\", %4, %5, %6, %7)"_s.arg(
                     QString::number(id), QString::number(m_userId), Dates::shortDateTime(now),
                     SqlText::singleQuoted(table), SqlText::singleQuoted(action),
                     QString::number(clientId), QString::number(docId)));
    tx.commit();
}
