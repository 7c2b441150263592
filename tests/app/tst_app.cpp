// Start-up: the message file, the settings file, where both are found, the command line, Qt's own language.
#include "FakeDialogs.h"
#include "TestFiles.h"
#include "app/AppFiles.h"
#include "app/MessageFile.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <tuple>
#include <utility>

namespace {

using Entries = QMap<int, QString>;
// A message file's first lines, then a text for each number 0 to 61 but the optional 18 and 19.
QByteArray Complete(const QByteArray &head)
{
    QByteArray mes = head;
    for (int n = 0; n <= 61; ++n)
        if (n != 18 && n != 19) mes += "GSTR(" + QByteArray::number(n) + ") = \"t" + QByteArray::number(n) + "\"\r\n";
    return mes;
}
const QByteArray kNone = "<missing>", kMessages = Complete("MAX_INDEX = 61\r\n");

// Its load reads and defaults its two keys, as the main window's does, and notes the settings file as it is then.
struct FakeWindow : MainWindowPort {
    QStringList &log;
    AppState &state;
    QByteArray &settingsAtLoad;
    FakeWindow(QStringList &l, AppState &s, QByteArray &atLoad) : log(l), state(s), settingsAtLoad(atLoad)
    {
        log << QString("slots:%1").arg(s.AttachMaxCount);
    }
    void ShowWindow() override
    {
        log << "show";
        GetIniValue(state, "Config", "Init Dir", "/d/");
        GetIniValue(state, "Config", "Init File", "");
        settingsAtLoad = ReadBytes(state.settings.IniPath);
    }
    void SetFileName(const QString &name) override { log << "file:" + name; }
};

// The program folder bin/ with a message file, and a settings file when given, beside the user's config/ and data0..2/.
struct Folder {
    QTemporaryDir dir;
    QString bin = dir.filePath("bin/"), ini = bin + "Quillmark.ini";
    QString userIni = dir.filePath("config/quillmark/Quillmark.ini");
    FakeDialogs dialogs;
    PosixFileLayer files;
    AppState state{files};
    QStringList log;  // what start-up did to the window
    QByteArray settingsAtLoad;
    explicit Folder(const QByteArray &settings = kNone, const QByteArray &messages = kMessages)
    {
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", dir.filePath("data0").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (dir.filePath("data1") + ':' + dir.filePath("data2")).toLocal8Bit());
        QDir().mkpath(bin);
        if (messages != kNone) WriteBytes(bin + "Quillmark.mes", messages);
        if (settings != kNone) WriteBytes(ini, settings);
    }
    bool Main(const QString &commandLine)  // the program folder without its separator, which it gets
    {
        auto window = [this](AppState &s) { return std::make_unique<FakeWindow>(log, s, settingsAtLoad); };
        return ::Main(state, dialogs, bin.chopped(1), commandLine, window) != nullptr;
    }
};

struct ParseCase {
    QByteArray bytes;
    MessageFileResult result;
    int maxIndex;
    Entries entries;
};
struct ShippedCase {
    QString path, language;
};
struct StartCase {
    const char *name;
    QByteArray before, after = {};
    bool openEditor = false;
    int slotCount = 10;
};
struct FilesCase {
    QStringList present;
    QString settings, messages;
};
struct MainCase {
    const char *name;
    QByteArray messages;
    QString commandLine, shown;
};

}  // namespace

