// The outline drawing, read back line by line through a recording canvas, and
// the retained picture box it draws into.
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/PictureBox.h"

#include <QLineF>
#include <QtTest>

#include <cmath>

namespace {

struct RecordingCanvas : Canvas {
    explicit RecordingCanvas(QSize size) : size(size) {}
    int WidthTwips() const override { return size.width(); }
    int HeightTwips() const override { return size.height(); }
    void Clear() override { ++clears; }
    void Line(float x1, float y1, float x2, float y2) override { lines.append(QLineF(x1, y1, x2, y2)); }
    QSize size;
    int clears = 0;
    QList<QLineF> lines;
};

AttachmentRecord Stages(const QList<float> &widths, const QList<float> &heights)
{
    AttachmentRecord r;
    std::copy(widths.begin(), widths.end(), r.Width.begin());
    std::copy(heights.begin(), heights.end(), r.Height.begin());
    return r;
}

// The three lines of one stage (bottom edge, right side, left side), or the top edge.
QList<QLineF> Stage(double c, double h, double y, double t)
{
    return {QLineF(c + h, y, c - h, y), QLineF(c + h, y, c + h, t), QLineF(c - h, y, c - h, t)};
}
QLineF Top(double c, double h, double y) { return QLineF(c + h, y, c - h, y); }

// Lines to one decimal, so that a list comparison shows the first wrong line.
QStringList Shown(const QList<QLineF> &lines)
{
    QStringList shown;
    for (const QLineF &l : lines)
        shown << QStringLiteral("(%1,%2)-(%3,%4)").arg(l.x1(), 0, 'f', 1).arg(l.y1(), 0, 'f', 1)
                     .arg(l.x2(), 0, 'f', 1).arg(l.y2(), 0, 'f', 1);
    return shown;
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

void Row(const char *name, const QList<float> &widths, const QList<float> &heights,
         const QList<QLineF> &lines, QSize box = QSize(4575, 3975))
{
    QTest::newRow(name) << widths << heights << box << lines;
}

}  // namespace

class TestOutlineDraw : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
    void pictureBoxPixels();
    void absurdStagesStayInsideTheBox();
};

void TestOutlineDraw::lines_data()
{
    QTest::addColumn<QList<float>>("widths");
    QTest::addColumn<QList<float>>("heights");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QList<QLineF>>("expected");  // empty: the box is left alone

    // The editor's box: 4575 x 3975 twips, centre 2288 (2287.5 to even), base 3578.
    // 10/20/20: W 20, H 15, scale min(3660/20, 3180/15) = 183.
    Row("three stages, equal width continues", {10, 20, 20}, {5, 5, 5},
        Stage(2288, 915, 3578, 2663) + Stage(2288, 1830, 2663, 1748) + Stage(2288, 1830, 1748, 833)
            << Top(2288, 1830, 833));
    // Stage 2 narrower: only stage 1 counts, also for the scale (3660/30 = 122).
    Row("narrower stage ends the outline", {30, 20, 40}, {10, 10, 10},
        Stage(2288, 1830, 3578, 2358) << Top(2288, 1830, 2358));
    // Width 0 first: a line on the centre; its height counts for the scale (318).
    Row("zero-width first stage", {0, 10}, {4, 6},
        Stage(2288, 0, 3578, 2306) + Stage(2288, 1590, 2306, 398) << Top(2288, 1590, 398));
    Row("zero-height stage adds its bottom edge", {10, 20, 30}, {5, 0, 5},
        Stage(2288, 610, 3578, 2968) + Stage(2288, 1220, 2968, 2968) + Stage(2288, 1830, 2968, 2358)
            << Top(2288, 1830, 2358));
    // 4545 / 2 = 2272.5 goes to the even 2272; 45 x 0.9000000059604645 = 40.5000003
    // goes up to 41 (an exact 0.9 would give 40).
    Row("half-way centre and base line", {2}, {1}, Stage(2272, 36, 41, 5) << Top(2272, 36, 5),
        QSize(4545, 45));

    Row("all widths 0", {0, 0}, {5, 5}, {});
    Row("heights add up to 0", {5, 6}, {3, -3}, {});
    Row("negative height", {5}, {-2}, {});
    Row("negative first width", {-5, 10}, {3, 3}, {});
    Row("only a narrower stage has height", {10}, {0, 7}, {});
    Row("not a number", {std::nanf("")}, {3}, {});
}

void TestOutlineDraw::lines()
{
    QFETCH(QList<float>, widths);
    QFETCH(QList<float>, heights);
    QFETCH(QSize, box);
    QFETCH(QList<QLineF>, expected);

    RecordingCanvas canvas(box);
    AttachDraw(Stages(widths, heights), canvas);
    QCOMPARE(canvas.clears, expected.isEmpty() ? 0 : 1);
    QCOMPARE(Shown(canvas.lines), Shown(expected));
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
             qPrintable(QStringLiteral("black pixels from %1,%2 to %3,%4")
                            .arg(black.left()).arg(black.top()).arg(black.right()).arg(black.bottom())));
    // Inside the outline stays background: lines, not a fill.
    QCOMPARE(box.Picture().pixelColor(152, 150), QColor(0xE0, 0xE0, 0xE0));

    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(BlackBounds(box.grab().toImage().convertToFormat(QImage::Format_RGB32)), black);
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
    QVERIFY(!black.isNull() && black.width() <= 2 && black.height() <= 2);
}

QTEST_MAIN(TestOutlineDraw)
#include "tst_outline_draw.moc"
