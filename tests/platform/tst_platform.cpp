// The platform layer: windows-31j text, file queries, profile (INI) files, safe replacing, the Qt dialogs.
#include "FaultyFiles.h"
#include "TestFiles.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/QtDialogs.h"
#include "platform/SafeReplace.h"
#include "platform/TextFile.h"

#include <QTest>
#include <QtWidgets>

#include <sys/stat.h>
#include <sys/wait.h>

#include <functional>
#include <random>
#include <tuple>
#include <utility>

namespace {

const QString kBad(QChar(0xFFFD));
const QByteArray kOld = "NAME = OLD\r\n", kNew = "NAME = NEW\r\nSTROKE(X) = 1.\r\n", kIni = "[Config]\r\nTextEditor=";
const QString kWhere = "Config|TextEditor";  // section|key
const QDir::Filters kAll = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

// data/m.mtl to save, beside outside/ that a save must leave alone (or, for a symbolic link, whose target it writes).
struct Scene {
    QTemporaryDir root;
    QString kind, name = root.filePath("data/m.mtl"), outside = root.filePath("outside");
    QString Content() const { return kind == "symlink" ? outside + "/real.mtl" : name; }
    explicit Scene(const QString &k) : kind(k)
    {
        for (const QString &folder : {root.filePath("data"), outside}) QDir().mkpath(folder);
        WriteBytes(outside + "/keep", "KEEP");
        if (kind != "new") WriteBytes(Content(), kOld);
        if (kind == "plain" || kind == "nolinks") WriteBytes(name + "bak", "STALE");
        if (kind == "hardlinked") ::link(qPrintable(name), qPrintable(root.filePath("data/other.mtl")));
        if (kind == "symlink") QFile::link(Content(), name);
    }
};

// Runs action on the modal dialog that the next call opens, once it is shown.
template <typename T> void WhenModal(std::function<void(T *)> action)
{
    QTimer::singleShot(0, [action] {
        T *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        QVERIFY(dialog && dialog->isVisible());
        action(dialog);
    });
}

struct BoxCase {
    MsgButtons buttons;
    MsgIcon icon;
    MsgAnswer defaultButton;
    QString title;
    Qt::Key key;
    MsgAnswer answer;
    QMessageBox::Icon qtIcon;
    QMessageBox::StandardButtons qtButtons;
};

}  // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void decode_data()
    {
        Columns<QByteArray, QString>("bytes", "text");
        auto row = [](const char *name, const QByteArray &b, const QString &text) { QTest::newRow(name) << b << text; };
        row("kana, vendor rows, 0x5C and a-z as trail bytes", "\xb1\x87\x40\xfa\x40\x83\x5c\x83\x74", "ｱ①ⅰソフ");
        row("lead byte before a blank, DEL or the end", "\x81 z\x81\x7f\x81", kBad + " z" + kBad + "\x7f" + kBad);
        row("controls kept, bytes that start nothing", QByteArray("\0\x1a\x1c\x7f\x80\xa0\xfd\xfe\xff", 9),
            QString::fromUtf16(u"\0\x1a\x1c\x7f", 4) + kBad.repeated(5));
        row("long ASCII runs around kana, controls, a lead byte cut by the end", "0123456789abcdef\x83\x5c\xb1xyz\x1a\x7f"
                                                                                 "0123456789\x81",
            QString("0123456789abcdefソｱxyz\x1a\x7f"
                    "0123456789") +
                kBad);
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DecodeCp932(bytes), text);
    }

    void encode_data()
    {
        Columns<QString, QByteArray>("text", "bytes");  // no bytes: refused
        QTest::newRow("japanese, wave dash, controls ICU swaps")
            << "ソ～\x1a\x1c\x7f" << QByteArray("\x83\x5c\x81\x60\x1a\x1c\x7f");
        QTest::newRow("euro after a control") << "\x7f€" << QByteArray();
        QTest::newRow("emoji") << "a😀" << QByteArray();
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QByteArray b;
        QCOMPARE(EncodeCp932(text, b) ? b : "", bytes);
    }

    void splitLines_data()
    {
        Columns<QByteArray, QByteArrayList>("bytes", "lines");
        QTest::newRow("no lines") << QByteArray() << QByteArrayList();
        QTest::newRow("every line end, trail bytes before them") << QByteArray("\x83\x5c\ra\nb\r\n\x83\x7a\n\rc\r\r\n")
                                                                 << QByteArrayList{"\x83\x5c", "a", "b", "\x83\x7a", "", "c", ""};
    }
    void splitLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArrayList, lines);
        QCOMPARE(SplitLines(bytes), lines);
    }

    void fileDir_data()
    {
        Columns<QString, QString>("path", "folder");
        QTest::newRow("full path") << QString("/data/m/a.mtl") << QString("/data/m/");
        QTest::newRow("japanese, backslash in a name") << QString("/デ/ソ\\b.mtl") << QString("/デ/");
        QTest::newRow("root") << QString("/a.mtl") << QString("/");
        QTest::newRow("bare name") << QString("a.mtl") << QString();
    }
    void fileDir()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(GetFileDir(path), folder);
    }

    // A file name's bytes come back as they went in, whatever they are; text that is UTF-8 reads as that text.
    void names_data()
    {
        Columns<QByteArray, QString>("bytes", "shown");
        QTest::newRow("UTF-8") << QByteArray("/d/\xe6\xa9\x9f.mtl") << QString::fromUtf8("/d/機.mtl");
        QTest::newRow("Shift-JIS") << QByteArray("\x93\xfa\x96\x7b.mtl") << QString("\ufffd\ufffd\ufffd{.mtl");
        QTest::newRow("0xFF, a cut sequence, an encoded surrogate") << QByteArray("\xff\xe6\x9c|\xed\xa0\x80") << QString("\ufffd\ufffd\ufffd|\ufffd\ufffd\ufffd");
    }
    void names()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(EncodeName(DecodeName(bytes)), bytes);
        QCOMPARE(DisplayName(DecodeName(bytes)), shown);
        std::mt19937 random(7);  // and any bytes at all
        for (int i = 0; i < 2000; ++i) {
            QByteArray any(int(random() % 12), '\0');
            for (char &b : any) b = char(random() % 256);
            QCOMPARE(EncodeName(DecodeName(any)), any);
        }
    }

    void nameFilters_data()
    {
        Columns<QString, QStringList>("filter", "shown");
        QTest::newRow("patterns joined") << "Text|*.txt;*.log" << QStringList{"Text (*.txt *.log)"};
        QTest::newRow("dangling part dropped") << "MTL|*.mtl|dangling" << QStringList{"MTL (*.mtl)"};
        QTest::newRow("no description") << "|*.mtl" << QStringList{"(*.mtl)"};
    }
    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        QCOMPARE(QtDialogs::NameFilters(filter), shown);
    }

    // Where: "section|key".
    void profileRead_data()
    {
        Columns<QByteArray, QString, int, QString>("file", "where", "room", "value");
        auto row = [](const char *name, QByteArray file, QString value, QString where = kWhere, int room = 254) { QTest::newRow(name) << file << where << room << value; };
        const char *count = "Comfig|ATTACH MAX COUNT";
        row("case of section and key", "[CONFIG]\r\ntexteditor=vi", "vi", "config|TEXTEDITOR");
        row("comment line", "[Config]\r\n;TextEditor=vi\r\n", "");
        row("blanks around key, value, in brackets", "[ Comfig ]\r\n  ATTACH MAX COUNT \t=  12 \t\r\n", "12", count);
        row("blanks inside a key count", "[Comfig]\r\nATTACH  MAX COUNT=12\r\n", "", count);
        row("key in another section", "[Config]\r\nATTACH MAX COUNT=12\r\n[Comfig]\r\n", "", count);
        row("first key inside the section", "TextEditor=a\r\n[Config]\r\nTextEditor=b\r\nTEXTEDITOR=c\r\n", "b");
        row("first of duplicate sections", "[Config]\r\nA=1\r\n[config]\r\nTextEditor=b\r\n", "");
        row("one pair of quotes dropped", kIni + "\"/a=b c\"\r\n", "/a=b c");
        row("unmatched quote stays", kIni + "\"vi\r\n", "\"vi");
        row("binary lines around", QByteArray(1, '\0') + "\xff\xfe\r\n[Config]\r\n\x81\x01\r\nTextEditor=vi\x01",
            "vi\x01");
        row("trail byte ] in a section name", "[\x83\x5d]\r\nk=v\r\n", "v", "ゾ|k");
        row("no room at all", kIni + "vi", "", kWhere, 0);
        row("cut to the byte limit", kIni + QByteArray(300, 'x'), QString(254, u'x'));
        row("cut never splits a character", kIni + "x" + QByteArray("\x83\x5c").repeated(200),
            "x" + QString("ソ").repeated(126));
        row("very long junk line", QByteArray(1 << 20, '[') + "\r\n" + kIni + "vi", "vi");
    }
    void profileRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, where);
        QFETCH(int, room);
        QFETCH(QString, value);
        QCOMPARE(ProfileReadBytes(file, where.section('|', 0, 0), where.section('|', 1), room), value);
    }

    // Where: "section|key"; no written bytes: refused.
    void profileWrite_data()
    {
        Columns<QByteArray, QString, QString, QByteArray>("file", "where", "value", "written");
        auto row = [](const char *name, QByteArray file, QString value, QByteArray written, QString where = kWhere) { QTest::newRow(name) << file << where << value << written; };
        const char *count = "Comfig|ATTACH MAX COUNT";
        row("empty file", "", "xdg-open", kIni + "xdg-open\r\n");
        row("in place; spelling, other lines kept", ";s\r\n[config]\r\n;e\r\n  texteditor = vi \r\nInit Dir=/t/\r\n",
            "nano", ";s\r\n[config]\r\n;e\r\ntexteditor=nano\r\nInit Dir=/t/\r\n");
        row("added at the end of its section, before blank lines", "[Config]\r\nA=1\r\n\r\n[Comfig]\r\nB=2\r\n", "vi",
            "[Config]\r\nA=1\r\nTextEditor=vi\r\n\r\n[Comfig]\r\nB=2\r\n");
        row("added to an empty last section", "[Comfig]\r\n", "10", "[Comfig]\r\nATTACH MAX COUNT=10\r\n", count);
        row("new section; same key elsewhere untouched", "[Config]\r\nATTACH MAX COUNT=5", "10",
            "[Config]\r\nATTACH MAX COUNT=5\r\n[Comfig]\r\nATTACH MAX COUNT=10\r\n", count);
        row("only the first duplicate changes", kIni + "a\r\nTextEditor=b\r\n", "c", kIni + "c\r\nTextEditor=b\r\n");
        row("LF file written with CR LF", "[Config]\nTextEditor=vi\n", "", kIni + "\r\n");
        row("binary lines kept byte for byte", QByteArray(1, '\0') + "\xff\x81\r\n[Config]\r\nA=\x80\r\n", "vi",
            QByteArray(1, '\0') + "\xff\x81\r\n[Config]\r\nA=\x80\r\nTextEditor=vi\r\n");
        row("long japanese value whole", "", "/ソ" + QString(300, u'd'),
            kIni + "/\x83\x5c" + QByteArray(300, 'd') + "\r\n");
        for (const auto &[name, where, value] :
             {std::tuple{"value outside the code page", "Config|TextEditor", "a€"}, {"empty key", "Config| ", "1"}, {"line break in the value", "Config|D", "/a\n[Comfig]"}, {"equals sign in the key", "Config|a=b", "1"}, {"carriage return in the value", "Config|D", "/a\rb"}, {"key that reads as a comment", "Config|;k", "1"}, {"empty section", "|k", "1"}, {"bracket in the section", "a]b|k", "1"}})
            row(name, "[Config]\r\nA=1\r\n", value, {}, where);
    }
    void profileWrite()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, where);
        QFETCH(QString, value);
        QFETCH(QByteArray, written);
        const QString section = where.section('|', 0, 0), key = where.section('|', 1);
        const std::optional<QByteArray> result = ProfileWriteBytes(file, section, key, value);
        QCOMPARE(result.value_or(QByteArray()), written);
        if (result)  // reads back whole
            QCOMPARE(ProfileReadBytes(*result, section, key, 100000), value);
    }

    // Every well-formed pair decodes to one character that encodes back to a pair decoding the same, or to U+FFFD.
    void everyPairDecodesToOneStableCharacter()
    {
        int assigned = 0;
        for (int lead = 0x81; lead <= 0xFC; lead += lead == 0x9F ? 0x41 : 1)
            for (int trail = 0x40; trail <= 0xFC; trail += trail == 0x7E ? 2 : 1) {
                const QByteArray pair = QByteArray(1, char(lead)) + char(trail);
                const QString text = DecodeCp932(pair);
                QByteArray again;
                const bool encoded = EncodeCp932(text, again);
                QVERIFY2(text.size() == 1 && encoded == (text != kBad), pair.toHex());
                QVERIFY2(!encoded || (again.size() == 2 && DecodeCp932(again) == text), pair.toHex());
                assigned += encoded;
            }
        QVERIFY(assigned > 7000);
    }
    void files()
    {
        QTemporaryDir dir;
        auto at = [&dir](const QString &name) { return dir.filePath(name); };
        const QString junk = at("junk.ini"), ini = at("Quillmark.ini"), folder = at("dir.mtl");
        QVERIFY(WriteBytes(at("a.mtl"), "A\r\n\x83\x5c") && WriteBytes(at(".hidden.mtl"), "") && QDir().mkdir(folder));
        QVERIFY(QFile::link(at("a.mtl"), at("link.mtl")) && QFile::link(at("gone"), at("broken.mtl")));
        QVERIFY(::mkfifo(qPrintable(at("fifo")), 0600) == 0);
        const QStringList yes{"a.mtl", "link.mtl"}, no{"", "x", "dir.mtl", ".hidden.mtl", "broken.mtl"};
        for (const QString &name : yes + no + QStringList{QString::fromUtf16(u"a.mtl\0x", 7)})
            QVERIFY2(FileExists(name.isEmpty() ? name : at(name)) == yes.contains(name), qPrintable(name));
        QCOMPARE(AppPath(), QCoreApplication::applicationDirPath() + '/');

        using R = ReadResult;
        QByteArray bytes = "stale";
        QVERIFY(ReadFileBytes(at("none"), 9, bytes) == R::Missing && bytes.isEmpty());
        QVERIFY(ReadFileBytes("", 9, bytes) == R::Missing && ReadFileBytes(folder, 9, bytes) == R::Unreadable);
        QCOMPARE(ReadFileBytes(at("fifo"), 9, bytes), R::Unreadable);  // never blocks
        QVERIFY(ReadFileBytes(at("a.mtl"), 4, bytes = "stale") == R::TooLarge && bytes.isEmpty());
        QVERIFY(ReadFileBytes(at("a.mtl"), 5, bytes) == R::Ok && DecodeLines(bytes) == QStringList({"A", "ソ"}));

        QVERIFY(ProfileRead(ini, "Config", "TextEditor").isEmpty() && !QFile::exists(ini));  // reads create nothing
        QVERIFY(ProfileWrite(ini, "Config", "TextEditor", "vi") && ProfileWrite(ini, "config", "TEXTEDITOR", "ed"));
        QVERIFY(!ProfileWrite(ini, "Config", "TextEditor", "a€") && ReadBytes(ini) == kIni + "ed\r\n");
        const QString value = QString(253, u'a') + "ソx";  // read back cut to 254 bytes, never inside a character
        QVERIFY(ProfileWrite(ini, "Config", "Init Dir", value));
        QCOMPARE(ProfileRead(ini, "Config", "Init Dir"), value.left(253));
        QCOMPARE(ProfileRead(ini, "CONFIG", "init dir", 1000), value);
        QVERIFY(!ProfileWrite(at("no/such.ini"), "Config", "A", "1"));
        const QByteArray undecodable = "[Config]\r\nA=\xff\r\n";  // never rewritten, nor is what cannot be read
        QVERIFY(WriteBytes(junk, undecodable) && !ProfileUsable(junk) && !ProfileWrite(junk, "Config", "B", "1"));
        QVERIFY(ReadBytes(junk) == undecodable && !ProfileUsable(folder) && !ProfileWrite(folder, "Config", "A", "1"));
    }

    // Every file operation of a save failing once, from then on, or killing the process: the name holds the complete
    // old or new bytes. Scenes: a stale backup, two hard links, a link to a file elsewhere, a new file.
    void replaceFailing()
    {
        using Mode = FaultyFiles::Mode;
        for (const QString kind : {"plain", "hardlinked", "symlink", "new", "nolinks"}) {
            FaultyFiles counting;
            counting.noHardLinks = kind == "nolinks";
            QVERIFY(ReplaceFile(counting, Scene(kind).name, kNew, true).Ok() && counting.Operations() >= 4);
            const QByteArray before = kind == "new" ? "<missing>" : kOld;
            for (Mode mode : {Mode::Once, Mode::FromThenOn, Mode::Kill})
                for (int at = 1; at <= counting.Operations(); ++at) {
                    const QString where = QString("%1, mode %2, operation %3: ").arg(kind).arg(int(mode)).arg(at);
                    Scene s(kind);
                    FaultyFiles faulty(at, mode);
                    faulty.noHardLinks = kind == "nolinks";
                    auto save = [&] { return ReplaceFile(faulty, s.name, kNew, true); };
                    ReplaceOutcome outcome;
                    int status = -1;  // the child's: 0 only where the fault ends it
                    if (mode != Mode::Kill) outcome = save();
                    else if (const pid_t child = ::fork(); child == 0) ::_exit(save().Ok() ? 1 : 2);
                    else ::waitpid(child, &status, 0);
                    QVERIFY2(mode != Mode::Kill || (WIFEXITED(status) && WEXITSTATUS(status) == 0), qPrintable(where));
                    const QByteArray now = ReadBytes(s.Content());
                    const QStringList left = QDir(s.root.filePath("data")).entryList(kAll);
                    // A hard-linked file written in place holds neither for a moment; its backup copy is whole then.
                    const bool backupWhole = kind == "hardlinked" && ReadBytes(s.name + "bak") == kOld;
                    QVERIFY2(now == before || now == kNew || backupWhole, qPrintable(where + now));
                    QVERIFY2((kind == "symlink" || QDir(s.outside).entryList(kAll) == QStringList{"keep"}) && ReadBytes(s.outside + "/keep") == "KEEP", qPrintable(where));
                    if (mode == Mode::Kill) continue;
                    if (outcome.Ok())  // and leaves nothing behind unless it names it
                        QVERIFY2(now == kNew && (mode != Mode::Once || !outcome.backupLeft.isEmpty() || left.size() == 1 + (kind == "hardlinked")),
                                 qPrintable(where + left.join(',')));
                    else if (outcome.backupLeft.isEmpty())  // a new file may be complete, its folder unsynced
                        QVERIFY2((now == before || kind == "new") && !outcome.reason.isEmpty(), qPrintable(where));
                    else
                        QVERIFY2(ReadBytes(outcome.backupLeft) == kOld, qPrintable(where));
                }
        }
    }
    // What a power cut could leave: the new bytes synced before a name points at them, the rename synced before
    // the backup goes; in place, the backup copy synced before the file is written.
    void replacePowerCut()
    {
        for (const QString kind : {"plain", "nolinks", "hardlinked"}) {
            Scene s(kind);
            FaultyFiles fs;
            fs.noHardLinks = kind == "nolinks";
            QVERIFY(ReplaceFile(fs, s.name, kNew, true).Ok());
            const QString log = kind + ": " + fs.log.join(", ");
            auto at = [&fs](const QString &op, int from = 0) { return int(fs.log.indexOf(op, from)); };
            const int rename = at("rename temp m.mtl"), write = at("write m.mtl");
            if (kind == "hardlinked")
                QVERIFY2(at("fsync m.mtlbak") >= 0 && at("fsync m.mtlbak") < write && write < at("fsync m.mtl") &&
                             at("fsync m.mtl") < at("unlink m.mtlbak"),
                         qPrintable(log));
            else
                QVERIFY2(at("fsync temp") >= 0 && at("fsync temp") < rename && at("fsyncdir", rename) > rename &&
                             at("fsyncdir", rename) < at("unlink m.mtlbak", rename),
                         qPrintable(log));
            QVERIFY2(kind != "nolinks" || (at("write m.mtlbak") >= 0 && at("fsync m.mtlbak") < rename), qPrintable(log));
        }
        // In place, a write of the new bytes that fails puts the old bytes back, for every name of the file.
        Scene s("hardlinked");
        FaultyFiles counting;
        QVERIFY(ReplaceFile(counting, s.name, kNew, true).Ok() && WriteBytes(s.name, kOld));
        FaultyFiles failing(counting.logAt[counting.log.indexOf("write m.mtl")], FaultyFiles::Mode::Once);
        QVERIFY(!ReplaceFile(failing, s.name, kNew, true).Ok());
        QVERIFY(ReadBytes(s.name) == kOld && ReadBytes(s.root.filePath("data/other.mtl")) == kOld);
        QVERIFY(!QFileInfo::exists(s.name + "bak"));
    }

    void replaceLinks_data()
    {
        QTest::addColumn<QString>("setup");
        for (const auto &[name, setup] :
             {std::pair{"dangling link planted at the backup name", "dangling"}, {"mode 640 kept", "mode"}, {"link to a file planted at the backup name", "planted"}, {"folder missing", "nofolder"}, {"linked file stays a link", "symlink"}, {"hard links all see the new bytes", "hardlinked"}, {"folder at the backup name", "bakfolder"}, {"link to a missing file", "danglingfile"}})
            QTest::newRow(name) << QString(setup);
    }
    void replaceLinks()
    {
        QFETCH(QString, setup);
        Scene s(setup == "symlink" || setup == "hardlinked" ? setup : QString("plain"));
        const QString name = setup == "nofolder" ? s.root.filePath("none/m.mtl") : s.name;
        const QString victim = s.outside + "/victim", bak = name + "bak";
        const auto mode640 = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        if (setup == "dangling" || setup == "planted") QVERIFY(QFile::remove(bak) && QFile::link(victim, bak));
        if (setup == "planted") QVERIFY(WriteBytes(victim, "VICTIM"));
        if (setup == "mode") QVERIFY(QFile::setPermissions(name, mode640));
        if (setup == "bakfolder") QVERIFY(QFile::remove(bak) && QDir().mkdir(bak));
        if (setup == "danglingfile") QVERIFY(QFile::remove(name) && QFile::link(victim, name));
        PosixFileLayer fs;
        const ReplaceOutcome outcome = ReplaceFile(fs, name, kNew, true);
        const bool refused = setup == "bakfolder" || setup == "nofolder" || setup == "danglingfile";
        QVERIFY(outcome.Ok() != refused && (outcome.status == ReplaceOutcome::FolderMissing) == (setup == "nofolder"));
        QCOMPARE(ReadBytes(victim), setup == "planted" ? "VICTIM" : "<missing>");
        QCOMPARE(ReadBytes(s.Content()), setup == "danglingfile" ? "<missing>" : refused ? kOld
                                                                                         : kNew);
        QVERIFY(refused || (!QFileInfo::exists(bak) && !QFileInfo(bak).isSymLink()));
        QVERIFY(refused || QFileInfo(name).isSymLink() == (setup == "symlink"));
        QCOMPARE(ReadBytes(s.root.filePath("data/other.mtl")), setup == "hardlinked" ? kNew : "<missing>");
        QVERIFY(setup != "mode" || (QFile::permissions(name) & ~(QFile::ReadUser | QFile::WriteUser)) == mode640);
    }

    void msgBox_data()
    {
        using A = MsgAnswer;
        using B = MsgButtons;
        using I = MsgIcon;
        using Q = QMessageBox;
        const Qt::Key ret = Qt::Key_Return, esc = Qt::Key_Escape;
        const QMessageBox::StandardButtons yesNo = Q::Yes | Q::No;
        QTest::addColumn<BoxCase>("box");
        QTest::newRow("escape, no title") << BoxCase{B::Ok, I::Exclamation, A::Ok, "", esc, A::Ok, Q::Warning, Q::Ok};
        QTest::newRow("no as default") << BoxCase{B::YesNo, I::Question, A::No, "T", ret, A::No, Q::Question, yesNo};
        QTest::newRow("yes/no escape") << BoxCase{B::YesNo, I::Critical, A::Yes, "T", esc, A::No, Q::Critical, yesNo};
        QTest::newRow("3 escape")
            << BoxCase{B::YesNoCancel, I::Information, A::Yes, "T", esc, A::Cancel, Q::Information, yesNo | Q::Cancel};
    }
    void msgBox()
    {
        QFETCH(BoxCase, box);
        // The field the user was in has the focus again afterwards, also where no window manager hands it back.
        QLineEdit field;
        field.show();
        field.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&field));
        QVariantList seen;
        WhenModal<QMessageBox>([&](QMessageBox *shown) {
            seen << shown->text() << shown->windowTitle() << int(shown->icon()) << int(shown->standardButtons());
            QTest::keyClick(shown, box.key);
        });
        QCOMPARE(QtDialogs().MsgBox("text 1", box.buttons, box.icon, box.defaultButton, box.title), box.answer);
        QTRY_COMPARE(QApplication::focusWidget(), &field);
        const QString title = box.title.isEmpty() ? QString("Quillmark") : box.title;
        QCOMPARE(seen, (QVariantList{"text 1", title, int(box.qtIcon), int(box.qtButtons)}));
    }

    void openFile()
    {
        QTemporaryDir dir;
        QStringList seen;
        WhenModal<QFileDialog>([&](QFileDialog *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
            // The pattern Qt reads out of a description with parentheses of its own comes last.
            seen << dialog->windowTitle() << dialog->nameFilters() << dialog->directory().canonicalPath()
                 << edit->text() << dialog->findChild<QFileSystemModel *>()->nameFilters();
            WhenModal<QMessageBox>([&](QMessageBox *box) { seen << box->text(); box->accept(); });
            auto enter = [edit](const QString &text) { edit->setText(text); QTest::keyClick(edit, Qt::Key_Return); };
            enter("nowhere/x.mtl");  // refused, the dialog staying open
            enter("new");            // gains the default extension
        });
        const OpenFileRequest request{"Open", "MTL file(.mtl)|*.mtl|All files|*.*", ".mtl", "C.MTL", dir.path()};
        QtDialogs dialogs;
        dialogs.nonNativeFileDialog = true;
        QCOMPARE(dialogs.OpenFile(request), QDir(dir.path()).absoluteFilePath("new.mtl"));
        QCOMPARE(seen.mid(0, 6), QStringList({"Open", "MTL file(.mtl) (*.mtl)", "All files (*)",
                                              QDir(dir.path()).canonicalPath(), "C.MTL", "*.mtl"}));
        QVERIFY(seen.size() == 7 && seen[6].contains("nowhere") && QDir(dir.path()).isEmpty());  // nothing is created
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
