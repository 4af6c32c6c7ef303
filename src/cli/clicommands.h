#pragma once

#include <QStringList>

// tervala-cli [--db PATH] COMMAND …; returns the process exit code (0 done, 1 failed, 2 usage).
int runCli(const QStringList& arguments);
