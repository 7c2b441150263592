// The MTL writer: line layouts, round trips, and the save protocol under
// injected and real faults.
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "platform/FakeDialogs.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

const QString kTitle =
    "#******************   MACHINE TABLE FOR MORVEX2000   ******************";
const QString kMark =
    "#*********************   EDITED WITH Quillmark    *******Ver1.05*******";

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QList<float> Floats(const QString &csv)
{
    QList<float> out;
    for (const QString &s : csv.split(','))
        out << s.toFloat();
    return out;
}

struct Fixture {
    FakeDialogs dialogs;
    FileOps files;
    AppState state{dialogs, files};
    Fixture(int count = 10)
    {
        state.messages.Create(61);
        state.messages.Set(59, "M59");
        state.messages.Set(60, "M60");
        state.messages.Set(61, "M61");
        state.SizeAttachments(std::int16_t(count));
    }
};

}  // namespace

class TstMtlWriter : public QObject {
    Q_OBJECT
private slots:
    void attachLine_data();
    void attachLine();
    void attachLineIndexOutOfRange();
    void machineLines_data();
    void machineLines();
    void clearedTable();
    void fullTable();
    void sampleRoundTrip();
    void randomRoundTrip();
    void saveCreatesAndReplaces();
    void staleBackupRemoved();
    void folderMissing();
    void unencodableTouchesNothing_data();
    void unencodableTouchesNothing();
    void faults_data();
    void faults();
    void writeFailsHalfWay();
    void realFullDisk();

private:
    QTemporaryDir dir_;
};

void TstMtlWriter::attachLine_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("shapeType");
    QTest::addColumn<int>("shapeNumber");
    QTest::addColumn<QString>("widths");
    QTest::addColumn<QString>("heights");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    const QString w = "10,30,0,0,0", h = "20,40,0,0,0";
    QTest::newRow("two stages") << 1 << 1 << 1 << w << h << "" << "ATTACHMENT01 = SQUARE/10.,20.,30.,40.";
    QTest::newRow("shape number 2") << 1 << 1 << 2 << w << h << "" << "ATTACHMENT01 = SQUARE2/10.,20.,30.,40.";
    QTest::newRow("with name") << 1 << 1 << 1 << w << h << "ARM"
                               << "ATTACHMENT01 = SQUARE/10.,20.,30.,40.,ARM                 ";
    QTest::newRow("decreasing width ends the stages")
        << 1 << 1 << 1 << "30,20,0,0,0" << h << "" << "ATTACHMENT01 = SQUARE/30.,20.";
    QTest::newRow("equal widths go on") << 7 << 1 << 1 << "5,5,5,0,0" << "1,2,3,0,0" << ""
                                        << "ATTACHMENT07 = SQUARE/5.,1.,5.,2.,5.,3.";
    QTest::newRow("five zero stages") << 1 << 1 << 1 << "0,0,0,0,0" << "0,0,0,0,0" << ""
                                      << "ATTACHMENT01 = SQUARE/0.,0.,0.,0.,0.,0.,0.,0.,0.,0.";
    QTest::newRow("five stages and a name") << 2 << 1 << 1 << "1,2,3,4,5" << "6,7,8,9,10" << "X"
        << "ATTACHMENT02 = SQUARE/1.,6.,2.,7.,3.,8.,4.,9.,5.,10.,X                   ";
    QTest::newRow("fractions") << 1 << 1 << 1 << "12.5,0,0,0,0" << "0.25,0,0,0,0" << ""
                               << "ATTACHMENT01 = SQUARE/12.5,0.25";
    QTest::newRow("undefine") << 3 << 2 << 1 << w << h << "" << "ATTACHMENT03 = undefine/10.,20.,30.,40.";
    QTest::newRow("undefine with number") << 3 << 2 << 4 << w << h << "" << "ATTACHMENT03 = undefine4/10.,20.,30.,40.";
    QTest::newRow("three-digit number") << 123 << 1 << 1 << w << h << "" << "ATTACHMENT123 = SQUARE/10.,20.,30.,40.";
    QTest::newRow("number from 32767 up") << 40000 << 1 << 1 << w << h << "" << "ATTACHMENT40000 = SQUARE/10.,20.,30.,40.";
    QTest::newRow("blank name drops the last comma") << 1 << 1 << 1 << w << h << "    "
                                                     << "ATTACHMENT01 = SQUARE/10.,20.,30.,40.";
    QTest::newRow("japanese name") << 1 << 1 << 1 << w << h << QString::fromUtf8("アーム")
        << QString::fromUtf8("ATTACHMENT01 = SQUARE/10.,20.,30.,40.,アーム                 ");
    QTest::newRow("negative first width: no line") << 1 << 1 << 1 << "-1,0,0,0,0" << h << "" << "";
    QTest::newRow("no shape type: no line") << 1 << 0 << 1 << w << h << "" << "";
    QTest::newRow("shape type 3: no line") << 1 << 3 << 1 << w << h << "" << "";
    QTest::newRow("shape number 0: no line") << 1 << 1 << 0 << w << h << "" << "";
    QTest::newRow("free slot: no line") << 0 << 1 << 1 << w << h << "" << "";
}

