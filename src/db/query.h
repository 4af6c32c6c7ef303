#pragma once

#include "common/money.h"
#include "db/backend.h"
#include "db/statementtemplate.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class Connection;

// A query over the connection, read whole when opened: navigation (first, next, last, end of
// data, record count, record number from 1) and reading a column by name or position as text,
// integer, double, money, truth value or date. Null, or a read past the end, gives empty text
// or 0.
class Query {
public:
    explicit Query(Connection& connection) : m_connection(connection) {}

    void setSql(const QString& sql) { m_sql = sql; }
    const QString& sql() const { return m_sql; }
    // Runs the statement (throws DbError) and goes to the first row.
    void open();
    void open(const QString& sql) {
        setSql(sql);
        open();
    }
    // Runs a statement template with its values; sql() is then the template's pattern.
    void open(const StatementTemplate& t, std::initializer_list<TemplateValue> values);
    void close();
    bool isOpen() const { return m_open; }

    void first() { m_row = 0; }
    void next() {
        if (m_row < m_rows.rowCount)
            ++m_row;
    }
    void prior() {
        if (m_row > 0)
            --m_row;
    }
    void last() { m_row = m_rows.rowCount > 0 ? m_rows.rowCount - 1 : 0; }
    bool eof() const { return m_row >= m_rows.rowCount; }
    int recordCount() const { return m_rows.rowCount; }
    // From 1; 0 when there are no rows.
    int recNo() const { return m_rows.rowCount == 0 ? 0 : m_row + 1; }
    void setRecNo(int n);

    const QStringList& columnNames() const { return m_rows.columns; }
    int columnIndex(const QString& name) const; // -1 when missing

    Value value(int column) const;
    Value value(const QString& column) const;
    QString text(const QString& column) const { return value(column).toText(); }
    qint64 integer(const QString& column) const { return value(column).toInteger(); }
    double real(const QString& column) const { return value(column).toDouble(); }
    Money money(const QString& column) const { return value(column).toMoney(); }
    bool truth(const QString& column) const { return value(column).toBool(); }
    QDateTime dateTime(const QString& column) const { return value(column).toDateTime(); }
    QString text(int column) const { return value(column).toText(); }
    qint64 integer(int column) const { return value(column).toInteger(); }

    const ResultSet& rows() const { return m_rows; }

private:
    Connection& m_connection;
    QString m_sql;
    ResultSet m_rows;
    int m_row = 0;
    bool m_open = false;
};

// A statement that returns no rows.
class Command {
public:
    explicit Command(Connection& connection) : m_connection(connection) {}
    // Returns the rows affected; throws DbError.
    qint64 execute(const QString& sql);

private:
    Connection& m_connection;
};
