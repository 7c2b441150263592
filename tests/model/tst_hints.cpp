// The plausibility hints: each rule on a file made for it, none on sensible machines, the record
// being edited, the rules turned off, and the texts.
#include "TestFiles.h"
#include "model/Hints.h"
#include "model/MtlFile.h"
#include "model/SlotOrder.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

namespace {

constexpr int kSlots = 20;

struct Loaded {
    MachineTable table;
    AttachmentSlots rows = AttachmentSlots(kSlots);
};
// Read as the program reads a file: parsed, then sorted by number.
Loaded Parse(const QByteArray &bytes)
{
    Loaded l;
    ParseMtlBytes(bytes, kSlots, l.table, l.rows);
    SortAttachments(l.rows);
    return l;
}
const QByteArray kSample = ReadBytes(QM_SOURCE_DIR "/examples/sample.mtl");

// "rule target <compared>: data|data": target is a value's key, "row N" or "edited [N]".
QString Describe(const Hint &h)
{
    QString target = h.edited ? "edited" : h.slot >= 0 ? "row"
                                                       : FieldKey(h.field);
    if (h.slot >= 0) target += " " + QString::number(h.slot);
    const QString compared = h.comparedWith ? " <" + FieldKey(*h.comparedWith) + ">" : QString();
    return HintRuleName(h.rule) + " " + target + compared + ": " + h.data.join('|');
}
QStringList Described(const std::vector<Hint> &hints)
{
    QStringList out;
    for (const Hint &h : hints) {
        out << Describe(h);
        if (h.message != HintMessage(h.rule)) out << "wrong message";
    }
    return out;
}

struct RuleCase {
    QByteArray added;  // lines after examples/sample.mtl: a later line sets its value again
    QStringList hints;
};
struct EditCase {
    int slot;    // the slot edited, -1: a new record
    int number;  // its number
    QStringList hints;
};
QMap<int, QString> MessageTexts(const QString &path)  // GSTR(n) = "text"
{
    QMap<int, QString> texts;
    const QRegularExpression entry(R"re(^GSTR\((\d+)\) = "(.*)"$)re");
    for (const QString &line : DecodeCp932(ReadBytes(path)).split("\r\n"))
        if (const auto m = entry.match(line); m.hasMatch()) texts[m.captured(1).toInt()] = m.captured(2);
    return texts;
}

}  // namespace

