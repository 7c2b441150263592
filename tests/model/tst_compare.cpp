// Comparing machine tables as the writer would write them: a difference of layout is none, every
// other difference is named once, in the writer's order and then by attachment number.
#include "model/Compare.h"
#include "model/MtlFile.h"
#include "model/SlotOrder.h"
#include "platform/TextFile.h"

#include <QTest>

#include <algorithm>
#include <cstddef>

namespace {

const QString kBase = "NAME = MILL 1\nSTROKE(X) = 850\nSTROKE(Y) = 500\nTOOL CHANGE TIME = .5\nATC TYPE = WAIT\n"
                      "MAXIMUM FEEDRATE = 10000\nATTACH CHANGE CODE = M60\nINI = ATTACHMENT02\n";

struct Machine {
    MachineTable table;
    AttachmentSlots attachments;
    explicit Machine(const QString &text)
    {
        QByteArray bytes;
        EncodeCp932(text, bytes);
        ParseMtlBytes(bytes, 20, table, attachments);
        SortAttachments(attachments);
    }
};

QStringList Lines(const std::vector<TableDifference> &differences)
{
    QStringList lines;
    for (const TableDifference &d : differences) lines << DifferenceLine(d);
    return lines;
}

std::vector<TableDifference> Compare(const Machine &a, const Machine &b)
{
    return CompareTables(a.table, a.attachments, b.table, b.attachments);
}

}  // namespace

class TstCompare : public QObject {
    Q_OBJECT

private slots:
    // The same machine written another way: no difference either way round.
    void sameMachine_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        const QString attachments = "ATTACHMENT02 = SQUARE/80,40,120,60,ARM\nATTACHMENT05 = undefine3/100,20\n";
        const QString base = kBase + attachments;
        QTest::newRow("line ends") << QString(base).replace("\n", "\r\n") << QString(base).replace("\n", "\r");
        QTest::newRow("case") << base << base.toLower();
        QStringList reversed = base.split('\n');
        std::reverse(reversed.begin(), reversed.end());
        QTest::newRow("line order") << base << reversed.join('\n');
        QTest::newRow("number forms")
            << base << QString(base).replace("850", "850.0001").replace(".5", "0.50").replace("/80,40", "/80.,40.0002");
        QTest::newRow("superseded") << base << "STROKE(X) = 900\nATC TYPE = DIRECT\n" + base;
        QTest::newRow("stages dropped")
            << base << kBase + "ATTACHMENT02 = SQUARE/80,40,120,60,50,7,ARM\nATTACHMENT05 = undefine3/100,20,0,9\n";
        QTest::newRow("left out") << base << base + "STROKE(Z) = -5\nRAPID(X) = 0\nATTACH DESIGN CODE =\n"
                                                    "ATTACHMENT07 = SQUARE/-5,10\nATTACHMENT08 = CIRCLE/10,10\n";
    }
    void sameMachine()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QCOMPARE(Lines(Compare(Machine(a), Machine(b))), QStringList());
        QCOMPARE(Lines(Compare(Machine(b), Machine(a))), QStringList());
    }

    // A and B are the base with lines of their own after it; the lines of B against A.
    void differences_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("set and cleared")
            << "" << "INI = ATTACHMENT0\nSTROKE(Z) = 12.5\nATC TYPE = X\nNAME =\nMAXIMUM FEEDRATE(X) = 9000\n"
                     "ATTACH DESIGN CODE = T1\nTOOL CHANGE TIME = 0.25"
            << QStringList{"NAME: MILL 1 -> (none)", "STROKE(Z): (not set) -> 12.5", "TOOL CHANGE TIME: .5 -> .25",
                           "ATC TYPE: WAIT -> (not set)", "MAXIMUM FEEDRATE(X): (not set) -> 9000.",
                           "ATTACH DESIGN CODE: (not set) -> T1", "INI: ATTACHMENT02 -> (not set)"};
        QTest::newRow("written apart") << "" << "STROKE(Y) = 500.0006\nSTROKE(X) = 850.0004"
                                       << QStringList{"STROKE(Y): 500. -> 500.001"};
        QTest::newRow("only in one") << "ATTACHMENT123 = SQUARE/10,10" << "ATTACHMENT03 = SQUARE/10,10"
                                     << QStringList{"ATTACHMENT03: only in B", "ATTACHMENT123: only in A"};
        QTest::newRow("every part")
            << "ATTACHMENT02 = SQUARE/80,40,120,60,ARM" << "ATTACHMENT02 = undefine3/90,40,120,65,150,10,HEAD"
            << QStringList{"ATTACHMENT02: shape SQUARE -> undefine", "ATTACHMENT02: shape number 1 -> 3",
                           "ATTACHMENT02: stage 1 width 80. -> 90.", "ATTACHMENT02: stage 2 height 60. -> 65.",
                           "ATTACHMENT02: stage 3 width (not set) -> 150.",
                           "ATTACHMENT02: stage 3 height (not set) -> 10.", "ATTACHMENT02: name ARM -> HEAD"};
        QTest::newRow("stage dropped, name cleared")
            << "ATTACHMENT02 = SQUARE/80,40,120,60,ARM" << "ATTACHMENT02 = SQUARE/80,40,70,60"
            << QStringList{"ATTACHMENT02: stage 2 width 120. -> (not set)",
                           "ATTACHMENT02: stage 2 height 60. -> (not set)", "ATTACHMENT02: name ARM -> (none)"};
        QTest::newRow("duplicate numbers")
            << "ATTACHMENT05 = SQUARE/10,10,X\nATTACHMENT05 = SQUARE/20,10,Y"
            << "ATTACHMENT05 = SQUARE/10,10,X\nATTACHMENT05 = SQUARE/20,10,Z\nATTACHMENT05 = SQUARE/30,10"
            << QStringList{"ATTACHMENT05 #2: name Y -> Z", "ATTACHMENT05 #3: only in B"};
    }
    void differences()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QStringList, lines);
        const Machine machineA(kBase + a), machineB(kBase + b);
        QCOMPARE(Lines(Compare(machineA, machineB)), lines);
        QCOMPARE(Compare(machineB, machineA).size(), std::size_t(lines.size()));
    }

    // Slots as the editor may hold them between sorts: out of order, with the rest of a deleted record
    // (shape 0), which is not written and so pairs with nothing.
    void pairing()
    {
        auto record = [](int number, qint16 shape, const char *name) {
            return AttachmentRecord{number, 1, shape, {10}, {5}, QString(name)};
        };
        const AttachmentSlots a{record(5, 1, "X"), record(5, 0, "Q"), record(3, 1, ""), record(5, 1, "Y")};
        const AttachmentSlots b{record(3, 1, ""), record(5, 1, "Y"), {}, record(5, 1, "X")};
        QStringList described;
        for (const TableDifference &d : CompareTables(MachineTable(), a, MachineTable(), b))
            described << QString("%1 @%2/%3").arg(DifferenceLine(d)).arg(d.slotA).arg(d.slotB);
        QCOMPARE(described, QStringList({"ATTACHMENT05: name X -> Y @0/1", "ATTACHMENT05 #2: name Y -> X @3/3"}));
    }
};

QTEST_GUILESS_MAIN(TstCompare)
#include "tst_compare.moc"
