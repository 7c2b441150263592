// The MTL reader: every kind of line, what the checker is told, and the
// all-or-nothing load of whole files.
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "platform/FakeDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Recorder : MtlFindingSink {
    QStringList kinds;
    QList<int> lineNumbers;
    void Found(int lineNumber, MtlFinding kind, const QString &) override
    {
        static const char *names[] = {"UnrecognisedLine", "BadAttachmentNumber",
                                      "AttachmentOverflow", "NotNumeric", "ShapeNotKept",
                                      "ValueChanged", "ItemsDropped", "Superseded"};
        kinds << QString::fromLatin1(names[int(kind)]);
        lineNumbers << lineNumber;
    }
};

QString Num(float v)
{
    return QString::number(double(v));
}

QString Stages(const AttachmentRecord &r)
{
    QStringList s;
    for (std::size_t k = 0; k < 5; ++k)
        s << Num(r.Width[k]) + "x" + Num(r.Height[k]);
    return s.join(',');
}

// The value of one field, by a short name, as text.
QString Field(const QString &name, const MachineTable &t, const AttachmentSlots &a)
{
    const int axis = name.back().isDigit() ? name.back().digitValue() : 0;
    const QString base = name.back().isDigit() ? name.chopped(1) : name;
    if (base == "name") return t.MachineName.str();
    if (base == "stroke") return Num(t.Stroke[axis]);
    if (base == "atc") return QString::number(t.AtcType);
    if (base == "time") return Num(t.ToolChangeTime);
    if (base == "feedall") return Num(t.MaxFeedAll);
    if (base == "feed") return Num(t.MaxFeed[axis]);
    if (base == "accel") return Num(t.MaxAccel[axis]);
    if (base == "rapid") return Num(t.RapidFeed[axis]);
    if (base == "rapidacc") return Num(t.RapidAccel[axis]);
    if (base == "ini") return QString::number(t.IniAttachment);
    if (base == "change") return t.AttachChangeCode;
    if (base == "design") return t.AttachDesignCode;
    if (base == "used")
        return QString::number(std::count_if(a.begin(), a.end(),
                                             [](const AttachmentRecord &r) { return r.Number != 0; }));
    if (base == "att") {
        const AttachmentRecord &r = a.at(0);
        return QStringLiteral("%1|%2|%3|%4|%5")
            .arg(r.Number)
            .arg(r.ShapeType)
            .arg(r.ShapeNumber)
            .arg(Stages(r), r.AttachName.str().trimmed());
    }
    return QStringLiteral("?field");
}

QString Pad20(const QString &s)
{
    return s.leftJustified(20, ' ');
}

}  // namespace

class TstMtlReader : public QObject {
    Q_OBJECT
private slots:
    void init();
    void line_data();
    void line();
    void lastLineWins();
    void findingsNameTheirLines();
    void extensionAndExistence_data();
    void extensionAndExistence();
    void failedLoadLeavesTable_data();
    void failedLoadLeavesTable();
    void unreadableFile();
    void attachmentsBeyondCapacity();
    void loadSortsAndKeepsCapacity();
    void lineEnds_data();
    void lineEnds();
    void japaneseName();

private:
    bool WriteFile(const QString &name, const QByteArray &bytes);
    QTemporaryDir dir_;
    FakeDialogs dialogs_;
    FileOps files_;
};

void TstMtlReader::init()
{
    dialogs_.reset();
}

