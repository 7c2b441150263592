#include "PictureBox.h"

#include "model/Numbers.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {
constexpr double kTwipsPerPixel = 15.0;

// Cuts the line to rect (Liang-Barsky). False when nothing of it lies inside.
// Keeps absurd coordinates from an odd record away from the rasteriser.
bool ClipLine(double &x1, double &y1, double &x2, double &y2, const QRectF &rect)
{
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - rect.left(), rect.right() - x1, y1 - rect.top(), rect.bottom() - y1};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return false;
            continue;
        }
        const double r = q[k] / p[k];
        if (p[k] < 0.0) {
            if (r > t1)
                return false;
            if (r > t0)
                t0 = r;
        } else {
            if (r < t0)
                return false;
            if (r < t1)
                t1 = r;
        }
    }
    const double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = ax;
    y1 = ay;
    return true;
}
}  // namespace

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    EnsureImage();
}

void PictureBox::EnsureImage()
{
    const qreal ratio = devicePixelRatioF();
    const QSize want = (QSizeF(size()) * ratio).toSize().expandedTo(QSize(1, 1));
    if (image_.size() == want && ratio_ == ratio)
        return;
    // Keep what was drawn: the window may be laid out, or moved to a screen
    // of another scale, after the first drawing.
    image_ = QImage(want, QImage::Format_RGB32);
    ratio_ = ratio;
    image_.fill(back_);
    for (const Segment &line : lines_)
        Rasterise(line);
}

void PictureBox::SetBackColor(const QColor &color)
{
    back_ = color;
    Clear();
}

int PictureBox::WidthTwips() const
{
    return width() * static_cast<int>(kTwipsPerPixel);
}

int PictureBox::HeightTwips() const
{
    return height() * static_cast<int>(kTwipsPerPixel);
}

void PictureBox::Clear()
{
    lines_.clear();
    setAccessibleDescription(QString());
    EnsureImage();
    image_.fill(back_);
    update();
}

void PictureBox::Line(float x1, float y1, float x2, float y2)
{
    EnsureImage();
    lines_.push_back({x1, y1, x2, y2});
    Rasterise(lines_.back());
    ++linesDrawn_;
    update();
}

void PictureBox::Rasterise(const Segment &line)
{
    const double scale = ratio_ / kTwipsPerPixel;
    double ax = line.x1 * scale, ay = line.y1 * scale;
    double bx = line.x2 * scale, by = line.y2 * scale;
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
        return;
    const QRectF bounds(-2.0, -2.0, image_.width() + 4.0, image_.height() + 4.0);
    if (!ClipLine(ax, ay, bx, by, bounds))
        return;
    // The device pixel each end falls in, and a one-pixel pen: a line is one
    // pixel wide at every scale, never smeared over two.
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 0, Qt::SolidLine));
    auto pixel = [](double x, double y) { return QPoint(int(std::floor(x)), int(std::floor(y))); };
    const QPoint a = pixel(ax, ay), b = pixel(bx, by);
    if (a == b)
        p.drawPoint(a);
    else
        p.drawLine(a, b);
}

void PictureBox::Outline(int stages, float widest, float height)
{
    // As the boxes show numbers, less the point of a whole one, which a
    // screen reader would read out.
    auto spoken = [](float value) {
        QString text = FormatNumber(value, Pattern::Decimal);
        return text.endsWith(u'.') ? text.chopped(1) : text;
    };
    if (!outlineText_.isEmpty())
        setAccessibleDescription(outlineText_.arg(stages).arg(spoken(widest), spoken(height)));
}

void PictureBox::paintEvent(QPaintEvent *)
{
    EnsureImage();
    QPainter p(this);
    // The picture's pixels land one to one on the screen's.
    p.fillRect(rect(), back_);
    p.drawImage(QRectF(QPointF(0, 0), QSizeF(image_.size()) / ratio_), image_);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    EnsureImage();
    QWidget::resizeEvent(event);
}
