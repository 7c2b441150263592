// The MTL reader: every kind of line, what the checker is told, and the
// all-or-nothing load of whole files.
#include "model/MtlFile.h"
#include "FakeDialogs.h"

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
        static const char *names[] = {"UnrecognisedLine", "BadAttachmentNumber", "AttachmentOverflow",
                                      "NotNumeric", "ShapeNotKept", "ValueChanged", "ItemsDropped",
                                      "Superseded", "ValueRounded"};
        kinds << QString::fromLatin1(names[int(kind)]);
        lineNumbers << lineNumber;
    }
};

QString Num(float v) { return QString::number(double(v)); }

// Fields by short name ("stroke0" is Stroke[X]); a comma list gives a comma list.
QString Field(const QString &names, const MachineTable &t, const AttachmentSlots &a)
{
    QStringList out;
    for (const QString &name : names.split(',')) {
        if (name.startsWith("stroke")) out << Num(t.Stroke[std::size_t(name.back().digitValue())]);
        else if (name == "name") out << t.MachineName.str();
        else if (name == "atc") out << QString::number(t.AtcType);
        else if (name == "time") out << Num(t.ToolChangeTime);
        else if (name == "ini") out << QString::number(t.IniAttachment);
        else if (name == "design") out << t.AttachDesignCode;
        else if (name == "att") {
            // "number|type|shapeNumber|WxH stages up to the last non-zero one|name"
            const AttachmentRecord &r = a.at(0);
            QStringList stages;
            for (std::size_t k = 0; k < 5; ++k)
                stages << Num(r.Width[k]) + "x" + Num(r.Height[k]);
            while (!stages.isEmpty() && stages.last() == "0x0")
                stages.removeLast();
            out << QStringLiteral("%1|%2|%3|%4|%5").arg(r.Number).arg(r.ShapeType).arg(r.ShapeNumber)
                       .arg(stages.join(','), r.AttachName.str().trimmed());
        } else out << "?field";
    }
    return out.join(',');
}

QString Pad20(const QString &s) { return s.leftJustified(20, ' '); }

struct Fixture {
    FakeDialogs dialogs;
    PosixFileLayer files;
    AppState state{files};
    explicit Fixture(int count)
    {
        state.messages.Create(61);
        state.messages.Set(59, "M59");
        state.SizeAttachments(std::int16_t(count));
    }
};

}  // namespace

class TstMtlReader : public QObject {
    Q_OBJECT
private slots:
    void line_data();
    void line();
    void findingsNameTheirLines();
    void load_data();
    void load();

private:
    QString WriteFile(const QString &name, const QByteArray &bytes);
    QTemporaryDir dir_;
};

QString TstMtlReader::WriteFile(const QString &name, const QByteArray &bytes)
{
    QFile f(dir_.filePath(name));
    QDir().mkpath(QFileInfo(f).absolutePath());
    const bool ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
    return ok ? f.fileName() : QString();
}

