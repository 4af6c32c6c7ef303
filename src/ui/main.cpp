#include "ui/common/translations.h"

#include "ui/common/wheeltoarrows.h"
#include "ui/common/widgetprompter.h"
#include "ui/main/mainwindow.h"
#include "ui/programwindows.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Тервала"));
    installRussianTranslations(application); // the standard dialogs speak Russian
    QFont font = QApplication::font();
    font.setPointSize(8); // the size the office is used to
    QApplication::setFont(font);
    application.installEventFilter(new MouseWheelToArrowKeys(&application));

    AppContext app;
    WidgetPrompter prompter;
    const StartupEnvironment env{QDir::current().filePath(QStringLiteral("Config.ini")),
                                 QApplication::applicationDirPath()};
    ProgramWindows windows(app, prompter, env);
    QObject::connect(windows.main, &MainWindow::programEnded, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    if (const QScreen* screen = QApplication::primaryScreen())
        windows.main->setGeometry(screen->availableGeometry()); // where no window manager maximises
    windows.main->showMaximized();
    return QApplication::exec();
}
