#pragma once

#include "common/period.h"

#include <QString>
#include <vector>

class Connection;

// The fixed tables of a database and the seed a new office starts from.
namespace Schema {

// The indexes the lists and routines need on the address books and on every per-service table
// that exists (made when missing, so older files get them at their next start).
void ensureIndexes(Connection& db, const std::vector<int>& serviceIds);

// Creates every fixed table (the per-service tables come from Sozdanie at start-up).
void createFixedTables(Connection& db);

struct Seed {
    Period period;         // the current period of the new database
    QString adminPassword; // the administrator's password
    QString databaseName = QStringLiteral("Основная база");
};
// Fills the fixed tables with what an office starts from: the current period, the database
// name, the services, payment methods, requisites, benefit kinds and one administrator.
void seed(Connection& db, const Seed& seed);

} // namespace Schema
