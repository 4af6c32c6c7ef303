#include "db/sqlitebackend.h"

#include "db/sqlitevalue.h"

#include <QHash>
#include <climits>
#include <sqlite3.h>
#include <string>

namespace {

class SqliteDialect final : public SqlDialect {
public:
    QString columnType(JetColumnType type) const override {
        switch (type.type) {
        case JetType::Long:
            return QStringLiteral("INTEGER");
        case JetType::Float:
            return QStringLiteral("FLOAT");
        case JetType::Text:
            return type.length > 0 ? QStringLiteral("VARCHAR(%1) COLLATE NOCASE").arg(type.length)
                                   : QStringLiteral("TEXT COLLATE NOCASE");
        case JetType::Date:
            return QStringLiteral("DATE TEXT");
        case JetType::YesNo:
            return QStringLiteral("BOOLEAN");
        case JetType::Unknown:
            break;
        }
        return QStringLiteral("TEXT COLLATE NOCASE");
    }

    JetColumnType jetType(const QString& declared) const override {
        const QString d = declared.trimmed().toUpper();
        if (d.isEmpty())
            return {};
        if (d == u"INTEGER")
            return {JetType::Long, 0};
        if (d == u"FLOAT")
            return {JetType::Float, 0};
        if (d == u"DATE TEXT" || d.startsWith(QStringLiteral("DATE")))
            return {JetType::Date, 0};
        if (d == u"BOOLEAN")
            return {JetType::YesNo, 0};
        if (d.startsWith(QStringLiteral("VARCHAR(")))
            return {JetType::Text, d.mid(8).chopped(1).toInt()};
        if (d.contains(QStringLiteral("INT")))
            return {JetType::Long, 0};
        if (d.contains(QStringLiteral("CHAR")) || d.contains(QStringLiteral("CLOB")) ||
            d.contains(QStringLiteral("TEXT")))
            return {JetType::Text, 0};
        if (d.contains(QStringLiteral("REAL")) || d.contains(QStringLiteral("FLOA")) ||
            d.contains(QStringLiteral("DOUB")))
            return {JetType::Float, 0};
        return {};
    }

    QString quoteName(const QString& name) const override {
        QString inner = name;
        inner.replace(u'"', QStringLiteral("\"\""));
        return u'"' + inner + u'"';
    }

    QString parameter(int n) const override { return u'?' + QString::number(n); }

    QString function(const QString& jet) const override {
        static const QHash<QString, QString> names = [] {
            QHash<QString, QString> m;
            for (const char* f :
                 {"nz",    "now",    "date",   "time",  "year",  "month", "day",   "left",  "mid",
                  "right", "len",    "trim",   "ltrim", "rtrim", "ucase", "lcase", "instr", "val",
                  "cstr",  "clng",   "cint",   "cdbl",  "csng",  "ccur",  "cdate", "round", "int",
                  "fix",   "format", "isnull", "sgn",   "space", "first", "last"})
                m.insert(QString::fromLatin1(f), QStringLiteral("jet_") + QString::fromLatin1(f));
            m.insert(QStringLiteral("iif"), QStringLiteral("iif"));
            m.insert(QStringLiteral("abs"), QStringLiteral("abs"));
            m.insert(QStringLiteral("sum"), QStringLiteral("sum"));
            m.insert(QStringLiteral("count"), QStringLiteral("count"));
            m.insert(QStringLiteral("max"), QStringLiteral("max"));
            m.insert(QStringLiteral("min"), QStringLiteral("min"));
            m.insert(QStringLiteral("avg"), QStringLiteral("avg"));
            return m;
        }();
        return names.value(jet);
    }

    QString concat(const QStringList& operands) const override {
        return QStringLiteral("jet_concat(") + operands.join(QStringLiteral(", ")) + u')';
    }

    QString textCompareSuffix() const override { return QStringLiteral(" COLLATE NOCASE"); }

    // multiplying by 1.0 first makes the division a real one and keeps / where it stands, so
    // the precedence of the operators around it does not change
    QString divisionOperator() const override { return QStringLiteral("* 1.0 /"); }
    QString integerDivision(const QString& a, const QString& b) const override {
        return QStringLiteral("jet_intdiv(") + a + QStringLiteral(", ") + b + u')';
    }
    QString power(const QString& a, const QString& b) const override {
        return QStringLiteral("jet_pow(") + a + QStringLiteral(", ") + b + u')';
    }

