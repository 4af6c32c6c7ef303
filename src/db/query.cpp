#include "db/query.h"

#include "db/connection.h"
#include "db/dberror.h"

void Query::open() {
    m_open = false;
    m_row = 0;
    try {
        m_connection.queryInto(m_sql, m_rows); // the buffers of the last opening are reused
    } catch (...) {
        m_rows.clearRows(); // a failed opening leaves no rows behind
        throw;
    }
    m_open = true;
}

void Query::open(const StatementTemplate& t, std::initializer_list<TemplateValue> values) {
    m_sql = t.pattern();
    m_open = false;
    m_row = 0;
    try {
        m_connection.queryInto(t, values, m_rows);
    } catch (...) {
        m_rows.clearRows();
        throw;
    }
    m_open = true;
}

void Query::close() {
    m_open = false;
    m_rows = ResultSet();
    m_row = 0;
}

void Query::setRecNo(int n) {
    if (m_rows.rowCount == 0)
        return;
    m_row = std::clamp(n, 1, m_rows.rowCount) - 1;
}

int Query::columnIndex(const QString& name) const {
    return m_rows.columnIndex(name);
}

Value Query::value(int column) const {
    if (eof() || column < 0 || column >= m_rows.columns.size())
        return {};
    return m_rows.at(m_row, column);
}

Value Query::value(const QString& column) const {
    const int i = columnIndex(column);
    if (i < 0)
        throw DbError(QStringLiteral("В результате запроса нет столбца %1.\nЗапрос: %2")
                          .arg(column, m_sql.simplified().left(200)),
                      m_sql, column);
    return value(i);
}

qint64 Command::execute(const QString& sql) {
    return m_connection.execute(sql);
}
