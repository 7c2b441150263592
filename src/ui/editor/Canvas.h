#pragma once
// What AttachDraw needs of a picture box, so that tests can read the lines back.
class Canvas {
public:
    virtual ~Canvas() = default;
    // Outer size in twips (15 twips are one pixel at 96 dpi).
    virtual int WidthTwips() const = 0;
    virtual int HeightTwips() const = 0;
    // Erases to the background colour.
    virtual void Clear() = 0;
    // A black line in the box's own twips, origin top left.
    virtual void Line(float x1, float y1, float x2, float y2) = 0;
    // After the lines: what they show, in numbers, for those who cannot see
    // them (screen readers). The stages drawn, the widest width, the height.
    virtual void Outline(int /*stages*/, float /*widest*/, float /*height*/) { }
};