void TstMtlReader::line_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("recognised");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("findings");

    const QString u = "UnrecognisedLine", nn = "NotNumeric", vc = "ValueChanged", vr = "ValueRounded",
                  blank = Pad20("");
    // Machine lines.
    QTest::newRow("name upper-cased") << "name = abc" << true << "name" << Pad20("ABC") << "";
    QTest::newRow("name cut to 20")
        << "NAME = ABCDEFGHIJKLMNOPQRSTUVWXYZ" << true << "name" << "ABCDEFGHIJKLMNOPQRST" << vc;
    QTest::newRow("name with an axis") << "NAME(X) = A" << false << "name" << blank << u;
    QTest::newRow("stroke with spaced axis") << "STROKE ( x ) = 500" << true << "stroke0" << "500" << "";
    QTest::newRow("closing parenthesis not needed") << "stroke(z = 12.5" << true << "stroke2" << "12.5" << "";
    QTest::newRow("stroke unknown axis") << "STROKE(W) = 500" << false << "stroke0" << "0" << u;
    QTest::newRow("stroke without axis") << "STROKE = 500" << false << "stroke0" << "0" << u;
    QTest::newRow("stroke negative") << "STROKE(X) = -5" << true << "stroke0" << "0" << vc;
    QTest::newRow("time not numeric still recognised") << "TOOL CHANGE TIME = fast" << true << "time" << "0" << nn;
    QTest::newRow("time leading point") << "TOOL CHANGE TIME = .5" << true << "time" << "0.5" << "";
    // Saving writes three decimals: told when the written text reads back as another value.
    QTest::newRow("time saved as 2.001") << "TOOL CHANGE TIME = 2.0005" << true << "time" << "2.0005" << vr;
    QTest::newRow("stroke saved as 0.") << "STROKE(Y) = 0.0004" << true << "stroke1" << "0.0004" << vr;
    QTest::newRow("three decimals kept") << "STROKE(Y) = 0.001" << true << "stroke1" << "0.001" << "";
    QTest::newRow("1e20 kept") << "STROKE(Y) = 1e20" << true << "stroke1" << "1e+20" << "";
    QTest::newRow("time beyond a Single") << "TOOL CHANGE TIME = 1e39" << true << "time" << "0" << nn;
    QTest::newRow("time nan") << "TOOL CHANGE TIME = nan" << true << "time" << "0" << nn;
    QTest::newRow("ini lower case, spaced") << "ini = attachment 7" << true << "ini" << "7" << "";
    QTest::newRow("ini rounds half to even") << "INI = ATTACHMENT2.5" << true << "ini" << "2" << vr;
    QTest::newRow("ini without ATTACHMENT") << "INI = 3" << false << "ini" << "0" << u;
    QTest::newRow("ini beyond 32 bits") << "INI = ATTACHMENT99999999999" << true << "ini" << "0" << nn;
    QTest::newRow("atc lower case") << "ATC TYPE = wait2" << true << "atc" << "2" << "";
    QTest::newRow("atc unknown word") << "ATC TYPE = WAIT 2" << true << "atc" << "-1" << vc;
    QTest::newRow("design code keeps later =") << "ATTACH DESIGN CODE = T = 1" << true << "design" << "T = 1" << "";

    // Lines that are skipped or refused.
    QTest::newRow("comment") << "# NAME = X" << false << "name" << blank << "";
    QTest::newRow("spaces before # is no comment") << "  # NAME = X" << false << "name" << blank << u;
    QTest::newRow("blank") << "      " << false << "name" << blank << "";
    QTest::newRow("tab is not a blank") << "\tNAME = X" << false << "name" << blank << u;
    QTest::newRow("unknown keyword") << "SPINDLE = 3" << false << "name" << blank << u;

    // Attachment lines: alone they load nothing, but fill the first slot ("0|0|0||": none used).
    const QString a1 = "ATTACHMENT01 = ", bad = "BadAttachmentNumber";
    auto att = [](const char *row, const QString &text, const QString &value, const QString &findings) {
        QTest::newRow(row) << text << false << "att" << value << findings;
    };
    att("zero width ends the stages", a1 + "SQUARE/10,20,0,0,ARM", "1|1|1|10x20|ARM", "");
    att("width without height", a1 + "SQUARE/10,20,30", "1|1|1|10x20,30x0|", "");
    att("numeric last item is no name", a1 + "SQUARE/10,20,123", "1|1|1|10x20,123x0|", "");
    att("six stages keep five",
        a1 + "SQUARE/1,2,3,4,5,6,7,8,9,10,11,12", "1|1|1|1x2,3x4,5x6,7x8,9x10|", "ItemsDropped");
    att("number from 32767 up", "ATTACHMENT 40000 = SQUARE/1,2", "40000|1|1|1x2|", "");
    att("unknown shape", a1 + "CIRCLE/10,20", "1|0|0|10x20|", "ShapeNotKept");
    att("shape number 0", a1 + "SQUARE0/10,20", "1|0|0|10x20|", "ShapeNotKept");
    att("shape number beyond 16 bits", a1 + "SQUARE40000/1,2", "1|0|0|1x2|", "ShapeNotKept");
    att("shape with blank and number", a1 + "SQUARE 2/1,2", "1|0|0|1x2|", "ShapeNotKept");
    att("no slash", a1 + "SQUARE", "1|1|1||", "");
    att("word in a height position", a1 + "SQUARE/10,abc,30,40", "1|1|1|10x0,30x40|", nn);
    att("word in a width position ends the stages",
        a1 + "SQUARE/10,20,abc,40,NAME", "1|1|1|10x20|NAME", "NotNumeric,ItemsDropped");
    att("decreasing width is kept but not written",
        a1 + "SQUARE/30,10,20,10", "1|1|1|30x10,20x10|", "ItemsDropped");
    att("negative first width", a1 + "SQUARE/-5,10", "1|1|1|-5x10|", "ItemsDropped");
    att("long name cut", a1 + "SQUARE/10,20,A NAME LONGER THAN TWENTY", "1|1|1|10x20|A NAME LONGER THAN T", vc);
    att("nan is a name", a1 + "SQUARE/10,20,nan", "1|1|1|10x20|NAN", "");
    att("empty items", a1 + "SQUARE/10,20,0,,,ARM", "1|1|1|10x20|ARM", "");
    att("stages rounded, told once", a1 + "SQUARE/10.0005,20,30,40.1234", "1|1|1|10.0005x20,30x40.1234|",
        "ValueRounded");
    att("number rounded", "ATTACHMENT1.5 = SQUARE/10,20", "2|1|1|10x20|", "ValueRounded");
    att("number 0", "ATTACHMENT0 = SQUARE/10,20", "0|0|0||", bad);
    att("fraction below 1", "ATTACHMENT0.7 = SQUARE/10,20", "0|0|0||", bad);
    att("no number", "ATTACHMENT = SQUARE/10,20", "0|0|0||", bad);
    att("beyond 32 bits", "ATTACHMENT99999999999 = SQUARE/1,2", "0|0|0||", bad);
    att("with an axis", "ATTACHMENT01(X) = SQUARE/1,2", "0|0|0||", u);
}