void TstMtlWriter::attachLine()
{
    QFETCH(int, number);
    QFETCH(int, shapeType);
    QFETCH(int, shapeNumber);
    QFETCH(QString, widths);
    QFETCH(QString, heights);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    AttachmentSlots a(3);
    AttachmentRecord &r = a[1];
    r.Number = number;
    r.ShapeType = std::int16_t(shapeType);
    r.ShapeNumber = std::int16_t(shapeNumber);
    const QList<float> ws = Floats(widths), hs = Floats(heights);
    for (int k = 0; k < 5; ++k) {
        r.Width[std::size_t(k)] = ws[k];
        r.Height[std::size_t(k)] = hs[k];
    }
    r.AttachName = name;
    QCOMPARE(FormatAttachLine(a, 1), expected);
    QVERIFY(FormatAttachLine(a, 0).isEmpty());
}

void TstMtlWriter::attachLineIndexOutOfRange()
{
    AttachmentSlots a(2);
    for (auto &r : a) {
        r.Number = 1;
        r.ShapeType = 1;
        r.ShapeNumber = 1;
    }
    QVERIFY(!FormatAttachLine(a, 1).isEmpty());
    QVERIFY(FormatAttachLine(a, -1).isEmpty());
    QVERIFY(FormatAttachLine(a, 2).isEmpty());
    QVERIFY(FormatAttachLine(AttachmentSlots(), 0).isEmpty());
}

void TstMtlWriter::machineLines_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");  // the line after NAME, or "" for none

    QTest::newRow("stroke 500") << "stroke0" << 500.0 << "STROKE(X) = 500.";
    QTest::newRow("stroke Z 1234.5678") << "stroke2" << 1234.5678 << "STROKE(Z) = 1234.568";
    QTest::newRow("stroke negative: no line") << "stroke1" << -5.0 << "";
    QTest::newRow("time 0.5") << "time" << 0.5 << "TOOL CHANGE TIME = .5";
    QTest::newRow("time 5") << "time" << 5.0 << "TOOL CHANGE TIME = 5.";
    QTest::newRow("time 0: no line") << "time" << 0.0 << "";
    QTest::newRow("atc -1: no line") << "atc" << -1.0 << "";
    QTest::newRow("atc 0") << "atc" << 0.0 << "ATC TYPE = DIRECT";
    QTest::newRow("atc 2") << "atc" << 2.0 << "ATC TYPE = WAIT2";
    QTest::newRow("atc 3: no line") << "atc" << 3.0 << "";
    QTest::newRow("rapid Y") << "rapid1" << 36000.0 << "RAPID(Y) = 36000.";
    QTest::newRow("rapid acceleration X") << "rapidacc0" << 0.6 << "RAPID ACCELERATION(X) = 0.6";
    QTest::newRow("feed all") << "feedall" << 12000.0 << "MAXIMUM FEEDRATE = 12000.";
    QTest::newRow("feed Z") << "feed2" << 8000.0 << "MAXIMUM FEEDRATE(Z) = 8000.";
    QTest::newRow("acceleration Y") << "accel1" << 0.25 << "MAXIMUM ACCELERATION(Y) = 0.25";
    QTest::newRow("ini 3") << "ini" << 3.0 << "INI = ATTACHMENT03";
    QTest::newRow("ini 123") << "ini" << 123.0 << "INI = ATTACHMENT123";
    QTest::newRow("ini 0: no line") << "ini" << 0.0 << "";
    QTest::newRow("ini negative: no line") << "ini" << -4.0 << "";
}

