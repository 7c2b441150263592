// The model: numbers and tokens, the slot order, the MTL reader and writer.
#include "TestFiles.h"
#include "model/LineDiff.h"
#include "model/MtlFile.h"
#include "model/Numbers.h"
#include "model/SlotOrder.h"
#include "model/Tokens.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <tuple>
#include <utility>

namespace {

QString Show(double v) { return std::isnan(v) ? "refused" : QString::number(v, 'g', 17); }
template <typename T> QString Show(const std::optional<T> &v) { return v ? Show(double(*v)) : "refused"; }

struct State {  // a table of n slots, and its file calls
    PosixFileLayer files;
    MachineTable t;
    AttachmentSlots a;
    explicit State(int n) : a(std::size_t(n)) { }
    SaveResult Write(const QString &path) { return WriteMtlFile(files, path, t, a); }
    LoadResult Read(const QString &path) { return ReadMtlFile(path, int(a.size()), t, a); }
};

const QStringList kFindings{"Unrecognised", "BadNumber", "Overflow", "NotNumeric", "ShapeNotKept", "Changed", "Dropped",
                            "Superseded", "Rounded", "NotHeld", "Comment"};
struct Recorder : MtlFindingSink {
    QStringList kinds;
    void Found(int, MtlFinding k, const QString &) override { kinds << kFindings[int(k)]; }
};

// Every field that is set as "key=value", then the slots as "att=number|type|shape|WxH,...|name",
// a wholly cleared one as "-" (none after the last used one).
QString Dump(const MachineTable &t, const AttachmentSlots &a)
{
    QStringList out;
    auto say = [&out](const QString &key, const QString &v) { if (!v.isEmpty()) out << key + "=" + v; };
    auto put = [&say](const QString &key, double v) { say(key, v ? QString::number(v) : QString()); };
    say("name", t.MachineName.str().trimmed());
    say("change", t.AttachChangeCode);
    say("design", t.AttachDesignCode);
    const std::pair<QString, AxisValues> axes[] = {{"stroke", t.Stroke}, {"feed", t.MaxFeed}, {"accel", t.MaxAccel}, {"rapid", t.RapidFeed}, {"raccel", t.RapidAccel}};
    for (const auto &[key, values] : axes)
        for (std::size_t i = 0; i < 3; ++i) put(key + AxisNames[i], values[i]);
    put("time", t.ToolChangeTime);
    put("feedall", t.MaxFeedAll);
    put("ini", t.IniAttachment);
    say("atc", t.AtcType == -1 ? QString() : QString::number(t.AtcType));
    QStringList held;
    for (const AttachmentRecord &r : a) {
        QStringList stages;
        for (std::size_t k = 0; k < 5; ++k) stages << QString("%1x%2").arg(r.Width[k]).arg(r.Height[k]);
        while (stages.endsWith("0x0")) stages.removeLast();
        const QString att = QString("%1|%2|%3|%4|%5").arg(r.Number).arg(r.ShapeType).arg(r.ShapeNumber).arg(stages.join(','), r.AttachName.str().trimmed());
        held << (att == "0|0|0||" ? "-" : "att=" + att);
    }
    while (held.endsWith("-")) held.removeLast();
    return (out << held).join(' ');
}

const QStringList kProblems{"saved", "not an MTL file", "too large", "no machine line", "no folder", "not saved"};
QString Said(const SaveResult &r) { return kProblems[int(r.problem)] + ": " + r.reason + r.unheld; }

struct NumberCase {
    QString text;
    double value, single, int32, int16;
};
struct FormatCase {
    double value;
    NumberPattern pattern;
    QString text;
};
struct LineCase {
    QString text;
    bool recognised;
    QString dump = {}, findings = {}, written = {};
};
// name: "written>opened" or both; content "@big": over the size limit; after: the table after, "": nothing loads.
struct LoadCase {
    QString name;
    QByteArray content;
    FileProblem problem;
    QString after;
};

}  // namespace