void TstMtlReader::line()
{
    QFETCH(QString, text);
    QFETCH(bool, recognised);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, findings);

    MachineTable table, table2;
    AttachmentSlots attachments, attachments2;
    Recorder sink;
    QCOMPARE(ParseMtlLines({text}, 5, table, attachments, &sink), recognised);
    QCOMPARE(int(attachments.size()), 5);
    QCOMPARE(Field(field, table, attachments), value);
    QCOMPARE(sink.kinds.join(','), findings);
    // The editor passes no sink and must get the same table.
    QCOMPARE(ParseMtlLines({text}, 5, table2, attachments2), recognised);
    QCOMPARE(MtlFileText(table2, attachments2), MtlFileText(table, attachments));
}

// Each finding names its line, counting comments and blanks; a repeated key keeps the last value.
void TstMtlReader::findingsNameTheirLines()
{
    const QString path = WriteFile("lines.mtl", "# comment\r\n\r\nSTROKE(X) = 1\r\nNAME = M\r\nBOGUS = 1\r\n"
                                                "STROKE(Y) = 5\r\nSTROKE(X) = 2\r\nATTACHMENT00 = SQUARE/1,2\r\n"
                                                "ATTACHMENT01 = SQUARE/1,2\r\nATTACHMENT02 = SQUARE/1,2\r\n"
                                                "stroke(x) = 3\r\n");
    Fixture fx(1);
    Recorder sink;
    QVERIFY(ReadMtlFile(fx.state, path, &sink).loaded);
    QStringList found;
    for (int i = 0; i < sink.kinds.size(); ++i)
        found << QString::number(sink.lineNumbers[i]) + " " + sink.kinds[i];
    found.sort();  // by line; the order they are told in is free
    QCOMPARE(found, QStringList({"10 AttachmentOverflow", "3 Superseded", "5 UnrecognisedLine",
                                 "7 Superseded", "8 BadAttachmentNumber"}));
    QCOMPARE(Field("stroke0,stroke1", fx.state.machineTable, fx.state.Attachments), QStringLiteral("3,5"));
    QCOMPARE(fx.state.Attachments.at(0).Number, 1);
}

