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

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A program folder with a message file (unless told otherwise) and, when
// given, a settings file.
struct ProgramFolder {
    QTemporaryDir dir;
    QString path() const { return dir.path() + u'/'; }
    QString ini() const { return path() + QStringLiteral("Quillmark.ini"); }
    QString mes() const { return path() + QStringLiteral("Quillmark.mes"); }

    explicit ProgramFolder(const QByteArray &settings = kNoFile,
                           const QByteArray &messages = "MAX_INDEX = 61\r\nGSTR(0) = \"Q\"\r\n")
    {
        if (messages != kNoFile)
            WriteFile(mes(), messages);
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
    void getIniValue_data();
    void getIniValue();
    void readAndWriteIniValue();
    void initApplication_data();
    void initApplication();
    void initApplicationWithoutMessageFile();
    void appPathGetsSeparator();
    void commandLine_data();
    void commandLine();
    void mainEndsWithoutWindow_data();
    void mainEndsWithoutWindow();
    void englishFileSwitchesLanguage();
};

void TestStartup::getIniValue_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    // Section "Config", key "TextEditor", default "ed" throughout.
    QTest::newRow("no file") << kNoFile << "ed" << QByteArray("[Config]\r\nTextEditor=ed\r\n");
    QTest::newRow("value present") << QByteArray("[Config]\nTextEditor = vi\n") << "vi"
                                   << QByteArray("[Config]\nTextEditor = vi\n");
    QTest::newRow("empty value") << QByteArray("[Config]\r\nTextEditor=\r\nA=1\r\n") << "ed"
                                 << QByteArray("[Config]\r\nTextEditor=ed\r\nA=1\r\n");
    QTest::newRow("only blanks") << QByteArray("[Config]\r\nTextEditor=   \r\n") << "ed"
                                 << QByteArray("[Config]\r\nTextEditor=ed\r\n");
    QTest::newRow("other section")
        << QByteArray("[Comfig]\r\nTextEditor=vi\r\n") << "ed"
        << QByteArray("[Comfig]\r\nTextEditor=vi\r\n[Config]\r\nTextEditor=ed\r\n");
}

void TestStartup::getIniValue()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    ProgramFolder folder(before);
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    SetIniPath(state, folder.ini());
    QCOMPARE(GetIniValue(state, QStringLiteral("Config"), QStringLiteral("TextEditor"),
                         QStringLiteral("ed")),
             value);
    QCOMPARE(ReadAll(folder.ini()), after);
}

void TestStartup::readAndWriteIniValue()
{
    ProgramFolder folder;
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    SetIniPath(state, folder.ini());

    QCOMPARE(ReadIniValue(state, QStringLiteral("Config"), QStringLiteral("Check")), QString());
    QVERIFY(!QFile::exists(folder.ini()));

    const QString longDir = QStringLiteral("/") + QString(300, u'd') + QStringLiteral("/");
    QCOMPARE(WriteIniValue(state, QStringLiteral("Config"), QStringLiteral("Init Dir"), longDir),
             1);
    QCOMPARE(ReadAll(folder.ini()),
             QByteArray("[Config]\r\nInit Dir=") + longDir.toLatin1() + "\r\n");
    // Read back cut to the reader's 254 bytes.
    QCOMPARE(ReadIniValue(state, QStringLiteral("Config"), QStringLiteral("Init Dir")),
             longDir.left(254));

    QCOMPARE(WriteIniValue(state, QStringLiteral("Config"), QStringLiteral("Init File"),
                           QStringLiteral("a€.mtl")),
             0);
    SetIniPath(state, folder.path());  // a folder
    QCOMPARE(WriteIniValue(state, QStringLiteral("Config"), QStringLiteral("A"), "1"), 0);
    QCOMPARE(GetIniValue(state, QStringLiteral("Config"), QStringLiteral("A"), "d"),
             QStringLiteral("d"));
}