class TstHints : public QObject {
    Q_OBJECT

private slots:
    // Each rule on the file made for it: what it marks, what it compared with, the message's data.
    // The same with each rule turned off: that rule's hints go, the others stay.
    void rules_data()
    {
        QTest::addColumn<RuleCase>("c");
        const QString feedY = "MAXIMUM FEEDRATE(Y)";
        const QList<std::pair<const char *, RuleCase>> rows{
            {"sample.mtl", {"", {}}},
            {"rapid below feed", {"RAPID(X) = 3600.", {"rapid-below-feed RAPID(X) <MAXIMUM FEEDRATE(X)>: RAPID(X)|3600.|MAXIMUM FEEDRATE(X)|10000."}}},
            {"rapid equal to feed", {"RAPID(Z) = 8000", {}}},
            {"one zero too many: three rules, in the writer's order",
             {"MAXIMUM FEEDRATE(Y) = 100000.",
              {"rapid-below-feed RAPID(Y) <" + feedY + ">: RAPID(Y)|36000.|" + feedY + "|100000.",
               "feed-above-overall " + feedY + " <MAXIMUM FEEDRATE>: " + feedY + "|100000.|MAXIMUM FEEDRATE|12000.",
               "axis-outlier " + feedY + " <MAXIMUM FEEDRATE(X)>: " + feedY + "|100000.|MAXIMUM FEEDRATE(X)|10000.|MAXIMUM FEEDRATE(Z)|8000."}}},
            {"rapid acceleration below", {"RAPID ACCELERATION(Z) = 0.2", {"rapid-accel-below-accel RAPID ACCELERATION(Z) <MAXIMUM ACCELERATION(Z)>: RAPID ACCELERATION(Z)|0.2|MAXIMUM ACCELERATION(Z)|0.25"}}},
            {"two strokes not set: both marked, compared with the one set; no attachment is too tall for Z",
             {"STROKE(X) = 0\r\nSTROKE(Z) = 0\r\nATTACHMENT09 = SQUARE/100,900",
              {"axis-not-set STROKE(X) <STROKE(Y)>: STROKE(X)|STROKE(Y)|500.", "axis-not-set STROKE(Z) <STROKE(Y)>: STROKE(Z)|STROKE(Y)|500."}}},
            {"exactly a tenth", {"MAXIMUM FEEDRATE(Z) = 1000", {"axis-outlier MAXIMUM FEEDRATE(Z) <MAXIMUM FEEDRATE(X)>: MAXIMUM FEEDRATE(Z)|1000.|MAXIMUM FEEDRATE(X)|10000.|MAXIMUM FEEDRATE(Y)|10000."}}},
            {"just above a tenth", {"MAXIMUM FEEDRATE(Z) = 1001", {}}},
            {"no outlier beside an axis not set",
             {"RAPID ACCELERATION(Z) = 0\r\nRAPID ACCELERATION(X) = 6", {"axis-not-set RAPID ACCELERATION(Z) <RAPID ACCELERATION(X)>: RAPID ACCELERATION(Z)|RAPID ACCELERATION(X)|6."}}},
            {"a long bed's stroke is no outlier", {"STROKE(X) = 9000", {}}},
            {"stages taller than the Z stroke", {"ATTACHMENT09 = SQUARE/120,400,160,210,TALL", {"head-taller-than-z row 3 <STROKE(Z)>: ATTACHMENT09|610.|510."}}},
            {"a narrower stage does not count; as tall as the stroke is no hint",
             {"ATTACHMENT09 = SQUARE/120,400,100,210\r\nATTACHMENT10 = SQUARE/120,300,160,210", {}}},
            {"initial attachment not listed", {"INI = ATTACHMENT07", {"initial-not-listed INI: ATTACHMENT07"}}},
            {"initial attachment with no line of its own", {"INI = ATTACHMENT07\r\nATTACHMENT07 = SQUARE/-5,10", {"initial-not-listed INI: ATTACHMENT07"}}},
            {"one name, other outlines: every row of the group",
             {"ATTACHMENT06 = SQUARE/100,50,ARM\r\nATTACHMENT07 = SQUARE/100,60,ARM\r\nATTACHMENT08 = SQUARE/100,50,ARM\r\n"
              "ATTACHMENT09 = SQUARE/100,50,100,10,ARM",
              {"same-name-other-outline row 3: ATTACHMENT06|ARM|ATTACHMENT07", "same-name-other-outline row 4: ATTACHMENT07|ARM|ATTACHMENT06",
               "same-name-other-outline row 5: ATTACHMENT08|ARM|ATTACHMENT07", "same-name-other-outline row 6: ATTACHMENT09|ARM|ATTACHMENT06"}}},
            {"one name, the outline as written", {"ATTACHMENT06 = SQUARE/100.,50.,ARM\r\nATTACHMENT07 = SQUARE/100,50,90,10,ARM", {}}},
            {"same number, and the same name with another outline: both rows, row by row",
             {"ATTACHMENT06 = SQUARE/10,5,ARM\r\nATTACHMENT06 = SQUARE/20,5,ARM",
              {"same-name-other-outline row 3: ATTACHMENT06|ARM|ATTACHMENT06", "same-number row 3: ATTACHMENT06|2",
               "same-name-other-outline row 4: ATTACHMENT06|ARM|ATTACHMENT06", "same-number row 4: ATTACHMENT06|2"}}},
        };
        for (const auto &[name, c] : rows) QTest::newRow(name) << c;
    }
    void rules()
    {
        QFETCH(RuleCase, c);
        const Loaded l = Parse(kSample + "\r\n" + c.added + "\r\n");
        QCOMPARE(Described(FindHints(l.table, l.rows)), c.hints);
        for (int rule = 0; rule < kHintRuleCount; ++rule) {
            HintOptions options;
            options.off[std::size_t(rule)] = true;
            QStringList kept = c.hints;
            kept.removeIf([rule](const QString &h) { return h.startsWith(HintRuleName(HintRule(rule)) + " "); });
            QVERIFY2(Described(FindHints(l.table, l.rows, options)) == kept, qPrintable(HintRuleName(HintRule(rule))));
        }
    }

