#pragma once

#include "db/backend.h"

struct sqlite3;

// The embedded engine: one SQLite file. Text columns compare without regard to case (Cyrillic as
// Latin), dates are stored as ISO text, and the Jet functions are registered on the connection.
class SqliteBackend : public Backend {
public:
    enum class OpenMode { Existing, Create };
    // The longest text or value a statement may build (in bytes of UTF-8); longer ones fail the
    // statement instead of exhausting memory.
    static constexpr int MaxValueBytes = 64 * 1024 * 1024;
    // Throws BackendError.
    SqliteBackend(const QString& path, OpenMode mode);
    ~SqliteBackend() override;
    SqliteBackend(const SqliteBackend&) = delete;
    SqliteBackend& operator=(const SqliteBackend&) = delete;

    const SqlDialect& dialect() const override;
    std::unique_ptr<BackendStatement> prepare(const QString& sql) override;
    void execute(const QString& sql) override;
    std::optional<std::vector<CatalogColumn>> tableColumns(const QString& table) override;
    QStringList tableNames() override;
    void updateStatistics() override;
    void begin() override;
    void commit() override;
    void rollback() override;
    void savepoint(const QString& name) override;
    void release(const QString& name) override;
    void rollbackTo(const QString& name) override;

    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// Registers the Jet functions, the case-insensitive collation and LIKE on a SQLite connection.
void registerJetFunctions(sqlite3* db);