class TstModel : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    // What is numeric, and its value as a Single and rounded (half to even) to 32 and 16 bits; nan: refused.
    void numbers_data()
    {
        QTest::addColumn<NumberCase>("c");
        const double no = NAN, fmax = FLT_MAX, nearInf = 0x1.ffffffp+127;
        QList<NumberCase> rows{
            {"-12.", -12, -12, -12, -12}, {"+.5", .5, .5, 0, 0}, {"25e-1", 2.5, 2.5, 2, 2}, {"1.5E3", 1500, 1500, 1500, 1500}, {" \t13.5\t ", 13.5, 13.5, 14, 14}, {"-2.5", -2.5, -2.5, -2, -2}, {"2.5000001", 2.5000001, 2.5000001f, 3, 3}, {"1e-400", 0, 0, 0, 0}, {QString(400, '0') + "1", 1, 1, 1, 1}, {"32767", 32767, 32767, 32767, 32767}, {"32767.5", 32767.5, 32767.5, 32768, no}, {"-32768", -32768, -32768, -32768, -32768}, {"2147483647", INT32_MAX, 0x1p31, INT32_MAX, no}, {"2147483648", 0x1p31, 0x1p31, no, no}, {"-2147483648", INT32_MIN, -0x1p31, INT32_MIN, no}, {"-2147483649", -0x1p31 - 1, -0x1p31, no, no}, {"3.402823467e38", 3.402823467e38, fmax, no, no}, {"-3.402823467e38", -3.402823467e38, -fmax, no, no}, {"3.4028235677973366e38", nearInf, no, no, no}, {"1e39", 1e39, no, no, no}, {"-1e300", -1e300, no, no, no}, {"1.7976931348623157e308", DBL_MAX, no, no, no}};
        for (const QString &text : QStringList{"   ", ".", "-", "nan", "inf", "0x1A", "1,000", "1e", "1 000", "1e309",
                                               "9" + QString(400, '9'), "1e99999999999999999999", "１２"})
            rows.append({text, no, no, no, no});
        for (const NumberCase &c : rows) QTest::addRow("%s", qPrintable(c.text.left(24))) << c;
    }
    void numbers()
    {
        QFETCH(NumberCase, c);
        const std::optional<double> parsed = ParseNumeric(c.text);
        QCOMPARE(Show(parsed), Show(c.value));
        QCOMPARE(Show(parsed ? ToSingle(*parsed) : std::nullopt), Show(c.single));
        QCOMPARE(Show(parsed ? RoundToInt32(*parsed) : std::nullopt), Show(c.int32));
        QCOMPARE(Show(parsed ? RoundToInt16(*parsed) : std::nullopt), Show(c.int16));
        QCOMPARE(ParseSingle(c.text, -1), std::isnan(c.single) ? -1 : float(c.single));
    }
    void format_data()
    {
        QTest::addColumn<FormatCase>("c");
        auto row = [](double v, NumberPattern p, QString t) { QTest::newRow(qPrintable(t)) << FormatCase{v, p, t}; };
        // Singles: the shortest text, its decimals rounded half up at the third, whatever side of the
        // half the binary value lies. "####.###" is "######0.###" without a lone 0 before the point.
        const std::pair<float, const char *> singles[] = {
            {500, "500."}, {12.5, "12.5"}, {.25, "0.25"}, {0, "0."}, {5, "5."}, {.5, "0.5"}, {2.25, "2.25"}, {-2, "-2."}, {1.23456f, "1.235"}, {1234.5678f, "1234.568"}, {.1f, "0.1"}, {.0005f, "0.001"}, {2.0005f, "2.001"}, {3.0015f, "3.002"}, {7.0035f, "7.004"}, {.0625f, "0.063"}, {-.0005f, "-0.001"}, {131072.125f, "131072.12"}, {65535.999f, "65536."}, {99999.99f, "99999.99"}, {16777217.f, "16777216."}, {9.9996f, "10."}, {.0004f, "0."}, {-.0004f, "0."}, {-FLT_MAX, "-340282346638528859811704183484516925440."}, {NAN, "0."}};
        for (const auto &[v, text] : singles) row(v, Pattern::Decimal, text);
        for (const auto &[v, text] : singles)
            row(v, Pattern::DecimalNoLead, QString(text).replace(QRegularExpression("^(-?)0\\."), "\\1."));
        const NumberPattern two = Pattern::TwoDigits, digits = Pattern::Digits, whole = Pattern::Whole;
        for (const auto &[v, p, text] :
             {std::tuple{3., two, "03"}, {12., two, "12"}, {123., two, "123"}, {-3., two, "-03"}, {2., digits, "2"}, {15., digits, "15"}, {0., whole, "0"}, {-2., whole, "-2"}, {2147483647., whole, "2147483647"}, {0x1p60, whole, "1152921504606846976"}})
            row(v, p, text);
    }
    void format()
    {
        QFETCH(FormatCase, c);
        QCOMPARE(FormatNumber(c.value, c.pattern), c.text);
    }

    void texts()
    {
        for (const auto &[text, upper] : {std::pair{"name = abé", "NAME = ABÉ"}, {"straße", "STRAßE"}, {"`az{@AZ[ 09 stroke(x)", "`AZ{@AZ[ 09 STROKE(X)"}, {"\uFB01x", "\uFB01X"}, {"\U00010428", "\U00010400"}})
            QCOMPARE(UpperSameLength(text), upper);
        QCOMPARE(UpperSameLength(QString(QChar(0xD800)) + "a"), QString(QChar(0xD800)) + "A");
        // GetToken: "source|separator" gives "token|rest"; only spaces are trimmed.
        for (const auto &[in, out] : {std::pair{"NAME = ABC|=", "NAME|ABC"}, {"A = B = C|=", "A|B = C"}, {"=X|=", "|X"}, {"  STROKE  |=", "STROKE|"}, {"\tA\u3000, \tB\t |,", "\tA\u3000|\tB\t"}}) {
            QString source = QString(in).section('|', 0, 0), token = GetToken(source, QString(in).section('|', 1));
            QCOMPARE(token + "|" + source, out);
        }
    }

    // A diff, applied to the lines it was made from, gives the lines it was made to: random edits of
    // few distinct lines (many equal lines to align wrongly), and one past the limit of changed lines.
    void lineDiff()
    {
        auto patch = [](const QStringList &from, const QString &diff) {
            QStringList out, lines = diff.split('\n').mid(2);  // after the two names
            int next = 0;                                      // the next line of from to copy
            for (const QString &line : lines) {
                if (line.startsWith("@@")) {
                    const int start = line.section(' ', 1, 1).mid(1).section(',', 0, 0).toInt();
                    const int count = line.section(' ', 1, 1).section(',', 1).toInt();
                    for (const int to = count ? start - 1 : start; next < to;) out << from[next++];
                } else if (line.startsWith(' ') || line.startsWith('-')) {
                    if (from.value(next++) != line.mid(1)) return QStringList{"context differs: " + line};
                    if (line.startsWith(' ')) out << line.mid(1);
                } else if (line.startsWith('+')) {
                    out << line.mid(1);
                }
            }
            return out + from.mid(next);
        };
        std::mt19937 rng(3);
        auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        for (int round = 0; round < 400; ++round) {
            const int size = round < 399 ? pick(40) : 3000;
            QStringList from, to;
            for (int i = 0; i < size; ++i) from << QString::number(pick(round < 399 ? 4 : 100000));
            for (const QString &line : from)
                if (const int edit = pick(6); edit > 0) to << (edit == 1 ? "x" : line) + (edit == 2 ? "\n" : "");
            to = to.join("").split('\n');  // some lines joined, some split
            QCOMPARE(patch(from, UnifiedDiff(from, to, "a", "b")), to);
        }
        QCOMPARE(UnifiedDiff({"a", "b"}, {"a", "b"}, "a", "b"), QString());
        QCOMPARE(UnifiedDiff({"1", "2", "3", "4", "5"}, {"1", "2", "3", "4", "X", "5"}, "old", "new"),
                 "--- old\n+++ new\n@@ -2,4 +2,5 @@\n 2\n 3\n 4\n+X\n 5\n");
        // Changes six equal lines apart share one hunk; seven apart make two that share no line.
        QStringList lines;
        for (int i = 1; i <= 20; ++i)
            lines << QString::number(i);
        QStringList six = lines, seven = lines;
        six[4] = six[11] = seven[4] = seven[12] = "x";
        QCOMPARE(UnifiedDiff(lines, six, "a", "b").count("@@ -"), 1);
        QCOMPARE(UnifiedDiff(lines, seven, "a", "b"), "--- a\n+++ b\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+x\n 6\n 7\n 8\n"
                                                   "@@ -10,7 +10,7 @@\n 10\n 11\n 12\n-13\n+x\n 14\n 15\n 16\n");
    }

    // Random tables with many equal numbers, large enough that an unstable sort would
    // reorder them: the complete records in stable order, then wholly cleared slots.
    void slotOrder()
    {
        std::mt19937 rng(7);
        auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        for (int round = 0; round < 600; ++round) {
            AttachmentSlots a(std::size_t(1 + round % 200)), kept;
            const int top = std::array{8, 40000, INT32_MAX}[round % 3];
            for (AttachmentRecord &r : a) {
                const int kind = pick(0, 9);  // 0 free, 1 deleted, 2 and 3 incomplete
                if (kind) r = {kind == 1 ? 0 : pick(-5, top), qint16(kind == 3 ? 0 : pick(1, 9)), qint16(kind == 2 ? 0 : pick(1, 2)), {float(&r - a.data())}, {0, 0, 0, 0, 1}, QString("N")};
                if (kind > 3 && r.Number > 0) kept.push_back(r);
            }
            std::stable_sort(kept.begin(), kept.end(), [](auto &x, auto &y) { return x.Number < y.Number; });
            QCOMPARE(CountAttachments(a), int(kept.size()));
            SortAttachments(a);
            kept.resize(a.size());
            QCOMPARE(Dump(MachineTable(), a), Dump(MachineTable(), kept));
        }
        const AttachmentSlots a{{4, 0, 0, {}, {}, {}}, {9, 0, 0, {}, {}, {}}, {9, 0, 0, {}, {}, {}}, {}, {}};
        const QList<int> found{FindAttachment(a, 9), FindAttachment(a, 0), FindAttachment(a, 5),
                               FindAttachment(AttachmentSlots(2, a[0]), 0)};
        QCOMPARE(found, QList<int>({1, 3, -1, -1}));  // 9: the first of equal numbers, 0: the first free slot
    }

    // A line alone: what is read, what the checker is told, and the lines after NAME that saving writes.
    void line_data()
    {
        QTest::addColumn<LineCase>("c");
        const QString a1 = "ATTACHMENT01 = ", sq = "ATTACHMENT01 = SQUARE/", pad17(17, ' ');
        const LineCase rows[] = {
            {"name = straße", 1, "name=STRAßE"},
            {"NAME = ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1, "name=ABCDEFGHIJKLMNOPQRST", "Changed"},
            {"NAME(X) = A", 0, "", "Unrecognised"},
            {"STROKE(W) = 500", 0, "", "Unrecognised"},
            {"STROKE = 500", 0, "", "Unrecognised"},
            {"STROKE(X) = 1\nSTROKE(X) = 2", 1, "strokeX=2", "Superseded", "STROKE(X) = 2."},
            {"STROKE(X) = -5", 1, "", "Changed"},
            {"STROKE ( x ) = 500", 1, "strokeX=500", "", "STROKE(X) = 500."},
            {"stroke(z = 1234.5678", 1, "strokeZ=1234.57", "Rounded", "STROKE(Z) = 1234.568"},
            {"RAPID(Y) = 36000", 1, "rapidY=36000", "", "RAPID(Y) = 36000."},
            {"rapid acceleration(z) = .5", 1, "raccelZ=0.5", "", "RAPID ACCELERATION(Z) = 0.5"},
            {"MAXIMUM FEEDRATE = 800", 1, "feedall=800", "", "MAXIMUM FEEDRATE = 800."},
            {"MAXIMUM FEEDRATE(Z) = 800", 1, "feedZ=800", "", "MAXIMUM FEEDRATE(Z) = 800."},
            {"maximum acceleration(x) = 0.3", 1, "accelX=0.3", "", "MAXIMUM ACCELERATION(X) = 0.3"},
            {"TOOL CHANGE TIME = .5", 1, "time=0.5", "", "TOOL CHANGE TIME = .5"},
            {"TOOL CHANGE TIME = fast", 1, "", "NotNumeric"},
            {"TOOL CHANGE TIME = 1e39", 1, "", "NotNumeric"},
            // Saving keeps three decimals: told when the written text reads back as another value.
            {"TOOL CHANGE TIME = 2.0005", 1, "time=2.0005", "Rounded", "TOOL CHANGE TIME = 2.001"},
            {"STROKE(Y) = 0.0004", 1, "strokeY=0.0004", "Rounded", "STROKE(Y) = 0."},
            {"STROKE(Y) = 0.001", 1, "strokeY=0.001", "", "STROKE(Y) = 0.001"},
            {"STROKE(Y) = 1e20", 1, "strokeY=1e+20", "NotHeld", "STROKE(Y) = 100000002004087734272."},
            // Told too when the text written is another number than the file's: a Single holds about seven digits.
            {"RAPID(X) = 36000.001", 1, "rapidX=36000", "NotHeld", "RAPID(X) = 36000."},
            {"STROKE(Y) = 16777217", 1, "strokeY=1.67772e+07", "NotHeld", "STROKE(Y) = 16777216."},
            {"STROKE(X) = 20000.003", 1, "strokeX=20000", "NotHeld", "STROKE(X) = 20000.004"},
            {"STROKE(X) = 0.1", 1, "strokeX=0.1", "", "STROKE(X) = 0.1"},
            {"ini = attachment 7", 1, "ini=7", "", "INI = ATTACHMENT07"},
            {"INI = 3", 0, "", "Unrecognised"},
            {"INI = ATTACHMENT2.5", 1, "ini=2", "Rounded", "INI = ATTACHMENT02"},
            {"INI = ATTACHMENT99999999999", 1, "", "NotNumeric"},
            {"ATC TYPE = WAIT 2", 1, "", "Changed"},
            {"ATC TYPE = wait2", 1, "atc=2", "", "ATC TYPE = WAIT2"},
            {"ATC TYPE = direct", 1, "atc=0", "", "ATC TYPE = DIRECT"},
            {"attach change code = m60", 1, "change=M60", "", "ATTACH CHANGE CODE = M60"},
            {"ATTACH DESIGN CODE = T = 1", 1, "design=T = 1", "", "ATTACH DESIGN CODE = T = 1"},
            {"# NAME = X", 0},
            // Saving writes its own two header lines where the file's first two "#" lines were; any other is lost.
            {"# one\n# two\n# three", 0, "", "Comment"},
            {"NAME = A\n# a note", 1, "name=A", "Comment"},
            {"      ", 0},
            {"  # NAME = X", 0, "", "Unrecognised"},
            {"\tNAME = X", 0, "", "Unrecognised"},
            {"ATTACHMENT01(X) = SQUARE/1,2", 0, "", "Unrecognised"},
            // Attachment lines: alone they load nothing, but fill slot 0.
            {a1 + "SQUARE/10,20,0,0,ARM", 0, "att=1|1|1|10x20|ARM", "", sq + "10.,20.,ARM" + pad17},
            {a1 + "SQUARE/10,20,0,,,ARM", 0, "att=1|1|1|10x20|ARM", "", sq + "10.,20.,ARM" + pad17},
            {a1 + "SQUARE/10,20,123", 0, "att=1|1|1|10x20,123x0|", "", sq + "10.,20.,123.,0."},
            {a1 + "SQUARE/1,2,3,4,5,6,7,8,9,10,11,12", 0, "att=1|1|1|1x2,3x4,5x6,7x8,9x10|", "Dropped",
             sq + "1.,2.,3.,4.,5.,6.,7.,8.,9.,10."},
            {a1 + "SQUARE/5,1,5,2,5,3", 0, "att=1|1|1|5x1,5x2,5x3|", "", sq + "5.,1.,5.,2.,5.,3."},
            {a1 + "SQUARE", 0, "att=1|1|1||", "", sq + "0.,0.,0.,0.,0.,0.,0.,0.,0.,0."},
            {"ATTACHMENT 40000 = SQUARE/1,2", 0, "att=40000|1|1|1x2|", "", "ATTACHMENT40000 = SQUARE/1.,2."},
            {a1 + "SQUARE2/10,20", 0, "att=1|1|2|10x20|", "", "ATTACHMENT01 = SQUARE2/10.,20."},
            {"ATTACHMENT3 = undefine4/10,20", 0, "att=3|2|4|10x20|", "", "ATTACHMENT03 = undefine4/10.,20."},
            {a1 + "CIRCLE/10,20", 0, "att=1|0|0|10x20|", "ShapeNotKept"},
            {a1 + "SQUARE0/1,2", 0, "att=1|0|0|1x2|", "ShapeNotKept"},
            {a1 + "SQUARE40000/1,2", 0, "att=1|0|0|1x2|", "ShapeNotKept"},
            {a1 + "SQUARE4294967297/1,2", 0, "att=1|0|0|1x2|", "ShapeNotKept"},
            {a1 + "SQUARE 2/1,2", 0, "att=1|0|0|1x2|", "ShapeNotKept"},
            {a1 + "SQUARE/10,abc,30,40", 0, "att=1|1|1|10x0,30x40|", "NotNumeric", sq + "10.,0.,30.,40."},
            {a1 + "SQUARE/10,20,abc,40", 0, "att=1|1|1|10x20|", "NotNumeric,Dropped", sq + "10.,20."},
            {a1 + "SQUARE/30,10,20,10", 0, "att=1|1|1|30x10,20x10|", "Dropped", sq + "30.,10."},
            {a1 + "SQUARE/-5,10", 0, "att=1|1|1|-5x10|", "Dropped"},
            {a1 + "SQUARE/1,2,A NAME LONGER THAN TWENTY", 0, "att=1|1|1|1x2|A NAME LONGER THAN T", "Changed",
             sq + "1.,2.,A NAME LONGER THAN T"},
            {a1 + "SQUARE/10,20,nan", 0, "att=1|1|1|10x20|NAN", "", sq + "10.,20.,NAN" + pad17},
            {a1 + "SQUARE/10.0005,20,30,40.1234", 0, "att=1|1|1|10.0005x20,30x40.1234|", "Rounded",
             sq + "10.001,20.,30.,40.123"},
            {"ATTACHMENT1.5 = SQUARE/10,20", 0, "att=2|1|1|10x20|", "Rounded", "ATTACHMENT02 = SQUARE/10.,20."},
            {a1 + "SQUARE/16777217,10", 0, "att=1|1|1|1.67772e+07x10|", "NotHeld", sq + "16777216.,10."},
            {"ATTACHMENT0 = SQUARE/1,2", 0, "", "BadNumber"},
            {"ATTACHMENT0.7 = SQUARE/1,2", 0, "", "BadNumber"},
            {"ATTACHMENT = SQUARE/1,2", 0, "", "BadNumber"},
            {"ATTACHMENT99999999999 = SQUARE/1,2", 0, "", "BadNumber"},
            // A long line is cut item by item; only the last item is kept beyond the stages.
            {a1 + "SQUARE/1,2," + QString("3,").repeated(100000) + "ARM", 0, "att=1|1|1|1x2,3x3,3x3,3x3,3x3|ARM",
             "Dropped", sq + "1.,2.,3.,3.,3.,3.,3.,3.,3.,3.,ARM" + pad17}};
        for (const LineCase &r : rows) QTest::addRow("%s", qPrintable(r.text.left(40).replace('\n', '|'))) << r;
    }
    void line()
    {
        QFETCH(LineCase, c);
        Recorder recorder;
        for (MtlFindingSink *sink : std::array<MtlFindingSink *, 2>{&recorder, nullptr}) {  // the editor passes no sink
            MachineTable t;
            AttachmentSlots a;
            QCOMPARE(ParseMtlLines(c.text.split('\n'), 5, t, a, sink), c.recognised);
            QCOMPARE(Dump(t, a), c.dump);
            QCOMPARE(MtlFileText(t, a).split("\r\n").mid(3).join(""), c.written);
        }
        QCOMPARE(recorder.kinds.join(','), c.findings);
    }

    // Whole files into three slots whose last holds a left-over record (9, incomplete).
    void load_data()
    {
        QTest::addColumn<LoadCase>("c");
        using P = FileProblem;
        auto row = [](const char *name, P problem, const QByteArray &content, const QString &after) {
            QTest::addRow("%s %s", name, content.left(24).simplified().toPercentEncoding(" =#/()@").constData())
                << LoadCase{name, content, problem, after};
        };
        for (const char *name : {"m3.Mtl", "dir.with.dots/m4.mtl"}) row(name, P::None, "NAME = X\r\n", "name=X");
        for (const char *name : {"m7.txt", "m9.mtl.bak", "m10.mtlx", "d.mtl/plain", "m11.mtl>nothere.mtl",
                                 "f.mtl/x.mtl>f.mtl", "m12.mtl>"})
            row(name, P::NotMtlFile, "NAME = X\r\n", "");
        row("big.mtl", P::TooLarge, "@big", "");
        // Any other content is read; without a machine line the table stays as it was, not even sorted, and the load says so.
        auto read = [&row](const QByteArray &content, const QString &after) {
            row("a.mtl", after.isEmpty() ? P::NoMachineLine : P::None, content, after);
        };
        read("# c\rNAME = A\nSTROKE(X) = 5", "name=A strokeX=5");
        // Two of these characters end in the byte 0x5C, the "\" of ASCII.
        read("NAME = \x95\x5c\x8e\xa6\x83\x5c\x83\x74\x83\x67 \xb6\xc5 vm5\r\n"
             "ATTACHMENT01 = SQUARE/1,2,\x83\x41\x83\x80\r\n",
             "name=表示ソフト ｶﾅ VM5 att=1|1|1|1x2|アム");
        read("NAME = S\r\nATTACHMENT12 = SQUARE/10,20,TWELVE\r\nATTACHMENT03 = CIRCLE/10,20,BAD\r\n"
             "ATTACHMENT3 = SQUARE/1,2,THREE\r\n",
             "name=S att=3|1|1|1x2|THREE att=12|1|1|10x20|TWELVE");
        read("NAME = C\r\nATTACHMENT4 = SQUARE/1,2\r\nATTACHMENT3 = SQUARE/1,2\r\nATTACHMENT2 = SQUARE/1,2\r\n"
             "ATTACHMENT1 = SQUARE/1,2\r\n",
             "name=C att=2|1|1|1x2| att=3|1|1|1x2| att=4|1|1|1x2|");
        read("ATTACHMENT01 = SQUARE/10,20\r\nATTACHMENT02 = SQUARE/10,20\r\n", "");
        for (const QByteArray &junk : QByteArrayList{"INI = 3\r\n", {}, QByteArray("\x81\x00\xff\xfe\r\r\n\x80", 8)})
            read(junk, "");
    }
    void load()
    {
        QFETCH(LoadCase, c);
        const QString file = dir_.filePath(c.name.section('>', 0, 0)), open = c.name.section('>', -1);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()) && WriteBytes(file, c.content));
        if (c.content == "@big") QVERIFY(QFile::resize(file, kMaxMtlFileBytes + 1));
        State st(3);
        st.t.MachineName = QStringLiteral("KEEP");
        st.a[2] = {9, 0, 1, {}, {}, QString()};
        const LoadResult result = st.Read(open.isEmpty() ? QString() : dir_.filePath(open));
        QCOMPARE(result.loaded, !c.after.isEmpty());
        QCOMPARE(result.problem, c.problem);
        QCOMPARE(Dump(st.t, st.a), c.after.isEmpty() ? "name=KEEP - - att=9|1|0||" : c.after);
    }

    // What is negative or out of range writes no line, nor do records that are not complete.
    void writerLeavesOut()
    {
        MachineTable t;
        t.Stroke[1] = t.ToolChangeTime = t.RapidAccel[2] = t.MaxFeedAll = -5;
        t.AtcType = 3;
        t.IniAttachment = -3;
        const AttachmentSlots a{{1, 1, 0, {10}, {20}, {}}, {1, 1, 3, {10}, {20}, {}},  // shape type 0 and 3,
                                {1, 0, 1, {10}, {20}, {}},
                                {0, 1, 1, {10}, {20}, {}}};            // shape number 0, number 0
        QCOMPARE(MtlFileText(t, a), MtlFileText(MachineTable(), {}));  // the title, mark and NAME lines only
        QVERIFY(FormatAttachLine(a, -1).isEmpty() && FormatAttachLine(a, 4).isEmpty());
    }

    // Random tables: write, read and write again gives the same bytes (the example: see mtlcheck --print).
    void roundTrips()
    {
        const QString path = dir_.filePath("trip.mtl"), again = dir_.filePath("again.mtl");
        std::mt19937 rng(12345);
        auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        auto uniform = [&rng](double lo, double hi) { return float(std::uniform_real_distribution(lo, hi)(rng)); };
        // From 0.001 up: a value below 0.0005 is written "0." and the next save drops the line.
        auto value = [&] { return pick(3) ? uniform(0.001, pick(2) ? 10 : 100000) : 0.0f; };
        auto word = [&] { return QStringList{"VM5", "立形マシニング", "表示ソフト", "A/B=C(X)", "HEAD 2", "ｶﾅ", ""}[pick(7)]; };
        for (int round = 0; round < 300; ++round) {
            State st(1 + pick(12));
            MachineTable &t = st.t;
            for (AxisValues *axis : {&t.Stroke, &t.MaxFeed, &t.MaxAccel, &t.RapidFeed, &t.RapidAccel})
                for (float &v : *axis) v = value();
            for (float *v : {&t.ToolChangeTime, &t.MaxFeedAll}) *v = value();
            for (QString *text : {&t.AttachChangeCode, &t.AttachDesignCode}) *text = word();
            t.MachineName = word();
            t.AtcType = std::int16_t(pick(4) - 1);
            t.IniAttachment = pick(3) ? pick(100) : 0;
            for (AttachmentRecord &r : st.a) {
                if (pick(4) == 0) continue;
                r = {1 + pick(pick(2) ? 99 : 100000), qint16(1 + pick(3)), qint16(1 + pick(2)), {}, {}, word()};
                const std::size_t stages = 1 + pick(5);
                for (std::size_t k = 0; k < stages; ++k) r.Width[k] = (k ? r.Width[k - 1] : 0) + uniform(0.001, 300);
                for (std::size_t k = 0; k < stages; ++k) r.Height[k] = uniform(0, 300);
            }
            SortAttachments(st.a);
            State back(int(st.a.size()));
            QVERIFY(st.Write(path).Saved() && back.Read(path).loaded);
            QVERIFY(back.Write(again).Saved());
            QCOMPARE(ReadBytes(again), ReadBytes(path));
            QByteArray text;  // the bytes saved are the text, encoded
            QVERIFY(EncodeCp932(MtlFileText(st.t, st.a), text) && text == ReadBytes(path));
        }
    }

    // The changed-on-disk check: the same bytes are the same file whenever written; any other bytes are not.
    void fingerprint()
    {
        const QString path = dir_.filePath("fp.mtl");
        const QByteArray bytes = "NAME = A\r\n";
        for (const auto &[now, same] : {std::pair{bytes, true}, {"NAME = B\r\n", false}, {bytes + " ", false}, {"NAME = \r\n", false}, {"<missing>", false}})
            QVERIFY2((now == "<missing>" ? QFile::remove(path) : WriteBytes(path, now)) && SameContent(path, ContentHash(bytes)) == same, now.constData());
    }

    // Refusals leave the disk alone: no folder, a text windows-31j cannot hold, and a real full
    // disk (a 16 KiB tmpfs, where mounting is allowed), after which a small table still fits.
    void refusals()
    {
        QTemporaryDir small;  // unmounted before it is removed
        const QString mount = small.path(), path = mount + "/m.mtl";
        const bool mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", mount}) == 0;
        auto unmount = qScopeGuard([&] { if (mounted) QProcess::execute("umount", {mount}); });
        QVERIFY(WriteBytes(path, "OLD"));
        State st(1);
        auto save = [&st](const QString &name) { return Said(st.Write(name)); };
        QCOMPARE(save(dir_.filePath("none/m.mtl")).section(':', 0, 0), "no folder");
        st.a[0] = {1, 1, 1, {10}, {20}, QString(QChar(0xFFFD))};
        QCOMPARE(save(path), "not saved: \uFFFD");  // the character named
        st.a.assign(1000, {1, 1, 1, {10, 20, 30, 40, 50}, {1, 2, 3, 4, 5}, QString(20, 'A')});
        if (mounted) QCOMPARE(save(path), "not saved: " + QString::fromLocal8Bit(std::strerror(ENOSPC)));  // the OS's reason
        QVERIFY(!QFileInfo::exists(dir_.filePath("none")));
        QCOMPARE(QDir(mount).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"m.mtl"});
        QCOMPARE(ReadBytes(path), "OLD");
        st.a.assign(1, AttachmentRecord());
        QCOMPARE(save(path), "saved: ");
        QCOMPARE(ReadBytes(path), MtlFileText(st.t, st.a).toLatin1());
        if (!mounted) QSKIP("mounting a tmpfs is not allowed here, so no full disk was tried");
    }
};

QTEST_GUILESS_MAIN(TstModel)
#include "tst_model.moc"