// Whole files into three slots that hold a left-over record (9, incomplete)
// in the last one. The summary is "name|stroke X|slots as number+name".
void TstMtlReader::load_data()
{
    QTest::addColumn<QString>("create");  // written in the temporary folder; "@mem": a link to
                                          // /proc/self/mem; "@big": a file over the size limit
    QTest::addColumn<QString>("open");    // handed to the reader
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<int>("message");

    const QString kept = "KEEP|0|0,0,9";
    // Files refused or loaded for their name and kind, with message 59 when refused.
    auto named = [&](const char *row, const QString &create, const QString &open, bool loads) {
        QTest::newRow(row) << create << open << QByteArray("NAME = X\r\n") << loads << (loads ? "X|0|0,0,0" : kept)
                           << (loads ? 0 : 59);
    };
    named("mixed case", "m3.Mtl", "m3.Mtl", true);
    named("folder with a dot", "dir.with.dots/m4.mtl", "dir.with.dots/m4.mtl", true);
    named("other extension", "m7.txt", "m7.txt", false);
    named("mtl not last", "m9.mtl.bak", "m9.mtl.bak", false);
    named("longer extension", "m10.mtlx", "m10.mtlx", false);
    named("dot only in the folder", "d.mtl/plain", "d.mtl/plain", false);
    named("missing file", "m11.mtl", "nothere.mtl", false);
    named("a folder named .mtl", "f.mtl/x.mtl", "f.mtl", false);
    named("empty name", "m12.mtl", "", false);
    named("unreadable", "@mem", "mem.mtl", false);  // root reads any file: this one fails every read
    QTest::newRow("too large") << "@big" << "big.mtl" << QByteArray() << false << kept << 67;
    // Any other content is read silently; without a machine line the table stays as it was, not even sorted.
    auto file = [&](const char *row, const QByteArray &content, bool loads, const QString &summary) {
        QTest::newRow(row) << "load.mtl" << "load.mtl" << content << loads << summary << 0;
    };
    file("CR, LF, no final line end", "# c\rNAME = A\nSTROKE(X) = 5", true, "A|5|0,0,0");
    // Two of these characters end in the byte 0x5C, the "\" of ASCII.
    file("japanese",  // two of these characters end in the byte 0x5C, the "\\" of ASCII
         "NAME = \x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67 \xb6\xc5 vm5\r\nATTACHMENT01 = SQUARE/1,2,\x83\x41\x83\x80\r\n",
         true, QString::fromUtf8("表示ソフト ｶﾅ VM5|0|1アム,0,0"));
    file("sorted, incomplete dropped, rest cleared",
         "NAME = S\r\nATTACHMENT12 = SQUARE/10,20,TWELVE\r\nATTACHMENT03 = CIRCLE/10,20,BAD\r\n"
         "ATTACHMENT3 = SQUARE/1,2,THREE\r\n", true, "S|0|3THREE,12TWELVE,0");
    file("lines beyond the slots are dropped", "NAME = C\r\nATTACHMENT4 = SQUARE/1,2\r\nATTACHMENT3 = SQUARE/1,2\r\n"
         "ATTACHMENT2 = SQUARE/1,2\r\nATTACHMENT1 = SQUARE/1,2\r\n", true, "C|0|2,3,4");
    file("only attachment lines", "ATTACHMENT01 = SQUARE/10,20\r\nATTACHMENT02 = SQUARE/10,20\r\n", false, kept);
    file("only a refused INI line", "INI = 3\r\n", false, kept);
    file("empty file", QByteArray(), false, kept);
    file("binary junk", QByteArray("\x81\x00\xff\xfe\r\r\n\x80", 8), false, kept);
}

void TstMtlReader::load()
{
    QFETCH(QString, create);
    QFETCH(QString, open);
    QFETCH(QByteArray, content);
    QFETCH(bool, loads);
    QFETCH(QString, summary);
    QFETCH(int, message);
    if (create == "@mem") {
        if (!QFileInfo(QStringLiteral("/proc/self/mem")).isFile())
            QSKIP("no /proc/self/mem here");
        QFile::remove(dir_.filePath(open));
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), dir_.filePath(open)));
    } else if (create == "@big") {
        QFile big(dir_.filePath(open));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(kMaxMtlFileBytes + 1));
    } else {
        QVERIFY(!WriteFile(create, content).isEmpty());
    }
    const QString path = open.isEmpty() ? QString() : dir_.filePath(open);
    Fixture fx(3);
    AppState &s = fx.state;
    s.machineTable.MachineName = QStringLiteral("KEEP");
    s.Attachments[2].Number = 9;
    s.Attachments[2].ShapeType = 1;
    const QString before = MtlFileText(s.machineTable, s.Attachments);

    const LoadResult result = ReadMtlFile(s, path);
    QCOMPARE(result.loaded, loads);
    QCOMPARE(result.message, message);
    QStringList held;
    for (const AttachmentRecord &r : s.Attachments)
        held << QString::number(r.Number) + r.AttachName.str().trimmed();
    QCOMPARE(int(s.Attachments.size()), 3);
    QCOMPARE(s.machineTable.MachineName.str().trimmed() + "|" + Num(s.machineTable.Stroke[0]) + "|" +
                 held.join(','),
             summary);
    if (!loads)
        QCOMPARE(MtlFileText(s.machineTable, s.Attachments), before);
}

QTEST_GUILESS_MAIN(TstMtlReader)
#include "tst_mtlreader.moc"