void TestStartup::initApplication_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("openEditor");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<QByteArray>("after");

    const QByteArray defaultEditor = kDefaultTextEditor.toLatin1();
    const QByteArray created = "[Config]\r\nTextEditor=" + defaultEditor
                               + "\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n";
    auto withCount = [](const QByteArray &count) {
        return "[Config]\r\nTextEditor=vi\r\n[Comfig]\r\nATTACH MAX COUNT=" + count + "\r\n";
    };

    QTest::newRow("no settings file") << kNoFile << false << kDefaultTextEditor << 10 << created;
    QTest::newRow("other lines and comments kept")
        << QByteArray("; my settings\r\n[Config]\r\nTextEditor=vi\r\n; folder\r\nInit "
                      "Dir=/data/\r\n\r\n[Other]\r\nx=1\r\n")
        << false << "vi" << 10
        << QByteArray("; my settings\r\n[Config]\r\nTextEditor=vi\r\n; folder\r\nInit "
                      "Dir=/data/\r\n\r\n[Other]\r\nx=1\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n");
    QTest::newRow("empty TextEditor gets the default")
        << QByteArray("[Config]\r\nTextEditor=\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n") << false
        << kDefaultTextEditor << 10 << created;
    QTest::newRow("Check 0") << QByteArray("[Config]\r\nCheck=0\r\n") << true
                             << kDefaultTextEditor << 10
                             << "[Config]\r\nCheck=0\r\nTextEditor=" + defaultEditor
                                    + "\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n";
    QTest::newRow("Check no") << withCount("10").replace("TextEditor=vi", "Check = no\r\nTextEditor=vi")
                              << true << "vi" << 10
                              << withCount("10").replace("TextEditor=vi", "Check = no\r\nTextEditor=vi");
    QTest::newRow("Check empty")
        << withCount("10").replace("TextEditor=vi", "Check=\r\nTextEditor=vi") << false << "vi"
        << 10 << withCount("10").replace("TextEditor=vi", "Check=\r\nTextEditor=vi");
    QTest::newRow("Check in the other section")
        << withCount("10") + "Check=1\r\n" << false << "vi" << 10 << withCount("10") + "Check=1\r\n";
    QTest::newRow("count letters stay") << withCount("many") << false << "vi" << 10
                                        << withCount("many");
    QTest::newRow("count 12.5") << withCount("12.5") << false << "vi" << 12 << withCount("12.5");
    QTest::newRow("count 13.5") << withCount("13.5") << false << "vi" << 14 << withCount("13.5");
    QTest::newRow("count with blanks") << withCount(" 7 ") << false << "vi" << 7
                                       << withCount(" 7 ");
    QTest::newRow("count 0") << withCount("0") << false << "vi" << 1 << withCount("0");
    QTest::newRow("count 0.5") << withCount("0.5") << false << "vi" << 1 << withCount("0.5");
    QTest::newRow("count -5") << withCount("-5") << false << "vi" << 1 << withCount("-5");
    QTest::newRow("count 99999") << withCount("99999") << false << "vi" << 32767
                                 << withCount("99999");
    QTest::newRow("count beyond any number") << withCount("1e400") << false << "vi" << 10
                                             << withCount("1e400");
    QTest::newRow("count in Config is not seen")
        << QByteArray("[Config]\r\nTextEditor=vi\r\nATTACH MAX COUNT=20\r\n") << false << "vi"
        << 10
        << QByteArray("[Config]\r\nTextEditor=vi\r\nATTACH MAX COUNT=20\r\n[Comfig]\r\nATTACH "
                      "MAX COUNT=10\r\n");
    const QByteArray junk = QByteArray("TextEditor=vi\r\n") + '\0' + "\xff\x81\r\n";
    QTest::newRow("no sections, binary junk") << junk << false << kDefaultTextEditor << 10
                                              << junk + created;
}

void TestStartup::initApplication()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, openEditor);
    QFETCH(QString, editor);
    QFETCH(int, slotCount);
    QFETCH(QByteArray, after);

    ProgramFolder folder(before);
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
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
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(ReadAll(folder.ini()), after);
}

void TestStartup::initApplicationWithoutMessageFile()
{
    // The settings are read, and their defaults written, before the message
    // file is found missing.
    ProgramFolder folder(kNoFile, kNoFile);
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    QVERIFY(!InitApplication(state, folder.path()));
    QCOMPARE(dialogs.texts(), QStringList{kMessageFileMissing});
    QVERIFY(ReadAll(folder.ini()).contains("ATTACH MAX COUNT=10"));

    // A settings file that is a folder changes nothing else.
    ProgramFolder odd;
    QVERIFY(QDir(odd.path()).mkdir(QStringLiteral("Quillmark.ini")));
    FakeDialogs dialogs2;
    AppState state2(dialogs2, files);
    QVERIFY(InitApplication(state2, odd.path()));
    QCOMPARE(state2.settings.TextEditorPath, kDefaultTextEditor);
    QCOMPARE(int(state2.AttachMaxCount), 10);
    QVERIFY(QFileInfo(odd.ini()).isDir());
}

