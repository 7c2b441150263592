// One commit and one undo on a table of 32767 attachments: a number, an
// attachment replaced by Entry, an attachment deleted; and a full undo and
// redo of 1000 mixed changes. Each must stay far below a frame. Then a
// commit that also writes the recovery copy, for a typical file and a full one,
// and the heap that 1000 deletions of the first attachment keep in the history.
#include "BenchMain.h"
#include "model/Document.h"
#include "platform/TextFile.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstddef>
#include <cstdio>

namespace {

constexpr int kSlots = 32767;

struct Fixture {
    QTemporaryDir dir;
    PosixFileLayer files;
    RecoveryStore store{files, dir.filePath(QStringLiteral("state"))};  // outlives the document
    Document document{files, kSlots};

    bool Init(int count = kSlots)
    {
        MachineTable table;
        table.MachineName = QStringLiteral("BENCH");
        table.Stroke = {850, 500, 510};
        AttachmentSlots attachments;
        attachments.resize(std::size_t(count));
        for (int i = 0; i < count; ++i)
            attachments[std::size_t(i)] = {i + 1, 1, 1, {40, 60, 60, 0, 0}, {20, 30, 10, 0, 0},
                                     QStringLiteral("HEAD %1").arg(i)};
        QByteArray bytes;
        const QString path = dir.filePath(QStringLiteral("big.mtl"));
        QFile file(path);
        return EncodeCp932(MtlFileText(table, attachments), bytes) && file.open(QIODevice::WriteOnly) &&
               file.write(bytes) == bytes.size() && (file.close(), document.Load(path).loaded);
    }
};

Fixture *fixture = nullptr;

void BM_CommitNumber(benchmark::State &s)
{
    Document &d = fixture->document;
    float value = 1;
    for (auto _ : s)
        d.SetNumber({Field::Stroke, 1}, value += 1, QStringLiteral("stroke Y"));
}
BENCHMARK(BM_CommitNumber)->Unit(benchmark::kMicrosecond);

void BM_UndoNumber(benchmark::State &s)
{
    Document &d = fixture->document;
    d.SetNumber({Field::Stroke, 1}, 7, QStringLiteral("stroke Y"));
    for (auto _ : s) {
        d.History().undo();
        s.PauseTiming();
        d.History().redo();
        s.ResumeTiming();
    }
}
BENCHMARK(BM_UndoNumber)->Unit(benchmark::kMicrosecond);

// Entry on the middle record with another width: a changed record that stays in its place.
void BM_CommitEntry(benchmark::State &s)
{
    Document &d = fixture->document;
    const int slot = kSlots / 2;
    AttachmentRecord r = d.Attachments()[slot];
    for (auto _ : s) {
        r.Width[0] = r.Width[0] == 40 ? 30 : 40;
        d.PutAttachment(slot, r, QStringLiteral("edit"));
    }
}
BENCHMARK(BM_CommitEntry)->Unit(benchmark::kMicrosecond);

// Deleting the first attachment moves every record behind it: the worst case.
void BM_DeleteAndUndo(benchmark::State &s)
{
    Document &d = fixture->document;
    for (auto _ : s) {
        d.DeleteAttachment(0, QStringLiteral("delete"));
        d.History().undo();
    }
    if (d.Attachments()[0].Number != 1)
        s.SkipWithError("the undo did not bring the record back");
}
BENCHMARK(BM_DeleteAndUndo)->Unit(benchmark::kMicrosecond);

void BM_UndoRedo1000(benchmark::State &s)
{
    Document &d = fixture->document;
    d.History().clear();
    for (int i = 0; i < 1000; ++i) {
        if (i % 2) {
            AttachmentRecord r = d.Attachments()[std::size_t(i)];
            r.Height[1] += 1;
            d.PutAttachment(i, r, QStringLiteral("edit"));
        } else {
            d.SetNumber({Field::MaxFeed, i % 3}, float(i), QStringLiteral("feed"));
        }
    }
    for (auto _ : s) {
        while (d.History().canUndo())
            d.History().undo();
        while (d.History().canRedo())
            d.History().redo();
    }
    s.SetItemsProcessed(s.iterations() * 2000);
}
BENCHMARK(BM_UndoRedo1000)->Unit(benchmark::kMillisecond);

// The copy kept on every commit: for a small table the text, its encoding and
// an unsynced replace at once; for a big one, once the commits pause.
void BM_CommitWithRecovery(benchmark::State &s)
{
    Fixture f;
    RecoveryStore &store = f.store;
    f.document.SetRecovery(&store);
    if (!f.Init(int(s.range(0))) || store.Claimed() != RecoveryStore::Claim::Mine) {
        s.SkipWithError("set-up failed");
        return;
    }
    float value = 1;
    for (auto _ : s)
        f.document.SetNumber({Field::Stroke, 1}, value += 1, QStringLiteral("stroke Y"));
    // A big table's copy comes once the commits pause.
    QEventLoop pause;
    QTimer::singleShot(1000, &pause, &QEventLoop::quit);
    pause.exec();
    if (store.Find().status != RecoveryStore::Found::Usable)
        s.SkipWithError("no copy was written");
}
BENCHMARK(BM_CommitWithRecovery)->Arg(10)->Arg(kSlots)->Unit(benchmark::kMicrosecond);

}  // namespace

// A recovery copy of 32767 attachments offered and taken: found, judged and
// taken with one parse, beside what one parse of it costs.
void BM_OfferCopy(benchmark::State &s)
{
    Fixture f;
    f.document.SetRecovery(&f.store);
    QByteArray copy;
    if (!f.Init() || !f.document.SetNumber({Field::Stroke, 1}, 7, QStringLiteral("stroke Y")) ||
        !f.document.FileBytes(copy)) {
        s.SkipWithError("set-up failed");
        return;
    }
    f.document.Close();  // as a kill would leave it: the copy stays
    const QString name = f.document.Current().Name();
    for (auto _ : s) {
        s.PauseTiming();
        f.document.Load(name);
        s.ResumeTiming();
        if (f.document.FindLeftovers().copy.state != Leftovers::State::Differs)
            s.SkipWithError("the copy was not offered");
        f.document.AnswerLeftover(Leftover::Copy, true);
    }
    s.counters["copy bytes"] = double(copy.size());
}
BENCHMARK(BM_OfferCopy)->Unit(benchmark::kMillisecond);

void BM_ParseCopy(benchmark::State &s)
{
    QByteArray copy;
    fixture->document.FileBytes(copy);
    for (auto _ : s) {
        MachineTable table;
        AttachmentSlots attachments;
        benchmark::DoNotOptimize(ParseMtlBytes(copy, kSlots, table, attachments));
    }
}
BENCHMARK(BM_ParseCopy)->Unit(benchmark::kMillisecond);

// The heap that n deletions of the first attachment add, history included
// (Google Benchmark measures no memory).
void PrintDeletionMemory(int n)
{
    Fixture f;
    if (!f.Init())
        return;
    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < n; ++i)
        f.document.DeleteAttachment(0, QStringLiteral("delete"));
    const double added = double(mallinfo2().uordblks - before) / (1024 * 1024);
    std::printf("%d deletions of the first of %d attachments add %.1f MiB to the heap (goal for 1000: "
                "under 10)\n",
                n, kSlots, added);
}

int main(int argc, char **argv)
{
    return BenchMain<QCoreApplication>(argc, argv, fixture, [] {
        PrintDeletionMemory(qEnvironmentVariableIntValue("QM_DELETIONS") > 0
                                ? qEnvironmentVariableIntValue("QM_DELETIONS")
                                : 1000);
    });
}
