#pragma once

#include "common/period.h"

#include <QString>

class Connection;

// The fixed tables of a database and the seed a new office starts from.
namespace Schema {

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
