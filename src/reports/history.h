#pragma once

#include "app/appcontext.h"
#include "common/money.h"
#include "reports/reporttable.h"

#include <array>
#include <vector>

// A subscriber's accounts of one calendar year month by month, per shown service, from the
// stored movements (the balance rule with the months as periods), and the documents behind each
// month.
struct THistGrid {
    QString period;
    Money opening, charged, benefits, corrections, paid, closing;
    QString receipt; // of the month's last payment by date
};
struct THistDok {
    QString period, kind; // "Начисление", "Корректировка", "Оплата"
    int document = 0;
    QString number, date; // filled by monthDocuments
};
struct History {
    int year = 0;
    std::vector<int> services; // shown services in order
    std::vector<std::array<THistGrid, 12>> months;
    std::vector<std::vector<THistDok>> documents; // per service, in collection order
};
History calculationHistory(AppContext& app, int clientId, int year);

// The card's table over the ticked services: a header row and January to December, 9 columns
// ("ПЕРИОД" … "Кон сальдо", the receipts in column 7).
void fillHistoryTable(ReportTable& table, const History& h, const std::vector<int>& ticked);
// The documents behind a month (its period text), every service, with number and date.
std::vector<THistDok> monthDocuments(AppContext& app, const History& h, const QString& period);
// The popup item of a document: "Оплата:  № 12   от 05.02.2024".
QString historyItem(const THistDok& d);

// The printed history ("История"): the subscriber, the address, the tariff and residents, the
// year, and the table's rows with a period.
struct HistoryPrintHeader {
    QString name, address, tariff, residents;
    int year = 0;
};
void fillHistoryPrint(ReportTable& out, const ReportTable& grid, const HistoryPrintHeader& h);
