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

// A program folder with a message file (unless told otherwise) and, when
// given, a settings file; and a state with scripted dialogs.
struct ProgramFolder {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    FileOps files;
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

class FakeWindow : public MainWindowPort {
public:
    explicit FakeWindow(QStringList &log) : log_(log) {}
    void ShowWindow() override { log_ << QStringLiteral("show"); }
    void SetFileName(const QString &name) override { log_ << QStringLiteral("file:") + name; }

private:
    QStringList &log_;
};

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void readAndWriteIniValue();
    void initApplication_data();
    void initApplication();
    void initApplicationOddFolders();
    void commandLine_data();
    void commandLine();
    void mainEndsWithoutWindow_data();
    void mainEndsWithoutWindow();
};

void TestStartup::readAndWriteIniValue()
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

void TestStartup::initApplication_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("openEditor");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<QByteArray>("after");  // empty: as before

    const QByteArray created =
        "[Config]\r\nTextEditor=" + kDefaultTextEditor.toLatin1() + "\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n";
    auto count = [](const char *name, const QByteArray &value, int slotCount) {
        QTest::newRow(name) << "[Config]\r\nTextEditor=vi\r\n[Comfig]\r\nATTACH MAX COUNT=" + value + "\r\n"
                            << false << "vi" << slotCount << QByteArray();
    };
    auto check = [](const char *name, const QByteArray &settings, bool openEditor) {
        QTest::newRow(name) << settings + "TextEditor=vi\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n" << openEditor
                            << "vi" << 10 << QByteArray();
    };

    QTest::newRow("no settings file") << kNoFile << false << kDefaultTextEditor << 10 << created;
    QTest::newRow("other lines and comments kept")
        << QByteArray("; my settings\r\n[Config]\r\nTextEditor=vi\r\n; folder\r\nInit Dir=/data/\r\n\r\n"
                      "[Other]\r\nx=1\r\n")
        << false << "vi" << 10
        << QByteArray("; my settings\r\n[Config]\r\nTextEditor=vi\r\n; folder\r\nInit Dir=/data/\r\n\r\n"
                      "[Other]\r\nx=1\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n");
    // A blank value counts as none: the default is written in its place.
    QTest::newRow("blank TextEditor")
        << QByteArray("[Config]\r\nTextEditor=  \r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n") << false
        << kDefaultTextEditor << 10 << created;
    QTest::newRow("Check 0") << QByteArray("[Config]\r\nCheck=0\r\n") << true << kDefaultTextEditor << 10
                             << "[Config]\r\nCheck=0\r\nTextEditor=" + kDefaultTextEditor.toLatin1() +
                                    "\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n";
    check("Check no", "[Config]\r\nCheck = no\r\n", true);
    check("Check empty", "[Config]\r\nCheck=\r\n", false);
    check("Check in the other section", "[Other]\r\nCheck=1\r\n[Config]\r\n", false);
    count("count letters stay", "many", 10);
    count("count 12.5", "12.5", 12);
    count("count 13.5", "13.5", 14);
    count("count with blanks", " 7 ", 7);
    count("count 0.5", "0.5", 1);
    count("count -5", "-5", 1);
    count("count 99999", "99999", 32767);
    count("count beyond any number", "1e400", 10);
    QTest::newRow("count in Config is not seen")
        << QByteArray("[Config]\r\nTextEditor=vi\r\nATTACH MAX COUNT=20\r\n") << false << "vi" << 10
        << QByteArray("[Config]\r\nTextEditor=vi\r\nATTACH MAX COUNT=20\r\n"
                      "[Comfig]\r\nATTACH MAX COUNT=10\r\n");
    const QByteArray junk = QByteArray("TextEditor=vi\r\n") + '\0' + "\xff\x81\r\n";
    QTest::newRow("no sections, binary junk") << junk << false << kDefaultTextEditor << 10 << junk + created;
}

void TestStartup::initApplication()
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
    QCOMPARE(state.settings.AppPath, folder.path());
    QCOMPARE(state.settings.IniPath, folder.ini());
    QCOMPARE(state.settings.OpenEditorOnEnd, openEditor);
    QCOMPARE(state.settings.TextEditorPath, editor);
    QCOMPARE(int(state.AttachMaxCount), slotCount);
    QCOMPARE(int(state.Attachments.size()), slotCount);
    QVERIFY(std::all_of(state.Attachments.begin(), state.Attachments.end(),
                        [](const AttachmentRecord &r) { return r.Number == 0; }));
    QCOMPARE(int(state.machineTable.AtcType), -1);
    QCOMPARE(state.machineTable.MaxFeedAll, 0.0f);
    QCOMPARE(state.messages(0), QStringLiteral("Q"));
    QVERIFY(folder.dialogs.boxes.isEmpty());
    QCOMPARE(ReadAll(folder.ini()), after.isEmpty() ? before : after);
}

