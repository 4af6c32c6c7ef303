#pragma once

#include <QDate>
#include <QString>
#include <vector>

// One service that is worked with (a row of Uslugi with OTOBR true).
struct TVidUslugi {
    int IDUSL = 0;
    QString NAME;
    QString KRATKO;
    QString OSNOVA; // the Client column the charge is based on: KOL, OB_PL or ZH_PL
};

// The program state, read at start-up and held for the whole run.
struct ProgramState {
    QString DatabasePath;
    QString ProgramTitle;
    QString CurrentPeriod;
    std::vector<TVidUslugi> ShownServices; // ascending IDUSL
    QString DocIdPrefix;
    QString DocNumberPrefix;
    int ColourExcluded = 0;
    bool ChargeBenefits = false;
    bool ConfirmClose = false;
    // the first status-bar panel ("Период расчета " + period), empty when it was not added
    QString PeriodPanelText;
    QDate NoticePrintDate;
};
