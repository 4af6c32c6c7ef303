#pragma once

#include "app/programstate.h"
#include "db/backend.h"

#include <QString>
#include <optional>
#include <vector>

class Connection;

// The criteria of the subscriber selection as the operator filled them. A text criterion counts
// when it is not empty, a list criterion when an item is chosen (its row id).
struct SelectionCriteria {
    QString account;
    QString name;  // a part of the name
    QString house; // a hyphen makes a range of texts
    QString building;
    QString apartment; // ignored while hasApartment is set
    bool hasApartment = false;
    std::optional<int> region, city, district, settlement, street, area;
};

// The captions that name the selection window's modes.
namespace SelectionCaption {
inline const QString Plain = QStringLiteral("Отбор абонентов");
inline const QString PaymentRegister = QStringLiteral("Отбор абонентов для реестра оплат");
inline const QString ChargeRegister = QStringLiteral("Отбор абонентов для реестра начислений");
inline const QString Debtors = QStringLiteral("Отбор списка должников");
inline const QString Beneficiaries = QStringLiteral("Отбор списка льготников");
inline const QString Document = QStringLiteral("Документ");
} // namespace SelectionCaption

struct SelectionStatement {
    QString ListSql;         // the whole statement
    QString SelectionFilter; // "WHERE (…)", empty without criteria
};

// Builds the selection statement. plainMode is the "Отбор абонентов" mode: balance columns named
// by the services' short names; every other mode lists the charge's columns, balances and
// tariffs. Every text the operator typed goes in quoted.
SelectionStatement buildSelection(const SelectionCriteria& criteria, bool plainMode,
                                  const std::vector<TVidUslugi>& services);

// What a selection gives the main list: its rows and the caption's counts (the count and the
// residents come from Client alone, so they include selected subscribers without a street).
struct SelectionResult {
    ResultSet list;
    qint64 count = 0;
    qint64 residents = 0;
};
// Runs the selection's list, count and residents statements. Throws DbError.
SelectionResult runSelection(Connection& db, const SelectionStatement& selection);
// The count and the residents alone (the window reads the list itself, a screen at a time).
SelectionResult countSelection(Connection& db, const SelectionStatement& selection);
// The main window's caption after a selection.
QString selectionCaption(const QString& programTitle, const SelectionResult& result);

// The main list's columns: the subscriber's id and exclusion mark (IDC, TIPZ) are never shown;
// the width of every other column in pixels.
bool isHiddenListColumn(const QString& name);
inline constexpr int ListDefaultColumnWidth = 64;
int listColumnWidth(int column, int columns);

// The statements built on a selection.
namespace SelectionSql {
// The main list sorted by one of its columns (the list's statement wrapped once more).
QString sorted(const QString& listSql, const QString& column);
// Every column of the selected subscribers.
QString iteration(const QString& filter);
QString count(const QString& filter);
QString residents(const QString& filter);
// The document grid: a second selection added to it, or the selection removed from it.
QString added(const QString& gridSql, const QString& listSql);
QString removed(const QString& gridSql, const QString& filter);
} // namespace SelectionSql

// The six address lists of the criteria panel, each filled from its table under the current ids
// of the levels above it.
enum class AddressLevel { Region, City, District, Settlement, Street, Area };

struct AddressIds {
    int region = 0, city = 0, district = 0, settlement = 0, street = 0, area = 0;
    int& of(AddressLevel level);
    int of(AddressLevel level) const { return const_cast<AddressIds*>(this)->of(level); }
};

// The lists are filled the same way everywhere but for two details: the card and the mass
// processing look for the districts of a city only when a city is chosen, and the card lists
// streets in the engine's order.
enum class AddressListForm { Selection, MassProcessing, Card };
QString addressListSql(AddressLevel level, const AddressIds& ids,
                       AddressListForm form = AddressListForm::Selection);
