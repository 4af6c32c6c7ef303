#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "common/period.h"

// A believable office for trying the program: address books, areas, users of every rights level
// and subscribers with residents, areas, tariffs and benefit holders. The same seed gives the
// same database.
struct DemoOptions {
    int subscribers = 2000;
    quint32 seed = 1;
    int months = 12; // of history lived through before the current period (generateHistory)
};

// The demo users: name, password, rights level.
struct DemoUser {
    const char* name;
    const char* password;
    int rights;
};
inline constexpr DemoUser DemoUsers[] = {
    {"Администратор", "3333", 3},
    {"Главный оператор", "2222", 2},
    {"Старший оператор", "1111", 1},
    {"Оператор", "0000", 0},
};

// Fills a database made by Schema (with its per-service tables) in one transaction.
void generateDemo(AppContext& app, const DemoOptions& options, Progress* progress = nullptr);
