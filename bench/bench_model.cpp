// Loading and saving a machine file: a typical 10-slot file against one that
// fills 32767 attachments. Items are file lines, so the per-item times compare
// directly: near-linear work gives the same time per line for both sizes.
// Also one attachment line of many items (per-item time again, which stays
// flat when cutting tokens is linear) and the peak memory of loading a big file.
#include "BenchTable.h"
#include "model/MtlFile.h"
#include "model/SlotOrder.h"
#include "platform/TextFile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Table {
    PosixFileLayer files;
    MachineTable table;
    AttachmentSlots attachments;
    explicit Table(int count) { FillBenchTable(table, attachments, count); }
    int Lines() const
    {
        return int(MtlFileText(table, attachments).count(QLatin1Char('\n')));
    }
};

QTemporaryDir &Dir()
{
    static QTemporaryDir dir;
    return dir;
}

// The unsorted file, written once per size.
QString File(int count)
{
    const QString path = Dir().filePath(QStringLiteral("bench%1.mtl").arg(count));
    if (!QFile::exists(path)) {
        Table t(count);
        QByteArray bytes;
        EncodeCp932(MtlFileText(t.table, t.attachments), bytes);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    return path;
}

void BM_ReadAndSort(benchmark::State &s)
{
    const int count = int(s.range(0));
    const QString path = File(count);
    Table t(count);
    const int lines = t.Lines();
    for (auto _ : s) {
        bool ok = ReadMtlFile(path, int(t.attachments.size()), t.table, t.attachments).loaded;
        benchmark::DoNotOptimize(ok);
    }
    if (CountAttachments(t.attachments) != count)
        s.SkipWithError("not every attachment was loaded");
    s.SetItemsProcessed(s.iterations() * lines);
}

void BM_Sort(benchmark::State &s)
{
    const int count = int(s.range(0));
    const Table t(count);
    AttachmentSlots work;
    for (auto _ : s) {
        s.PauseTiming();
        work = t.attachments;
        s.ResumeTiming();
        SortAttachments(work);
        benchmark::DoNotOptimize(work.data());
    }
    s.SetItemsProcessed(s.iterations() * count);
}

void BM_FormatText(benchmark::State &s)
{
    const int count = int(s.range(0));
    const Table t(count);
    const int lines = t.Lines();
    for (auto _ : s) {
        QString text = MtlFileText(t.table, t.attachments);
        benchmark::DoNotOptimize(text.data());
    }
    s.SetItemsProcessed(s.iterations() * lines);
}

// The whole save: text, encoding, backup, atomic write with fsync, clean-up.
void BM_Write(benchmark::State &s)
{
    const int count = int(s.range(0));
    Table t(count);
    const int lines = t.Lines();
    const QString path = Dir().filePath(QStringLiteral("write%1.mtl").arg(count));
    for (auto _ : s) {
        bool ok = WriteMtlFile(t.files, path, t.table, t.attachments).Saved();
        if (!ok)
            s.SkipWithError("save failed");
    }
    s.SetItemsProcessed(s.iterations() * lines);
}

// One attachment line of range(0) stage items, as a hand-edited file may hold.
void BM_LongAttachmentLine(benchmark::State &s)
{
    const int items = int(s.range(0));
    QString line = QStringLiteral("ATTACHMENT01 = SQUARE/");
    line.reserve(items * 7 + 64);
    for (int i = 0; i < items; ++i)
        line += QString::number(100 + i % 900) + QStringLiteral(".5,");
    line += QStringLiteral("ARM");
    const QStringList lines{QStringLiteral("NAME = LONG"), line};
    MachineTable table;
    AttachmentSlots attachments;
    for (auto _ : s) {
        bool ok = ParseMtlLines(lines, 10, table, attachments);
        benchmark::DoNotOptimize(ok);
    }
    if (attachments.empty() || attachments[0].AttachName.str().trimmed() != QLatin1String("ARM"))
        s.SkipWithError("the line was not read to its end");
    s.counters["line_bytes"] = double(line.size());
    s.SetItemsProcessed(s.iterations() * items);
}

// Kilobytes of one "Vm..." line of /proc/self/status, or -1.
long long StatusKiB(const char *key)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    long long kib = -1;
    while (status >> name) {
        if (name == key) {
            status >> kib;
            return kib;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

// Peak resident memory added by one ReadMtlFile of a file of about 16 MiB:
// every slot of 32767 filled, and as many attachment lines again beyond them.
void BM_LoadPeakMemory(benchmark::State &s)
{
    const QString path = Dir().filePath(QStringLiteral("big.mtl"));
    QByteArray bytes;
    {
        Table t(32767);
        EncodeCp932(MtlFileText(t.table, t.attachments), bytes);
        const QByteArray more = bytes.mid(bytes.indexOf("ATTACHMENT"));
        while (bytes.size() + more.size() <= 16 * 1024 * 1024)
            bytes += more;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            s.SkipWithError("cannot write the file");
            return;
        }
    }
    const double fileBytes = double(bytes.size());
    bytes = QByteArray();

    Table t(32767);
    // Freed memory back to the system and the peak reset, so the high-water
    // mark that follows is this load's own.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long long before = StatusKiB("VmRSS:");
    const bool ok = ReadMtlFile(path, int(t.attachments.size()), t.table, t.attachments).loaded;
    const long long peak = StatusKiB("VmHWM:");
    if (!ok || before < 0 || peak < before) {
        s.SkipWithError("load failed or no peak memory figure");
        return;
    }
    for (auto _ : s) {
        bool again = ReadMtlFile(path, int(t.attachments.size()), t.table, t.attachments).loaded;
        benchmark::DoNotOptimize(again);
    }
    s.counters["file_MiB"] = fileBytes / (1024 * 1024);
    s.counters["peak_MiB"] = double(peak - before) / 1024;
    s.counters["peak_per_file_byte"] = double(peak - before) * 1024 / fileBytes;
}

}  // namespace

BENCHMARK(BM_LongAttachmentLine)->Arg(20000)->Arg(200000)->Arg(850000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPeakMemory)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndSort)->Arg(10)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sort)->Arg(10)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FormatText)->Arg(10)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Write)->Arg(10)->Arg(1000)->Arg(32767)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
