// The program's entry: start-up, then the main window's event loop.
#include "app/Startup.h"
#include "model/AppState.h"
#include "platform/FileLayer.h"
#include "platform/FileSystem.h"
#include "platform/QtDialogs.h"
#include "ui/common/Fonts.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    RegisterFontSubstitutes();

    QtDialogs dialogs;
    PosixFileLayer files;
    AppState state(dialogs, files);

    // The arguments stand for the one command line the file name comes from.
    const QString commandLine = app.arguments().mid(1).join(QLatin1Char(' '));
    std::unique_ptr<MainWindowPort> window =
        Main(state, AppPath(), commandLine,
             [](AppState &s) { return std::unique_ptr<MainWindowPort>(new frmMain(s)); });
    if (!window)
        return 0;
    return app.exec();
}
