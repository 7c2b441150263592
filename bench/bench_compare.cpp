// Comparing two machine files of 32767 attachments that differ in a few values
// and attachments, against the floor of merely reading one of them
// (ReadFloor.h): reading both and comparing, as mtlcheck --compare does, and
// the comparison alone on the loaded tables.
#include "BigFile.h"
#include "Medians.h"
#include "ReadFloor.h"
#include "model/Compare.h"
#include "model/MtlFile.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdio>

namespace {

// Two values changed, one attachment gone, one new, one of another shape and
// one of another shape number.
constexpr std::size_t kDifferences = 6;

QByteArray ChangedBytes(const QByteArray &original)
{
    QList<QByteArray> lines = original.split('\n');
    qsizetype first = 0;  // the first attachment line
    while (!lines[first].startsWith("ATTACHMENT"))
        ++first;
    lines.removeAt(first + 100);
    lines[first + 5000].replace("SQUARE/", "undefine/");
    lines[first + 20000].replace("SQUARE/", "SQUARE2/");
    QByteArray bytes = lines.join('\n');
    bytes.replace("STROKE(X) = 850.", "STROKE(X) = 900.")
        .replace("ATC TYPE = WAIT", "ATC TYPE = DIRECT");
    return bytes + "ATTACHMENT40000 = SQUARE/10.,10.\r\n";
}

struct Files {
    QTemporaryDir dir;
    QString a = dir.filePath(QStringLiteral("a.mtl")), b = dir.filePath(QStringLiteral("b.mtl"));
    Files()
    {
        const QByteArray bytes = BigFileBytes();
        WriteFile(a, bytes);
        WriteFile(b, ChangedBytes(bytes));
    }
};

const Files &TwoFiles()
{
    static const Files files;
    return files;
}

struct Table {
    MachineTable table;
    AttachmentSlots attachments;
    bool Read(const QString &path) { return ReadMtlFile(path, kSlots, table, attachments).loaded; }
};

std::size_t ReadBothAndCompare(Table &a, Table &b)
{
    if (!a.Read(TwoFiles().a) || !b.Read(TwoFiles().b))
        return 0;
    return CompareTables(a.table, a.attachments, b.table, b.attachments).size();
}

void BM_ReadFloor(benchmark::State &s)
{
    for (auto _ : s) {
        qsizetype n = ReadFloor(TwoFiles().a);
        benchmark::DoNotOptimize(n);
    }
    if (ReadFloor(TwoFiles().a) <= 0)
        s.SkipWithError("the file was not read");
}

void BM_ReadBothAndCompare(benchmark::State &s)
{
    Table a, b;
    for (auto _ : s) {
        std::size_t n = ReadBothAndCompare(a, b);
        benchmark::DoNotOptimize(n);
    }
    if (ReadBothAndCompare(a, b) != kDifferences)
        s.SkipWithError("not the differences made");
}

void BM_Compare(benchmark::State &s)
{
    Table a, b;
    ReadBothAndCompare(a, b);
    for (auto _ : s) {
        auto differences = CompareTables(a.table, a.attachments, b.table, b.attachments);
        benchmark::DoNotOptimize(differences.data());
    }
}

}  // namespace

BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_ReadBothAndCompare)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(BM_Compare)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();

int main(int argc, char *argv[])
{
    Keeper keeper;
    if (!RunBenchmarks(argc, argv, keeper))
        return 1;
    const double floor = keeper.ns["BM_ReadFloor"], both = keeper.ns["BM_ReadBothAndCompare"];
    if (floor > 0 && both > 0)
        std::printf("\nmedians: read both and compare %.2f ms (the comparison alone %.2f ms); read "
                    "floor of one file %.2f ms; ratio %.2f (goal at most 4)\n",
                    both / 1e6, keeper.ns["BM_Compare"] / 1e6, floor / 1e6, both / floor);
    benchmark::Shutdown();
    return 0;
}