bool TstMtlReader::WriteFile(const QString &name, const QByteArray &bytes)
{
    QFile f(dir_.filePath(name));
    QDir().mkpath(QFileInfo(f).absolutePath());
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

void TstMtlReader::line_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("recognised");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("findings");

    const QString u = "UnrecognisedLine";
    // Machine lines.
    QTest::newRow("name upper-cased") << "name = abc" << true << "name" << Pad20("ABC") << "";
    QTest::newRow("name cut to 20")
        << "NAME = ABCDEFGHIJKLMNOPQRSTUVWXYZ" << true << "name" << "ABCDEFGHIJKLMNOPQRST"
        << "ValueChanged";
    QTest::newRow("name without value") << "NAME" << true << "name" << Pad20("") << "";
    QTest::newRow("name with an axis") << "NAME(X) = A" << false << "name" << Pad20("") << u;
    QTest::newRow("stroke with spaced axis") << "STROKE ( x ) = 500" << true << "stroke0" << "500" << "";
    QTest::newRow("stroke Y writer's form") << "STROKE(Y) = 500." << true << "stroke1" << "500" << "";
    QTest::newRow("closing parenthesis not needed") << "stroke(z = 12.5" << true << "stroke2" << "12.5" << "";
    QTest::newRow("stroke unknown axis") << "STROKE(W) = 500" << false << "stroke0" << "0" << u;
    QTest::newRow("stroke without axis") << "STROKE = 500" << false << "stroke0" << "0" << u;
    QTest::newRow("stroke negative") << "STROKE(X) = -5" << true << "stroke0" << "0" << "ValueChanged";
    QTest::newRow("feed all axes") << "MAXIMUM FEEDRATE = 800" << true << "feedall" << "800" << "";
    QTest::newRow("feed Z") << "MAXIMUM FEEDRATE(Z) = 800" << true << "feed2" << "800" << "";
    QTest::newRow("feed Z is not all axes") << "MAXIMUM FEEDRATE(Z) = 800" << true << "feedall" << "0" << "";
    QTest::newRow("acceleration X") << "MAXIMUM ACCELERATION(X) = 0.3" << true << "accel0" << "0.3" << "";
    QTest::newRow("acceleration without axis") << "MAXIMUM ACCELERATION = 0.3" << false << "accel0" << "0" << u;
    QTest::newRow("rapid Y") << "RAPID(Y) = 36000" << true << "rapid1" << "36000" << "";
    QTest::newRow("rapid acceleration Z") << "RAPID ACCELERATION(Z) = 0.5" << true << "rapidacc2" << "0.5" << "";
    QTest::newRow("rapid is not rapid acceleration") << "RAPID(Z) = 0.5" << true << "rapidacc2" << "0" << "";
    QTest::newRow("time negative") << "TOOL CHANGE TIME = -3" << true << "time" << "0" << "ValueChanged";
    QTest::newRow("time not numeric still recognised")
        << "TOOL CHANGE TIME = fast" << true << "time" << "0" << "NotNumeric";
    QTest::newRow("time leading point") << "TOOL CHANGE TIME = .5" << true << "time" << "0.5" << "";
    QTest::newRow("time beyond a Single") << "TOOL CHANGE TIME = 1e39" << true << "time" << "0" << "NotNumeric";
    QTest::newRow("time nan") << "TOOL CHANGE TIME = nan" << true << "time" << "0" << "NotNumeric";
    QTest::newRow("time grouping") << "TOOL CHANGE TIME = 1,5" << true << "time" << "0" << "NotNumeric";
    QTest::newRow("ini") << "INI = ATTACHMENT03" << true << "ini" << "3" << "";
    QTest::newRow("ini lower case, spaced") << "ini = attachment 7" << true << "ini" << "7" << "";
    QTest::newRow("ini rounds half to even") << "INI = ATTACHMENT2.5" << true << "ini" << "2" << "";
    QTest::newRow("ini without ATTACHMENT") << "INI = 3" << false << "ini" << "0" << u;
    QTest::newRow("ini beyond 32 bits") << "INI = ATTACHMENT99999999999" << true << "ini" << "0" << "NotNumeric";
    QTest::newRow("ini not numeric") << "INI = ATTACHMENTX" << true << "ini" << "0" << "NotNumeric";
    QTest::newRow("atc lower case") << "ATC TYPE = wait2" << true << "atc" << "2" << "";
    QTest::newRow("atc direct") << "ATC TYPE = DIRECT" << true << "atc" << "0" << "";
    QTest::newRow("atc unknown word") << "ATC TYPE = WAIT 2" << true << "atc" << "-1" << "ValueChanged";
    QTest::newRow("change code") << "ATTACH CHANGE CODE = m60" << true << "change" << "M60" << "";
    QTest::newRow("design code keeps later =") << "ATTACH DESIGN CODE = T = 1" << true << "design" << "T = 1" << "";

    // Lines that are skipped or ignored.
    QTest::newRow("comment") << "# NAME = X" << false << "name" << Pad20("") << "";
    QTest::newRow("spaces before # is no comment") << "  # NAME = X" << false << "name" << Pad20("") << u;
    QTest::newRow("star is no comment") << "*NAME = X" << false << "name" << Pad20("") << u;
    QTest::newRow("blank") << "      " << false << "name" << Pad20("") << "";
    QTest::newRow("tab is not a blank") << "\tNAME = X" << false << "name" << Pad20("") << u;
    QTest::newRow("unknown keyword") << "SPINDLE = 3" << false << "name" << Pad20("") << u;

    // Attachment lines (alone they load nothing, but fill the working slot).
    QTest::newRow("two stages and a name")
        << "ATTACHMENT01 = SQUARE/10,20,30,40,ARM" << false << "att"
        << "1|1|1|10x20,30x40,0x0,0x0,0x0|ARM" << "";
    QTest::newRow("zero width ends the stages")
        << "ATTACHMENT01 = SQUARE/10,20,0,0,ARM" << false << "att"
        << "1|1|1|10x20,0x0,0x0,0x0,0x0|ARM" << "";
    QTest::newRow("one stage no name") << "ATTACHMENT01 = SQUARE/10,20" << false << "att"
                                       << "1|1|1|10x20,0x0,0x0,0x0,0x0|" << "";
    QTest::newRow("width without height") << "ATTACHMENT01 = SQUARE/10,20,30" << false << "att"
                                          << "1|1|1|10x20,30x0,0x0,0x0,0x0|" << "";
    QTest::newRow("numeric last item is no name")
        << "ATTACHMENT01 = SQUARE/10,20,123" << false << "att" << "1|1|1|10x20,123x0,0x0,0x0,0x0|" << "";
    QTest::newRow("six stages keep five")
        << "ATTACHMENT01 = SQUARE/1,2,3,4,5,6,7,8,9,10,11,12" << false << "att"
        << "1|1|1|1x2,3x4,5x6,7x8,9x10|" << "ItemsDropped";
    QTest::newRow("six stages and a name")
        << "ATTACHMENT01 = SQUARE/1,2,3,4,5,6,7,8,9,10,11,12,HEAD" << false << "att"
        << "1|1|1|1x2,3x4,5x6,7x8,9x10|HEAD" << "ItemsDropped";
    QTest::newRow("writer's form, lower case")
        << "attachment5 = square/10.,20.,arm" << false << "att" << "5|1|1|10x20,0x0,0x0,0x0,0x0|ARM" << "";
    QTest::newRow("number after a space") << "ATTACHMENT 7 = SQUARE/10,20" << false << "att"
                                          << "7|1|1|10x20,0x0,0x0,0x0,0x0|" << "";
    QTest::newRow("number from 32767 up") << "ATTACHMENT40000 = SQUARE/1,2" << false << "att"
                                          << "40000|1|1|1x2,0x0,0x0,0x0,0x0|" << "";
    QTest::newRow("shape number") << "ATTACHMENT01 = SQUARE2/10,20" << false << "att"
                                  << "1|1|2|10x20,0x0,0x0,0x0,0x0|" << "";
    QTest::newRow("undefine") << "ATTACHMENT01 = undefine/10,20" << false << "att"
                              << "1|2|1|10x20,0x0,0x0,0x0,0x0|" << "";
    QTest::newRow("undefine with number") << "ATTACHMENT01 = UNDEFINE3/10,20" << false << "att"
                                          << "1|2|3|10x20,0x0,0x0,0x0,0x0|" << "";
    QTest::newRow("unknown shape") << "ATTACHMENT01 = CIRCLE/10,20" << false << "att"
                                   << "1|0|0|10x20,0x0,0x0,0x0,0x0|" << "ShapeNotKept";
    QTest::newRow("shape number 0") << "ATTACHMENT01 = SQUARE0/10,20" << false << "att"
                                    << "1|0|0|10x20,0x0,0x0,0x0,0x0|" << "ShapeNotKept";
    QTest::newRow("shape number beyond 16 bits") << "ATTACHMENT01 = SQUARE40000/1,2" << false << "att"
                                                 << "1|0|0|1x2,0x0,0x0,0x0,0x0|" << "ShapeNotKept";
    QTest::newRow("shape with blank and number") << "ATTACHMENT01 = SQUARE 2/1,2" << false << "att"
                                                 << "1|0|0|1x2,0x0,0x0,0x0,0x0|" << "ShapeNotKept";
    QTest::newRow("no slash") << "ATTACHMENT01 = SQUARE" << false << "att"
                              << "1|1|1|0x0,0x0,0x0,0x0,0x0|" << "";
    QTest::newRow("word in a height position")
        << "ATTACHMENT01 = SQUARE/10,abc,30,40" << false << "att"
        << "1|1|1|10x0,30x40,0x0,0x0,0x0|" << "NotNumeric";
    QTest::newRow("word in a width position ends the stages")
        << "ATTACHMENT01 = SQUARE/10,20,abc,40,NAME" << false << "att"
        << "1|1|1|10x20,0x0,0x0,0x0,0x0|NAME" << "NotNumeric,ItemsDropped";
    QTest::newRow("decreasing width is kept but not written")
        << "ATTACHMENT01 = SQUARE/30,10,20,10" << false << "att"
        << "1|1|1|30x10,20x10,0x0,0x0,0x0|" << "ItemsDropped";
    QTest::newRow("negative first width")
        << "ATTACHMENT01 = SQUARE/-5,10" << false << "att" << "1|1|1|-5x10,0x0,0x0,0x0,0x0|" << "ItemsDropped";
    QTest::newRow("name holds / = (")
        << "ATTACHMENT01 = SQUARE/10,20,A/B=C(X)" << false << "att"
        << "1|1|1|10x20,0x0,0x0,0x0,0x0|A/B=C(X)" << "";
    QTest::newRow("long name cut")
        << "ATTACHMENT01 = SQUARE/10,20,A NAME LONGER THAN TWENTY" << false << "att"
        << "1|1|1|10x20,0x0,0x0,0x0,0x0|A NAME LONGER THAN T" << "ValueChanged";
    QTest::newRow("nan is a name") << "ATTACHMENT01 = SQUARE/10,20,nan" << false << "att"
                                   << "1|1|1|10x20,0x0,0x0,0x0,0x0|NAN" << "";
    QTest::newRow("empty items") << "ATTACHMENT01 = SQUARE/10,20,0,,,ARM" << false << "att"
                                 << "1|1|1|10x20,0x0,0x0,0x0,0x0|ARM" << "";

    // Attachment lines that use no slot.
    QTest::newRow("number 0") << "ATTACHMENT0 = SQUARE/10,20" << false << "used" << "0" << "BadAttachmentNumber";
    QTest::newRow("negative number") << "ATTACHMENT-1 = SQUARE/10,20" << false << "used" << "0" << "BadAttachmentNumber";
    QTest::newRow("fraction below 1") << "ATTACHMENT0.7 = SQUARE/10,20" << false << "used" << "0" << "BadAttachmentNumber";
    QTest::newRow("no number") << "ATTACHMENT = SQUARE/10,20" << false << "used" << "0" << "BadAttachmentNumber";
    QTest::newRow("letters") << "ATTACHMENTX = SQUARE/10,20" << false << "used" << "0" << "BadAttachmentNumber";
    QTest::newRow("beyond 32 bits") << "ATTACHMENT99999999999 = SQUARE/1,2" << false << "used" << "0" << "BadAttachmentNumber";
    QTest::newRow("with an axis") << "ATTACHMENT01(X) = SQUARE/1,2" << false << "used" << "0" << u;
    QTest::newRow("unknown shape still uses a slot") << "ATTACHMENT01 = CIRCLE" << false << "used" << "1" << "ShapeNotKept";
}

