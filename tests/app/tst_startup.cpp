#include "app/AppFiles.h"
#include "app/MessageFile.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "FakeDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kNoFile("<none>");

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : kNoFile;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// A program folder bin/ with a message file (unless told otherwise) and a
// settings file when given, beside the user's folders config/ and data*/,
// and a state with scripted dialogs.
struct ProgramFolder {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    PosixFileLayer files;
    AppState state{files};
    QString path() const { return dir.filePath(QStringLiteral("bin/")); }
    QString ini() const { return path() + QStringLiteral("Quillmark.ini"); }
    QString userIni() const { return dir.filePath(QStringLiteral("config/quillmark/Quillmark.ini")); }

    explicit ProgramFolder(const QByteArray &settings = kNoFile,
                           const QByteArray &messages = "MAX_INDEX = 61\r\nGSTR(0) = \"Q\"\r\n")
    {
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data0")).toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (dir.filePath(QStringLiteral("data1")) + u':' +
                                  dir.filePath(QStringLiteral("data2"))).toLocal8Bit());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("bin")));
        if (messages != kNoFile)
            WriteFile(path() + QStringLiteral("Quillmark.mes"), messages);
        if (settings != kNoFile)
            WriteFile(ini(), settings);
    }
};

struct FakeWindow : MainWindowPort {
    explicit FakeWindow(QStringList &log) : log(log) {}
    void ShowWindow() override { log << QStringLiteral("show"); }
    void SetFileName(const QString &name) override { log << QStringLiteral("file:") + name; }
    QStringList &log;
};

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void readAndWriteIniValue()
    {
        ProgramFolder folder;
        AppState &state = folder.state;
        SetIniPath(state, folder.ini());
        QCOMPARE(ReadIniValue(state, "Config", "Check"), QString());
        QVERIFY(!QFile::exists(folder.ini()));  // reading writes nothing

        // Written whole, read back cut to 254 bytes.
        const QString longDir = QStringLiteral("/") + QString(300, u'd') + QStringLiteral("/");
        QCOMPARE(WriteIniValue(state, "Config", "Init Dir", longDir), 1);
        QCOMPARE(ReadAll(folder.ini()), "[Config]\r\nInit Dir=" + longDir.toLatin1() + "\r\n");
        QCOMPARE(ReadIniValue(state, "Config", "Init Dir"), longDir.left(254));

        QCOMPARE(WriteIniValue(state, "Config", "Init File", "a€.mtl"), 0);
        SetIniPath(state, folder.path());  // a folder
        QCOMPARE(WriteIniValue(state, "Config", "A", "1"), 0);
        QCOMPARE(GetIniValue(state, "Config", "A", "d"), QStringLiteral("d"));
    }

    void initApplication_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("openEditor");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<int>("slotCount");
        QTest::addColumn<QByteArray>("after");

        const QByteArray count10 = "[Comfig]\r\nATTACH MAX COUNT=10\r\n";
        const QByteArray created = "[Config]\r\nTextEditor=" + kDefaultTextEditor.toLatin1() + "\r\n" + count10;
        // after: empty when the file is left as it was.
        auto row = [](const char *name, const QByteArray &before, bool openEditor = false, int slotCount = 10,
                      const QByteArray &after = {}, const QString &editor = QStringLiteral("vi")) {
            QTest::newRow(name) << before << openEditor << editor << slotCount << (after.isEmpty() ? before : after);
        };
        auto count = [&](const char *name, const QByteArray &value, int slotCount) {
            row(name, "[Config]\r\nTextEditor=vi\r\n[Comfig]\r\nATTACH MAX COUNT=" + value + "\r\n", false, slotCount);
        };

        row("no settings file", kNoFile, false, 10, created, kDefaultTextEditor);
        const QByteArray other("; my settings\r\n[Config]\r\nTextEditor=vi\r\n; folder\r\nInit Dir=/data/\r\n\r\n"
                               "[Other]\r\nx=1\r\n");
        row("other lines and comments kept", other, false, 10, other + count10);
        // A blank value counts as none: the default is written in its place.
        row("blank TextEditor", "[Config]\r\nTextEditor=  \r\n" + count10, false, 10, created, kDefaultTextEditor);
        row("Check 0", "[Config]\r\nCheck=0\r\nTextEditor=vi\r\n" + count10, true);
        row("Check no", "[Config]\r\nCheck = no\r\nTextEditor=vi\r\n" + count10, true);
        row("Check empty", "[Config]\r\nCheck=\r\nTextEditor=vi\r\n" + count10);
        row("Check in the other section", "[Other]\r\nCheck=1\r\n[Config]\r\nTextEditor=vi\r\n" + count10);
        count("count letters stay", "many", 10);
        count("count 12.5", "12.5", 12);
        count("count 13.5", "13.5", 14);
        count("count with blanks", " 7 ", 7);
        count("count 0.5", "0.5", 1);
        count("count 99999", "99999", 32767);
        count("count beyond any number", "1e400", 10);
        const QByteArray inConfig("[Config]\r\nTextEditor=vi\r\nATTACH MAX COUNT=20\r\n");
        row("count in Config is not seen", inConfig, false, 10, inConfig + count10);
        const QByteArray junk = QByteArray("TextEditor=vi\r\n") + '\0' + "\xff\x81\r\n";
        // Bytes that are not windows-31j: never rewritten, the defaults apply.
        row("undecodable file left alone", junk, false, 10, {}, kDefaultTextEditor);
    }

    void initApplication()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, openEditor);
        QFETCH(QString, editor);
        QFETCH(int, slotCount);
        QFETCH(QByteArray, after);

        ProgramFolder folder(before);
        AppState &state = folder.state;
        state.machineTable.AtcType = 2;
        state.machineTable.MaxFeedAll = 5;
        state.settings.OpenEditorOnEnd = !openEditor;

        QVERIFY(InitApplication(state, folder.dialogs, folder.path()));
        QCOMPARE(state.settings.OpenEditorOnEnd, openEditor);
        QCOMPARE(state.settings.TextEditorPath, editor);
        QCOMPARE(int(state.AttachMaxCount), slotCount);
        QCOMPARE(int(state.Attachments.size()), slotCount);
        QVERIFY(state.machineTable.AtcType == -1 && state.machineTable.MaxFeedAll == 0.0f);  // table cleared
        QCOMPARE(state.messages(0), QStringLiteral("Q"));
        QVERIFY(folder.dialogs.boxes.isEmpty());
        // One settings file: beside the program when there, else the user's.
        const bool portable = before != kNoFile;
        QCOMPARE(ReadAll(portable ? folder.ini() : folder.userIni()), after);
        QCOMPARE(ReadAll(portable ? folder.userIni() : folder.ini()), kNoFile);
    }

    void findAppFiles_data()
    {
        QTest::addColumn<QStringList>("present");  // files made below the folder
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("messages");

        const QString iniBeside = "bin/Quillmark.ini", userIni = "config/quillmark/Quillmark.ini";
        const QString mesBeside = "bin/Quillmark.mes", mesShare = "share/quillmark/Quillmark.mes";
        const QString mesHome = "data0/quillmark/Quillmark.mes", mes1 = "data1/quillmark/Quillmark.mes",
                      mes2 = "data2/quillmark/Quillmark.mes";
        QTest::newRow("portable") << QStringList{iniBeside, userIni, mesBeside, mesShare, mesHome}
                                  << iniBeside << mesBeside;
        QTest::newRow("installed") << QStringList{mesShare, mes1} << userIni << mesShare;
        QTest::newRow("user's data folder first") << QStringList{mesHome, mes1} << userIni << mesHome;
        QTest::newRow("data folders in order") << QStringList{mes2, mes1} << userIni << mes1;
        QTest::newRow("last data folder") << QStringList{mes2} << userIni << mes2;
        QTest::newRow("none: the name beside") << QStringList{} << userIni << mesBeside;
        QTest::newRow("folders of those names") << QStringList{iniBeside + "/", mesBeside + "/", mes2}
                                                << userIni << mes2;
    }

    void findAppFiles()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, settings);
        QFETCH(QString, messages);

        ProgramFolder folder(kNoFile, kNoFile);
        const QDir root(folder.dir.path());
        for (const QString &name : present) {
            QVERIFY(root.mkpath(name.endsWith(u'/') ? name : QFileInfo(name).path()));
            if (!name.endsWith(u'/'))
                WriteFile(root.filePath(name), "x");
        }
        const QStringList before = QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const AppFiles files = FindAppFiles(folder.path());
        QCOMPARE(QDir::cleanPath(files.settings), root.filePath(settings));
        QCOMPARE(QDir::cleanPath(files.messages), root.filePath(messages));
        QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);  // made nothing
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("file");  // empty: none loaded, the editor opens at the end

        QTest::newRow("empty") << "" << "";
        QTest::newRow("mtl file") << "/data/a.mtl" << "/data/a.mtl";
        QTest::newRow("any case, trimmed") << "  /data/A.MtL \t" << "/data/A.MtL";
        QTest::newRow("blanks inside the name") << "/my data/b c.MTL" << "/my data/b c.MTL";
        QTest::newRow("in quotes") << "\"/data/a.mtl\"" << "";
        QTest::newRow("longer extension") << "/data/a.mtlx" << "";
        QTest::newRow("too short") << "mtl" << "";
    }

    void commandLine()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, file);

        ProgramFolder folder(QByteArray("[Config]\r\nCheck=1\r\n"));
        QStringList seen;
        // The program folder, given without its separator, gets one.
        auto window = Main(folder.state, folder.dialogs, folder.path().chopped(1), commandLine, [&](AppState &s) {
            // The window is created once, after start-up has run.
            seen << QStringLiteral("slots:%1").arg(s.Attachments.size());
            return std::make_unique<FakeWindow>(seen);
        });
        QVERIFY(window);
        const QStringList loaded = file.isEmpty() ? QStringList() : QStringList{"file:" + file};
        QCOMPARE(seen, QStringList({"slots:10", "show"}) + loaded);
        QCOMPARE(folder.state.settings.OpenEditorOnEnd, file.isEmpty());
        QCOMPARE(folder.state.settings.CommandLine, commandLine.trimmed());
        QVERIFY(folder.state.settings.AppPath == folder.path() && folder.state.settings.IniPath == folder.ini());
        QVERIFY(folder.dialogs.boxes.isEmpty());
    }

    // Qt's own texts follow the message file's language, Japanese by default.
    void qtTranslation_data()
    {
        QTest::addColumn<QByteArray>("messages");
        QTest::addColumn<QString>("yes");
        const QString ja = QStringLiteral("はい(&Y)");
        QTest::newRow("no LANGUAGE line") << QByteArray("MAX_INDEX = 61\r\n") << ja;
        QTest::newRow("before MAX_INDEX, quoted")
            << QByteArray("language = \"en\"\r\nMAX_INDEX = 61\r\n") << QStringLiteral("&Yes");
        QTest::newRow("the later line")
            << QByteArray("LANGUAGE = en\r\nMAX_INDEX = 61\r\nLANGUAGE = ja # design\r\n") << ja;
    }

    void qtTranslation()
    {
        QFETCH(QByteArray, messages);
        QFETCH(QString, yes);
        ProgramFolder folder(kNoFile, messages);
        QStringList seen;
        QVERIFY(Main(folder.state, folder.dialogs, folder.path(), QString(),
                     [&](AppState &) { return std::make_unique<FakeWindow>(seen); }));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), yes);
    }

    void mainEndsWithoutWindow()
    {
        ProgramFolder folder(kNoFile, kNoFile);  // no message file
        QStringList seen;
        auto window = Main(folder.state, folder.dialogs, folder.path(), "/data/a.mtl",
                           [&](AppState &) { return std::make_unique<FakeWindow>(seen); });
        QVERIFY(!window);
        QCOMPARE(folder.dialogs.texts(), QStringList{kMessageFileMissing});
        QVERIFY(folder.state.settings.CommandLine.isEmpty());
        // The settings are read, and their defaults written, before the message file is checked.
        QVERIFY(ReadAll(folder.userIni()).contains("ATTACH MAX COUNT=10"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
