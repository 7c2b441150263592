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

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

struct Fixture {
    FakeDialogs dialogs;
    FileOps files;
    AppState state{dialogs, files};
    explicit Fixture(int count = 10)
    {
        state.messages.Create(61);
        state.messages.Set(59, "M59");
        state.messages.Set(60, "M60");
        state.messages.Set(61, "M61");
        state.SizeAttachments(std::int16_t(count));
    }
    QByteArray Bytes() const
    {
        QByteArray bytes;
        return EncodeCp932(MtlFileText(state.machineTable, state.Attachments), bytes) ? bytes : "<unencodable>";
    }
    // Every slot a complete five-stage record.
    void Fill(const QString &name)
    {
        for (std::size_t i = 0; i < state.Attachments.size(); ++i) {
            AttachmentRecord &r = state.Attachments[i];
            r.Number = int(i) + 1;
            r.ShapeType = r.ShapeNumber = 1;
            r.Width = {10, 20, 30, 40, 50};
            r.Height = {1, 2, 3, 4, 5};
            r.AttachName = name;
        }
    }
};

// The save fails with message 61 and leaves the old file alone; after mend() it succeeds.
void FailsThenFits(const QString &path, const QByteArray &oldBytes, Fixture &fx, const std::function<void()> &mend)
{
    const QStringList only{QFileInfo(path).fileName()};
    QVERIFY(!WriteMtlFile(fx.state, path));
    QCOMPARE(fx.dialogs.texts(), QStringList({"M61"}));
    QCOMPARE(ReadAll(path), oldBytes);
    QCOMPARE(Entries(QFileInfo(path).path()), only);
    mend();
    QVERIFY(WriteMtlFile(fx.state, path));
    QCOMPARE(ReadAll(path), fx.Bytes());
    QCOMPARE(Entries(QFileInfo(path).path()), only);
}

}  // namespace

class TstMtlWriter : public QObject {
    Q_OBJECT
private slots:
    void attachLine_data();
    void attachLine();
    void machineLines_data();
    void machineLines();
    void sampleRoundTrip();
    void randomRoundTrip();
    void permissionsKept();
    void faults_data();
    void faults();
    void writeFailsHalfWay();
    void realFullDisk();

private:
    QTemporaryDir dir_;
};

void TstMtlWriter::attachLine_data()
{
    QTest::addColumn<QString>("record");  // "number|shapeType|shapeNumber|WxH,WxH...|name"
    QTest::addColumn<QString>("expected");

    QTest::newRow("shape number 2") << "1|1|2|10x20,30x40|" << "ATTACHMENT01 = SQUARE2/10.,20.,30.,40.";
    QTest::newRow("blank name drops the last comma") << "1|1|1|10x20|    " << "ATTACHMENT01 = SQUARE/10.,20.";
    QTest::newRow("decreasing width ends the stages") << "1|1|1|30x20,20x40|" << "ATTACHMENT01 = SQUARE/30.,20.";
    QTest::newRow("equal widths go on") << "7|1|1|5x1,5x2,5x3|" << "ATTACHMENT07 = SQUARE/5.,1.,5.,2.,5.,3.";
    QTest::newRow("five zero stages") << "1|1|1||" << "ATTACHMENT01 = SQUARE/0.,0.,0.,0.,0.,0.,0.,0.,0.,0.";
    QTest::newRow("undefine with number") << "3|2|4|10x20|" << "ATTACHMENT03 = undefine4/10.,20.";
    QTest::newRow("number from 32767 up") << "40000|1|1|10x20|" << "ATTACHMENT40000 = SQUARE/10.,20.";
    QTest::newRow("negative first width: no line") << "1|1|1|-1x20|" << "";
    QTest::newRow("no shape type: no line") << "1|0|1|10x20|" << "";
    QTest::newRow("shape type 3: no line") << "1|3|1|10x20|" << "";
    QTest::newRow("shape number 0: no line") << "1|1|0|10x20|" << "";
    QTest::newRow("free slot: no line") << "0|1|1|10x20|" << "";
}

