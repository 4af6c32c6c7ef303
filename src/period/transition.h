#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "period/balance.h"

// The period after the given one ("12.2009" → "01.2010"); empty for a text that is no period.
QString nextPeriod(const QString& period);

// The month transition after its questions: the current period advances one month, every
// opening balance is recalculated for it, the new month is recorded in Service, the snapshot is
// rebuilt and the journal line written — in one transaction, which commits only when the
// balances agree with the movements (checkBalances). On an error nothing of it stays, the
// current period is the old one again, and DbError says what failed.
struct TransitionResult {
    QString period; // the new current period
    std::vector<BalanceCheck> checks;
};
TransitionResult monthTransition(AppContext& app, Progress* progress = nullptr);

namespace TransitionText {
inline const QString Question = QStringLiteral(
    "Вы уверены, что хотите начать процедуру перехода на новый месяц? Это займет много времени!");
// A line of the balance proof: "ХВС: сальдо 120,5, движение 120,5".
QString checkLine(const BalanceCheck& c);
} // namespace TransitionText