void TstMtlWriter::machineLines()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(QString, expected);
    MachineTable t;
    const int axis = field.back().isDigit() ? field.back().digitValue() : 0;
    const QString base = field.back().isDigit() ? field.chopped(1) : field;
    const float v = float(value);
    if (base == "stroke") t.Stroke[axis] = v;
    else if (base == "time") t.ToolChangeTime = v;
    else if (base == "atc") t.AtcType = std::int16_t(value);
    else if (base == "rapid") t.RapidFeed[axis] = v;
    else if (base == "rapidacc") t.RapidAccel[axis] = v;
    else if (base == "feedall") t.MaxFeedAll = v;
    else if (base == "feed") t.MaxFeed[axis] = v;
    else if (base == "accel") t.MaxAccel[axis] = v;
    else if (base == "ini") t.IniAttachment = std::int32_t(value);
    else QFAIL("unknown field");
    t.MachineName = QStringLiteral("ABC");

    QStringList lines = MtlFileText(t, AttachmentSlots(2)).split("\r\n");
    QCOMPARE(lines.takeLast(), QString());  // the last line ends with CR LF too
    QCOMPARE(lines.value(2), QStringLiteral("NAME = ABC                 "));
    QCOMPARE(lines.mid(3).join('|'), expected);
}

void TstMtlWriter::clearedTable()
{
    MachineTable t;
    ClearMachineTable(t);
    AttachmentSlots a(3);
    QCOMPARE(MtlFileText(t, a), kTitle + "\r\n" + kMark + "\r\nNAME = " + QString(20, ' ') + "\r\n");
    QCOMPARE(kTitle.size(), 71);
    QCOMPARE(kMark.size(), 71);
}

void TstMtlWriter::fullTable()
{
    MachineTable t;
    t.MachineName = QStringLiteral("M");
    t.Stroke = {1, 2, 3};
    t.ToolChangeTime = 2.5f;
    t.AtcType = 1;
    t.RapidFeed = {4, 5, 6};
    t.RapidAccel = {0.5f, 0.25f, 0.125f};
    t.MaxFeedAll = 7;
    t.MaxFeed = {8, 9, 10};
    t.MaxAccel = {0.1f, 0.2f, 0.3f};
    t.AttachChangeCode = QStringLiteral("M60");
    t.AttachDesignCode = QStringLiteral("T");
    t.IniAttachment = 5;
    AttachmentSlots a(3);
    a[0].Number = 5;
    a[0].ShapeType = 1;
    a[0].ShapeNumber = 1;
    a[0].Width[0] = 1;
    a[0].Height[0] = 2;
    a[2] = a[0];
    a[2].Number = 9;
    const QStringList expected = {kTitle,
                                  kMark,
                                  "NAME = M                   ",
                                  "STROKE(X) = 1.",
                                  "STROKE(Y) = 2.",
                                  "STROKE(Z) = 3.",
                                  "TOOL CHANGE TIME = 2.5",
                                  "ATC TYPE = WAIT",
                                  "RAPID(X) = 4.",
                                  "RAPID(Y) = 5.",
                                  "RAPID(Z) = 6.",
                                  "RAPID ACCELERATION(X) = 0.5",
                                  "RAPID ACCELERATION(Y) = 0.25",
                                  "RAPID ACCELERATION(Z) = 0.125",
                                  "MAXIMUM FEEDRATE = 7.",
                                  "MAXIMUM FEEDRATE(X) = 8.",
                                  "MAXIMUM FEEDRATE(Y) = 9.",
                                  "MAXIMUM FEEDRATE(Z) = 10.",
                                  "MAXIMUM ACCELERATION(X) = 0.1",
                                  "MAXIMUM ACCELERATION(Y) = 0.2",
                                  "MAXIMUM ACCELERATION(Z) = 0.3",
                                  "ATTACH CHANGE CODE = M60",
                                  "ATTACH DESIGN CODE = T",
                                  "INI = ATTACHMENT05",
                                  "ATTACHMENT05 = SQUARE/1.,2.",
                                  "ATTACHMENT09 = SQUARE/1.,2."};
    QCOMPARE(MtlFileText(t, a), expected.join("\r\n") + "\r\n");
}

