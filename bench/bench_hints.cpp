// The hints run after every commit: a typical table against one of 32767
// attachments, numbered in shuffled order and then sorted as a load leaves
// them, most with names of their own, some sharing a name (one such group
// with two outlines, which marks its rows), some without. Also with a record
// open in the editor, as each keystroke in a stage box runs them.
#include "model/Hints.h"
#include "model/SlotOrder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

namespace {

struct Table {
    MachineTable table;
    AttachmentSlots attachments;
    explicit Table(int count) : attachments(std::size_t(count))
    {
        MachineTable &t = table;
        t.MachineName = QStringLiteral("BENCH VM5");
        t.Stroke = {850, 500, 510};
        t.RapidFeed = {36000, 36000, 30000};
        t.RapidAccel = {0.6f, 0.6f, 0.5f};
        t.MaxFeedAll = 12000;
        t.MaxFeed = {10000, 10000, 8000};
        t.MaxAccel = {0.3f, 0.3f, 0.25f};
        t.IniAttachment = 1;
        std::vector<int> numbers(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            numbers[std::size_t(i)] = i + 1;
        std::shuffle(numbers.begin(), numbers.end(), std::mt19937(42));
        for (int i = 0; i < count; ++i) {
            AttachmentRecord &r = attachments[std::size_t(i)];
            const int n = numbers[std::size_t(i)];
            r.Number = n;
            r.ShapeType = 1;
            r.ShapeNumber = 1;
            r.Width = {120, 160, 200, 0, 0};
            r.Height = {40.5f, 60.25f, 90.125f, 0, 0};
            if (n % 10 == 0)
                r.AttachName = QStringLiteral("STANDARD HEAD");
            else if (n % 500 == 1) {
                r.AttachName = QStringLiteral("ANGLE HEAD");
                r.Height[0] = n % 1000 == 1 ? 50 : 40.5f;
            } else if (n % 10 != 7)
                r.AttachName = QStringLiteral("HEAD %1").arg(n);
        }
        SortAttachments(attachments);
    }
};

void BM_FindHints(benchmark::State &state)
{
    const Table t(int(state.range(0)));
    std::size_t hints = 0;
    for (auto _ : state) {
        const std::vector<Hint> found = FindHints(t.table, t.attachments);
        hints = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["hints"] = double(hints);
}

void BM_FindHintsEditing(benchmark::State &state)
{
    const Table t(int(state.range(0)));
    AttachmentRecord edited = t.attachments[t.attachments.size() / 2];
    edited.Height[0] = 400;  // taller than the Z stroke
    HintOptions options;
    options.editing = &edited;
    options.editingSlot = int(t.attachments.size() / 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(FindHints(t.table, t.attachments, options).data());
}

}  // namespace

BENCHMARK(BM_FindHints)->Arg(10)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindHintsEditing)->Arg(32767)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
