// What the main window asks and tells about files, on the class that words it: a document and its recovery copies in
// a program folder of their own, the dialogs scripted. Scenarios as Scenario.h describes them, with these steps:
// Actions:
//   load s.mtl                       a copy of the example file, opened (no name: sample.mtl)
//   open f.mtl NAME = F\r\n          a file opened, as the file name field opens it; of these bytes if given
//   big b.mtl 4000                   a file of that many attachments opened
//   set STROKE(X) = 9, set NAME = X  a value committed, by its key in the file
//   save                             the Save button's question and save
//   leave                            what End asks first; "left" or "stayed" (an event)
//   undo, redo, close                the history's; the file closed at a normal end
// Checks:
//   value STROKE(X): 9.              the table's value as the window shows it
//   changed: 1                       the unsaved mark
#include "Scenario.h"
#include "app/MessageFile.h"
#include "model/Document.h"
#include "model/Numbers.h"
#include "ui/main/FileQuestions.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

struct Harness : FileScenario {
    RecoveryStore recovery{files, dir.path()};
    Document document;
    FileQuestions questions{document, fake, state.messages, state.settings};

    // A first step "ini slots N": a table of N slots instead of 10.
    Harness(const QByteArray &ini, const QByteArray &mes)
        : document(files, std::int16_t(ini.startsWith("slots ") ? ini.mid(6).toInt() : 10))
    {
        MessageTable table;
        ParseMessageText(QString::fromUtf8(mes), table);
        state.messages = table;
        document.SetRecovery(&recovery);
    }
    bool ready() const override { return state.messages.Loaded(); }

    bool Open(const QString &name)
    {
        questions.AfterLoad(document.Load(path(name)));
        return true;
    }
    bool Set(const QString &assignment)
    {
        const QString key = assignment.section(" = ", 0, 0), value = assignment.section(" = ", 1);
        if (key == "NAME")
            return document.SetMachineName(value, key);
        for (const FieldRef &field : kWriterOrder)
            if (FieldKey(field) == key)
                return document.SetNumber(field, ParseSingle(value, 0), key);
        return false;
    }
    bool act(const QString &verb, const QString &arg) override
    {
        if (const std::optional<bool> done = fileAct(verb, arg))
            return *done;
        const QString name = arg.section(' ', 0, 0), rest = arg.section(' ', 1);
        if (verb == "load") {
            const QString copy = path(arg.isEmpty() ? "sample.mtl" : arg);
            return QDir().mkpath(QFileInfo(copy).path()) && WriteBytes(copy, ReadBytes(kSample)) && Open(copy);
        }
        if (verb == "big") {  // a file of that many attachments
            QByteArray bytes = "NAME = B\r\n";
            for (int i = 1; i <= rest.toInt(); ++i)
                bytes += "ATTACHMENT" + QByteArray::number(i) + " = SQUARE/10,20,30,40,A HEAD OF ITS OWN\r\n";
            return WriteBytes(path(name), bytes) && Open(name);
        }
        if (verb == "open")
            return (rest.isEmpty() || *fileAct("write", arg)) && Open(name);
        if (verb == "set")
            return Set(arg);
        if (verb == "save")
            return questions.Save(), true;
        if (verb == "leave")
            return events << (questions.MaybeSave() ? "left" : "stayed"), true;
        if (verb == "undo" || verb == "redo")
            return verb == "undo" ? document.History().undo() : document.History().redo(), true;
        if (verb == "close")
            return document.Close(), true;
        return false;
    }
    QString observe(const QString &name, const QString &arg) override
    {
        if (const std::optional<QString> seen = fileObserve(name, arg))
            return *seen;
        if (name == "changed")
            return QString::number(int(document.Changed()));
        for (const FieldRef &field : kWriterOrder)
            if (const float *value = SingleOf(document.Table(), field); value && name + ' ' + arg == "value " + FieldKey(field))
                return FormatNumber(*value, Pattern::Decimal);
        return "no such check";
    }
};

}  // namespace

class TestFileQuestions : public QObject {
    Q_OBJECT
private slots:
    // The copies hold the user's data: a folder made for them is the user's alone; a portable copy's own folder is
    // left as it is.
    void recoveryFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("state")));
        PosixFileLayer files;
        for (const bool portable : {false, true}) {
            const QString folder = RecoveryFolder(portable, dir.filePath("Quillmark.ini"));
            RecoveryStore store(files, folder);
            QCOMPARE(store.ClaimFile(dir.filePath("f.mtl")), RecoveryStore::Claim::Mine);
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &st), 0);
            QCOMPARE(st.st_mode & 0777, portable ? 0755u : 0700u);
        }
    }
    void scenario_data();
    void scenario()
    {
        QFETCH(QStringList, steps);
        Run<Harness>(steps);
    }
};