// The example file was written by the program: read and saved again it
// must come out byte for byte the same.
void TstMtlWriter::sampleRoundTrip()
{
    const QString sample = QStringLiteral(QM_SOURCE_DIR "/examples/sample.mtl");
    const QByteArray original = ReadAll(sample);
    Fixture fx;
    QVERIFY(ReadMtlFile(fx.state, sample));
    const QString copy = dir_.filePath("sample-copy.mtl");
    QVERIFY(WriteMtlFile(fx.state, copy));
    QCOMPARE(ReadAll(copy), original);
    QVERIFY(fx.dialogs.boxes.isEmpty());
}

// Random tables: written, read back and written again is byte-identical, and
// what is read back is what the writer's rounding promised.
void TstMtlWriter::randomRoundTrip()
{
    std::mt19937 rng(12345);
    auto uniform = [&rng](double lo, double hi) {
        return float(std::uniform_real_distribution<double>(lo, hi)(rng));
    };
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const QStringList words = {"VM5", QString::fromUtf8("立形マシニング"), QString::fromUtf8("表示ソフト"),
                               "A/B=C(X)", "HEAD 2", QString::fromUtf8("ｶﾅ")};
    const QString path = dir_.filePath("random.mtl");

    for (int round = 0; round < 300; ++round) {
        Fixture fx(1 + pick(12));
        MachineTable &t = fx.state.machineTable;
        t.MachineName = pick(4) ? words[pick(words.size())] : QString();
        auto value = [&]() { return pick(3) == 0 ? 0.0f : uniform(0, pick(2) ? 10 : 100000); };
        for (int axis = 0; axis < 3; ++axis) {
            t.Stroke[axis] = value();
            t.MaxFeed[axis] = value();
            t.MaxAccel[axis] = value();
            t.RapidFeed[axis] = value();
            t.RapidAccel[axis] = value();
        }
        t.ToolChangeTime = value();
        t.MaxFeedAll = value();
        t.AtcType = std::int16_t(pick(4) - 1);
        t.IniAttachment = pick(3) ? pick(100) : 0;
        t.AttachChangeCode = pick(2) ? words[pick(words.size())] : QString();
        t.AttachDesignCode = pick(2) ? "T" + QString::number(pick(9)) : QString();
        for (AttachmentRecord &r : fx.state.Attachments) {
            if (pick(4) == 0)
                continue;
            r.Number = 1 + pick(pick(2) ? 99 : 100000);
            r.ShapeType = std::int16_t(1 + pick(2));
            r.ShapeNumber = std::int16_t(1 + pick(3));
            float w = 0;
            const int stages = 1 + pick(5);
            for (int k = 0; k < stages; ++k) {
                w += uniform(0.001, 300);
                r.Width[std::size_t(k)] = w;
                r.Height[std::size_t(k)] = uniform(0, 300);
            }
            r.AttachName = pick(2) ? words[pick(words.size())] : QString();
        }
        SortAttachments(fx.state.Attachments);

        QVERIFY(WriteMtlFile(fx.state, path));
        const QByteArray first = ReadAll(path);
        const MachineTable written = t;
        const AttachmentSlots writtenSlots = fx.state.Attachments;

        Fixture back(int(fx.state.Attachments.size()));
        QVERIFY(ReadMtlFile(back.state, path));
        QVERIFY(WriteMtlFile(back.state, path));
        QCOMPARE(ReadAll(path), first);

        // Read back: values as the three-decimal text gives them.
        auto promised = [](float v) { return ParseSingle(FormatNumber(v, Pattern::Decimal), -1); };
        for (int axis = 0; axis < 3; ++axis) {
            QCOMPARE(back.state.machineTable.Stroke[axis], promised(written.Stroke[axis]));
            QCOMPARE(back.state.machineTable.RapidAccel[axis], promised(written.RapidAccel[axis]));
        }
        QCOMPARE(back.state.machineTable.MachineName.str(),
                 UpperSameLength(written.MachineName.str()));
        QCOMPARE(CountAttachments(back.state.Attachments), CountAttachments(writtenSlots));
        for (std::size_t i = 0; i < writtenSlots.size(); ++i) {
            QCOMPARE(back.state.Attachments[i].Number, writtenSlots[i].Number);
            QCOMPARE(back.state.Attachments[i].ShapeNumber, writtenSlots[i].ShapeNumber);
            QCOMPARE(back.state.Attachments[i].Width[0], promised(writtenSlots[i].Width[0]));
        }
        QVERIFY(back.dialogs.boxes.isEmpty());
    }
}

