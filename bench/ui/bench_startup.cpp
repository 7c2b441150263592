// Start-up to a shown window: a new process that starts as the program does
// with the example file, beside one that shows an empty Qt Widgets window of
// the same size. Both are timed the same way, from starting the process to
// the child's report that its window is exposed and painted.
#include "app/Startup.h"
#include "platform/FileLayer.h"
#include "platform/QtDialogs.h"
#include "ui/common/Fonts.h"
#include "ui/main/frmMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

QString selfPath;
QString programDir;  // a program folder with the message file and a copy of the example

int ReportShown(QWidget *window)
{
    if (!QTest::qWaitForWindowExposed(window))
        return 1;
    window->repaint();
    std::puts("shown");
    std::fflush(stdout);
    return 0;
}

// The program's own start-up, as main() runs it.
int ChildProgram(int argc, char **argv, const QString &dir)
{
    QApplication app(argc, argv);
    RegisterFontSubstitutes();
    QtDialogs dialogs;
    PosixFileLayer files;
    AppState state(files);
    std::unique_ptr<MainWindowPort> window =
        Main(state, dialogs, dir + "/", dir + "/sample.mtl", [&dialogs](AppState &s) {
            return std::unique_ptr<MainWindowPort>(new frmMain(s, dialogs));
        });
    auto *widget = dynamic_cast<QWidget *>(window.get());
    return widget ? ReportShown(widget) : 1;
}

int ChildEmpty(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(744, 543);
    window.show();
    return ReportShown(&window);
}

void TimeChild(benchmark::State &st, const QStringList &arguments)
{
    for (auto _ : st) {
        QElapsedTimer timer;
        QProcess child;
        timer.start();
        child.start(selfPath, arguments);
        if (!child.waitForReadyRead(30000) || !child.readLine().startsWith("shown")) {
            st.SkipWithError("the child showed no window");
            break;
        }
        st.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        child.waitForFinished(30000);
    }
}

void BM_StartupEmptyWindow(benchmark::State &st)
{
    TimeChild(st, {QStringLiteral("--child-empty")});
}
BENCHMARK(BM_StartupEmptyWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StartupQuillmarkWithFile(benchmark::State &st)
{
    TimeChild(st, {QStringLiteral("--child-program"), programDir});
}
BENCHMARK(BM_StartupQuillmarkWithFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--child-empty") == 0)
        return ChildEmpty(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "--child-program") == 0)
        return ChildProgram(argc, argv, QString::fromLocal8Bit(argv[2]));

    // The children inherit the platform: offscreen unless one is chosen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    selfPath = QCoreApplication::applicationFilePath();
    QTemporaryDir dir;
    const QString source = QStringLiteral(QM_SOURCE_DIR);
    // An empty settings file beside the program keeps the user's own out of the run.
    QFile ini(dir.filePath("Quillmark.ini"));
    if (!ini.open(QIODevice::WriteOnly) ||
        !QFile::copy(source + "/resources/Quillmark.mes", dir.filePath("Quillmark.mes")) ||
        !QFile::copy(source + "/examples/sample.mtl", dir.filePath("sample.mtl"))) {
        std::fprintf(stderr, "bench_startup: set-up failed\n");
        return 1;
    }
    programDir = dir.path();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
