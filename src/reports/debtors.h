#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "reports/reporttable.h"

// The debtor list of the current month: per service, every selected subscriber whose opening
// balance or whose month total of the service exceeds the limit, with balance, charges, benefit,
// correction, payments and the amount due, ordered by address.
struct DebtorList {
    QString limit;           // as typed ("." or "," as the decimal point); empty: 0
    QString selectionFilter; // SelectionFilter of the selection, empty: everybody
};
// What is wrong with the limit (empty when it is a number).
QString debtorLimitProblem(const QString& limit);
void fillDebtorList(AppContext& app, ReportTable& table, const DebtorList& p,
                    Progress* progress = nullptr);
