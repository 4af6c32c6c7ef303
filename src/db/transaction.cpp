#include "db/transaction.h"

#include "db/connection.h"

Transaction::Transaction(Connection& connection) : m_connection(connection) {
    m_connection.beginTransaction();
}

Transaction::~Transaction() {
    if (!m_done)
        m_connection.rollbackTransaction();
}

void Transaction::commit() {
    m_connection.commitTransaction();
    m_done = true;
}
