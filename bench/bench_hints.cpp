// The hints run after every commit: a typical table against one of 32767
// attachments, numbered in shuffled order and then sorted as a load leaves
// them, most with names of their own, some sharing a name (one such group
// with two outlines, which marks its rows), some without. Also with a record
// open in the editor, as each keystroke in a stage box runs them.
#include "BenchTable.h"
#include "model/Hints.h"
#include "model/SlotOrder.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

namespace {

struct Table {
    MachineTable table;
    AttachmentSlots attachments;
    explicit Table(int count)
    {
        FillBenchTable(table, attachments, count);
        table.RapidAccel = {0.6f, 0.6f, 0.5f};
        table.MaxFeedAll = 12000;
        for (AttachmentRecord &r : attachments) {
            const int n = r.Number;
            if (n % 500 == 1) {
                r.AttachName = QStringLiteral("ANGLE HEAD");
                r.Height[0] = n % 1000 == 1 ? 50 : 40.5f;
            } else if (n % 10 == 7)
                r.AttachName = QString();
            else if (n % 10 != 0)
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
