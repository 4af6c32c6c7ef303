#pragma once

#include "app/programstate.h"
#include "db/connection.h"
#include "db/journal.h"

#include <memory>

// What every part of the program shares for the run: the state, the logged-in user and the one
// connection. Passed by reference; there are no globals.
struct AppContext {
    ProgramState state;
    int CurrentUserId = 0;
    QString CurrentUserName;
    std::unique_ptr<Connection> connection; // null when the database could not be opened

    bool connected() const { return connection != nullptr; }
    Connection& db() { return *connection; }
    ActionJournal journal() { return ActionJournal(*connection, CurrentUserId); }
};
