// The order of the attachment slots after sorting, the count and the search.
#include "model/SlotOrder.h"

#include <QTest>

#include <algorithm>
#include <random>

namespace {

// Slots written as "number:type:shapeNumber:tag"; type and shapeNumber default
// to 1, and tag goes into Width[0] to tell records with equal numbers apart.
AttachmentSlots Parse(const QString &layout, int size)
{
    AttachmentSlots a(static_cast<std::size_t>(size));
    const QStringList slotTexts = layout.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < slotTexts.size(); ++i) {
        const QStringList f = slotTexts[i].split(QLatin1Char(':'));
        AttachmentRecord &r = a[std::size_t(i)];
        r.Number = f.value(0).toInt();
        r.ShapeType = std::int16_t(f.value(1, "1").toInt());
        r.ShapeNumber = std::int16_t(f.value(2, "1").toInt());
        r.Width[0] = f.value(3, "0").toFloat();
        r.Height[4] = 1;  // these two must go when the slot is cleared
        r.AttachName = QStringLiteral("N");
    }
    return a;
}

// "number/tag" for every used slot, "-" for wholly cleared ones.
QString Describe(const AttachmentSlots &a)
{
    QStringList out;
    for (const AttachmentRecord &r : a) {
        const bool cleared = r.Number == 0 && r.ShapeType == 0 && r.ShapeNumber == 0 &&
                             r.Width == std::array<float, 5>{} && r.Height == std::array<float, 5>{} &&
                             r.AttachName == Text20();
        out << (cleared ? QStringLiteral("-") : QStringLiteral("%1/%2").arg(r.Number).arg(r.Width[0]));
    }
    return out.join(QLatin1Char(' '));
}

}  // namespace

class TstSlotOrder : public QObject {
    Q_OBJECT
private slots:
    void sort_data();
    void sort();
    void sortIsStableOnLargeTables();
    void find();
};

void TstSlotOrder::sort_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("complete");
    QTest::addColumn<QString>("after");

    QTest::newRow("equal numbers keep slot order; deleted and negative dropped")
        << "5:1:1:1 2:1:1:2 0:1:1:3 5:1:1:4 -4:1:1:5" << 6 << 3 << "2/2 5/1 5/4 - - -";
    QTest::newRow("undefine shapes and numbers from 32767 up are sorted too")
        << "40000:2:1:1 32767:1:3:2 5:1:1:3 2147483647:1:1:4" << 5 << 4 << "5/3 32767/2 40000/1 2147483647/4 -";
    QTest::newRow("incomplete lower numbers do not push out a complete one")
        << "7:1:1:1 1:0:1:2 2:1:0:3" << 3 << 1 << "7/1 - -";
}

void TstSlotOrder::sort()
{
    QFETCH(QString, before);
    QFETCH(int, size);
    QFETCH(int, complete);
    QFETCH(QString, after);
    AttachmentSlots a = Parse(before, size);
    QCOMPARE(CountAttachments(a), complete);
    SortAttachments(a);
    QCOMPARE(Describe(a), after);
}

// Random tables with many equal numbers, large enough that an unstable sort
// would reorder them: the complete records, stably ordered, then cleared slots.
void TstSlotOrder::sortIsStableOnLargeTables()
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<std::int32_t> wide(-5, 40000), narrow(-1, 8);
    for (int round = 0; round < 500; ++round) {
        AttachmentSlots a(static_cast<std::size_t>(1 + round % 200));
        std::vector<std::pair<std::int32_t, float>> expected;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const int kind = pick(rng);  // 0 free, 1 deleted, 2 and 3 incomplete
            if (kind == 0)
                continue;
            a[i].Number = kind == 1 ? 0 : round % 2 ? wide(rng) : narrow(rng);
            a[i].ShapeType = std::int16_t(kind == 2 ? 0 : 1 + pick(rng) % 2);
            a[i].ShapeNumber = std::int16_t(kind == 3 ? 0 : 1 + pick(rng));
            a[i].Width[0] = float(i);
            a[i].Height[1] = 1;
            if (kind > 3 && a[i].Number > 0)
                expected.push_back({a[i].Number, a[i].Width[0]});
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [](auto &x, auto &y) { return x.first < y.first; });
        QCOMPARE(CountAttachments(a), int(expected.size()));
        SortAttachments(a);
        for (std::size_t i = 0; i < a.size(); ++i) {
            const auto want = i < expected.size() ? expected[i] : std::pair<std::int32_t, float>{0, 0};
            QCOMPARE(a[i].Number, want.first);
            QCOMPARE(a[i].Width[0], want.second);
            QCOMPARE(a[i].Height[1], i < expected.size() ? 1.0f : 0.0f);
        }
    }
}

void TstSlotOrder::find()
{
    const AttachmentSlots a = Parse("4 9 9", 5);
    QCOMPARE(FindAttachment(a, 9), 1);  // the first of equal numbers
    QCOMPARE(FindAttachment(a, 0), 3);  // 0 finds the first free slot
    QCOMPARE(FindAttachment(a, 5), -1);
    QCOMPARE(FindAttachment(Parse("1 2", 2), 0), -1);  // no free slot
}

QTEST_GUILESS_MAIN(TstSlotOrder)
#include "tst_slotorder.moc"
