#include "ui/programwindows.h"

#include "ui/card/benefitwindow.h"
#include "ui/card/cardwindow.h"
#include "ui/documents/documentwindow.h"
#include "ui/main/mainwindow.h"
#include "ui/main/multipanelwindow.h"
#include "ui/reports/reportwindow.h"

ProgramWindows::ProgramWindows(AppContext& app, Prompter& prompter, const StartupEnvironment& env)
    : main(new MainWindow(app, prompter, env)),
      card(new CardWindow(app, prompter, main)),
      documents(new DocumentWindow(app, prompter, main)),
      benefit(new BenefitWindow(app, prompter, main)),
      multiPanel(new MultiPanelWindow(app, main)),
      report(new ReportWindow(prompter, main)) {
    card->setBenefitWindow(benefit);
    main->setWindows(card, documents, multiPanel, report);
}

ProgramWindows::~ProgramWindows() { delete main; }