void TstMtlReader::line()
{
    QFETCH(QString, text);
    QFETCH(bool, recognised);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, findings);

    MachineTable table;
    AttachmentSlots attachments;
    Recorder sink;
    QCOMPARE(ParseMtlLines({text}, 10, table, attachments, &sink), recognised);
    QCOMPARE(int(attachments.size()), 10);
    QCOMPARE(Field(field, table, attachments), value);
    QCOMPARE(sink.kinds.join(','), findings);

    // The editor passes no sink and must get the same table.
    MachineTable table2;
    AttachmentSlots attachments2;
    QCOMPARE(ParseMtlLines({text}, 10, table2, attachments2), recognised);
    QCOMPARE(MtlFileText(table2, attachments2), MtlFileText(table, attachments));
}

void TstMtlReader::lastLineWins()
{
    MachineTable table;
    AttachmentSlots attachments;
    Recorder sink;
    QVERIFY(ParseMtlLines({"STROKE(X) = 1", "NAME = A", "STROKE(Y) = 5", "STROKE(X) = 2",
                           "stroke(x) = 3"},
                          10, table, attachments, &sink));
    QCOMPARE(table.Stroke[0], 3.0f);
    QCOMPARE(table.Stroke[1], 5.0f);
    QCOMPARE(sink.kinds, QStringList({"Superseded", "Superseded"}));
    QCOMPARE(sink.lineNumbers, QList<int>({1, 4}));
}

