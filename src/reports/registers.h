#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "reports/reporttable.h"

#include <QDate>
#include <optional>

// The payment registers and the charge register, each a table the report window shows and
// tervala-cli prints. They run on their own statements and never drop money: payments of
// subscribers in a city, without a street, of a deleted subscriber or of a method no longer in
// VidOpl stay in their rows and in "ИТОГО".

// A payment method of the parameters window (VidOpl, in the table's order).
struct RegisterMethod {
    int code = 0;
    QString name;
};
std::vector<RegisterMethod> registerMethods(Connection& db);

// The payment documents with payments on a day, each once, over every shown service.
struct DayDocument {
    int id = 0;
    QString number;
};
std::vector<DayDocument> documentsOfDay(AppContext& app, QDate day);

struct DayRegister {
    QDate day;
    std::optional<int> method;   // VidOpl.NOM; none: every method
    std::optional<int> document; // IDDOK; none: every document of the day
    QString documentNumber;      // shown in the title with the document
};
void fillDayRegister(AppContext& app, ReportTable& table, const DayRegister& p);

struct PeriodRegister {
    QDate from, to;
    std::optional<int> method;
    bool byName = false;  // "Показать абонентов"
    QString clientFilter; // ReportClientFilter ("Client in (…)"), empty: everybody
};
void fillPeriodRegister(AppContext& app, ReportTable& table, const PeriodRegister& p,
                        Progress* progress = nullptr);

enum class ChargeLayout { Subscriber, Settlement, Street };
struct ChargeRegister {
    QString period; // MM.YYYY
    ChargeLayout layout = ChargeLayout::Subscriber;
    QString clientFilter; // the list by subscriber only
};
void fillChargeRegister(AppContext& app, ReportTable& table, const ChargeRegister& p,
                        Progress* progress = nullptr);

// The report filter a selection gives ("Client in (select DISTINCT IDC from Client …)").
QString reportClientFilter(const QString& selectionFilter);
