// The outline drawing, read back line by line through a recording canvas, and
// the retained picture box it draws into.
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/PictureBox.h"

#include <QLineF>
#include <QtTest>

#include <cmath>

namespace {

struct RecordingCanvas : Canvas {
    RecordingCanvas(int w, int h) : w(w), h(h) {}
    int WidthTwips() const override { return w; }
    int HeightTwips() const override { return h; }
    void Clear() override { ++clears; }
    void Line(float x1, float y1, float x2, float y2) override { lines.append(QLineF(x1, y1, x2, y2)); }
    int w, h;
    int clears = 0;
    QList<QLineF> lines;
};

AttachmentRecord Stages(const QList<float> &widths, const QList<float> &heights)
{
    AttachmentRecord r;
    for (int i = 0; i < widths.size(); ++i)
        r.Width[i] = widths[i];
    for (int i = 0; i < heights.size(); ++i)
        r.Height[i] = heights[i];
    return r;
}

// The three lines of one stage: bottom edge, right side, left side.
QList<QLineF> Stage(double c, double h, double y, double t)
{
    return {QLineF(c + h, y, c - h, y), QLineF(c + h, y, c + h, t), QLineF(c - h, y, c - h, t)};
}
QLineF Top(double c, double h, double y)
{
    return QLineF(c + h, y, c - h, y);
}

bool Near(const QLineF &a, const QLineF &b)
{
    const double tol = 0.01;
    return std::abs(a.x1() - b.x1()) < tol && std::abs(a.y1() - b.y1()) < tol &&
           std::abs(a.x2() - b.x2()) < tol && std::abs(a.y2() - b.y2()) < tol;
}

QString Show(const QLineF &l)
{
    return QStringLiteral("(%1,%2)-(%3,%4)").arg(l.x1()).arg(l.y1()).arg(l.x2()).arg(l.y2());
}

// Bounding box of the black pixels of an image; null when there are none.
QRect BlackBounds(const QImage &image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == Qt::black)
                r |= QRect(x, y, 1, 1);
    return r;
}

bool AllOf(const QImage &image, const QColor &color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != color)
                return false;
    return true;
}

}  // namespace

class TestOutlineDraw : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
    void nothingToDraw_data();
    void nothingToDraw();
    void pictureBoxPixels();
    void pictureBoxKeepsOutlineWhenNothingToDraw();
    void pictureBoxBackColorWipes();
    void absurdStagesStayInsideTheBox();
};

void TestOutlineDraw::lines_data()
{
    QTest::addColumn<QList<float>>("widths");
    QTest::addColumn<QList<float>>("heights");
    QTest::addColumn<int>("boxWidth");
    QTest::addColumn<int>("boxHeight");
    QTest::addColumn<QList<QLineF>>("expected");

    // The editor's box: 4575 x 3975 twips, centre 2288 (2287.5 to even), base 3578.
    // 10/20/20: W 20, H 15, scale min(3660/20, 3180/15) = 183.
    QTest::newRow("three stages, equal width continues")
        << QList<float>{10, 20, 20, 0, 0} << QList<float>{5, 5, 5, 0, 0} << 4575 << 3975
        << (Stage(2288, 915, 3578, 2663) + Stage(2288, 1830, 2663, 1748) +
            Stage(2288, 1830, 1748, 833) << Top(2288, 1830, 833));
    // Stage 2 narrower: only stage 1 counts, also for the scale (3660/30 = 122).
    QTest::newRow("narrower stage ends the outline")
        << QList<float>{30, 20, 40, 0, 0} << QList<float>{10, 10, 10, 0, 0} << 4575 << 3975
        << (Stage(2288, 1830, 3578, 2358) << Top(2288, 1830, 2358));
    // Width 0 first: a line on the centre; its height takes part in the scale (318).
    QTest::newRow("zero-width first stage")
        << QList<float>{0, 10, 0, 0, 0} << QList<float>{4, 6, 0, 0, 0} << 4575 << 3975
        << (Stage(2288, 0, 3578, 2306) + Stage(2288, 1590, 2306, 398) << Top(2288, 1590, 398));
    QTest::newRow("zero-height stage adds its bottom edge")
        << QList<float>{10, 20, 30, 0, 0} << QList<float>{5, 0, 5, 0, 0} << 4575 << 3975
        << (Stage(2288, 610, 3578, 2968) + Stage(2288, 1220, 2968, 2968) +
            Stage(2288, 1830, 2968, 2358) << Top(2288, 1830, 2358));
    // Wide and low: 10 % margins left and right, on the base line, room above.
    QTest::newRow("wide record")
        << QList<float>{100, 0, 0, 0, 0} << QList<float>{1, 0, 0, 0, 0} << 4575 << 3975
        << (Stage(2288, 1830, 3578, 3541.4) << Top(2288, 1830, 3541.4));
    // Narrow and tall: from 10 % to 90 % of the height.
    QTest::newRow("tall record")
        << QList<float>{1, 0, 0, 0, 0} << QList<float>{100, 0, 0, 0, 0} << 4575 << 3975
        << (Stage(2288, 15.9, 3578, 398) << Top(2288, 15.9, 398));
    // 4545 / 2 = 2272.5 goes to the even 2272; 45 x 0.9000000059604645 = 40.5000003
    // goes up to 41 (an exact 0.9 would give 40).
    QTest::newRow("half-way centre and base line")
        << QList<float>{2, 0, 0, 0, 0} << QList<float>{1, 0, 0, 0, 0} << 4545 << 45
        << (Stage(2272, 36, 41, 5) << Top(2272, 36, 5));
}

