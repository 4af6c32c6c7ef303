#pragma once

#include "db/backend.h"
#include "db/jettypes.h"
#include "db/value.h"

#include <sqlite3.h>

// A column of the current row appended to a result, typed by its declared Jet type (dates stored
// as text become date values; an expression's text in the stored date form is taken for a date
// too); texts stay UTF-8.
void appendColumn(ResultSet& rows, sqlite3_stmt* stmt, int column, JetColumnType declared);
// A function argument: text in the stored date form is taken for a date.
Value argumentValue(sqlite3_value* value);