void TstMtlReader::findingsNameTheirLines()
{
    const QByteArray bytes = "# comment\r\n"
                             "\r\n"
                             "NAME = M\r\n"
                             "BOGUS = 1\r\n"
                             "ATTACHMENT00 = SQUARE/1,2\r\n"
                             "ATTACHMENT01 = SQUARE/1,2\r\n"
                             "ATTACHMENT02 = SQUARE/1,2\r\n";
    QVERIFY(WriteFile("lines.mtl", bytes));
    FakeDialogs dialogs;
    FileOps files;
    AppState state(dialogs, files);
    state.SizeAttachments(1);
    Recorder sink;
    QVERIFY(ReadMtlFile(state, dir_.filePath("lines.mtl"), &sink));
    QCOMPARE(sink.kinds, QStringList({"UnrecognisedLine", "BadAttachmentNumber", "AttachmentOverflow"}));
    QCOMPARE(sink.lineNumbers, QList<int>({4, 5, 7}));
    QCOMPARE(state.Attachments.at(0).Number, 1);
}

void TstMtlReader::extensionAndExistence_data()
{
    QTest::addColumn<QString>("create");  // file created in the temporary folder
    QTest::addColumn<QString>("open");    // name handed to the reader
    QTest::addColumn<bool>("loads");

    QTest::newRow("lower case") << "m1.mtl" << "m1.mtl" << true;
    QTest::newRow("upper case") << "M2.MTL" << "M2.MTL" << true;
    QTest::newRow("mixed case") << "m3.Mtl" << "m3.Mtl" << true;
    QTest::newRow("folder with a dot") << "dir.with.dots/m4.mtl" << "dir.with.dots/m4.mtl" << true;
    QTest::newRow("hidden folder") << ".config/m5.mtl" << ".config/m5.mtl" << true;
    QTest::newRow("two dots in the name") << "m6.old.mtl" << "m6.old.mtl" << true;
    QTest::newRow("other extension") << "m7.txt" << "m7.txt" << false;
    QTest::newRow("no dot") << "m8" << "m8" << false;
    QTest::newRow("mtl not last") << "m9.mtl.bak" << "m9.mtl.bak" << false;
    QTest::newRow("longer extension") << "m10.mtlx" << "m10.mtlx" << false;
    QTest::newRow("dot only in the folder") << "d.mtl/plain" << "d.mtl/plain" << false;
    QTest::newRow("missing file") << "m11.mtl" << "nothere.mtl" << false;
    QTest::newRow("a folder named .mtl") << "f.mtl/x.mtl" << "f.mtl" << false;
    QTest::newRow("empty name") << "m12.mtl" << "" << false;
}

