#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "app/startup.h"

class MainWindow;
class CardWindow;
class BenefitWindow;
class DocumentWindow;
class JournalWindow;
class MultiPanelWindow;
class ReportWindow;
class ReportParamsWindow;

// The program's windows, created once in their order (the main window first, then the start-up
// sequence, then the others) and kept for the whole run. The others are children of the main
// window, so they stay above it and go with it.
struct ProgramWindows {
    ProgramWindows(AppContext& app, Prompter& prompter, const StartupEnvironment& env);
    ~ProgramWindows();

    MainWindow* main;                 // TForm1
    CardWindow* card;                 // TForm2
    DocumentWindow* documents;        // TForm4
    JournalWindow* journal;           // TForm3
    BenefitWindow* benefit;           // TForm5
    MultiPanelWindow* multiPanel;     // TForm6
    ReportWindow* report;             // TForm9
    ReportParamsWindow* reportParams; // TForm8
};
