#include "PictureBox.h"

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
    const double q[4] = {x1 - rect.left(), rect.right() - x1, y1 - rect.top(),
                         rect.bottom() - y1};
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
    const QSize want = size().expandedTo(QSize(1, 1));
    if (image_.size() == want)
        return;
    // Keep what was drawn: the window may be resized or laid out after the
    // first drawing.
    QImage next(want, QImage::Format_RGB32);
    next.fill(back_);
    if (!image_.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
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
    EnsureImage();
    image_.fill(back_);
    update();
}

void PictureBox::Line(float x1, float y1, float x2, float y2)
{
    EnsureImage();
    double ax = x1 / kTwipsPerPixel, ay = y1 / kTwipsPerPixel;
    double bx = x2 / kTwipsPerPixel, by = y2 / kTwipsPerPixel;
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by))
        return;
    const QRectF bounds(-2.0, -2.0, image_.width() + 4.0, image_.height() + 4.0);
    if (!ClipLine(ax, ay, bx, by, bounds))
        return;
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 0, Qt::SolidLine));  // cosmetic: one pixel
    const QPointF a(ax, ay), b(bx, by);
    if (a == b)
        p.drawPoint(a);
    else
        p.drawLine(a, b);
    ++linesDrawn_;
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, back_);
    p.drawImage(r.topLeft(), image_, r);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    EnsureImage();
    QWidget::resizeEvent(event);
}