void TestOutlineDraw::lines()
{
    QFETCH(QList<float>, widths);
    QFETCH(QList<float>, heights);
    QFETCH(int, boxWidth);
    QFETCH(int, boxHeight);
    QFETCH(QList<QLineF>, expected);

    RecordingCanvas box(boxWidth, boxHeight);
    AttachDraw(Stages(widths, heights), box);
    QCOMPARE(box.clears, 1);
    QCOMPARE(box.lines.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(Near(box.lines[i], expected[i]),
                 qPrintable(QStringLiteral("line %1: got %2, want %3")
                                .arg(i)
                                .arg(Show(box.lines[i]), Show(expected[i]))));
}

void TestOutlineDraw::nothingToDraw_data()
{
    QTest::addColumn<QList<float>>("widths");
    QTest::addColumn<QList<float>>("heights");
    QTest::newRow("all widths 0") << QList<float>{0, 0, 0, 0, 0} << QList<float>{5, 5, 0, 0, 0};
    QTest::newRow("heights add up to 0") << QList<float>{5, 6, 0, 0, 0} << QList<float>{3, -3, 0, 0, 0};
    QTest::newRow("negative height") << QList<float>{5, 0, 0, 0, 0} << QList<float>{-2, 0, 0, 0, 0};
    QTest::newRow("negative first width") << QList<float>{-5, 10, 0, 0, 0} << QList<float>{3, 3, 0, 0, 0};
    // Stage 2 is narrower, so its height is not counted.
    QTest::newRow("only uncounted stage has height")
        << QList<float>{10, 0, 0, 0, 0} << QList<float>{0, 7, 0, 0, 0};
    QTest::newRow("not a number") << QList<float>{std::nanf(""), 0, 0, 0, 0}
                                  << QList<float>{3, 0, 0, 0, 0};
}

void TestOutlineDraw::nothingToDraw()
{
    QFETCH(QList<float>, widths);
    QFETCH(QList<float>, heights);
    RecordingCanvas box(4575, 3975);
    AttachDraw(Stages(widths, heights), box);
    QCOMPARE(box.clears, 0);
    QCOMPARE(box.lines.size(), 0);
}

void TestOutlineDraw::pictureBoxPixels()
{
    PictureBox box;
    box.resize(305, 265);
    QCOMPARE(box.WidthTwips(), 4575);
    QCOMPARE(box.HeightTwips(), 3975);
    // Drawn before the box is ever shown: the picture must keep it.
    AttachDraw(Stages({10, 20, 20}, {5, 5, 5}), box);
    const QRect black = BlackBounds(box.Picture());
    // Twips 458..4118 across and 833..3578 down, 15 twips to the pixel.
    QVERIFY2(std::abs(black.left() - 30) <= 1 && std::abs(black.right() - 274) <= 1 &&
                 std::abs(black.top() - 55) <= 1 && std::abs(black.bottom() - 238) <= 1,
             qPrintable(QStringLiteral("black pixels in %1,%2 %3x%4")
                            .arg(black.x()).arg(black.y()).arg(black.width()).arg(black.height())));
    // Inside the outline stays background: lines, not a fill.
    QCOMPARE(box.Picture().pixelColor(152, 150), QColor(0xE0, 0xE0, 0xE0));

    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(BlackBounds(shown), black);
}

void TestOutlineDraw::pictureBoxKeepsOutlineWhenNothingToDraw()
{
    PictureBox box;
    box.resize(305, 265);
    AttachDraw(Stages({10, 20}, {5, 5}), box);
    const QImage before = box.Picture();
    QVERIFY(!BlackBounds(before).isNull());
    AttachDraw(Stages({0, 0}, {0, 0}), box);
    QCOMPARE(box.Picture(), before);
    AttachDraw(Stages({30}, {10}), box);
    QVERIFY(box.Picture() != before);
}

void TestOutlineDraw::pictureBoxBackColorWipes()
{
    PictureBox box;
    box.resize(50, 40);
    box.Line(0, 0, 749, 599);
    QVERIFY(!BlackBounds(box.Picture()).isNull());
    box.SetBackColor(QColor(0xC0, 0xC0, 0xC0));
    QVERIFY(AllOf(box.Picture(), QColor(0xC0, 0xC0, 0xC0)));
    box.Line(0, 300, 749, 300);
    box.Clear();
    QVERIFY(AllOf(box.Picture(), QColor(0xC0, 0xC0, 0xC0)));
}

void TestOutlineDraw::absurdStagesStayInsideTheBox()
{
    // Heights that cancel out in the total leave a sane scale but send single
    // stages far outside the box; the box clips them instead of rasterising
    // lines billions of pixels long.
    PictureBox box;
    box.resize(305, 265);
    AttachDraw(Stages({1, 1, 1}, {1e30f, -1e30f, 1}), box);
    QRect black = BlackBounds(box.Picture());
    // The stage-1 sides run from the base line up past the top edge.
    QCOMPARE(black.top(), 0);
    QVERIFY(std::abs(black.bottom() - 238) <= 1);
    // A total height that overflows to infinity scales everything to the centre.
    AttachDraw(Stages({3e38f, 3e38f}, {3e38f, 3e38f}), box);
    black = BlackBounds(box.Picture());
    QVERIFY(!black.isNull());
    QVERIFY(black.width() <= 2 && black.height() <= 2);
}

QTEST_MAIN(TestOutlineDraw)
#include "tst_outline_draw.moc"
