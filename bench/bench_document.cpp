// One commit and one undo on a table of 32767 attachments: a number, an
// attachment replaced by Entry, an attachment deleted; and a full undo and
// redo of 1000 mixed changes. Each must stay far below a frame. Then a
// commit that also writes the recovery copy, for a typical file and a full one.
#include "model/Document.h"
#include "platform/TextFile.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdio>

namespace {

constexpr int kSlots = 32767;

struct Fixture {
    QTemporaryDir dir;
    PosixFileLayer files;
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

// The copy written on every commit: the text, its encoding and an unsynced replace.
void BM_CommitWithRecovery(benchmark::State &s)
{
    Fixture f;
    RecoveryStore store(f.files, f.dir.filePath(QStringLiteral("state")));
    f.document.SetRecovery(&store);
    if (!f.Init(int(s.range(0))) || store.Claimed() != RecoveryStore::Claim::Mine) {
        s.SkipWithError("set-up failed");
        return;
    }
    float value = 1;
    for (auto _ : s)
        f.document.SetNumber({Field::Stroke, 1}, value += 1, QStringLiteral("stroke Y"));
    if (store.Find().status != RecoveryStore::Found::Usable)
        s.SkipWithError("no copy was written");
}
BENCHMARK(BM_CommitWithRecovery)->Arg(10)->Arg(kSlots)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Fixture f;
    if (!f.Init()) {
        fprintf(stderr, "bench_document: set-up failed\n");
        return 1;
    }
    fixture = &f;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}
