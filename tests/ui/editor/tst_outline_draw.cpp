// The outline drawing, read back line by line, and the picture box it draws into.
#include "ui/editor/OutlineDraw.h"
#include "ui/editor/PictureBox.h"

#include <QtTest>

#include <cmath>

namespace {
struct Recorder : Canvas {  // lines to one decimal, so that a comparison shows the first wrong line
    int WidthTwips() const override { return size.width(); }
    int HeightTwips() const override { return size.height(); }
    void Clear() override { lines << "clear"; }
    void Line(float x1, float y1, float x2, float y2) override
    {
        lines << QString::asprintf("%.1f,%.1f-%.1f,%.1f", x1, y1, x2, y2);
    }
    QSize size;
    QStringList lines;
};

AttachmentRecord Stages(const QList<float> &widths, const QList<float> &heights)
{
    AttachmentRecord r;
    std::copy(widths.begin(), widths.end(), r.Width.begin());
    std::copy(heights.begin(), heights.end(), r.Height.begin());
    return r;
}

// Around centre c, each stage's bottom edge and right and left sides from y[i] up to y[i + 1], then the top edge.
QStringList Outline(double c, const QList<double> &half, const QList<double> &y)
{
    Recorder r;
    r.Clear();
    for (int i = 0; i < half.size(); ++i) {
        r.Line(c + half[i], y[i], c - half[i], y[i]);
        r.Line(c + half[i], y[i], c + half[i], y[i + 1]);
        r.Line(c - half[i], y[i], c - half[i], y[i + 1]);
    }
    r.Line(c + half.last(), y.last(), c - half.last(), y.last());
    return r.lines;
}

QRect Black(const QImage &image)  // bounding box of the black pixels
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            r |= image.pixelColor(x, y) == Qt::black ? QRect(x, y, 1, 1) : QRect();
    return r;
}
}  // namespace

class TestOutlineDraw : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QList<float>>("widths");
        QTest::addColumn<QList<float>>("heights");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QStringList>("expected");  // empty: the box is left alone
        auto row = [](const char *name, QList<float> w, QList<float> h, QStringList lines, QSize box = {4575, 3975}) {
            QTest::newRow(name) << w << h << box << lines;
        };
        // The editor's box: centre 2288 (2287.5 to even), base 3578; 10/20/20 high 15: scale min(3660/20, 3180/15) = 183.
        row("three stages, equal width continues", {10, 20, 20}, {5, 5, 5},
            Outline(2288, {915, 1830, 1830}, {3578, 2663, 1748, 833}));
        // A narrower stage ends the outline, for the scale too (3660/30 = 122).
        row("narrower stage ends the outline", {30, 20, 40}, {10, 10, 10}, Outline(2288, {1830}, {3578, 2358}));
        row("zero-width first stage", {0, 10}, {4, 6}, Outline(2288, {0, 1590}, {3578, 2306, 398}));
        row("zero-height stage adds its bottom edge", {10, 20, 30}, {5, 0, 5},
            Outline(2288, {610, 1220, 1830}, {3578, 2968, 2968, 2358}));
        // 4545 / 2 = 2272.5 to even; 45 x 0.9000000059604645 = 40.5000003 up to 41 (an exact 0.9 would give 40).
        row("half-way centre and base line", {2}, {1}, Outline(2272, {36}, {41, 5}), {4545, 45});
        row("all widths 0", {0, 0}, {5, 5}, {});
        row("heights add up to 0", {5, 6}, {3, -3}, {});
        row("negative height", {5}, {-2}, {});
        row("negative first width", {-5, 10}, {3, 3}, {});
        row("only a narrower stage has height", {10}, {0, 7}, {});
        row("not a number", {std::nanf("")}, {3}, {});
    }
    void lines()
    {
        QFETCH(QList<float>, widths);
        QFETCH(QList<float>, heights);
        QFETCH(QSize, box);
        QFETCH(QStringList, expected);
        Recorder canvas;
        canvas.size = box;
        AttachDraw(Stages(widths, heights), canvas);
        QCOMPARE(canvas.lines, expected);
    }

    void pictureBox()
    {
        PictureBox box;
        box.resize(305, 265);
        QCOMPARE(QSize(box.WidthTwips(), box.HeightTwips()), QSize(4575, 3975));
        // Drawn before the box is ever shown, kept: twips 458..4118 across and 833..3578 down, 15 to the pixel.
        AttachDraw(Stages({10, 20, 20}, {5, 5, 5}), box);
        const QRect black = Black(box.Picture());
        QVERIFY2(QRect(QPoint(29, 54), QPoint(275, 239)).contains(black) &&
                     black.contains(QRect(QPoint(31, 56), QPoint(273, 237))),
                 qPrintable(QString("%1,%2 %3x%4").arg(black.x()).arg(black.y()).arg(black.width()).arg(black.height())));
        QCOMPARE(box.Picture().pixelColor(152, 150), QColor(0xE0, 0xE0, 0xE0));  // lines, not a fill
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(Black(box.grab().toImage().convertToFormat(QImage::Format_RGB32)), black);
        // Heights that cancel out leave a sane scale but stages far outside the box: clipped, not rasterised.
        AttachDraw(Stages({1, 1, 1}, {1e30f, -1e30f, 1}), box);
        QVERIFY(Black(box.Picture()).top() == 0 && std::abs(Black(box.Picture()).bottom() - 238) <= 1);
        // A total height that overflows to infinity scales everything to the centre.
        AttachDraw(Stages({3e38f, 3e38f}, {3e38f, 3e38f}), box);
        QVERIFY(!Black(box.Picture()).isNull() && Black(box.Picture()).width() <= 2 && Black(box.Picture()).height() <= 2);
    }
};

QTEST_MAIN(TestOutlineDraw)
#include "tst_outline_draw.moc"
