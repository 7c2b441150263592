#pragma once
// A picture box that keeps its drawing (a retained picture), with a background
// colour, Clear and Line in twips.
#include "Canvas.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <vector>

class PictureBox : public QWidget, public Canvas {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    void SetBackColor(const QColor &color);  // also wipes the drawing
    QColor BackColor() const { return back_; }

    int WidthTwips() const override;
    int HeightTwips() const override;
    void Clear() override;
    void Line(float x1, float y1, float x2, float y2) override;
    // Becomes the accessible description, "%1" the stages, "%2" the widest
    // width, "%3" the height; a cleared box has none.
    void Outline(int stages, float widest, float height) override;
    void SetOutlineText(const QString &format) { outlineText_ = format; }

    // The retained picture in device pixels, for tests and screenshots.
    const QImage &Picture() const { return image_; }
    // Lines drawn since the box was made; lets a test see a redraw happen.
    int LinesDrawn() const { return linesDrawn_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Segment {
        float x1, y1, x2, y2;
    };
    // Sizes the picture to the widget in device pixels; a new size or pixel
    // ratio draws the kept lines anew, so they stay one device pixel wide.
    void EnsureImage();
    void Rasterise(const Segment &line);

    QColor back_{0xE0, 0xE0, 0xE0};
    QImage image_;
    qreal ratio_ = 0.0;           // device pixels per pixel that image_ was drawn for
    std::vector<Segment> lines_;  // since the last Clear
    QString outlineText_;
    int linesDrawn_ = 0;
};
