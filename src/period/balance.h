#pragma once

#include "app/appcontext.h"

// PereschetSaldoOdnogo: the opening balances of one subscriber for every shown service, from
// the charges, corrections and payments of the periods before the current one, replace the
// subscriber's rows in Dolg<n>. One transaction: on an error nothing of it stays.
void PereschetSaldoOdnogo(AppContext& app, int clientId);