void TstMtlWriter::saveCreatesAndReplaces()
{
    Fixture fx;
    fx.state.machineTable.MachineName = QStringLiteral("NEW");
    const QString path = dir_.filePath("replace.mtl");
    QFile::remove(path);
    QVERIFY(WriteMtlFile(fx.state, path));  // a new file
    QVERIFY(Write(path, "OLD CONTENT\r\n"));
    QVERIFY(WriteMtlFile(fx.state, path));  // over an old one
    QByteArray expected;
    QVERIFY(EncodeCp932(MtlFileText(fx.state.machineTable, fx.state.Attachments), expected));
    QCOMPARE(ReadAll(path), expected);
    QVERIFY(!QFile::exists(path + "bak"));
    QVERIFY(fx.dialogs.boxes.isEmpty());

    // The replaced file keeps its own permissions, not the defaults of a new one.
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QVERIFY(QFile::setPermissions(path, ownerOnly));
    QVERIFY(WriteMtlFile(fx.state, path));
    QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), ownerOnly);
}

void TstMtlWriter::staleBackupRemoved()
{
    Fixture fx;
    const QString path = dir_.filePath("M1.MTL");
    QVERIFY(Write(path, "OLD\r\n"));
    QVERIFY(Write(path + "bak", "STALE\r\n"));
    QVERIFY(WriteMtlFile(fx.state, path));
    QVERIFY(!QFile::exists(dir_.filePath("M1.MTLbak")));
    QVERIFY(ReadAll(path).startsWith("#*"));
}

void TstMtlWriter::folderMissing()
{
    Fixture fx;
    const QString path = dir_.filePath("no-such-folder/m.mtl");
    QVERIFY(!WriteMtlFile(fx.state, path));
    QCOMPARE(fx.dialogs.texts(), QStringList({"M60"}));
    QCOMPARE(fx.dialogs.boxes[0].icon, MsgIcon::Exclamation);
    QVERIFY(!QFileInfo::exists(dir_.filePath("no-such-folder")));
}

void TstMtlWriter::unencodableTouchesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::newRow("emoji in the name") << QString::fromUtf8("VM\U0001F600") << "";
    QTest::newRow("accented letter in a code") << "VM5" << QString::fromUtf8("é");
    QTest::newRow("undecodable byte read as U+FFFD") << QString(QChar(0xFFFD)) << "";
}

void TstMtlWriter::unencodableTouchesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, code);
    Fixture fx;
    fx.state.machineTable.MachineName = name;
    fx.state.machineTable.AttachChangeCode = code;
    const QString path = dir_.filePath("enc.mtl");
    QVERIFY(Write(path, "OLD\r\n"));
    QVERIFY(!WriteMtlFile(fx.state, path));
    QCOMPARE(fx.dialogs.texts(), QStringList({"M61"}));
    QCOMPARE(fx.files.Operations(), 0);
    QCOMPARE(ReadAll(path), QByteArray("OLD\r\n"));
    QVERIFY(!QFile::exists(path + "bak"));
}

