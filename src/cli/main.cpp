#include "cli/clicommands.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return runCli(QCoreApplication::arguments().mid(1));
}
