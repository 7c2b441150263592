#include "app/MessageFile.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "platform/FakeDialogs.h"

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

// A program folder with a message file (unless told otherwise), a settings
// file when given, and a state with scripted dialogs.
struct ProgramFolder {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    PosixFileLayer files;
    AppState state{dialogs, files};
    QString path() const { return dir.path() + u'/'; }
    QString ini() const { return path() + QStringLiteral("Quillmark.ini"); }

    explicit ProgramFolder(const QByteArray &settings = kNoFile,
                           const QByteArray &messages = "MAX_INDEX = 61\r\nGSTR(0) = \"Q\"\r\n")
    {
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

        QVERIFY(InitApplication(state, folder.path()));
        QCOMPARE(state.settings.OpenEditorOnEnd, openEditor);
        QCOMPARE(state.settings.TextEditorPath, editor);
        QCOMPARE(int(state.AttachMaxCount), slotCount);
        QCOMPARE(int(state.Attachments.size()), slotCount);
        QVERIFY(state.machineTable.AtcType == -1 && state.machineTable.MaxFeedAll == 0.0f);  // table cleared
        QCOMPARE(state.messages(0), QStringLiteral("Q"));
        QVERIFY(folder.dialogs.boxes.isEmpty());
        QCOMPARE(ReadAll(folder.ini()), after);
    }

    void settingsFileIsAFolder()
    {
        ProgramFolder odd;
        QVERIFY(QDir(odd.path()).mkdir(QStringLiteral("Quillmark.ini")));
        QVERIFY(InitApplication(odd.state, odd.path()));
        QCOMPARE(odd.state.settings.TextEditorPath, kDefaultTextEditor);
        QCOMPARE(int(odd.state.AttachMaxCount), 10);
        QVERIFY(QFileInfo(odd.ini()).isDir());
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
        auto window = Main(folder.state, folder.dir.path(), commandLine, [&](AppState &s) {
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
        QVERIFY(Main(folder.state, folder.path(), QString(),
                     [&](AppState &) { return std::make_unique<FakeWindow>(seen); }));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), yes);
    }

    void mainEndsWithoutWindow()
    {
        ProgramFolder folder(kNoFile, kNoFile);  // no message file
        QStringList seen;
        auto window = Main(folder.state, folder.path(), "/data/a.mtl",
                           [&](AppState &) { return std::make_unique<FakeWindow>(seen); });
        QVERIFY(!window);
        QCOMPARE(folder.dialogs.texts(), QStringList{kMessageFileMissing});
        QVERIFY(folder.state.settings.CommandLine.isEmpty());
        // The settings are read, and their defaults written, before the message file is checked.
        QVERIFY(ReadAll(folder.ini()).contains("ATTACH MAX COUNT=10"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
