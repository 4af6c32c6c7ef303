#include "db/catalog.h"

const std::vector<CatalogColumn>* Catalog::columns(const QString& table) {
    const QString key = table.toLower();
    auto it = m_tables.find(key);
    if (it == m_tables.end() || !it->has_value())
        it = m_tables.insert(key, m_loader(table)); // a missing table may appear meanwhile
    return it->has_value() ? &**it : nullptr;
}

std::optional<JetColumnType> Catalog::columnType(const QString& table, const QString& column) {
    const auto* cols = columns(table);
    if (!cols)
        return std::nullopt;
    for (const auto& c : *cols)
        if (c.name.compare(column, Qt::CaseInsensitive) == 0)
            return c.type;
    return std::nullopt;
}
