#pragma once

#include "app/demogenerator.h"

// A demo office's past, lived through the program's own routines: from the current period on,
// each month a charge document of every shown service, payments from most subscribers in four
// documents (some pay late, some ahead, a few never), a few corrections, and the month
// transition, `months` times; the last month gets its charge. The same seed gives the same
// documents.
void generateHistory(AppContext& app, int months, quint32 seed, Progress* progress = nullptr);
