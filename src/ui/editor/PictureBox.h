#pragma once
// A picture box that keeps its drawing (a retained image), with a background
// colour, Clear and Line in twips.
#include "Canvas.h"

#include <QColor>
#include <QImage>
#include <QWidget>

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

    // The retained picture, for tests and screenshots.
    const QImage &Picture() const { return image_; }
    // Lines drawn since the box was made; lets a test see a redraw happen.
    int LinesDrawn() const { return linesDrawn_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Sizes the picture to the widget, keeping what was drawn.
    void EnsureImage();

    QColor back_{0xE0, 0xE0, 0xE0};
    QImage image_;
    int linesDrawn_ = 0;
};
