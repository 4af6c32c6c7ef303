#pragma once

#include "db/jettypes.h"

#include <QHash>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

struct CatalogColumn {
    QString name;
    JetColumnType type;
};

// The column types of the database's tables, learnt from the database itself. A table is read on
// first use; any change of the schema through the connection forgets everything.
class Catalog {
public:
    using Loader = std::function<std::optional<std::vector<CatalogColumn>>(const QString& table)>;

    explicit Catalog(Loader loader) : m_loader(std::move(loader)) {}

    // nullptr when the table does not exist.
    const std::vector<CatalogColumn>* columns(const QString& table);
    std::optional<JetColumnType> columnType(const QString& table, const QString& column);
    void invalidate() { m_tables.clear(); }

private:
    Loader m_loader;
    QHash<QString, std::optional<std::vector<CatalogColumn>>> m_tables; // key: lower-case name
};
