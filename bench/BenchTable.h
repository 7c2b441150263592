#pragma once
// The machine table the benchmarks share: a sensible machine and `count`
// complete attachments, numbered in shuffled order so that loading or sorting
// them has work to do.
#include "model/MachineTable.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

// 1 to count in an order of their own, the same in every run.
inline std::vector<int> ShuffledNumbers(int count, unsigned seed = 42)
{
    std::vector<int> numbers(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        numbers[std::size_t(i)] = i + 1;
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(seed));
    return numbers;
}

inline void FillBenchTable(MachineTable &t, AttachmentSlots &attachments, int count)
{
    t.MachineName = QStringLiteral("BENCH VM5");
    t.Stroke = {850, 500, 510};
    t.ToolChangeTime = 2.5f;
    t.AtcType = 1;
    t.RapidFeed = {36000, 36000, 30000};
    t.MaxFeed = {10000, 10000, 8000};
    t.MaxAccel = {0.3f, 0.3f, 0.25f};
    t.IniAttachment = 1;
    const std::vector<int> numbers = ShuffledNumbers(count);
    attachments.assign(std::size_t(count), AttachmentRecord{});
    for (int i = 0; i < count; ++i) {
        AttachmentRecord &r = attachments[std::size_t(i)];
        r.Number = numbers[std::size_t(i)];
        r.ShapeType = 1;
        r.ShapeNumber = 1;
        r.Width = {120, 160, 200, 0, 0};
        r.Height = {40.5f, 60.25f, 90.125f, 0, 0};
        r.AttachName = QStringLiteral("STANDARD HEAD");
    }
}
