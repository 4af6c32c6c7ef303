#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"

#include <QString>
#include <optional>

// The subscriber register as a whole: a new subscriber, the deletion of one, and one change
// applied to every subscriber of a selection. Each runs in one transaction.
namespace Clients {

// The account a subscriber gets when none is typed: (id div 100000) × 1000000 + id.
QString defaultAccount(int clientId);

// Client.TIPZ of a subscriber excluded from charging, and the colour its rows (and its benefit
// holders' rows) are drawn in where the office colours them.
inline const QString ExcludedMark = QStringLiteral("isk");
inline bool isExcluded(const QString& tipz) {
    return tipz == ExcludedMark;
}
struct Rgb {
    int red, green, blue;
};
inline constexpr Rgb ExcludedRowColour{170, 170, 238};

// Whether an address names a street and a city or a settlement: an incomplete one is never
// saved (on the card it would lose the subscriber from every selection; in mass processing it
// would wipe the addresses of the whole selection).
inline bool addressComplete(int city, int settlement, int street) {
    return (city != 0 || settlement != 0) && street != 0;
}

// Replaces a subscriber's tariff of one service (its Tarif table's row); the caller's
// transaction holds it.
void replaceTariff(Connection& db, int serviceId, int clientId, const QString& tariff);

// A new Client row (the next IDC, its default account) and its journal line; returns the id.
int addClient(AppContext& app);
// The list showing the new subscriber alone (outer joins: it has no address yet).
QString newClientListSql(int clientId);

// Every column of the new subscriber (its IterationSet).
QString newClientIterationSql(int clientId);
// "Отмена" on the card of a subscriber just created: its row goes, with the journal line.
void cancelNewClient(AppContext& app, int clientId);
// The stored residents of a subscriber (0 when unknown).
int residents(AppContext& app, int clientId);

// Asks, refuses while charges exist for the subscriber in a shown service, then deletes its
// Client row (its other rows stay) with the journal line. True when deleted.
bool deleteClient(AppContext& app, Prompter& prompter, int clientId);

// "Общая обработка".
enum class MassKind { Tariff = 0, Inclusion = 1, Area = 2, Address = 3 };
struct MassChange {
    MassKind kind = MassKind::Tariff;
    std::optional<int> service; // position in ShownServices (tariff)
    QString tariff;
    bool exclude = false;                       // inclusion: "Исключить"
    std::optional<int> area;                    // area id (an item of the area list)
    int RG = 0, GD = 0, RN = 0, NP = 0, ST = 0; // address
    QString house, building;
};
// Applies the change to every listed subscriber and writes its journal line, then rebuilds the
// snapshot. A change that lacks its service or area, a tariff that is not a number, or an
// address without a street (or without both city and settlement) is refused with a message saying
// what is missing: nothing is written. Throws DbError. Returns the refusal, or an empty text when
// done.
QString massProcess(AppContext& app, const std::vector<int>& clientIds, const MassChange& change,
                    Progress* progress = nullptr);

// The refusal for a tariff text that is not a number, naming the service and the text; empty
// when the text is a number.
QString tariffProblem(const TVidUslugi& service, const QString& text);

} // namespace Clients