    QString convertForColumn(const QString& expr, JetColumnType type,
                             const QString& column) const override {
        QString col = column;
        col.replace(u'\'', QStringLiteral("''"));
        return QStringLiteral("jet_write(%1, %2, %3, '%4')")
            .arg(expr)
            .arg(int(type.type))
            .arg(type.length)
            .arg(col);
    }
};

void toUtf8(QStringView text, std::string& out) {
    const qsizetype n = text.size();
    out.resize(size_t(3 * n)); // a UTF-16 unit never takes more than three bytes
    char* o = out.data();
    const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (c < 0x80) {
            *o++ = char(c);
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (p[++i] - 0xDC00); // two units, four bytes
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD; // a lone surrogate
        if (c < 0x800) {
            *o++ = char(0xC0 | (c >> 6));
            *o++ = char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *o++ = char(0xE0 | (c >> 12));
            *o++ = char(0x80 | ((c >> 6) & 0x3F));
            *o++ = char(0x80 | (c & 0x3F));
        } else {
            *o++ = char(0xF0 | (c >> 18));
            *o++ = char(0x80 | ((c >> 12) & 0x3F));
            *o++ = char(0x80 | ((c >> 6) & 0x3F));
            *o++ = char(0x80 | (c & 0x3F));
        }
    }
    out.resize(size_t(o - out.data()));
}

const SqliteDialect& sqliteDialect() {
    static const SqliteDialect d;
    return d;
}

QString errorOf(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

[[noreturn]] void raise(sqlite3* db, int rc) {
    const int primary = rc & 0xff;
    throw BackendError{errorOf(db), primary == SQLITE_BUSY || primary == SQLITE_LOCKED};
}

class SqliteStatement final : public BackendStatement {
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* stmt)
        : m_db(db), m_stmt(stmt), m_buffers(size_t(sqlite3_bind_parameter_count(stmt))) {
        const int n = sqlite3_column_count(stmt);
        for (int i = 0; i < n; ++i) {
            m_columns << QString::fromUtf8(sqlite3_column_name(stmt, i));
            const char* decl = sqlite3_column_decltype(stmt, i);
            m_types.push_back(decl ? sqliteDialect().jetType(QString::fromUtf8(decl))
                                   : JetColumnType{});
        }
    }
    ~SqliteStatement() override { sqlite3_finalize(m_stmt); }

    int parameterCount() const override { return sqlite3_bind_parameter_count(m_stmt); }

    void bind(int number, const Value& v) override {
        switch (v.kind()) {
        case Value::Kind::Null:
            return check(sqlite3_bind_null(m_stmt, number));
        case Value::Kind::Integer:
        case Value::Kind::Bool:
            return bindInteger(number, v.toInteger());
        case Value::Kind::Real:
            return bindReal(number, v.toDouble());
        case Value::Kind::Text:
        case Value::Kind::Date:
            return bindText(number, v.storedText()); // the text, or the stored date
        }
    }
    void bindInteger(int number, qint64 value) override {
        check(sqlite3_bind_int64(m_stmt, number, value));
    }
    void bindReal(int number, double value) override {
        check(sqlite3_bind_double(m_stmt, number, value));
    }

    void bindText(int number, QStringView text) override {
        // converted into a buffer of this parameter that lives until the next bind, so the
        // engine need not copy it; the buffers are sized once, so a bound one never moves
        if (number < 1 || size_t(number) > m_buffers.size())
            throw BackendError{QStringLiteral("нет параметра номер %1").arg(number), false};
        std::string& buf = m_buffers[size_t(number) - 1];
        toUtf8(text, buf);
        check(sqlite3_bind_text(m_stmt, number, buf.data(), int(buf.size()), SQLITE_STATIC));
    }

    bool returnsRows() const override { return !m_columns.isEmpty(); }

    bool readRows(ResultSet& rows, int maxRows) override {
        if (rows.columns.isEmpty()) {
            rows.columns = m_columns;
            rows.types = m_types;
        }
        const int n = int(m_columns.size());
        for (int read = 0; read < maxRows; ++read) {
            if (!step())
                return false;
            for (int i = 0; i < n; ++i)
                appendColumn(rows, m_stmt, i, m_types[size_t(i)]);
            rows.endRow();
        }
        return true;
    }

    void run(ResultSet* rows, qint64* changes) override {
        if (rows) {
            rows->columns = m_columns;
            rows->types = m_types;
            rows->clearRows();
            readRows(*rows, INT_MAX); // to the end
        } else if (step()) {
            sqlite3_reset(m_stmt); // a probe stops at its first row
        }
        if (changes)
            *changes = sqlite3_changes64(m_db);
    }

private:
    // One step: true at a row; false when done. Done or failed, the statement is reset (every
    // parameter is bound again before the next run).
    bool step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE) {
            sqlite3_reset(m_stmt);
            return false;
        }
        const BackendError error{errorOf(m_db), (rc & 0xff) == SQLITE_BUSY}; // before the reset
        sqlite3_reset(m_stmt);
        throw error;
    }

    void check(int rc) const {
        if (rc != SQLITE_OK)
            raise(m_db, rc);
    }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
    QStringList m_columns;
    std::vector<JetColumnType> m_types;
    std::vector<std::string> m_buffers;
};

} // namespace