void TestStartup::initApplicationOddFolders()
{
    // The settings are read, and their defaults written, before the message
    // file is found missing.
    ProgramFolder folder(kNoFile, kNoFile);
    QVERIFY(!InitApplication(folder.state, folder.path()));
    QCOMPARE(folder.dialogs.texts(), QStringList{kMessageFileMissing});
    QVERIFY(ReadAll(folder.ini()).contains("ATTACH MAX COUNT=10"));

    // A settings file that is a folder changes nothing else.
    ProgramFolder odd;
    QVERIFY(QDir(odd.path()).mkdir(QStringLiteral("Quillmark.ini")));
    QVERIFY(InitApplication(odd.state, odd.path()));
    QCOMPARE(odd.state.settings.TextEditorPath, kDefaultTextEditor);
    QCOMPARE(int(odd.state.AttachMaxCount), 10);
    QVERIFY(QFileInfo(odd.ini()).isDir());

    // A program folder given without its separator gets one.
    ProgramFolder bare;
    QVERIFY(InitApplication(bare.state, bare.dir.path()));
    QCOMPARE(bare.state.settings.AppPath, bare.path());
    QCOMPARE(bare.state.settings.IniPath, bare.ini());
    QVERIFY(QFile::exists(bare.ini()));
}

void TestStartup::commandLine_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("file");  // empty: none loaded, the editor opens at the end

    QTest::newRow("empty") << "" << "";
    QTest::newRow("blanks only") << "   " << "";
    QTest::newRow("mtl file") << "/data/a.mtl" << "/data/a.mtl";
    QTest::newRow("any case, trimmed") << "  /data/A.MtL \t" << "/data/A.MtL";
    QTest::newRow("blanks inside the name") << "/my data/b c.MTL" << "/my data/b c.MTL";
    QTest::newRow("in quotes") << "\"/data/a.mtl\"" << "";
    QTest::newRow("other extension") << "/data/a.txt" << "";
    QTest::newRow("longer extension") << "/data/a.mtlx" << "";
    QTest::newRow("second argument") << "/data/a.mtl -v" << "";
    QTest::newRow("too short") << "mtl" << "";
}

void TestStartup::commandLine()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, file);

    ProgramFolder folder(QByteArray("[Config]\r\nCheck=1\r\n"));
    QStringList seen;
    int created = 0;
    std::unique_ptr<MainWindowPort> window = Main(folder.state, folder.path(), commandLine, [&](AppState &s) {
        ++created;
        // The window is created after start-up has run.
        seen << QStringLiteral("slots:%1").arg(s.Attachments.size());
        return std::make_unique<FakeWindow>(seen);
    });
    QVERIFY(window);
    QCOMPARE(created, 1);
    QStringList expected{"slots:10", "show"};
    if (!file.isEmpty())
        expected << "file:" + file;
    QCOMPARE(seen, expected);
    QCOMPARE(folder.state.settings.OpenEditorOnEnd, file.isEmpty());
    QCOMPARE(folder.state.settings.CommandLine, commandLine.trimmed());
    QVERIFY(folder.dialogs.boxes.isEmpty());
}

void TestStartup::mainEndsWithoutWindow_data()
{
    QTest::addColumn<QByteArray>("messages");
    QTest::addColumn<QString>("text");

    QTest::newRow("no message file") << kNoFile << kMessageFileMissing;
    QTest::newRow("no valid MAX_INDEX") << QByteArray("MAX_INDEX = none\r\n") << kMessageFileBad;
}

void TestStartup::mainEndsWithoutWindow()
{
    QFETCH(QByteArray, messages);
    QFETCH(QString, text);
    ProgramFolder folder(kNoFile, messages);
    int created = 0;
    std::unique_ptr<MainWindowPort> window = Main(folder.state, folder.path(), "/data/a.mtl", [&](AppState &) {
        ++created;
        return std::unique_ptr<MainWindowPort>();
    });
    QVERIFY(!window);
    QCOMPARE(created, 0);
    QCOMPARE(folder.dialogs.boxes.size(), 1);
    const FakeDialogs::Box &box = folder.dialogs.boxes.first();
    QVERIFY(box.text == text && box.title == "Quillmark" && box.icon == MsgIcon::Critical &&
            box.buttons == MsgButtons::Ok);
    QVERIFY(folder.state.settings.CommandLine.isEmpty());
    QVERIFY(QFile::exists(folder.ini()));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
