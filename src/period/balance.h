#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "common/money.h"

#include <QHash>
#include <functional>
#include <vector>

// The periods the movement tables of the services hold ("select DISTINCT PERIOD from (select
// PERIOD from Nachisl<n> union … union Select PERIOD from Korrekt<n>)"), those `chosen` accepts,
// as the condition `PERIOD="01.2024" or PERIOD="02.2024"` in the engine's order; empty when none.
QString periodCondition(Connection& db, const std::vector<int>& services,
                        const std::function<bool(const QString& period)>& chosen);
// `chosen` for the periods earlier than the given one (year first, then month).
std::function<bool(const QString&)> periodsBefore(const QString& period);
std::vector<int> shownServiceIds(const AppContext& app);

// PereschetSaldoOdnogo: the opening balances of one subscriber for every shown service, from
// the charges, corrections and payments of the periods before the current one, replace the
// subscriber's rows in Dolg<n>. One transaction: on an error nothing of it stays.
void PereschetSaldoOdnogo(AppContext& app, int clientId);

// Pereschet: Dolg<n> of every shown service rebuilt from the movements of the periods before the
// current one (Σ ITOG + Σ KORR − Σ OPLATA per subscriber): one row per subscriber, 0 without
// movements. One transaction: on an error nothing of it stays, and other workstations see the
// old balances until it commits. Progress: the row counter of each step.
// movements, when given, receives per service the sum of the movements read for the subscribers
// whose balance was written (the subscribers that exist).
void Pereschet(AppContext& app, Progress* progress = nullptr,
               QHash<int, Money>* movements = nullptr);

// The proof of the balances: per shown service, the sum of Dolg<n> beside the movements of the
// earlier periods of the subscribers that exist.
struct BalanceCheck {
    int service = 0;
    QString name;
    Money balances, movements;
    bool ok() const { return balances == movements; }
};
// Reads the movements again, on its own: one pass over each table of each service.
std::vector<BalanceCheck> checkBalances(AppContext& app);
// The sum of a service's stored balances, exact.
Money storedBalances(Connection& db, int service);
