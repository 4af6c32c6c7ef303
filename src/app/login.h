#pragma once

#include "db/backend.h"
#include "db/connection.h"

#include <QString>
#include <vector>

// The login: the typed password is looked up in Users, and the user's rights level disables
// commands of the main window for the rest of the run.
namespace Login {

// The id given when Users has no rows: every password then logs in.
constexpr int NoUsersId = 9999;

struct User {
    int id = 0; // 0: nobody
    QString name;
};

// The Users rows the password is looked up in. Throws DbError.
ResultSet users(Connection& db);

// The first row of Users (in the table's order) whose PASS equals the typed text exactly; no
// row: id 0. An empty Users logs in as NoUsersId with an empty name.
User findUser(const ResultSet& users, const QString& typedPassword);

// PRAV of the user's row as an integer; 0 when there is no such row.
int rightsLevel(const ResultSet& users, int userId);

// The commands a rights level can disable.
enum class Command {
    MonthTransition, // "Переход на новый месяц"
    AddClient,       // "Добавить", menu and tool button
    DeleteClient,    // "Удалить", menu and tool button
    ReferenceBooks,  // the whole "Справочники" submenu
    BenefitPercents, // "Изменить проценты льгот"
    MassProcessing,  // "Общая обработка"
    Settings         // "Настройки"
};

// The commands that Interfac disables for a level: 0 "Оператор", 1 "Старший оператор",
// 2 "Главный оператор", 3 "Администратор"; any other level disables nothing.
std::vector<Command> disabledCommands(int level);

} // namespace Login
