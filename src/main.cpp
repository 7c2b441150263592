// The program's entry: start-up, then the main window's event loop.
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "model/AppState.h"
#include "platform/FileLayer.h"
#include "platform/FileSystem.h"
#include "platform/QtDialogs.h"
#include "ui/common/Fonts.h"
#include "ui/common/WindowSetup.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

namespace {

// The one command line the file name comes from: the arguments after the
// options, joined by single blanks. Empty with the exit status when the
// program ends here (--help, --version, a bad option).
std::optional<int> ReadCommandLine(int argc, char *argv[], QString &commandLine)
{
    // A core application only: no display is needed to answer --help.
    QCoreApplication core(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Edits an MTL machine definition file."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The MTL file to open."),
                                 QStringLiteral("[FILE.mtl]"));
    // The file's name as the system gives its bytes, whatever they are.
    const std::optional<int> exitStatus = ParseCommandLine(parser, ArgumentsOf(argc, argv));
    commandLine = parser.positionalArguments().join(QLatin1Char(' '));
    return exitStatus;
}

// Held back while the application connects to the display: on success they
// are said as usual; without a display, one line says why and the program
// ends with status 2 instead of aborting.
QList<std::pair<QtMsgType, QString>> g_heldMessages;

void HoldMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        g_heldMessages.append({type, text});
        return;
    }
    const QString display = qEnvironmentVariable("DISPLAY");
    QString why = display.isEmpty() && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                      ? QStringLiteral("no display is set (DISPLAY)")
                      : QStringLiteral("the display %1 cannot be reached").arg(display);
    // What the platform said first is the reason.
    if (!g_heldMessages.isEmpty() && !display.isEmpty())
        why += QStringLiteral(" (") + g_heldMessages.first().second + u')';
    Q_UNUSED(context);
    std::fprintf(stderr, "quillmark: cannot open its window: %s\n", qPrintable(why));
    std::_Exit(2);
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("quillmark"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLMARK_APP_ID));
    QString commandLine;
    if (const std::optional<int> exitStatus = ReadCommandLine(argc, argv, commandLine))
        return *exitStatus;

    const QtMessageHandler usualHandler = qInstallMessageHandler(HoldMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(usualHandler);
    for (const auto &[type, text] : std::exchange(g_heldMessages, {}))
        qt_message_output(type, QMessageLogContext(), text);
    InstallAccessibleFactory();
    // Both windows and the task bar show it; the installed theme's icon wins.
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral(QUILLMARK_APP_ID), QIcon(QStringLiteral(":/" QUILLMARK_APP_ID ".svg"))));
    RegisterFontSubstitutes();

    QtDialogs dialogs;
    PosixFileLayer files;
    AppState state(files);

    std::unique_ptr<MainWindowPort> window =
        Main(state, dialogs, AppPath(), commandLine, [&dialogs](AppState &s) {
            return std::unique_ptr<MainWindowPort>(new frmMain(s, dialogs));
        });
    if (!window)
        return 0;
    return app.exec();
}
