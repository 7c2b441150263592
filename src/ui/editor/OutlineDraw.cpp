#include "OutlineDraw.h"

#include <cmath>

namespace {
constexpr float kFill = 0.8f;
// The base-line factor is derived from the Single fill ratio in double
// arithmetic: 0.9000000059604645, a hair above 0.9, which decides the ties.
constexpr double kBaseFactor = 1.0 - (1.0 - static_cast<double>(kFill)) / 2.0;

int RoundHalfEven(double v)
{
    return static_cast<int>(std::nearbyint(v));  // default rounding mode: to nearest even
}
}  // namespace

void AttachDraw(const AttachmentRecord &record, Canvas &box)
{
    // Stages count upwards while each is at least as wide as the one below.
    float W = 0.0f, H = 0.0f;
    int stages = 0;
    for (; stages < 5; ++stages) {
        if (W > record.Width[stages])
            break;
        W = record.Width[stages];
        H += record.Height[stages];
    }
    if (!(W > 0.0f) || !(H > 0.0f))
        return;  // nothing to draw: the box keeps what it showed

    box.Clear();

    const float boxWidth = static_cast<float>(box.WidthTwips());
    const float boxHeight = static_cast<float>(box.HeightTwips());
    const float sx = boxWidth * kFill / W;
    const float sy = boxHeight * kFill / H;
    const float s = sx < sy ? sx : sy;
    const int c = RoundHalfEven(static_cast<double>(box.WidthTwips()) / 2.0);
    const int base = RoundHalfEven(static_cast<double>(box.HeightTwips()) * kBaseFactor);

    const float cf = static_cast<float>(c);
    float y = static_cast<float>(base);
    float h = 0.0f;
    // Exactly the counted stages are drawn.
    for (int i = 0; i < stages; ++i) {
        h = record.Width[i] / 2.0f * s;
        const float t = y - s * record.Height[i];
        box.Line(cf + h, y, cf - h, y);
        box.Line(cf + h, y, cf + h, t);
        box.Line(cf - h, y, cf - h, t);
        y = t;
    }
    box.Line(cf + h, y, cf - h, y);
    box.Outline(stages, W, H);
}