    // No rule fires on sensible machines: published figures of a vertical, a gantry, a five-axis and a
    // high-speed machine (tests/data/hints, each file names its source; no travelling-column machine
    // had figures whose source could be named, and "a long bed's stroke" above stands in for it), a
    // file of a name alone, and values not set.
    void sensible_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QDir data(QM_TEST_DATA "/hints");
        const QStringList files = data.entryList({"*.mtl"});
        QCOMPARE(files.size(), 4);
        for (const QString &file : files) QTest::newRow(qPrintable(file)) << ReadBytes(data.filePath(file));
        QTest::newRow("a name alone") << QByteArray("NAME = ONLY A NAME\r\n");
        QTest::newRow("values not set") << kSample + "MAXIMUM FEEDRATE = 0\r\nINI = ATTACHMENT0\r\n"
                                                     "RAPID(X) = 0\r\nRAPID(Y) = 0\r\nRAPID(Z) = 0\r\n"
                                                     "MAXIMUM ACCELERATION(X) = 0\r\nMAXIMUM ACCELERATION(Y) = 0\r\nMAXIMUM ACCELERATION(Z) = 0\r\n";
    }
    void sensible()
    {
        QFETCH(QByteArray, bytes);
        const Loaded l = Parse(bytes);
        QVERIFY(!l.table.MachineName.str().trimmed().isEmpty());
        QCOMPARE(Described(FindHints(l.table, l.rows)), QStringList());
    }

    // The record open in the editor counts in place of its slot, or as one more record, and its
    // hints say so; rows it now matches are marked as well.
    void editing_data()
    {
        QTest::addColumn<EditCase>("c");
        QTest::newRow("in place, renumbered out of order")
            << EditCase{0, 5, {"initial-not-listed INI: ATTACHMENT01", "same-number edited 0: ATTACHMENT05|2", "same-number row 2: ATTACHMENT05|2"}};
        QTest::newRow("a new record, a number taken: it comes last")
            << EditCase{-1, 2, {"same-number row 1: ATTACHMENT02|2", "same-number edited: ATTACHMENT02|2"}};
    }
    void editing()
    {
        QFETCH(EditCase, c);
        const Loaded l = Parse(kSample);
        AttachmentRecord record = l.rows[0];
        record.Number = c.number;
        HintOptions options;
        options.editing = &record;
        options.editingSlot = c.slot;
        QCOMPARE(Described(FindHints(l.table, l.rows, options)), c.hints);
    }

    // "Hints Off": names in any case between commas and blanks; names it does not know, as written.
    void hintsOff_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("off");
        QTest::addColumn<QStringList>("unknown");
        QTest::newRow("empty") << "" << QStringList() << QStringList();
        QTest::newRow("blanks and commas") << " , ,," << QStringList() << QStringList();
        QTest::newRow("two known") << " same-number , Axis-Outlier\t" << QStringList{"axis-outlier", "same-number"} << QStringList();
        QTest::newRow("unknown kept as written") << "same-number,,bogus ,  x y " << QStringList{"same-number"} << QStringList{"bogus", "x y"};
    }
    void hintsOff()
    {
        QFETCH(QString, value);
        QFETCH(QStringList, off);
        QFETCH(QStringList, unknown);
        QStringList seen, named;
        const std::array<bool, kHintRuleCount> flags = HintsOffFrom(value, &seen);
        for (int rule = 0; rule < kHintRuleCount; ++rule)
            if (flags[std::size_t(rule)]) named << HintRuleName(HintRule(rule));
        QCOMPARE(named, off);
        QCOMPARE(seen, unknown);
    }

    // Each rule has its name and message; the English file says what HintEnglish says, and the
    // Japanese text uses the same placeholders.
    void texts()
    {
        const QMap<int, QString> en = MessageTexts(QM_SOURCE_DIR "/resources/lang/en/Quillmark.mes");
        const QMap<int, QString> ja = MessageTexts(QM_SOURCE_DIR "/resources/Quillmark.mes");
        for (int rule = 0; rule < kHintRuleCount; ++rule) {
            const HintRule r = HintRule(rule);
            const int number = int(HintMessage(r));
            QCOMPARE(HintRuleByName(HintRuleName(r)), std::optional<HintRule>(r));
            QCOMPARE(number, int(Msg::HintRapidBelowFeed) + rule);
            QCOMPARE(en.value(number), QString::fromLatin1(HintEnglish(r)));
            for (const QString p : {"%1", "%2", "%3", "%4", "%5", "%6"}) QCOMPARE(ja.value(number).contains(p), en.value(number).contains(p));
            QVERIFY(en.value(number).contains("%1"));
        }
        QVERIFY(!HintRuleByName(u"rapid-below"));
    }
};

QTEST_GUILESS_MAIN(TstHints)
#include "tst_hints.moc"