void TestStartup::appPathGetsSeparator()
{
    ProgramFolder folder;
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    QVERIFY(InitApplication(state, folder.dir.path()));
    QCOMPARE(state.settings.AppPath, folder.path());
    QCOMPARE(state.settings.IniPath, folder.ini());
    QVERIFY(QFile::exists(folder.ini()));
}

void TestStartup::commandLine_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("openEditor");

    const QStringList shown{QStringLiteral("show")};
    QTest::newRow("empty") << "" << shown << true;
    QTest::newRow("blanks only") << "   " << shown << true;
    QTest::newRow("mtl file") << "/data/a.mtl" << QStringList{"show", "file:/data/a.mtl"} << false;
    QTest::newRow("any case, trimmed") << "  /data/A.MtL \t"
                                       << QStringList{"show", "file:/data/A.MtL"} << false;
    QTest::newRow("blanks inside the name") << "/my data/b c.MTL"
                                            << QStringList{"show", "file:/my data/b c.MTL"}
                                            << false;
    QTest::newRow("japanese name") << "/データ/機械.mtl"
                                   << QStringList{"show", "file:/データ/機械.mtl"} << false;
    QTest::newRow("in quotes") << "\"/data/a.mtl\"" << shown << true;
    QTest::newRow("other extension") << "/data/a.txt" << shown << true;
    QTest::newRow("longer extension") << "/data/a.mtlx" << shown << true;
    QTest::newRow("second argument") << "/data/a.mtl -v" << shown << true;
    QTest::newRow("too short") << "mtl" << shown << true;
}

void TestStartup::commandLine()
{
    QFETCH(QString, commandLine);
    QFETCH(QStringList, log);
    QFETCH(bool, openEditor);

    ProgramFolder folder(QByteArray("[Config]\r\nCheck=1\r\n"));
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    QStringList seen;
    int created = 0;
    std::unique_ptr<MainWindowPort> window =
        Main(state, folder.path(), commandLine, [&](AppState &s) {
            ++created;
            // The window is created after start-up has run.
            seen << QStringLiteral("slots:%1").arg(s.Attachments.size());
            return std::make_unique<FakeWindow>(seen);
        });
    QVERIFY(window);
    QCOMPARE(created, 1);
    QCOMPARE(seen, QStringList{QStringLiteral("slots:10")} + log);
    QCOMPARE(state.settings.OpenEditorOnEnd, openEditor);
    QCOMPARE(state.settings.CommandLine, commandLine.trimmed());
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestStartup::mainEndsWithoutWindow_data()
{
    QTest::addColumn<QByteArray>("messages");
    QTest::addColumn<QString>("text");

    QTest::newRow("no message file") << kNoFile << kMessageFileMissing;
    QTest::newRow("no valid MAX_INDEX") << QByteArray("MAX_INDEX = none\r\n") << kMessageFileBad;
    QTest::newRow("index beyond 16 bits") << QByteArray("MAX_INDEX = 61\r\nGSTR(65536)=x\r\n")
                                          << kMessageFileBad;
}

void TestStartup::mainEndsWithoutWindow()
{
    QFETCH(QByteArray, messages);
    QFETCH(QString, text);
    ProgramFolder folder(kNoFile, messages);
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    int created = 0;
    std::unique_ptr<MainWindowPort> window =
        Main(state, folder.path(), QStringLiteral("/data/a.mtl"), [&](AppState &) {
            ++created;
            return std::unique_ptr<MainWindowPort>();
        });
    QVERIFY(!window);
    QCOMPARE(created, 0);
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes.first().text, text);
    QCOMPARE(dialogs.boxes.first().title, QStringLiteral("Quillmark"));
    QCOMPARE(dialogs.boxes.first().icon, MsgIcon::Critical);
    QCOMPARE(dialogs.boxes.first().buttons, MsgButtons::Ok);
    QVERIFY(state.settings.CommandLine.isEmpty());
    QVERIFY(QFile::exists(folder.ini()));
}

void TestStartup::englishFileSwitchesLanguage()
{
    QFile english(QStringLiteral(QM_SOURCE_DIR "/resources/lang/en/Quillmark.mes"));
    QVERIFY(english.open(QIODevice::ReadOnly));
    ProgramFolder folder(kNoFile, english.readAll());
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    QVERIFY(InitApplication(state, folder.path()));
    for (int n = 0; n <= 61; ++n) {
        const QString text = state.messages(n);
        for (QChar c : text)
            QVERIFY2(c.unicode() < 0x80, qPrintable(QStringLiteral("message %1").arg(n)));
    }
    QVERIFY(!state.messages(4).isEmpty());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