void TstMtlWriter::attachLine()
{
    QFETCH(QString, record);
    QFETCH(QString, expected);
    AttachmentSlots a(2);
    AttachmentRecord &r = a[1];
    const QStringList f = record.split('|');
    r.Number = f[0].toInt();
    r.ShapeType = std::int16_t(f[1].toInt());
    r.ShapeNumber = std::int16_t(f[2].toInt());
    const QStringList stages = f[3].split(',', Qt::SkipEmptyParts);
    for (int k = 0; k < stages.size(); ++k) {
        r.Width[std::size_t(k)] = stages[k].section('x', 0, 0).toFloat();
        r.Height[std::size_t(k)] = stages[k].section('x', 1, 1).toFloat();
    }
    r.AttachName = f[4];
    QCOMPARE(FormatAttachLine(a, 1), expected);
    for (int outside : {0, -1, 2})  // a free slot, and indexes out of range
        QVERIFY(FormatAttachLine(a, outside).isEmpty());
}

void TstMtlWriter::machineLines_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");  // the line after NAME, or "" for none

    QTest::newRow("cleared table: no line") << "" << 0.0 << "";
    QTest::newRow("stroke 500") << "stroke0" << 500.0 << "STROKE(X) = 500.";
    QTest::newRow("stroke Z 1234.5678") << "stroke2" << 1234.5678 << "STROKE(Z) = 1234.568";
    QTest::newRow("stroke negative: no line") << "stroke1" << -5.0 << "";
    QTest::newRow("time 0.5") << "time" << 0.5 << "TOOL CHANGE TIME = .5";
    QTest::newRow("atc 0") << "atc" << 0.0 << "ATC TYPE = DIRECT";
    QTest::newRow("atc 2") << "atc" << 2.0 << "ATC TYPE = WAIT2";
    QTest::newRow("atc 3: no line") << "atc" << 3.0 << "";
    QTest::newRow("ini 3") << "ini" << 3.0 << "INI = ATTACHMENT03";
    QTest::newRow("ini 123") << "ini" << 123.0 << "INI = ATTACHMENT123";
}

void TstMtlWriter::machineLines()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(QString, expected);
    MachineTable t;
    ClearMachineTable(t);
    if (field.startsWith("stroke")) t.Stroke[std::size_t(field.back().digitValue())] = float(value);
    else if (field == "time") t.ToolChangeTime = float(value);
    else if (field == "atc") t.AtcType = std::int16_t(value);
    else if (field == "ini") t.IniAttachment = std::int32_t(value);

    const QString head = "#******************   MACHINE TABLE FOR MORVEX2000   ******************\r\n"
                         "#*********************   EDITED WITH Quillmark    *******Ver1.05*******\r\n"
                         "NAME = " + QString(20, ' ') + "\r\n";
    QCOMPARE(MtlFileText(t, AttachmentSlots(2)), head + (expected.isEmpty() ? "" : expected + "\r\n"));
}

// The example file was written by the program: every machine line in its
// order, names and attachments. Read and saved again it is byte for byte the same.
void TstMtlWriter::sampleRoundTrip()
{
    const QString sample = QStringLiteral(QM_SOURCE_DIR "/examples/sample.mtl");
    Fixture fx;
    QVERIFY(ReadMtlFile(fx.state, sample));
    const QString copy = dir_.filePath("sample-copy.mtl");
    QVERIFY(WriteMtlFile(fx.state, copy));
    QCOMPARE(ReadAll(copy), ReadAll(sample));
    QVERIFY(fx.dialogs.boxes.isEmpty());
}

