#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"

#include <QString>

// The start of the program without its windows: Config.ini, the connection, the current period,
// the services, the database name and prefixes, and the per-service tables.
struct StartupEnvironment {
    QString configPath;    // Config.ini in the current directory
    QString executableDir; // the folder of the program's executable (default database place)
};

enum class StartupOutcome {
    Ready,      // connected, state loaded, tables ensured
    NoDatabase, // the file named by Config.ini does not exist; nothing is connected
    Failed      // an error was shown; the remaining steps were not run
};

StartupOutcome runStartup(AppContext& app, const StartupEnvironment& env, Prompter& prompter,
                          Progress* progress = nullptr);

// Makes sure the five tables of every shown service exist: each is probed, and created when the
// probe fails. A failing creation shows the error and stops.
void Sozdanie(AppContext& app, Prompter& prompter, Progress* progress = nullptr);

// Reads Service, Uslugi and Naimenovanie into the state (start-up steps 5 to 8).
// Throws DbError when Service cannot be read.
void loadProgramState(AppContext& app);