class TestApp : public QObject {
    Q_OBJECT

private slots:
    // Entries not listed are empty; a refused file leaves the table as it was.
    void parse_data()
    {
        QTest::addColumn<ParseCase>("c");
        auto ok = [](const char *name, const QByteArray &b, int max, const Entries &e) { QTest::newRow(name) << ParseCase{b, MessageFileResult::Ok, max, e}; };
        ok("texts: quotes, comments, tabs", "# c\r\nMAX_INDEX = 12 # 12\r\nGSTR(1) = \"a # b\"\r\n"
                                            "# GSTR(2) = \"gone\"\r\nGSTR(3) = \"#\"\r\nGSTR(4) =\tt\t\r\nGSTR(5) = \"  w  \"\r\n"
                                            "GSTR(6) = plain text  \r\nGSTR(7) = \"open\r\nGSTR(8) = \"\r\nGSTR(9) = closed\"\r\nGSTR(10) = \"\"\"\r\n"
                                            "GSTR(11) = \"in \"q\" kept\"\r\nGSTR(12)\r\n",
           12, {{1, "a"}, {4, "\tt\t"}, {5, "  w  "}, {6, "plain text"}, {7, "open"}, {9, "closed"}, {10, "\""}, {11, "in \"q\" kept"}});
        ok("GSTR forms", "MAX_INDEX = 20\r\ngstr(7)=x\r\nGSTR 8 = no\r\nMYGSTR(9)=in a word\r\ntext = GSTR(10)\r\n"
                         "GSTR(11 = no close\r\n(12)GSTR = no\r\nGSTR(abc) = no\r\nGSTR() = no\r\nGSTR(1e1)x = exponent\r\n"
                         "GSTR(13)\r\nGSTR)(14) = first open after\r\n",
           20,
           {{7, "x"}, {9, "in a word"}, {10, "exponent"}, {14, "first open after"}});
        ok("indexes halves to even, later wins, out of range ignored", "MAX_INDEX = 10.5\r\nGSTR(7)=x\r\n"
                                                                       "Gstr( 7 )=y\r\nGSTR(5.5)=six\r\nGSTR(4.5)=four\r\nGSTR(0.4)=zero\r\nGSTR(10)=ten\r\nGSTR(11)=eleven\r\n"
                                                                       "GSTR(-1)=minus\r\n",
           10, {{7, "y"}, {6, "six"}, {4, "four"}, {0, "zero"}, {10, "ten"}});
        ok("the first numeric MAX_INDEX, anywhere in a line", "GSTR(1)=early\r\nGSTR(70000)=x\r\nMAX_INDEX = many\r\n"
                                                              "GSTR(0)=x\r\n  the max_index of it = 3\r\nMAX_INDEX = 10\r\nGSTR(2)=late\r\nGSTR(5)=b\r\n",
           3,
           {{2, "late"}});
        ok("windows-31j, invalid bytes, every line end", "MAX_INDEX=4\rGSTR(1)=a\nGSTR(2)=\"\x95\xdb\x91\xb6\"\r\n"
                                                         "GSTR(3)=\"a\x81\"\r\nGSTR(4)=\xff",
           4, {{1, "a"}, {2, "保存"}, {3, "a\uFFFD"}, {4, "\uFFFD"}});
        ok("MAX_INDEX zero", "MAX_INDEX=0\r\nGSTR(0)=only\r\n", 0, {{0, "only"}});
        ok("largest table", "MAX_INDEX = 32767.4\r\nGSTR(32767)=end\r\n", 32767, {{32767, "end"}});
        const auto none = MessageFileResult::NoMaxIndex, failed = MessageFileResult::Failed;
        for (const auto &[name, bytes, result] :
             {std::tuple{"empty file", "", none}, {"MAX_INDEX beyond 16 bits", "MAX_INDEX = 32767.5\r\n", failed}, {"no MAX_INDEX line", "GSTR(0)=x\r\n# MAX_INDEX = 5\r\nMAX_INDEX 5\r\n", none}, {"MAX_INDEX below 0", "MAX_INDEX = -1\r\n", failed}, {"MAX_INDEX far beyond", "MAX_INDEX = 1e300\r\n", failed}, {"index beyond 16 bits", "MAX_INDEX = 5\r\nGSTR(1)=a\r\nGSTR(70000)=x\r\n", failed}, {"negative index beyond 16 bits", "MAX_INDEX = 5\r\nGSTR(-40000)=x\r\n", failed}})
            QTest::newRow(name) << ParseCase{bytes, result, 1, {{1, "old"}}};  // the table as it was
    }
    void parse()
    {
        QFETCH(ParseCase, c);
        MessageTable table;
        QCOMPARE(ParseMessageFile("MAX_INDEX=1\r\nGSTR(1)=old\r\n", table), MessageFileResult::Ok);
        QCOMPARE(ParseMessageFile(c.bytes, table), c.result);
        QCOMPARE(int(table.MaxIndex()), c.maxIndex);
        for (int n = -1; n <= c.maxIndex + 1; ++n) QCOMPARE(table.Text(n), c.entries.value(n));
    }

