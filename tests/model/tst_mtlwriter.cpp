// The MTL writer: line layouts, round trips, and the save protocol under
// injected and real faults.
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "FakeDialogs.h"
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
    PosixFileLayer files;
    AppState state{files};
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

// The save fails with message 61 and the OS's reason and leaves the old file
// alone; after mend() it succeeds.
void FailsThenFits(const QString &path, const QByteArray &oldBytes, Fixture &fx, const std::function<void()> &mend)
{
    const QStringList only{QFileInfo(path).fileName()};
    const SaveResult failed = WriteMtlFile(fx.state, path);
    QCOMPARE(failed.message, 61);
    QVERIFY(!failed.reason.isEmpty());
    QCOMPARE(ReadAll(path), oldBytes);
    QCOMPARE(Entries(QFileInfo(path).path()), only);
    mend();
    QVERIFY(WriteMtlFile(fx.state, path).Saved());
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
    void refusals();
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
    QVERIFY(ReadMtlFile(fx.state, sample).loaded);
    const QString copy = dir_.filePath("sample-copy.mtl");
    QVERIFY(WriteMtlFile(fx.state, copy).Saved());
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

        QVERIFY(WriteMtlFile(fx.state, path).Saved());
        const QByteArray first = ReadAll(path);
        Fixture back(int(fx.state.Attachments.size()));
        QVERIFY(ReadMtlFile(back.state, path).loaded);
        QVERIFY(WriteMtlFile(back.state, path).Saved());
        QCOMPARE(ReadAll(path), first);
        QVERIFY(back.dialogs.boxes.isEmpty());
        for (std::size_t axis = 0; axis < 3; ++axis)
            QCOMPARE(back.state.machineTable.Stroke[axis], promised(t.Stroke[axis]));
        for (std::size_t i = 0; i < fx.state.Attachments.size(); ++i)
            QCOMPARE(back.state.Attachments[i].Width[0], promised(fx.state.Attachments[i].Width[0]));
    }
}

// Refusals that leave the disk alone: no folder, a text windows-31j cannot hold.
void TstMtlWriter::refusals()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("m.mtl");
    QVERIFY(Write(path, "OLD"));
    Fixture fx;
    QCOMPARE(WriteMtlFile(fx.state, dir.filePath("none/m.mtl")).message, 60);
    fx.state.machineTable.MachineName = QString(QChar(0xFFFD));
    QCOMPARE(WriteMtlFile(fx.state, path).message, 61);
    QCOMPARE(Entries(dir.path()), QStringList{"m.mtl"});
    QCOMPARE(ReadAll(path), QByteArray("OLD"));
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
