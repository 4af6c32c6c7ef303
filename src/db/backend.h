#pragma once

#include "db/catalog.h"
#include "db/sqldialect.h"
#include "db/value.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// The rows of one result, read whole into memory and kept compactly: 16 bytes a cell, the texts
// as UTF-8 in one buffer. A cell becomes a Value when it is read, so a long list costs little more
// than its text, and only the cells that are shown are ever converted.
class ResultSet {
public:
    QStringList columns;
    std::vector<JetColumnType> types; // declared Jet type per column, Unknown for expressions
    int rowCount = 0;

    Value at(int row, int column) const {
        return cellValue(m_cells[size_t(row) * size_t(columns.size()) + size_t(column)]);
    }
    // The position of a column by its name, without regard to case; -1 when missing.
    int columnIndex(QStringView name) const {
        for (int i = 0; i < columns.size(); ++i)
            if (QStringView(columns[i]).compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    int columnIndex(QLatin1StringView name) const {
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    // Filling, cell after cell, row after row (the backend's reader).
    void clearRows() {
        m_cells.clear();
        m_text.clear();
        rowCount = 0;
    }
    void appendNull() { m_cells.push_back({Value::Kind::Null, 0, {0}}); }
    void appendInteger(qint64 v) { m_cells.push_back({Value::Kind::Integer, 0, {v}}); }
    void appendBool(bool v) { m_cells.push_back({Value::Kind::Bool, 0, {v ? -1 : 0}}); }
    void appendReal(double v) {
        Cell c{Value::Kind::Real, 0, {0}};
        c.real = v;
        m_cells.push_back(c);
    }
    // A text or a stored date, as UTF-8.
    void appendText(const char* utf8, int bytes, bool date) {
        m_cells.push_back({date ? Value::Kind::Date : Value::Kind::Text,
                           quint32(bytes),
                           {qint64(m_text.size())}});
        m_text.insert(m_text.end(), utf8, utf8 + bytes);
    }
    void append(const Value& v);
    void endRow() { ++rowCount; }
    // The rows of another result of the same columns, after these.
    void appendRows(const ResultSet& other);
    // What the rows take in memory (for the benchmarks).
    size_t bytes() const { return m_cells.capacity() * sizeof(Cell) + m_text.capacity(); }

private:
    struct Cell {
        Value::Kind kind;
        quint32 length; // bytes of a text
        union {
            qint64 integer; // also a text's offset in m_text
            double real;
        };
    };
    static_assert(sizeof(Cell) == 16);
    Value cellValue(const Cell& c) const;

    std::vector<Cell> m_cells;
    std::vector<char> m_text;
};

// A prepared statement of the backend, kept and reused for every statement of the same shape.
class BackendStatement {
public:
    virtual ~BackendStatement() = default;
    virtual int parameterCount() const = 0;
    virtual void bind(int number, const Value& value) = 0;
    virtual void bindText(int number, QStringView text) = 0;
    virtual void bindInteger(int number, qint64 value) = 0;
    virtual void bindReal(int number, double value) = 0;
    // Runs the statement. Rows are collected when rows is given; without it a statement that
    // returns rows stops at its first row (a probe reads nothing).
    virtual void run(ResultSet* rows, qint64* changes) = 0;
    // Reads on: appends at most maxRows more rows (the columns are set on the first call);
    // false once the statement has no more rows (it is then reset).
    virtual bool readRows(ResultSet& rows, int maxRows) = 0;
    virtual bool returnsRows() const = 0;
};

// One database engine. The backend reports its failures as BackendError with the engine's own
// reason; the connection turns them into the user's message.
class Backend {
public:
    virtual ~Backend() = default;
    virtual const SqlDialect& dialect() const = 0;
    virtual std::unique_ptr<BackendStatement> prepare(const QString& sql) = 0;
    virtual void execute(const QString& sql) = 0;
    // Columns of a table in order, nullopt when the table does not exist.
    virtual std::optional<std::vector<CatalogColumn>> tableColumns(const QString& table) = 0;
    virtual QStringList tableNames() = 0;
    virtual void updateStatistics() = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual void savepoint(const QString& name) = 0;
    virtual void release(const QString& name) = 0;
    virtual void rollbackTo(const QString& name) = 0;
};

struct BackendError {
    QString reason;
    bool busy = false;
};