    void shipped_data()
    {
        QTest::addColumn<ShippedCase>("c");
        QTest::newRow("japanese") << ShippedCase{"resources/Quillmark.mes", "ja"};
        QTest::newRow("english") << ShippedCase{"resources/lang/en/Quillmark.mes", "en"};
    }
    void shipped()
    {
        QFETCH(ShippedCase, c);
        const QByteArray bytes = ReadBytes(QM_SOURCE_DIR "/" + c.path);
        const auto crlf = bytes.count("\r\n");  // ends every line, the last one too; none alone; English in ASCII
        QVERIFY(bytes.endsWith("\r\n") && bytes.count('\r') == crlf && bytes.count('\n') == crlf);
        QVERIFY(c.language == "ja" || std::all_of(bytes.begin(), bytes.end(), [](char b) { return uchar(b) < 0x80; }));
        QByteArray again;  // valid windows-31j: no U+FFFD, and encodes back to the same bytes
        QVERIFY(!DecodeCp932(bytes).contains(u'\uFFFD') && EncodeCp932(DecodeCp932(bytes), again) && again == bytes);
        MessageTable table;
        QCOMPARE(ParseMessageFile(bytes, table), MessageFileResult::Ok);
        const int last = int(Msg::TakeOverRoom);
        QVERIFY(table.MaxIndex() == last && table.Language() == c.language);
        const QList<Msg> optional{Msg::AddButton, Msg::DeleteButton};  // the Japanese file leaves them out
        const QList<int> unused{33, 44, 45, 46, 48, 49};               // numbers with no use at all
        for (int n = 0; n <= last; ++n)
            QVERIFY2(optional.contains(Msg(n)) || unused.contains(n) || !table.Text(n).trimmed().isEmpty(),
                     QByteArray::number(n));
        // Joined into one message after the digits 16777215, which are no limit the program keeps.
        QVERIFY(!table(Msg::NumberTooLarge).at(0).isDigit() && !table(Msg::NumberTooLarge).contains("largest") &&
                !table(Msg::NumberTooLarge).contains(QString::fromUtf8("以下")));
    }

    void settingsValues()
    {
        Folder f;
        SetIniPath(f.state, f.ini);
        const QString dir = "/" + QString(300, u'd');  // written whole, read back cut to 254 bytes
        QVERIFY(WriteIniValue(f.state, "Config", "Init Dir", dir) && !WriteIniValue(f.state, "Config", "F", "a€"));
        QCOMPARE(ReadIniValue(f.state, "Config", "Init Dir"), dir.left(254));
        QCOMPARE(ReadBytes(f.ini), "[Config]\r\nInit Dir=" + dir.toLatin1() + "\r\n");
        const QList<std::pair<QString, int>> counts{{"12.5", 12}, {"13.5", 14}, {"many", 10}, {"0", 1}, {"0.5", 1}, {"-3", 1}, {"99999", 32767}, {"1e400", 10}};
        for (const auto &[text, count] : counts) QVERIFY2(AttachCountFrom(text) == count, qPrintable(text));
        // Held writes that cannot be written are told of too: where the user's settings folder would be lies a file.
        Folder g;
        QVERIFY(QDir().mkpath(g.dir.filePath("config")) && WriteBytes(g.dir.filePath("config/quillmark"), "x"));
        QVERIFY(g.Main("") && g.state.settings.IniWriteFailed && ReadBytes(g.userIni) == kNone);
    }