void TstMtlReader::extensionAndExistence()
{
    QFETCH(QString, create);
    QFETCH(QString, open);
    QFETCH(bool, loads);
    QVERIFY(WriteFile(create, "NAME = X\r\n"));

    FileOps files;
    AppState state(dialogs_, files);
    state.messages.Create(61);
    state.messages.Set(59, "M59");
    state.SizeAttachments(10);
    const QString path = open.isEmpty() ? QString() : dir_.filePath(open);
    QCOMPARE(ReadMtlFile(state, path), loads);
    if (loads) {
        QVERIFY(dialogs_.boxes.isEmpty());
        QCOMPARE(state.machineTable.MachineName.str(), Pad20("X"));
    } else {
        QCOMPARE(dialogs_.boxes.size(), 1);
        QCOMPARE(dialogs_.boxes[0].text, QStringLiteral("M59"));
        QCOMPARE(dialogs_.boxes[0].buttons, MsgButtons::Ok);
        QCOMPARE(dialogs_.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(state.machineTable.MachineName.str(), Pad20(""));
    }
}

void TstMtlReader::failedLoadLeavesTable_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("message");
    QTest::newRow("only comments") << QByteArray("# a\r\n# b\r\n") << false;
    QTest::newRow("only attachment lines")
        << QByteArray("ATTACHMENT01 = SQUARE/10,20\r\nATTACHMENT02 = SQUARE/10,20\r\n") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("binary junk") << QByteArray("\x81\x00\xff\xfe\r\r\n\x80", 8) << false;
    QTest::newRow("INI without ATTACHMENT only") << QByteArray("INI = 3\r\n") << false;
}

