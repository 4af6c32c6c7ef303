#pragma once

#include "app/config.h"
#include "testsupport.h"
#include "ui/documents/documentwindow.h"
#include "ui/main/mainwindow.h"
#include "ui/main/multipanelwindow.h"
#include "ui/programwindows.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// The program on a small office, its windows created as at start.
struct Program {
    TempDatabase db;
    AppContext app;
    ScriptedPrompter prompter;
    std::unique_ptr<ProgramWindows> windows;
    bool ended = false;

    Program() {
        db.addSmallOffice();
        db.db().execute(
            u"insert into Users (IDUSR, NAME, PASS, PRAV) values (2, \"Оператор Олег\", \"0000\", 0)"_s);
        db.db().execute(
            u"insert into Users (IDUSR, NAME, PASS, PRAV) values (3, \"Старший Семён\", \"1111\", 1)"_s);
        const QString config = db.dir.filePath(u"Config.ini"_s);
        ConfigIni::write(config, {db.path});
        windows = std::make_unique<ProgramWindows>(app, prompter,
                                                   StartupEnvironment{config, db.dir.path()});
        QObject::connect(main(), &MainWindow::programEnded, [this] { ended = true; });
    }
    MainWindow* main() const { return windows->main; }
    DocumentWindow* documents() const { return windows->documents; }
    template <class T> T* find(QWidget* window, const char* name) const {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    QLineEdit* passwordEdit() const { return find<QLineEdit>(windows->multiPanel, "PasswordEdit"); }

    // Shows the main window and waits for the password window.
    bool showMain() {
        main()->show();
        return QTest::qWaitFor([this] { return windows->multiPanel->isVisible(); });
    }
    bool login(const QString& password) {
        if (!showMain())
            return false;
        QTest::keyClicks(passwordEdit(), password);
        QTest::keyClick(passwordEdit(), Qt::Key_Return);
        return !windows->multiPanel->isVisible();
    }
    QStringList journal() { return db.rows(u"select DEISTV, USR from Zhurnal order by IDZ"_s); }

    // The plain selection with the criteria set by fill.
    template <class F> void select(F fill) {
        documents()->openPlainSelection();
        fill();
        QTest::mouseClick(find<QPushButton>(documents(), "SelectButton"), Qt::LeftButton);
    }
    QStringList listColumn(int column) const {
        QStringList out;
        const ResultSet& rows = main()->listRows();
        for (int r = 0; r < rows.rowCount; ++r)
            out << rows.at(r, column).toText();
        return out;
    }
};