    void initApplication_data()
    {
        QTest::addColumn<StartCase>("c");
        const QByteArray vi = "[Config]\r\nTextEditor=vi\r\n", count10 = "[Comfig]\r\nATTACH MAX COUNT=10\r\n";
        const QByteArray created = "[Config]\r\nTextEditor=" + kDefaultTextEditor.toLatin1() + "\r\n" + count10;
        const QByteArray other = "; mine\r\n" + vi + "Init Dir=/d/\r\n\r\n[Other]\r\nx=1\r\n";
        const StartCase rows[] = {// no after: left as it was
                                  {"no settings file: the user's, with the defaults", kNone, created},
                                  {"other lines kept", other, other + count10},
                                  {"blank TextEditor gets the default", "[Config]\r\nTextEditor=  \r\n" + count10, created},
                                  {"Check 0 opens the editor; count letters stay",
                                   "[Config]\r\nCheck=0\r\nTextEditor=vi\r\n[Comfig]\r\nATTACH MAX COUNT=many\r\n",
                                   {},
                                   true},
                                  {"empty Check, Check elsewhere", "[Other]\r\nCheck=1\r\n[Config]\r\nCheck=\r\nTextEditor=vi\r\n" + count10},
                                  {"count rounded", vi + "[Comfig]\r\nATTACH MAX COUNT=13.5\r\n", {}, false, 14},
                                  {"count in Config is not seen", vi + "ATTACH MAX COUNT=20\r\n", vi + "ATTACH MAX COUNT=20\r\n" + count10},
                                  {"undecodable file: left alone, defaults used", "[Config]\r\nCheck=1\r\n\xff\x81\r\n"}};
        for (const StartCase &c : rows) QTest::newRow(c.name) << c;
    }
    void initApplication()
    {
        QFETCH(StartCase, c);
        const QByteArray after = c.after.isEmpty() ? c.before : c.after;
        Folder f(c.before);
        AppState &s = f.state;
        s.settings.OpenEditorOnEnd = !c.openEditor;
        QVERIFY(InitApplication(s, f.dialogs, f.bin));
        QVERIFY(s.settings.OpenEditorOnEnd == c.openEditor && f.dialogs.boxes.isEmpty());
        QCOMPARE(s.AttachMaxCount, c.slotCount);
        QCOMPARE(s.settings.TextEditorPath, after.contains("TextEditor=vi") ? "vi" : kDefaultTextEditor);
        QCOMPARE(s.messages(Msg::TitleProduct), "t0");
        const bool portable = c.before != kNone;  // one settings file: beside the program when there, else the user's
        QVERIFY(ReadBytes(portable ? f.ini : f.userIni) == after && ReadBytes(portable ? f.userIni : f.ini) == kNone);
    }

    void findAppFiles_data()
    {
        QTest::addColumn<FilesCase>("c");
        const QString ini = "bin/Quillmark.ini", userIni = "config/quillmark/Quillmark.ini", mes = "bin/Quillmark.mes";
        const QString share = "share/quillmark/Quillmark.mes", home = "data0/quillmark/Quillmark.mes";
        const QString data1 = "data1" + home.mid(5), data2 = "data2" + home.mid(5);
        QTest::newRow("portable") << FilesCase{{ini, userIni, mes, share, home}, ini, mes};
        QTest::newRow("installed") << FilesCase{{share, data1}, userIni, share};
        QTest::newRow("none") << FilesCase{{}, userIni, ""};
        QTest::newRow("the user's own before the installed one") << FilesCase{{share, home, data1}, userIni, home};
        QTest::newRow("the installed English one, where no other is") << FilesCase{{"share/quillmark/lang/en/Quillmark.mes", "data1/quillmark/lang/en/Quillmark.mes"}, userIni, "share/quillmark/lang/en/Quillmark.mes"};
        QTest::newRow("data folders in order") << FilesCase{{data2, data1}, userIni, data1};
        QTest::newRow("folders of those names") << FilesCase{{ini + "/", mes + "/", data2}, userIni, data2};
    }
    void findAppFiles()
    {
        QFETCH(FilesCase, c);
        Folder f(kNone, kNone);
        const QDir root(f.dir.path());
        for (const QString &name : c.present)
            QVERIFY(name.endsWith('/') ? root.mkpath(name)
                                       : root.mkpath(QFileInfo(name).path()) && WriteBytes(root.filePath(name), "x"));
        const QStringList before = root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const AppFiles files = FindAppFiles(f.bin);
        QCOMPARE(QDir::cleanPath(files.settings), root.filePath(c.settings));
        QCOMPARE(QDir::cleanPath(files.messages), c.messages.isEmpty() ? "" : root.filePath(c.messages));
        QCOMPARE(root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);  // made nothing
    }

