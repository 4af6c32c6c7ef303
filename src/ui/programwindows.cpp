#include "ui/programwindows.h"

#include "ui/documents/documentwindow.h"
#include "ui/main/mainwindow.h"
#include "ui/main/multipanelwindow.h"
#include "ui/reports/reportwindow.h"

ProgramWindows::ProgramWindows(AppContext& app, Prompter& prompter, const StartupEnvironment& env)
    : main(new MainWindow(app, prompter, env)),
      documents(new DocumentWindow(app, prompter, main)),
      multiPanel(new MultiPanelWindow(app, main)),
      report(new ReportWindow(prompter, main)) {
    main->setWindows(documents, multiPanel, report);
}

ProgramWindows::~ProgramWindows() { delete main; }
