#pragma once

#include "db/backend.h"
#include "db/catalog.h"
#include "db/jetshape.h"
#include "db/jettranslator.h"
#include "db/statementtemplate.h"

#include <QHash>
#include <QString>
#include <memory>
#include <span>

class Connection;

// The prepared form of a statement template on one connection.
struct TemplatePrepared {
    const Connection* owner = nullptr;
    std::unique_ptr<BackendStatement> statement; // null: the template runs through its text
    std::vector<ParamSlot> params;
    std::vector<int> slotHole;    // per parameter: the template's hole, or -1 for a fixed literal
    std::vector<Value> slotValue; // per parameter: a fixed literal, converted for its column
};

// The one connection of the run. It takes Jet SQL text, translates it for the backend and runs
// it; every statement shape is prepared once and reused with the literals bound as parameters.
// Failures are thrown as DbError with the user's message.
class Connection {
public:
    enum class OpenMode { Existing, Create };

    explicit Connection(std::unique_ptr<Backend> backend);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens a SQLite database file (Create makes an empty one when missing).
    static std::unique_ptr<Connection> openSqlite(const QString& path,
                                                  OpenMode mode = OpenMode::Existing);

    struct Result {
        bool hasRows = false; // the statement returns a result set (possibly empty)
        ResultSet rows;
        qint64 changes = 0;
    };
    Result run(const QString& statement) { return run(statement, true); }
    ResultSet query(const QString& statement) { return run(statement, true).rows; }
    // The rows of a statement into `rows`, reusing its buffers (a Query opened again and again
    // allocates nothing new).
    void queryInto(const QString& statement, ResultSet& rows);

    // Reads the rows of one SELECT a chunk at a time, so that a long list shows its first rows
    // while the rest is read. It has a prepared statement of its own; until it has read every
    // row it holds the database's read lock, so its user reads on without waiting for the user.
    class RowReader {
    public:
        // Appends at most maxRows more rows; false once every row is read. Throws DbError.
        bool read(ResultSet& rows, int maxRows);
        bool done() const { return m_done; }

    private:
        friend class Connection;
        RowReader(Connection& db, QString statement)
            : m_db(db), m_statement(std::move(statement)) {}
        Connection& m_db;
        QString m_statement;
        std::unique_ptr<BackendStatement> m_prepared;
        bool m_done = false;
    };
    // Throws DbError when the statement fails or returns no rows.
    std::unique_ptr<RowReader> openReader(const QString& statement);
    // Runs a statement without reading its rows; returns the rows changed.
    qint64 execute(const QString& statement) { return run(statement, false).changes; }

    // A statement template run with its values: the answer of its text with the values written
    // in, without writing or scanning that text where the values can be bound.
    qint64 execute(const StatementTemplate& t, std::initializer_list<TemplateValue> values) {
        return runTemplate(t, values, false, nullptr).changes;
    }
    void queryInto(const StatementTemplate& t, std::initializer_list<TemplateValue> values,
                   ResultSet& rows) {
        queryInto(t, std::span<const TemplateValue>(values.begin(), values.size()), rows);
    }
    void queryInto(const StatementTemplate& t, std::span<const TemplateValue> values,
                   ResultSet& rows);
    Result run(const StatementTemplate& t, std::span<const TemplateValue> values) {
        return runTemplate(t, values, true, nullptr);
    }
    // Template runs that bound their values (the rest went through their text).
    qint64 boundTemplateRuns() const { return m_boundTemplateRuns; }

    // Brings the engine's statistics of the tables up to date, so that it chooses good plans
    // over a large office (after a demo or an import).
    void updateStatistics();

    Catalog& catalog() { return m_catalog; }
    Backend& backend() { return *m_backend; }
    QStringList tableNames();

    // Used by Transaction: the outermost level begins a write transaction, inner levels are
    // savepoints.
    void beginTransaction();
    // statement: what the message quotes when the commit fails (COMMIT when empty)
    void commitTransaction(const QString& statement = {});
    void rollbackTransaction();
    int transactionDepth() const { return m_depth; }

    // Forgets every prepared shape, the shape scan's heads and the catalog, as a new connection
    // starts (the fuzz target compares a statement's answer with and without them).
    void clearStatementCache();

private:
    struct Prepared {
        std::unique_ptr<BackendStatement> statement;
        std::vector<ParamSlot> params;
    };

    Result run(const QString& statement, bool readRows, ResultSet* into = nullptr);
    Result runUnguarded(const QString& statement, bool readRows, ResultSet* into);
    Result runTemplate(const StatementTemplate& t, std::span<const TemplateValue> values,
                       bool readRows, ResultSet* into);
    // The template's prepared form on this connection (kept until the schema changes).
    std::shared_ptr<TemplatePrepared> preparedTemplate(const StatementTemplate& t);
    // Runs a bound statement; rows into *into or the result's own (BackendError escapes).
    static Result step(BackendStatement& statement, bool readRows, ResultSet* into);
    Result runSchema(const QString& statement, const Translation& tr);
    Result runSelectInto(const QString& statement, const Translation& tr,
                         const std::vector<Value>& literals);
    // A literal bound as it is, or converted for the column it is written into; false (and
    // *error) when it does not convert.
    static bool bindValue(BackendStatement& stmt, const ParamSlot& p, const Value& v,
                          QString* error);
    static bool bindLiteral(BackendStatement& stmt, const ParamSlot& p, const ShapeLiteral& lit,
                            QString* error);
    void bindConverted(BackendStatement& stmt, const ParamSlot& p, const Value& v,
                       const QString& statement);
    void bindParams(BackendStatement& stmt, const std::vector<ParamSlot>& params,
                    const std::vector<Value>& literals, const QString& statement);
    void bindShapeParams(BackendStatement& stmt, const std::vector<ParamSlot>& params,
                         const std::vector<ShapeLiteral>& literals, const QString& statement);
    // Tokenizes and translates a statement of a new shape; its lifted literals into *literals.
    Translation translate(const QString& statement, std::vector<Value>* literals);
    // What the catalog learnt and every prepared shape, forgotten.
    void forgetSchema();
    void schemaChanged();
    [[noreturn]] void fail(const QString& statement, const QString& reason, bool busy = false);

    std::unique_ptr<Backend> m_backend;
    Catalog m_catalog;
    JetTranslator m_translator;
    QHash<QString, std::shared_ptr<Prepared>> m_cache;
    StatementShape m_shape; // scratch of run(), reused from statement to statement
    QHash<QString, std::shared_ptr<TemplatePrepared>> m_templates; // by the template's pattern
    ShapeLiteral m_holeLiteral;                                    // scratch of runTemplate()
    QString m_holeText;
    qint64 m_boundTemplateRuns = 0;
    int m_depth = 0;
    bool m_schemaChangedInTransaction = false; // the catalog is wrong again after a rollback
};