    // Main: the window is made once start-up has run, then shown, then given the command line's file; Qt's own texts
    // follow the message file's language. Without messages: no window, a built-in message, the settings read before.
    void main_data()
    {
        QTest::addColumn<MainCase>("c");
        const QString ja = "はい(&Y)", en = "&Yes";
        const MainCase rows[] = {
            {"no file", kMessages, "", ja},
            {"no valid MAX_INDEX", "GSTR(1) = \"one\"\r\n", "", kMessageFileBad + "\n@bin/Quillmark.mes\nIt has no line"},
            {"in quotes", kMessages, "\"/data/a.mtl\"", ja},
            {"longer extension", kMessages, "/data/a.mtlx", ja},
            {"any case, blanks inside, trimmed", kMessages, "  /my data/b c.MtL \t", "file:/my data/b c.MtL"},
            {"message file missing", kNone, "/data/a.mtl", kMessageFileMissing + "\nLooked for:\n@bin/Quillmark.mes\n@data0/"},
            {"LANGUAGE before MAX_INDEX, quoted", Complete("language = \"en\"\r\nMAX_INDEX = 61\r\n"), "", en},
            {"the later LANGUAGE line", Complete("LANGUAGE = en\r\nMAX_INDEX = 61\r\nLANGUAGE = ja # x\r\n"), "", ja},
            {"MAX_INDEX out of range", "MAX_INDEX = 99999\r\n", "", kMessageFileBad + "\n@bin/Quillmark.mes\nA number"},
            // Told, and the program's English texts stand in for the missing ones.
            {"texts missing", "MAX_INDEX = 5\r\nGSTR(0) = \"Q\"\r\nGSTR() = \"no number\"\r\n", "",
             kMessageFileIncomplete + "\n@bin/Quillmark.mes\nIt holds no text for 1-17, 20-32, 34-43, 47, 50-61 (MAX_INDEX = 5)"},
            {"saved as UTF-8", Complete("MAX_INDEX = 61\r\n") + "GSTR(3) = \"\xe4\xbf\x9d\xe5\xad\x98\"\r\n", "",
             kMessageFileIncomplete + "\n@bin/Quillmark.mes\nIt is saved as UTF-8"}};
        for (const MainCase &c : rows) QTest::newRow(c.name) << c;
    }
    void main()
    {
        QFETCH(MainCase, c);
        Folder f("[Config]\r\nCheck=1\r\n", c.messages);
        const bool started = f.Main(c.commandLine), file = c.shown.startsWith("file:");
        const bool told = c.shown.startsWith(kMessageFileIncomplete);
        const AppSettings &set = f.state.settings;
        QCOMPARE(started, !c.shown.startsWith(kMessageFileMissing) && !c.shown.startsWith(kMessageFileBad));
        // Every default in one write, after the window's load: the file was as it had been until then.
        const QByteArray config = "[Config]\r\nCheck=1\r\nTextEditor=" + kDefaultTextEditor.toLatin1() + "\r\n";
        QCOMPARE(ReadBytes(f.ini), config + (started ? "Init Dir=/d/\r\nInit File=\r\n" : "") + "[Comfig]\r\nATTACH MAX COUNT=10\r\n");
        QVERIFY(!started || f.settingsAtLoad == "[Config]\r\nCheck=1\r\n");
        QVERIFY(set.AppPath == f.bin && set.IniPath == f.ini);
        QCOMPARE(f.dialogs.boxes.size(), qsizetype(started && !told ? 0 : 1));
        const FakeDialogs::Box box = f.dialogs.boxes.value(0);
        QVERIFY2((started && !told) || box.text.startsWith(QString(c.shown).replace("@", f.dir.path() + "/")), qPrintable(box.text));
        QVERIFY(started || (box.title == "Quillmark" && box.icon == MsgIcon::Critical && box.buttons == MsgButtons::Ok && f.log.isEmpty() && !f.state.messages.Loaded() && set.CommandLine.isEmpty()));
        if (!started) return;
        QCOMPARE(f.log, QStringList({"slots:10", "show"}) + (file ? QStringList{c.shown} : QStringList()));
        QVERIFY(set.OpenEditorOnEnd != file && set.CommandLine == c.commandLine.trimmed());
        // Numbers newer than the file, and any the file lacks, read the English text; 18 and 19 stay empty.
        QVERIFY(f.state.messages(Msg::ChangedOnDisk) == "The file has been changed by another program since it was loaded. Overwrite it?");
        QVERIFY(f.state.messages(Msg::AddButton).isEmpty() && !f.state.messages(Msg::SaveFailed).isEmpty());
        if (told)  // read as UTF-8; or the English text for a number the file lacks
            QCOMPARE(f.state.messages(Msg::FileButton), QString(c.name) == "saved as UTF-8" ? QString::fromUtf8("保存") : "MTL File");
        QVERIFY(file || told || QCoreApplication::translate("QPlatformTheme", "&Yes") == c.shown);
    }
};

QTEST_GUILESS_MAIN(TestApp)
#include "tst_app.moc"
