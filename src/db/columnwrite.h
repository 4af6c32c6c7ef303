#pragma once

#include "db/jettypes.h"
#include "db/value.h"

#include <QString>
#include <optional>

// What a column of the given type stores when a value is written into it, converting text under
// the Russian regional settings. On failure returns nullopt and sets *error to the user's message
// (which value, which column, what was expected); nothing must then be written.
std::optional<Value> valueForColumn(const Value& value, JetColumnType type, const QString& column,
                                    QString* error);