// Random tables: written, read back and written again is byte-identical, and
// the values read back are exactly the Singles the written text gives.
void TstMtlWriter::randomRoundTrip()
{
    std::mt19937 rng(12345);
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto uniform = [&rng](double lo, double hi) { return float(std::uniform_real_distribution<double>(lo, hi)(rng)); };
    // From 0.001 up: a value below 0.0005 is written as "0." and the next save drops the line.
    auto value = [&]() { return pick(3) == 0 ? 0.0f : uniform(0.001, pick(2) ? 10 : 100000); };
    auto promised = [](float v) { return ParseSingle(FormatNumber(v, Pattern::Decimal), -1); };
    const QStringList words = {"VM5", QString::fromUtf8("立形マシニング"), QString::fromUtf8("表示ソフト"),
                               "A/B=C(X)", "HEAD 2", QString::fromUtf8("ｶﾅ"), QString()};
    const QString path = dir_.filePath("random.mtl");

    for (int round = 0; round < 300; ++round) {
        Fixture fx(1 + pick(12));
        MachineTable &t = fx.state.machineTable;
        for (AxisValues *axis : {&t.Stroke, &t.MaxFeed, &t.MaxAccel, &t.RapidFeed, &t.RapidAccel})
            for (float &v : *axis)
                v = value();
        t.ToolChangeTime = value();
        t.MaxFeedAll = value();
        t.MachineName = words[pick(words.size())];
        t.AtcType = std::int16_t(pick(4) - 1);
        t.IniAttachment = pick(3) ? pick(100) : 0;
        t.AttachChangeCode = words[pick(words.size())];
        t.AttachDesignCode = pick(2) ? "T" + QString::number(pick(9)) : QString();
        for (AttachmentRecord &r : fx.state.Attachments) {
            if (pick(4) == 0)
                continue;
            r.Number = 1 + pick(pick(2) ? 99 : 100000);
            r.ShapeType = std::int16_t(1 + pick(2));
            r.ShapeNumber = std::int16_t(1 + pick(3));
            float w = 0;
            for (int k = 0, stages = 1 + pick(5); k < stages; ++k) {
                r.Width[std::size_t(k)] = w += uniform(0.001, 300);
                r.Height[std::size_t(k)] = uniform(0, 300);
            }
            r.AttachName = words[pick(words.size())];
        }
        SortAttachments(fx.state.Attachments);

        QVERIFY(WriteMtlFile(fx.state, path));
        const QByteArray first = ReadAll(path);
        Fixture back(int(fx.state.Attachments.size()));
        QVERIFY(ReadMtlFile(back.state, path));
        QVERIFY(WriteMtlFile(back.state, path));
        QCOMPARE(ReadAll(path), first);
        QVERIFY(back.dialogs.boxes.isEmpty());
        for (std::size_t axis = 0; axis < 3; ++axis)
            QCOMPARE(back.state.machineTable.Stroke[axis], promised(t.Stroke[axis]));
        for (std::size_t i = 0; i < fx.state.Attachments.size(); ++i)
            QCOMPARE(back.state.Attachments[i].Width[0], promised(fx.state.Attachments[i].Width[0]));
    }
}

// A replaced file keeps its own permissions, not the defaults of a new one.
void TstMtlWriter::permissionsKept()
{
    Fixture fx;
    const QString path = dir_.filePath("perm.mtl");
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QVERIFY(Write(path, "OLD\r\n"));
    QVERIFY(QFile::setPermissions(path, ownerOnly));
    QVERIFY(WriteMtlFile(fx.state, path));
    QCOMPARE(ReadAll(path), fx.Bytes());
    QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), ownerOnly);
}

void TstMtlWriter::faults_data()
{
    QTest::addColumn<QString>("before");   // files there before: "old+stale", "old", "" or "no folder"
    QTest::addColumn<QString>("fail");     // operation that fails, "+": and every later one; "enc": unencodable name
    QTest::addColumn<QString>("message");  // "path": M61 naming the kept backup
    QTest::addColumn<QString>("file");     // after: old, new (saved) or none
    QTest::addColumn<QString>("backup");   // after: old, stale or none

    // With a stale backup the operations are: 1 folder check, 2 file check,
    // 3 backup check, 4 remove backup, 5 rename, 6 open, 7 write, 8 flush,
    // 9 commit, 10 remove backup.
    QTest::newRow("folder check fails") << "old+stale" << "1" << "M60" << "old" << "stale";
    QTest::newRow("file check fails: saved without backup") << "old+stale" << "2" << "" << "new" << "stale";
    QTest::newRow("backup check fails: rename refused") << "old+stale" << "3" << "M61" << "old" << "stale";
    QTest::newRow("stale backup cannot be deleted") << "old+stale" << "4" << "M61" << "old" << "stale";
    QTest::newRow("rename fails") << "old+stale" << "5" << "M61" << "old" << "none";
    QTest::newRow("write fails") << "old+stale" << "7" << "M61" << "old" << "none";
    QTest::newRow("commit fails") << "old+stale" << "9" << "M61" << "old" << "none";
    QTest::newRow("backup removal fails after saving") << "old+stale" << "10" << "" << "new" << "old";
    QTest::newRow("restore fails: backup kept and named") << "old+stale" << "7+" << "path" << "none" << "old";
    QTest::newRow("stale backup replaced, none left") << "old+stale" << "0" << "" << "new" << "none";
    // Without a stale backup: 3 backup check, 4 rename, 5 open, 6 write, 7 flush, 8 commit.
    QTest::newRow("no stale: commit and restore fail") << "old" << "8+" << "path" << "none" << "old";
    QTest::newRow("no stale: no backup left") << "old" << "0" << "" << "new" << "none";
    // A new file: 2 file check, 3 open, 4 write, 5 flush, 6 commit.
    QTest::newRow("new file: write fails") << "" << "4" << "M61" << "none" << "none";
    QTest::newRow("new file: commit fails") << "" << "6+" << "M61" << "none" << "none";
    QTest::newRow("new file: saved") << "" << "0" << "" << "new" << "none";
    QTest::newRow("folder missing") << "no folder" << "0" << "M60" << "none" << "none";
    // A character windows-31j cannot hold (read as U+FFFD) is refused before the disk is touched.
    QTest::newRow("unencodable name") << "old" << "enc" << "M61" << "old" << "none";
}

