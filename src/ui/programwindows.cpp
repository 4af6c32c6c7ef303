#include "ui/programwindows.h"

#include "ui/card/benefitwindow.h"
#include "ui/card/cardwindow.h"
#include "ui/documents/documentwindow.h"
#include "ui/documents/journalwindow.h"
#include "ui/main/mainwindow.h"
#include "ui/main/multipanelwindow.h"
#include "ui/reports/reportparamswindow.h"
#include "ui/reports/reportwindow.h"

namespace {

// The main window comes first; the start-up sequence (configuration, database, services, names)
// runs then, before the other windows are created, and the main window shows what it left.
MainWindow* startedMainWindow(AppContext& app, Prompter& prompter, const StartupEnvironment& env) {
    auto* main = new MainWindow(app, prompter);
    main->startupDone(runStartup(app, env, prompter));
    return main;
}

} // namespace

ProgramWindows::ProgramWindows(AppContext& app, Prompter& prompter, const StartupEnvironment& env)
    : main(startedMainWindow(app, prompter, env)), card(new CardWindow(app, prompter, main)),
      documents(new DocumentWindow(app, prompter, main)),
      journal(new JournalWindow(app, prompter, *documents, main)),
      benefit(new BenefitWindow(app, prompter, main)), multiPanel(new MultiPanelWindow(app, main)),
      report(new ReportWindow(prompter, main)),
      reportParams(new ReportParamsWindow(app, prompter, *report, *documents, main)) {
    card->setBenefitWindow(benefit);
    QObject::connect(card, &CardWindow::correctionRequested, documents,
                     [this](const QString& account, const QString& note) {
                         documents->openForSubscriber(DocType::Correction, account, note);
                     });
    QObject::connect(card, &CardWindow::paymentRequested, documents,
                     [this](const QString& account) {
                         documents->openForSubscriber(DocType::Payment, account);
                     });
    main->setWindows(card, documents, multiPanel, report);
    main->setJournal(journal);
    main->setReportParams(reportParams);
    QObject::connect(card, &CardWindow::reportReady, report, &ReportWindow::showTable);
    QObject::connect(documents, &DocumentWindow::reportReady, report, &ReportWindow::showTable);
    QObject::connect(card, &CardWindow::documentRequested, documents, [this](int id) {
        if (documents->isVisible()) {
            documents->raise();
            return;
        }
        documents->loadDocument(id);
    });
}

ProgramWindows::~ProgramWindows() {
    delete main;
}
