#pragma once

#include "app/appcontext.h"
#include "common/money.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

// The benefit holders of a subscriber (rows of Lgoty) and the kinds they name (LgtSpr).
namespace Benefits {

struct Kind {
    int IDLG = 0;
    QString NAME;
    Money PROC;
    int TIPLG = 0; // 1: the holder alone, 2: the whole family
};
std::vector<Kind> kinds(AppContext& app);

// The card's list: IDL, holder, kind, TIPZ, by IDL.
QString listSql(int clientId);

struct Holder {
    int kind = 0;  // IDLG; 0: none chosen
    Money percent; // PROC of the kind when saved
    QString FIO_LG, KOL_LG, OBOSN, DOK_S, DOK_N, DOK_K;
    QDate DOK_D, DATA_NACH, DATA_OKON;
    bool unlimited = true;  // "Бессрочная льгота"
    bool ignoreEnd = false; // "Не реагировать на конечную дату"
};

// A stored holder, for correction; nullopt when there is no such row.
std::optional<Holder> load(AppContext& app, int idl, QDate today);

QString insertStatement(int clientId, const Holder& h, int idl, QDate today);
QString updateStatement(int clientId, const Holder& h, int idl, QDate today);

struct Saved {
    QString refusal; // nothing written when not empty
    int idl = 0;
};
// Saves a new holder (idl empty: the next IDL of the table) or corrects one, with the journal
// line, in one transaction. Refuses a missing kind and a persons count that is not a number.
// Throws DbError.
Saved save(AppContext& app, int clientId, const Holder& h, std::optional<int> idl, QDate today);

} // namespace Benefits