void TstMtlReader::failedLoadLeavesTable()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, message);
    QVERIFY(WriteFile("fail.mtl", content));
    FileOps files;
    AppState state(dialogs_, files);
    state.SizeAttachments(3);
    state.machineTable.MachineName = QStringLiteral("KEEP");
    state.Attachments[1].Number = 9;
    state.Attachments[1].ShapeType = 1;
    const QString before = MtlFileText(state.machineTable, state.Attachments);

    QVERIFY(!ReadMtlFile(state, dir_.filePath("fail.mtl")));
    QCOMPARE(dialogs_.boxes.isEmpty(), !message);
    QCOMPARE(state.machineTable.MachineName.str(), Pad20("KEEP"));
    QCOMPARE(state.Attachments[1].Number, 9);  // not even sorted
    QCOMPARE(MtlFileText(state.machineTable, state.Attachments), before);
}

void TstMtlReader::unreadableFile()
{
    // Root reads any file, so use one that exists but fails every read.
    if (!QFileInfo(QStringLiteral("/proc/self/mem")).isFile())
        QSKIP("no /proc/self/mem here");
    const QString link = dir_.filePath("mem.mtl");
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), link));
    FileOps files;
    AppState state(dialogs_, files);
    state.messages.Create(61);
    state.messages.Set(59, "M59");
    state.SizeAttachments(2);
    state.machineTable.MachineName = QStringLiteral("KEEP");
    QVERIFY(!ReadMtlFile(state, link));
    QCOMPARE(dialogs_.texts(), QStringList({"M59"}));
    QCOMPARE(state.machineTable.MachineName.str(), Pad20("KEEP"));
}

