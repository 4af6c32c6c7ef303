#pragma once

#include "app/changenotifier.h"
#include "app/programstate.h"
#include "db/connection.h"
#include "db/journal.h"

#include <memory>

// The current selection of subscribers: the main list's statement and its condition, the
// registers' restriction, and the subscriber shown as current.
struct SelectionState {
    QString ListSql;
    QString SelectionFilter;    // "WHERE (…)" or empty
    QString ReportClientFilter; // set by the register modes of the selection
    int CurrentClientId = 0;
    bool NewClientMode = false; // the current subscriber was just created and not yet saved
};

// What every part of the program shares for the run: the state, the logged-in user and the one
// connection. Passed by reference; there are no globals.
struct AppContext {
    ProgramState state;
    int CurrentUserId = 0;
    QString CurrentUserName;
    SelectionState selection;
    std::unique_ptr<Connection> connection; // null when the database could not be opened
    ChangeNotifier changes;                 // what the routines changed, once committed

    bool connected() const { return connection != nullptr; }
    Connection& db() { return *connection; }
    ActionJournal journal() { return ActionJournal(*connection, CurrentUserId); }
};
