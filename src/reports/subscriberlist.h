#pragma once

#include "db/backend.h"
#include "reports/reporttable.h"

// The printed subscriber list ("Перечень"): a numbered row per subscriber with every column of
// the list, hidden ones included, under the columns' captions.
void fillSubscriberList(ReportTable& table, const ResultSet& list);