void TstMtlReader::attachmentsBeyondCapacity()
{
    QByteArray bytes = "NAME = CAP\r\n";
    for (int i = 11; i >= 1; --i)
        bytes += "ATTACHMENT" + QByteArray::number(i) + " = SQUARE/10,20\r\n";
    QVERIFY(WriteFile("eleven.mtl", bytes));
    FileOps files;
    AppState state(dialogs_, files);
    state.SizeAttachments(10);
    Recorder sink;
    QVERIFY(ReadMtlFile(state, dir_.filePath("eleven.mtl"), &sink));
    QCOMPARE(CountAttachments(state.Attachments), 10);
    // The first ten lines are 11 down to 2; the line for 1 came too late.
    QCOMPARE(state.Attachments.front().Number, 2);
    QCOMPARE(state.Attachments.back().Number, 11);
    QCOMPARE(sink.kinds, QStringList({"AttachmentOverflow"}));
    QCOMPARE(sink.lineNumbers, QList<int>({12}));
}

void TstMtlReader::loadSortsAndKeepsCapacity()
{
    QVERIFY(WriteFile("sort.mtl", "NAME = S\r\n"
                                  "ATTACHMENT12 = SQUARE/10,20,TWELVE\r\n"
                                  "ATTACHMENT03 = CIRCLE/10,20,BAD\r\n"
                                  "ATTACHMENT3 = SQUARE/1,2,THREE\r\n"));
    FileOps files;
    AppState state(dialogs_, files);
    state.SizeAttachments(4);
    state.Attachments[3].Number = 77;  // left over from before: replaced
    QVERIFY(ReadMtlFile(state, dir_.filePath("sort.mtl")));
    QCOMPARE(int(state.Attachments.size()), 4);
    QCOMPARE(state.Attachments[0].AttachName.str().trimmed(), QStringLiteral("THREE"));
    QCOMPARE(state.Attachments[1].AttachName.str().trimmed(), QStringLiteral("TWELVE"));
    QCOMPARE(state.Attachments[2].Number, 0);
    QCOMPARE(state.Attachments[3].Number, 0);
}

void TstMtlReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("CR LF") << QByteArray("NAME = A\r\nSTROKE(X) = 5\r\n");
    QTest::newRow("CR alone") << QByteArray("NAME = A\rSTROKE(X) = 5\r");
    QTest::newRow("LF alone") << QByteArray("NAME = A\nSTROKE(X) = 5\n");
    QTest::newRow("no final line end") << QByteArray("NAME = A\r\nSTROKE(X) = 5");
}

void TstMtlReader::lineEnds()
{
    QFETCH(QByteArray, content);
    QVERIFY(WriteFile("ends.mtl", content));
    FileOps files;
    AppState state(dialogs_, files);
    state.SizeAttachments(2);
    QVERIFY(ReadMtlFile(state, dir_.filePath("ends.mtl")));
    QCOMPARE(state.machineTable.MachineName.str(), Pad20("A"));
    QCOMPARE(state.machineTable.Stroke[0], 5.0f);
}

void TstMtlReader::japaneseName()
{
    // "表示ソフト": two of its characters end in the byte 0x5C, the "\" of ASCII.
    const QString name = QString::fromUtf8("表示ソフト ｶﾅ vm5");
    QByteArray bytes = "NAME = ";
    bytes += QByteArray("\x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67 \xb6\xc5 vm5", 17);
    bytes += "\r\nATTACHMENT01 = SQUARE/1,2,\x83\x41\x83\x80\r\n";
    QVERIFY(WriteFile("jp.mtl", bytes));
    FileOps files;
    AppState state(dialogs_, files);
    state.SizeAttachments(2);
    QVERIFY(ReadMtlFile(state, dir_.filePath("jp.mtl")));
    QCOMPARE(state.machineTable.MachineName.str(), Pad20(UpperSameLength(name)));
    QCOMPARE(state.Attachments[0].AttachName.str().trimmed(), QString::fromUtf8("アム"));
}

QTEST_GUILESS_MAIN(TstMtlReader)
#include "tst_mtlreader.moc"