void TstMtlWriter::faults_data()
{
    QTest::addColumn<bool>("oldFile");
    QTest::addColumn<bool>("stale");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<bool>("fromThenOn");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("file");    // old, new or none
    QTest::addColumn<QString>("backup");  // old, stale or none

    // With a stale backup the operations are: 1 folder check, 2 file check,
    // 3 backup check, 4 remove backup, 5 rename, 6 open, 7 write, 8 flush,
    // 9 commit, 10 remove backup.
    QTest::newRow("folder check fails") << true << true << 1 << false << false << "M60" << "old" << "stale";
    QTest::newRow("file check fails: saved without backup") << true << true << 2 << false << true << "" << "new" << "stale";
    QTest::newRow("backup check fails: rename refused") << true << true << 3 << false << false << "M61" << "old" << "stale";
    QTest::newRow("stale backup cannot be deleted") << true << true << 4 << false << false << "M61" << "old" << "stale";
    QTest::newRow("rename fails") << true << true << 5 << false << false << "M61" << "old" << "none";
    QTest::newRow("open fails") << true << true << 6 << false << false << "M61" << "old" << "none";
    QTest::newRow("write fails") << true << true << 7 << false << false << "M61" << "old" << "none";
    QTest::newRow("flush fails") << true << true << 8 << false << false << "M61" << "old" << "none";
    QTest::newRow("commit fails") << true << true << 9 << false << false << "M61" << "old" << "none";
    QTest::newRow("backup removal fails after saving") << true << true << 10 << false << true << "" << "new" << "old";
    QTest::newRow("everything fails from the rename on") << true << true << 5 << true << false << "M61" << "old" << "none";
    QTest::newRow("everything fails from the write on: backup kept")
        << true << true << 7 << true << false << "M61+path" << "none" << "old";
    // Without a stale backup: 3 backup check, 4 rename, 5 open, 6 write, 7 flush, 8 commit.
    QTest::newRow("no stale: rename fails") << true << false << 4 << false << false << "M61" << "old" << "none";
    QTest::newRow("no stale: write fails") << true << false << 6 << false << false << "M61" << "old" << "none";
    QTest::newRow("no stale: commit fails") << true << false << 8 << false << false << "M61" << "old" << "none";
    QTest::newRow("no stale: commit fails, restore fails")
        << true << false << 8 << true << false << "M61+path" << "none" << "old";
    QTest::newRow("no stale: every operation works") << true << false << 0 << false << true << "" << "new" << "none";
    // A new file: 2 file check, 3 open, 4 write, 5 flush, 6 commit.
    QTest::newRow("new file: open fails") << false << false << 3 << false << false << "M61" << "none" << "none";
    QTest::newRow("new file: write fails") << false << false << 4 << false << false << "M61" << "none" << "none";
    QTest::newRow("new file: commit fails") << false << false << 6 << true << false << "M61" << "none" << "none";
}

void TstMtlWriter::faults()
{
    QFETCH(bool, oldFile);
    QFETCH(bool, stale);
    QFETCH(int, failAt);
    QFETCH(bool, fromThenOn);
    QFETCH(bool, saved);
    QFETCH(QString, message);
    QFETCH(QString, file);
    QFETCH(QString, backup);

    QTemporaryDir dir;
    const QString path = dir.filePath("fault.mtl");
    const QByteArray oldBytes = "NAME = OLD\r\n", staleBytes = "STALE\r\n";
    if (oldFile)
        QVERIFY(Write(path, oldBytes));
    if (stale)
        QVERIFY(Write(path + "bak", staleBytes));

    Fixture fx;
    fx.state.machineTable.MachineName = QStringLiteral("NEW");
    QByteArray newBytes;
    QVERIFY(EncodeCp932(MtlFileText(fx.state.machineTable, fx.state.Attachments), newBytes));
    fx.files.FailAt(failAt, fromThenOn);
    QCOMPARE(WriteMtlFile(fx.state, path), saved);

    const QString backupPath = QFileInfo(path + "bak").absoluteFilePath();
    const QStringList expectedMessages =
        message.isEmpty() ? QStringList()
        : message == "M61+path" ? QStringList({"M61\n" + QDir::toNativeSeparators(backupPath)})
                                : QStringList({message});
    QCOMPARE(fx.dialogs.texts(), expectedMessages);

    const QMap<QString, QByteArray> contents = {
        {"old", oldBytes}, {"new", newBytes}, {"stale", staleBytes}, {"none", "<missing>"}};
    QCOMPARE(ReadAll(path), contents[file]);
    QCOMPARE(ReadAll(path + "bak"), contents[backup]);

    // No temporary file of the atomic write is left behind.
    QStringList expectedEntries;
    if (file != "none")
        expectedEntries << "fault.mtl";
    if (backup != "none")
        expectedEntries << "fault.mtlbak";
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), expectedEntries);
}

