#pragma once

#include "app/appcontext.h"
#include "common/money.h"

#include <QDate>
#include <QString>
#include <vector>

// The subscriber card's data: what ZapKart reads and SohrKart writes.
namespace Card {

struct Data {
    QString LS, FIO, DOM, KORP, KVART, ZIP;
    QString PAS_S, PAS_N, PAS_K;
    QDate PAS_D, DATA_ROZHD;   // null: not set
    QString KOL, OB_PL, ZH_PL; // as typed
    int UCH = 0, RG = 0, GD = 0, RN = 0, NP = 0, ST = 0;
    bool excluded = false;
    std::vector<QString> tariffs; // one per shown service, currency text
};

// One row of the calculation grid.
struct Figures {
    QString KRATKO;
    Money opening, charged, benefits, corrections, total, paid, toPay;
};

Data load(AppContext& app, int clientId);
// Per shown service, from the snapshot, corrections, balances and payments of the period; and
// the total debt (the sum of "К оплате").
std::vector<Figures> figures(AppContext& app, int clientId, Money* totalDebt);
// The count of the subscriber's benefit holders (for the card's warnings).
int benefitHolders(AppContext& app, int clientId);

// The check SohrKart makes before anything is written; empty when the card may be saved.
QString saveProblem(const AppContext& app, const Data& data);
// The update statement of the Client row (empty numbers become "0", an empty account the
// default one; every text quoted). Also carries the postal index and the date of birth.
QString updateStatement(const AppContext& app, int clientId, const Data& data);
// SohrKart: the Client row, the tariffs and the journal line in one transaction. Returns the
// refusal (nothing written) or an empty text. Throws DbError (nothing written).
QString save(AppContext& app, int clientId, Data data);

} // namespace Card
