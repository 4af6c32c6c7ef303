#pragma once

#include "db/catalog.h"
#include "db/sqldialect.h"
#include "db/value.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// The rows of one result, read whole into memory.
struct ResultSet {
    QStringList columns;
    std::vector<JetColumnType> types; // declared Jet type per column, Unknown for expressions
    std::vector<Value> cells;         // row after row
    int rowCount = 0;

    const Value& at(int row, int column) const {
        return cells[size_t(row) * columns.size() + column];
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