void TstMtlWriter::faults()
{
    QFETCH(QString, before);
    QFETCH(QString, fail);
    QFETCH(QString, message);
    QFETCH(QString, file);
    QFETCH(QString, backup);

    QTemporaryDir dir;
    const QString path = dir.filePath(before == "no folder" ? "no-such-folder/fault.mtl" : "fault.mtl");
    const QByteArray oldBytes = "NAME = OLD\r\n", staleBytes = "STALE\r\n";
    QVERIFY(!before.startsWith("old") || Write(path, oldBytes));
    QVERIFY(!before.endsWith("stale") || Write(path + "bak", staleBytes));

    Fixture fx;
    fx.state.machineTable.MachineName = fail == "enc" ? QString(QChar(0xFFFD)) : QStringLiteral("NEW");
    fx.files.FailAt(fail.chopped(fail.endsWith('+') ? 1 : 0).toInt(), fail.endsWith('+'));
    QCOMPARE(WriteMtlFile(fx.state, path), file == "new");
    if (fail == "enc")
        QCOMPARE(fx.files.Operations(), 0);
    for (const FakeDialogs::Box &box : fx.dialogs.boxes)
        QCOMPARE(box.icon, MsgIcon::Exclamation);

    const QString backupPath = QDir::toNativeSeparators(QFileInfo(path + "bak").absoluteFilePath());
    QCOMPARE(fx.dialogs.texts(), message.isEmpty()    ? QStringList()
                                 : message == "path" ? QStringList({"M61\n" + backupPath})
                                                     : QStringList({message}));
    const QMap<QString, QByteArray> contents = {
        {"old", oldBytes}, {"new", fx.Bytes()}, {"stale", staleBytes}, {"none", "<missing>"}};
    QCOMPARE(ReadAll(path), contents[file]);
    QCOMPARE(ReadAll(path + "bak"), contents[backup]);
    // No temporary file of the atomic write is left behind.
    QStringList expected;
    if (file != "none")
        expected << "fault.mtl";
    if (backup != "none")
        expected << "fault.mtlbak";
    QCOMPARE(Entries(dir.path()), expected);
}

// A file big enough to be written in several pieces; the second piece fails.
void TstMtlWriter::writeFailsHalfWay()
{
    Fixture fx(300);
    fx.Fill(QStringLiteral("HEAD"));
    QVERIFY(fx.Bytes().size() > 8192);
    QTemporaryDir dir;
    const QString path = dir.filePath("big.mtl");
    const QByteArray oldBytes(20000, 'x');
    QVERIFY(Write(path, oldBytes));
    // 1 folder, 2 file, 3 backup check, 4 rename, 5 open, 6 first piece, 7 second piece.
    fx.files.FailAt(7);
    FailsThenFits(path, oldBytes, fx, [&fx] { fx.files.ClearFaults(); });
}

// A real full disk: a 16 KiB tmpfs. Skipped where mounting is not allowed.
void TstMtlWriter::realFullDisk()
{
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("small");
    QVERIFY(QDir().mkpath(mountPoint));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", mountPoint}) != 0)
        QSKIP("mounting a tmpfs is not allowed here");
    auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mountPoint}); });

    const QString path = mountPoint + "/full.mtl";
    const QByteArray oldBytes = "NAME = OLD\r\nSTROKE(X) = 1.\r\n";
    QVERIFY(Write(path, oldBytes));
    Fixture fx(1000);
    fx.Fill(QStringLiteral("A HEAD THAT FILLS IT"));
    // A small table still fits and replaces it.
    FailsThenFits(path, oldBytes, fx, [&fx] { fx.state.SizeAttachments(1); });
}

QTEST_GUILESS_MAIN(TstMtlWriter)
#include "tst_mtlwriter.moc"