SqliteBackend::SqliteBackend(const QString& path, OpenMode mode) {
    // a connection belongs to one thread, so the engine's per-call locking is not needed
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX |
                      (mode == OpenMode::Create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = m_db ? errorOf(m_db) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw BackendError{reason, false};
    }
    sqlite3_extended_result_codes(m_db, 1);
    // several workstations on one file: a writer waits for the lock instead of failing at once
    sqlite3_busy_timeout(m_db, 15000);
    // a double-quoted literal the translator missed must fail instead of passing for a name
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, MaxValueBytes);
    // no statement may corrupt the file's own structures (writable schema and the like)
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    registerJetFunctions(m_db);
    // sorting and UNIONs of a long list work in memory instead of temporary files, and the pages
    // of a large office stay cached between the statements of a routine (32 MiB)
    sqlite3_exec(m_db, "PRAGMA temp_store = MEMORY; PRAGMA cache_size = -32768", nullptr, nullptr,
                 nullptr);
    // a file that is not a database fails here rather than at the first statement
    char* err = nullptr;
    if (sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) !=
        SQLITE_OK) {
        const QString reason = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw BackendError{reason, false};
    }
}

SqliteBackend::~SqliteBackend() {
    // keeps the statistics the planner uses current, as SQLite advises before closing; never
    // waits for another workstation's lock (it is simply skipped then)
    sqlite3_busy_timeout(m_db, 0);
    sqlite3_exec(m_db, "PRAGMA optimize", nullptr, nullptr, nullptr);
    sqlite3_close_v2(m_db);
}

void SqliteBackend::updateStatistics() {
    execute(QStringLiteral("ANALYZE"));
}

const SqlDialect& SqliteBackend::dialect() const {
    return sqliteDialect();
}

std::unique_ptr<BackendStatement> SqliteBackend::prepare(const QString& sql) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
    if (rc != SQLITE_OK)
        raise(m_db, rc);
    if (!stmt)
        throw BackendError{QStringLiteral("пустой запрос"), false};
    auto prepared = std::make_unique<SqliteStatement>(m_db, stmt);
    // one statement only: the engine would prepare the first and leave the rest unseen
    for (const char* end = utf8.constData() + utf8.size(); tail && tail < end; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\n' && *tail != '\r' && *tail != ';')
            throw BackendError{
                QStringLiteral("после «;» идёт ещё текст, а выполняется только один запрос"),
                false};
    return prepared;
}

void SqliteBackend::execute(const QString& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString reason = QString::fromUtf8(err ? err : sqlite3_errstr(rc));
        sqlite3_free(err);
        throw BackendError{reason, (rc & 0xff) == SQLITE_BUSY};
    }
}

std::optional<std::vector<CatalogColumn>> SqliteBackend::tableColumns(const QString& table) {
    auto stmt = prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"));
    stmt->bind(1, Value::text(table));
    ResultSet rows;
    stmt->run(&rows, nullptr);
    if (rows.rowCount == 0)
        return std::nullopt;
    std::vector<CatalogColumn> cols;
    for (int r = 0; r < rows.rowCount; ++r)
        cols.push_back({rows.at(r, 0).toText(), dialect().jetType(rows.at(r, 1).toText())});
    return cols;
}

QStringList SqliteBackend::tableNames() {
    auto stmt = prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
        "ORDER BY name"));
    ResultSet rows;
    stmt->run(&rows, nullptr);
    QStringList names;
    for (int r = 0; r < rows.rowCount; ++r)
        names << rows.at(r, 0).toText();
    return names;
}

void SqliteBackend::begin() {
    execute(QStringLiteral("BEGIN IMMEDIATE"));
}
void SqliteBackend::commit() {
    execute(QStringLiteral("COMMIT"));
}
void SqliteBackend::rollback() {
    execute(QStringLiteral("ROLLBACK"));
}
void SqliteBackend::savepoint(const QString& name) {
    execute(QStringLiteral("SAVEPOINT ") + name);
}
void SqliteBackend::release(const QString& name) {
    execute(QStringLiteral("RELEASE ") + name);
}
void SqliteBackend::rollbackTo(const QString& name) {
    execute(QStringLiteral("ROLLBACK TO ") + name);
    execute(QStringLiteral("RELEASE ") + name);
}
