// The order of the attachment slots after sorting, and the two searches.
#include "model/SlotOrder.h"

#include <QTest>

#include <algorithm>
#include <random>

namespace {

// A slot described as "number:type:shapeNumber:tag"; tag goes into Width(0)
// so that the test can tell records with equal numbers apart.
AttachmentSlots Parse(const QString &spec, int size)
{
    AttachmentSlots a(static_cast<std::size_t>(size));
    const QStringList parts = spec.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const QStringList f = parts[i].split(QLatin1Char(':'));
        a[std::size_t(i)].Number = f.value(0).toInt();
        a[std::size_t(i)].ShapeType = std::int16_t(f.value(1, "1").toInt());
        a[std::size_t(i)].ShapeNumber = std::int16_t(f.value(2, "1").toInt());
        a[std::size_t(i)].Width[0] = f.value(3, "0").toFloat();
        a[std::size_t(i)].AttachName = f.value(4);
    }
    return a;
}

// "number/tag" for every used slot, "-" for cleared ones.
QString Describe(const AttachmentSlots &a)
{
    QStringList out;
    for (const AttachmentRecord &r : a) {
        const bool cleared = r.Number == 0 && r.ShapeType == 0 && r.ShapeNumber == 0 &&
                             r.Width == std::array<float, 5>{} &&
                             r.Height == std::array<float, 5>{} &&
                             r.AttachName == Text20();
        out << (cleared ? QStringLiteral("-")
                        : QStringLiteral("%1/%2").arg(r.Number).arg(double(r.Width[0])));
    }
    return out.join(QLatin1Char(' '));
}

}  // namespace

class TstSlotOrder : public QObject {
    Q_OBJECT
private slots:
    void sort_data();
    void sort();
    void sortKeepsEveryCompleteRecord();
    void find_data();
    void find();
    void count_data();
    void count();
};

void TstSlotOrder::sort_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("after");

    QTest::newRow("two swapped") << "12:1:1:1 3:1:1:2" << 4 << "3/2 12/1 - -";
    QTest::newRow("equal numbers keep slot order")
        << "5:1:1:1 2:1:1:2 5:1:1:3 5:1:1:4" << 4 << "2/2 5/1 5/3 5/4";
    QTest::newRow("deleted record dropped, the rest move up")
        << "1:1:1:1 0:1:1:2 3:1:1:3" << 3 << "1/1 3/3 -";
    QTest::newRow("empty table stays cleared") << "" << 3 << "- - -";
    QTest::newRow("full table") << "3:1:1:1 2:1:1:2 1:1:1:3" << 3 << "1/3 2/2 3/1";
    QTest::newRow("numbers from 32767 up are ordered like any other")
        << "40000:1:1:1 32767:1:1:2 5:1:1:3 2147483647:1:1:4" << 5
        << "5/3 32767/2 40000/1 2147483647/4 -";
    QTest::newRow("incomplete record with a lower number does not push out a complete one")
        << "7:1:1:1 1:0:1:2 2:1:0:3" << 3 << "7/1 - -";
    QTest::newRow("negative numbers are not used slots") << "-4:1:1:1 6:1:1:2" << 2 << "6/2 -";
    QTest::newRow("undefine shapes take part") << "9:2:1:1 4:2:7:2" << 2 << "4/2 9/1";
}

void TstSlotOrder::sort()
{
    QFETCH(QString, before);
    QFETCH(int, size);
    QFETCH(QString, after);
    AttachmentSlots a = Parse(before, size);
    SortAttachments(a);
    QCOMPARE(int(a.size()), size);
    QCOMPARE(Describe(a), after);
}

// Over random tables: the result is the complete records, stably ordered,
// with nothing else left behind, whatever the numbers and the gaps.
void TstSlotOrder::sortKeepsEveryCompleteRecord()
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<std::int32_t> wide(-5, 40000), narrow(-1, 8);
    for (int round = 0; round < 500; ++round) {
        // Half the tables have many equal numbers, to see the order kept.
        auto number = [&](std::mt19937 &g) { return round % 2 ? wide(g) : narrow(g); };
        AttachmentSlots a(static_cast<std::size_t>(1 + round % 200));
        for (std::size_t i = 0; i < a.size(); ++i) {
            const int kind = pick(rng);
            if (kind == 0)
                continue;  // free slot
            a[i].Number = kind == 1 ? 0 : number(rng);
            a[i].ShapeType = std::int16_t(kind == 2 ? 0 : 1 + pick(rng) % 2);
            a[i].ShapeNumber = std::int16_t(kind == 3 ? 0 : 1 + pick(rng));
            a[i].Width[0] = float(i);  // identity of the record
            a[i].Height[1] = 1;
        }
        std::vector<std::pair<std::int32_t, float>> expected;
        for (const AttachmentRecord &r : a)
            if (r.Number > 0 && r.ShapeType > 0 && r.ShapeNumber > 0)
                expected.push_back({r.Number, r.Width[0]});
        std::stable_sort(expected.begin(), expected.end(),
                         [](auto &x, auto &y) { return x.first < y.first; });
        QCOMPARE(CountAttachments(a), int(expected.size()));

        SortAttachments(a);
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (i < expected.size()) {
                QCOMPARE(a[i].Number, expected[i].first);
                QCOMPARE(a[i].Width[0], expected[i].second);
            } else {
                QCOMPARE(a[i].Number, 0);
                QCOMPARE(a[i].Height[1], 0.0f);
            }
        }
    }
}

void TstSlotOrder::find_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("index");

    QTest::newRow("zero finds the first free slot") << "4 9" << 0 << 2;
    QTest::newRow("number held") << "4 9 9" << 9 << 1;
    QTest::newRow("number not held") << "4 9" << 5 << -1;
    QTest::newRow("no free slot") << "1 2 3" << 0 << -1;
    QTest::newRow("large number") << "70000" << 70000 << 0;
}

void TstSlotOrder::find()
{
    QFETCH(QString, content);
    QFETCH(int, number);
    QFETCH(int, index);
    const AttachmentSlots a = Parse(content, 3);
    QCOMPARE(FindAttachment(a, number), index);
}

void TstSlotOrder::count_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("count");
    QTest::newRow("all complete") << "1 2 3" << 3;
    QTest::newRow("no shape type") << "1:0:1 2" << 1;
    QTest::newRow("no shape number") << "1:1:0 2" << 1;
    QTest::newRow("free and negative") << "0 -3 5" << 1;
}

void TstSlotOrder::count()
{
    QFETCH(QString, content);
    QFETCH(int, count);
    QCOMPARE(CountAttachments(Parse(content, 3)), count);
}

QTEST_GUILESS_MAIN(TstSlotOrder)
#include "tst_slotorder.moc"