void TestFileQuestions::scenario_data()
{
    using Steps = QStringList;
    QTest::addColumn<Steps>("steps");
    auto row = [](const QString &name, const Steps &steps) { QTest::newRow(qPrintable(name)) << steps; };

    // A big table's copy waits for a pause in the edits; edits given up must not be written then.
    row("edits given up: a copy still waiting is not written",
        {"ini slots 6000",
         "big b.mtl 5000",
         "set STROKE(X) = 9",
         "set STROKE(X) = 10",
         "copy b.mtl STROKE(X): 9.",
         "leave",
         "said: [SaveChanges] ynci -> No",
         "events: left",
         "load",
         "copy b.mtl STROKE(X): none"});

    // Saving.
    row("the folder moved away: Save says so; leaving asks, naming the copy that keeps the edits",
        {"load sub/f.mtl",
         "set MAXIMUM FEEDRATE(X) = 9000",
         "move sub gone",
         "save",
         "said: [FolderMissing] ok!",
         "box: [FolderMissing]/@sub/f.mtl",
         "changed: 1",
         "leave",
         "said: [FolderGoneEndAnyway] yn?/No",
         "box: [FolderGoneEndAnyway]/[EditsKeptIn]/@COPY",
         "events: stayed",
         "leave",
         "said: [FolderGoneEndAnyway] yn?/No -> Yes",
         "events: left",
         "close",
         "copy sub/f.mtl MAXIMUM FEEDRATE(X): 9000."});
    row("a folder where the file was: the save says why it failed",
        {"write folder.mtl/x ",
         "open folder.mtl",
         "set STROKE(X) = 9",
         "save",
         "said: [ChangedOnDisk] yn?/No -> Yes, [SaveFailed] ok!",
         "box: [SaveFailed]/" + QString::fromLocal8Bit(std::strerror(EISDIR))});
    row("a new name: Yes saves the emptied table",
        {"load",
         "open new.mtl",
         "set STROKE(X) = 9",
         "leave",
         "said: [SaveChanges] ynci -> Yes, [Saved] oki",
         "events: left",
         "file new.mtl STROKE(X): 9.",
         "file new.mtl STROKE(Y): -"});
    row("a file another program made at a name that was missing is not overwritten unasked",
        {"open new.mtl",
         "set STROKE(X) = 9",
         "write new.mtl NAME = OTHER\r\n",
         "save",
         "said: [ChangedOnDisk] yn?/No -> No",
         "file new.mtl NAME: OTHER"});
    row("not loadable (a comment, an empty file): told; the default keeps it, Yes overwrites, the next save asks nothing",
        {"open m.mtl # comment\r\n",
         "said: [NoMachineLine] ok!",
         "set STROKE(X) = 9",
         "save",
         "said: [OverwriteUnloadable] yn?/No",
         "file m.mtl STROKE(X): -",
         "changed: 1",
         "save",
         "set STROKE(X) = 8",
         "save",
         "said: [OverwriteUnloadable] yn?/No -> Yes, [Saved] oki, [Saved] oki",
         "file m.mtl STROKE(X): 8.",
         "write e.mtl ",
         "open e.mtl",
         "said: [NoMachineLine] ok!"});
    row("changed on disk: No keeps it and the edits, Yes overwrites",
        {"load m.mtl",
         "write m.mtl NAME = OTHER\r\n",
         "set STROKE(X) = 9",
         "save",
         "said: [ChangedOnDisk] yn?/No -> No",
         "file m.mtl NAME: OTHER",
         "changed: 1",
         "save",
         "said: [ChangedOnDisk] yn?/No -> Yes, [Saved] oki",
         "file m.mtl STROKE(X): 9."});
    const QString head =
        QString::fromLatin1(ReadBytes(kSample)).section("\r\n", 0, 1) + "\r\nNAME = F" + QString(19, ' ') + "\r\n";
    row("lines the save drops: told on loading; the first save asks, No keeps the file; the next asks nothing",
        {"open f.mtl " + head + "SPINDLE MAX = 12000\r\nOPERATOR NOTE - BELOW 80 PERCENT\r\nSTROKE(X) = 500.12345\r\n",
         "box: [LinesNotKept]3/4: SPINDLE MAX = 12000/5: OPERATOR NOTE - BELOW 80 PERCENT/6: STROKE(X) = 500.12345",
         "set STROKE(Y) = 7",
         "save",
         "said: [LinesNotKept]3 ok!, [SaveDropsLines] yn?/No -> No",
         "diff: -SPINDLE MAX = 12000/-OPERATOR NOTE - BELOW 80 PERCENT/-STROKE(X) = 500.12345/+STROKE(X) = 500.123/"
         "+STROKE(Y) = 7.",
         "file f.mtl SPINDLE MAX: 12000",
         "save",
         "file f.mtl STROKE(X): 500.123",
         "set STROKE(Y) = 8",
         "save",
         "said: [SaveDropsLines] yn?/No -> Yes, [Saved] oki, [Saved] oki"});
    row("a line with two findings is named and counted once",
        {"open d.mtl NAME = D\r\nSTROKE(X) = 1.00051\r\nSTROKE(X) = 2\r\n",
         "said: [LinesNotKept]1 ok!",
         "box: [LinesNotKept]1/2: STROKE(X) = 1.00051"});
    row("values a Single cannot hold and comment lines: named on loading, asked at the first save",
        {"open u.mtl " + head + "# my note\r\nRAPID(X) = 36000.001\r\nSTROKE(Y) = 16777217\r\n",
         "box: [LinesNotKept]3/4: # my note/5: RAPID(X) = 36000.001/6: STROKE(Y) = 16777217",
         "save",
         "said: [LinesNotKept]3 ok!, [SaveDropsLines] yn?/No",
         "diff: -# my note/-RAPID(X) = 36000.001/-STROKE(Y) = 16777217/+STROKE(Y) = 16777216./+RAPID(X) = 36000."});
    row("a killed save's temporary files go with the next save; young and foreign ones stay",
        {"load",
         "old .sample.mtl.k3x9",
         "old .sample.mtl.K3X9",
         "write .sample.mtl.zz9 young",
         "save",
         "said: [Saved] oki",
         "exists .sample.mtl.k3x9: 0",
         "exists .sample.mtl.K3X9: 1",
         "exists .sample.mtl.zz9: 1"});
    const QString longName = QString(82, QChar(0x3042)) + ".mtl", longest = QString(83, QChar(0x3042)) + ".mtl";
    row("names of 250 and 253 bytes: saved, the longest without a backup beside it",
        {"load " + longName,
         "set STROKE(X) = 7",
         "save",
         "said: [Saved] oki",
         "file " + longName + " STROKE(X): 7.",
         "load " + longest,
         "set STROKE(X) = 8",
         "save",
         "said: [Saved] oki",
         "file " + longest + " STROKE(X): 8."});
    row("a name that is no UTF-8 (Shift-JIS, 0xFF): loaded and saved under its own bytes",
        {"load %93%FA%96%7B%FF.mtl",
         "set STROKE(X) = 7",
         "save",
         "said: [Saved] oki",
         "file %93%FA%96%7B%FF.mtl STROKE(X): 7.",
         "mtls: 1"});

    // What a crash or an interrupted save leaves behind is kept, offered, and cleared away.
    row("recovery copy: private, kept while unsaved (another program on another file aside); gone when undone, saved, "
        "or given up",
        {"hold other.mtl",
         "load",
         "copy sample.mtl STROKE(X): none",
         "set STROKE(X) = 9",
         "copy sample.mtl STROKE(X): 9.",
         "set STROKE(Y) = 7",
         "copy sample.mtl STROKE(Y): 7.",
         "undo",
         "copy sample.mtl STROKE(Y): 500.",
         "undo",
         "copy sample.mtl STROKE(X): none",
         "redo",
         "save",
         "copy sample.mtl STROKE(X): none",
         "set STROKE(X) = 8",
         "leave",
         "said: [Saved] oki, [SaveChanges] ynci -> No",
         "events: left",
         "copy sample.mtl STROKE(X): none"});
    const QString disk = "write r.mtl NAME = R\r\nSTROKE(X) = 1\r\n";     // the file
    const QString copy = "leftover r.mtl NAME = R\r\nSTROKE(X) = 9\r\n";  // a dead program's copy, other bytes
    row("a dead program's copy: Yes shows the edits unsaved and writes nothing; No removes it",
        {disk,
         copy,
         "open r.mtl",
         "said: [RecoverEdits] yn? -> Yes",
         "value STROKE(X): 9.",
         "changed: 1",
         "file r.mtl STROKE(X): 1",
         "copy r.mtl STROKE(X): 9.",
         "open o.mtl",
         copy,
         "open r.mtl",
         "said: [RecoverEdits] yn? -> No",
         "value STROKE(X): 1.",
         "changed: 0",
         "copy r.mtl STROKE(X): none"});
    row("a dead program's copy of a file now gone, and one equal to the file",
        {copy,
         "open r.mtl",
         "said: [RecoverEdits] yn? -> Yes",
         "value STROKE(X): 9.",
         "open o.mtl",
         "write r.mtl NAME = R\r\nSTROKE(X) = 9\r\n",
         copy,
         "open r.mtl",
         "changed: 0",
         "copy r.mtl STROKE(X): none"});
    row("copies that cannot be used: told, left in place, not overwritten",
        {disk,
         "spoil r.mtl garbage",
         "open r.mtl",
         "said: [LeftoverUnusable] ok!",
         "set STROKE(X) = 5",
         "copy r.mtl STROKE(X): garbage",
         "write s.mtl NAME = R\r\nSTROKE(X) = 1\r\n",
         "spoil s.mtl BIG",
         "open s.mtl",
         "leftover t.mtl # nothing\r\n",
         "open t.mtl",
         "said: [LeftoverUnusable] ok!, [LeftoverUnusable] ok!",
         "copy s.mtl STROKE(X): big",
         "copy t.mtl STROKE(X): # nothing",
         "write q.mtl NAME = Q\r\n",
         "leftover q.mtl NAME = Q%80\r\n",
         "open q.mtl",
         "said: [LeftoverUnusable] ok!",
         "box: [LeftoverUnusable]/@COPY/[CharactersNotHeld]\ufffd",
         "changed: 0"});
    row("an interrupted save's backup: a different one offered, Yes loads it unsaved; an equal one removed",
        {disk,
         "write r.mtlbak NAME = R\r\nSTROKE(X) = 7\r\n",
         "open r.mtl",
         "said: [InterruptedSaveBackup] yn?/No -> Yes",
         "value STROKE(X): 7.",
         "changed: 1",
         "file r.mtl STROKE(X): 1",
         "exists r.mtlbak: 1",
         "write q.mtl NAME = R\r\nSTROKE(X) = 1\r\n",
         "write q.mtlbak NAME = R\r\nSTROKE(X) = 1\r\n",
         "open q.mtl",
         "exists q.mtlbak: 0"});
    auto notes = [](const QString &name) { return "write " + name + " NAME = R\r\nSPINDLE MAX = 12000\r\n; note\r\n"; };
    row("recovered edits, an accepted backup and a file changed meanwhile: the save asks what it drops from the disk",
        {notes("r.mtl"),
         "leftover r.mtl NAME = R\r\nSTROKE(X) = 9\r\n",
         "open r.mtl",
         "said: [LinesNotKept]2 ok!, [RecoverEdits] yn? -> Yes",
         "save",
         "said: [SaveDropsLines] yn?/No -> No",
         "file r.mtl SPINDLE MAX: 12000",
         notes("q.mtl"),
         "write q.mtlbak NAME = R\r\nSTROKE(X) = 7\r\n",
         "open q.mtl",
         "said: [LinesNotKept]2 ok!, [InterruptedSaveBackup] yn?/No -> Yes",
         "save",
         "said: [SaveDropsLines] yn?/No",
         "load s.mtl",
         "write s.mtl NAME = S\r\n; note\r\n",
         "set STROKE(X) = 5",
         "save",
         "said: [ChangedOnDisk] yn?/No -> Yes, [SaveDropsLines] yn?/No -> Yes, [Saved] oki",
         "file s.mtl STROKE(X): 5."});
    row("recovered edits begun from a file another program has changed since: the save asks before overwriting it",
        {"write r.mtl NAME = R\r\nSTROKE(Y) = 500\r\n",
         "leftover r.mtl NAME = R\r\nSTROKE(X) = 9\r\nSTROKE(Y) = 500\r\n",
         "write r.mtl NAME = R\r\nSTROKE(Y) = 777\r\n",
         "open r.mtl",
         "said: [RecoverEdits] yn? -> Yes",
         "began r.mtl: other",
         "save",
         "said: [ChangedOnDisk] yn?/No -> No",
         "file r.mtl STROKE(Y): 777"});
    row("a second program on the file, through a link too: told; once the first has ended, the copy is taken",
        {"write r.mtl NAME = R\r\n",
         "link l.mtl r.mtl",
         "hold r.mtl",
         "open l.mtl",
         "said: [OpenElsewhere] oki",
         "set STROKE(X) = 5",
         "copy r.mtl STROKE(X): none",
         "release",
         "set STROKE(X) = 6",
         "copy l.mtl STROKE(X): 6.",
         "copy r.mtl STROKE(X): 6."});
    row("a second program that died with edits: its copy is neither offered nor written over",
        {"write r.mtl NAME = R\r\n",
         "hold r.mtl NAME = R\r\nSTROKE(X) = 9\r\n",
         "open r.mtl",
         "said: [OpenElsewhere] oki",
         "release",
         "set STROKE(X) = 6",
         "copy r.mtl STROKE(X): 9"});
}

QTEST_MAIN(TestFileQuestions)
#include "tst_filequestions.moc"