// A file big enough to be written in several pieces; the second piece fails.
void TstMtlWriter::writeFailsHalfWay()
{
    Fixture fx(300);
    for (int i = 0; i < 300; ++i) {
        AttachmentRecord &r = fx.state.Attachments[std::size_t(i)];
        r.Number = i + 1;
        r.ShapeType = 1;
        r.ShapeNumber = 1;
        r.Width = {10, 20, 30, 40, 50};
        r.Height = {1, 2, 3, 4, 5};
        r.AttachName = QStringLiteral("HEAD");
    }
    QByteArray bytes;
    QVERIFY(EncodeCp932(MtlFileText(fx.state.machineTable, fx.state.Attachments), bytes));
    QVERIFY(bytes.size() > 8192);

    QTemporaryDir dir;
    const QString path = dir.filePath("big.mtl");
    const QByteArray oldBytes(20000, 'x');
    QVERIFY(Write(path, oldBytes));
    // 1 folder, 2 file, 3 backup check, 4 rename, 5 open, 6 first piece, 7 second piece.
    fx.files.FailAt(7);
    QVERIFY(!WriteMtlFile(fx.state, path));
    QCOMPARE(fx.dialogs.texts(), QStringList({"M61"}));
    QCOMPARE(ReadAll(path), oldBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"big.mtl"}));

    fx.files.ClearFaults();
    QVERIFY(WriteMtlFile(fx.state, path));
    QCOMPARE(ReadAll(path), bytes);
}

// A real full disk: a 16 KiB tmpfs. Skipped where mounting is not allowed.
void TstMtlWriter::realFullDisk()
{
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("small");
    QVERIFY(QDir().mkpath(mountPoint));
    QProcess mount;
    mount.start("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", mountPoint});
    if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
        mount.exitCode() != 0)
        QSKIP("mounting a tmpfs is not allowed here");
    auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mountPoint}); });

    const QString path = mountPoint + "/full.mtl";
    const QByteArray oldBytes = "NAME = OLD\r\nSTROKE(X) = 1.\r\n";
    QVERIFY(Write(path, oldBytes));

    Fixture fx(1000);
    for (int i = 0; i < 1000; ++i) {
        AttachmentRecord &r = fx.state.Attachments[std::size_t(i)];
        r.Number = i + 1;
        r.ShapeType = 1;
        r.ShapeNumber = 1;
        r.Width = {10, 20, 30, 40, 50};
        r.AttachName = QStringLiteral("A HEAD THAT FILLS IT");
    }
    QVERIFY(!WriteMtlFile(fx.state, path));
    QCOMPARE(fx.dialogs.texts(), QStringList({"M61"}));
    QCOMPARE(ReadAll(path), oldBytes);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList({"full.mtl"}));

    // A small table still fits and replaces it.
    Fixture small;
    small.state.machineTable.MachineName = QStringLiteral("SMALL");
    QVERIFY(WriteMtlFile(small.state, path));
    QVERIFY(ReadAll(path).contains("NAME = SMALL"));
    QVERIFY(!QFile::exists(path + "bak"));
}

QTEST_GUILESS_MAIN(TstMtlWriter)
#include "tst_mtlwriter.moc"
