#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"

// TEMPUpdate: rebuilds TEMP<n> of every shown service as the copy of the current period's charge
// rows. Only the drop may fail; a failing rebuild throws DbError.
void TEMPUpdate(AppContext& app, Progress* progress = nullptr);
