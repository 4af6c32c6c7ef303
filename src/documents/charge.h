#pragma once

#include "documents/document.h"

// The charge of the current period: one Nachisl<n> line per selected subscriber (excluded ones
// skipped) and ticked service, with the benefit deduction, under one charge document per period
// and service: a service already charged in the period gets its new lines added to that
// document. One transaction: on an error nothing of it stays.
struct ChargeInput {
    DocumentHeader header;
    std::vector<DocumentRow> rows;
    std::vector<int> services; // the ticked services' ids
};
SaveResult charge(AppContext& app, const ChargeInput& input, Progress* progress = nullptr);

// One subscriber's amounts of one service.
struct ChargeAmounts {
    Money NACH, LGOT, ITOG;
};
ChargeAmounts chargeAmounts(Money quantity, Money tariff, qint64 residents,
                            const std::vector<BenefitRow>& benefits, Period period);

// A stored charge document as the window shows it again.
struct StoredCharge {
    DocumentHeader header;
    std::vector<int> services; // the services it has lines of
    QString ListSql;           // its subscribers in the selection's document form
};
StoredCharge loadCharge(AppContext& app, int docId);
