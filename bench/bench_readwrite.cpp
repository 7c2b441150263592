// Reading and writing a big machine file against the floor of merely reading
// it (ReadFloor.h): a file of 32767 attachment lines, read by the floor and
// by the program (read, sort, format, encode) in one run, with their ratio;
// then the peak memory that loading adds, for that file and for one near the
// 16 MiB limit, the program's beside the floor's.
//   bench_readwrite --write-file=PATH   only writes the 32767-line file
#include "BenchTable.h"
#include "ReadFloor.h"
#include "model/MtlFile.h"
#include "model/SlotOrder.h"
#include "platform/TextFile.h"

#include <benchmark/benchmark.h>

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int kSlots = 32767;

// As a saved file holds them, in shuffled order so that loading sorts: two
// stages each, every eighth line with a name (half of them Japanese), and a
// few lines typed by hand in lower case.
QByteArray BigFileBytes()
{
    QString text = QStringLiteral(
        "#******************   MACHINE TABLE FOR MORVEX2000   ******************\r\n"
        "NAME = BENCH VM5           \r\nSTROKE(X) = 850.\r\nSTROKE(Y) = 500.\r\n"
        "TOOL CHANGE TIME = 2.5\r\nATC TYPE = WAIT\r\nRAPID(X) = 36000.\r\n"
        "MAXIMUM FEEDRATE = 10000.\r\nINI = ATTACHMENT01\r\n");
    const std::vector<int> numbers = ShuffledNumbers(kSlots);
    for (int i = 0; i < kSlots; ++i) {
        QString line = QStringLiteral("ATTACHMENT%1 = SQUARE/%2.,%3,%4.,%5")
                           .arg(numbers[std::size_t(i)], 2, 10, QLatin1Char('0'))
                           .arg(100 + i % 97)
                           .arg(QString::number(20 + i % 31) + QStringLiteral(".5"))
                           .arg(200 + i % 89)
                           .arg(QString::number(40 + i % 23) + QStringLiteral(".25"));
        if (i % 8 == 0)
            line += i % 16 ? QStringLiteral(",STANDARD HEAD       ")
                           : QStringLiteral(",立形ヘッド               ");
        if (i % 64 == 1)
            line = line.toLower();
        text += line + QStringLiteral("\r\n");
    }
    QByteArray bytes;
    EncodeCp932(text, bytes);
    return bytes;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QTemporaryDir &Dir()
{
    static QTemporaryDir dir;
    return dir;
}

QString BigFile()
{
    static const QString path = [] {
        const QString p = Dir().filePath(QStringLiteral("big32767.mtl"));
        WriteFile(p, BigFileBytes());
        return p;
    }();
    return path;
}

// About 16 MiB: the attachment lines repeated up to the size limit.
QString HugeFile()
{
    static const QString path = [] {
        QByteArray bytes = BigFileBytes();
        const QByteArray more = bytes.mid(bytes.indexOf("ATTACHMENT"));
        while (bytes.size() + more.size() <= kMaxMtlFileBytes)
            bytes += more;
        const QString p = Dir().filePath(QStringLiteral("huge.mtl"));
        WriteFile(p, bytes);
        return p;
    }();
    return path;
}

struct Program {
    MachineTable table;
    AttachmentSlots attachments;
    bool Read(const QString &path) { return ReadMtlFile(path, kSlots, table, attachments).loaded; }
    // What mtlcheck --print does between reading the file and writing stdout.
    qsizetype ReadSortFormatEncode(const QString &path)
    {
        if (!Read(path))
            return -1;
        QByteArray bytes;
        if (!MtlFileBytes(table, attachments, bytes))
            return -1;
        return bytes.size();
    }
};

void BM_ReadFloor(benchmark::State &s)
{
    const QString path = BigFile();
    for (auto _ : s) {
        qsizetype n = ReadFloor(path);
        benchmark::DoNotOptimize(n);
    }
    if (ReadFloor(path) <= 0)
        s.SkipWithError("the file was not read");
}

void BM_ReadSortFormatEncode(benchmark::State &s)
{
    const QString path = BigFile();
    Program program;
    for (auto _ : s) {
        qsizetype n = program.ReadSortFormatEncode(path);
        benchmark::DoNotOptimize(n);
    }
    if (program.ReadSortFormatEncode(path) <= 0 || CountAttachments(program.attachments) != kSlots)
        s.SkipWithError("not every attachment was loaded and written");
}

// The parts, to see where the time goes, each on the bytes of the file.
template <typename Part>
void TimePart(benchmark::State &s, Part part)
{
    QByteArray bytes;
    ReadFileBytes(BigFile(), kMaxMtlFileBytes, bytes);
    for (auto _ : s)
        benchmark::DoNotOptimize(part(bytes));
}

// Decoding and parsing, into a table whose slots are made anew each time.
void BM_Parse(benchmark::State &s)
{
    MachineTable table;
    AttachmentSlots attachments;
    TimePart(s, [&](const QByteArray &bytes) { return ParseMtlBytes(bytes, kSlots, table, attachments); });
}

void BM_Sort(benchmark::State &s)
{
    MachineTable table;
    AttachmentSlots shuffled, work;
    TimePart(s, [&](const QByteArray &bytes) {
        if (shuffled.empty())
            ParseMtlBytes(bytes, kSlots, table, shuffled);
        s.PauseTiming();
        work = shuffled;
        s.ResumeTiming();
        SortAttachments(work);
        return work.data();
    });
}

void BM_FormatEncode(benchmark::State &s)
{
    Program program;
    program.ReadSortFormatEncode(BigFile());
    TimePart(s, [&program](const QByteArray &) {
        QByteArray out;
        return MtlFileBytes(program.table, program.attachments, out);
    });
}

// The fingerprint of the changed-on-disk check beside a SHA-256 of the same bytes.
void BM_Fingerprint(benchmark::State &s)
{
    TimePart(s, [](const QByteArray &bytes) { return ContentHash(bytes); });
}

void BM_Sha256(benchmark::State &s)
{
    TimePart(s, [](const QByteArray &bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256); });
}

// Kilobytes of one "Vm..." line of /proc/self/status, or -1.
long long StatusKiB(const char *key)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    while (status >> name) {
        if (name == key) {
            long long kib = -1;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

// MiB of resident memory that load adds at its peak, or -1.
template <typename Load>
double PeakMiB(Load load)
{
    // Freed memory back to the system and the high-water mark reset, so the
    // peak that follows is this load's own.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long long before = StatusKiB("VmRSS:");
    if (!load())
        return -1;
    const long long peak = StatusKiB("VmHWM:");
    return before < 0 || peak < before ? -1 : double(peak - before) / 1024;
}

// Keeps the median real time of each benchmark that is repeated, in
// nanoseconds: a busy machine disturbs it less than a mean.
class Keeper : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                ns[run.run_name.function_name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
        ConsoleReporter::ReportRuns(runs);
    }
};

void PrintMemory(const char *what, const QString &path)
{
    const double fileMiB = double(QFile(path).size()) / (1024 * 1024);
    const double floor = PeakMiB([&path] { return ReadFloor(path) > 0; });
    Program program;
    const double load = PeakMiB([&] { return program.Read(path); });
    std::printf("%s: file %.2f MiB; peak added by loading %.2f MiB (%.2f x the file), "
                "floor %.2f MiB; goal at most floor + 2 x file = %.2f MiB\n",
                what, fileMiB, load, load / fileMiB, floor, floor + 2 * fileMiB);
}

}  // namespace

BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_ReadSortFormatEncode)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fingerprint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha256)->Unit(benchmark::kMillisecond);

int main(int argc, char *argv[])
{
    const char *writeFlag = "--write-file=";
    if (argc == 2 && std::strncmp(argv[1], writeFlag, std::strlen(writeFlag)) == 0)
        return WriteFile(QString::fromLocal8Bit(argv[1] + std::strlen(writeFlag)), BigFileBytes()) ? 0 : 1;
    // A fixed threshold: every large buffer gets pages of its own and gives
    // them back when freed, so resident memory follows what a load holds.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Keeper keeper;
    benchmark::RunSpecifiedBenchmarks(&keeper);
    const double floor = keeper.ns["BM_ReadFloor"], program = keeper.ns["BM_ReadSortFormatEncode"];
    if (floor > 0 && program > 0)
        std::printf("\nmedians: read, sort, format, encode %.2f ms; read floor %.2f ms; ratio %.2f (goal at most 2)\n",
                    program / 1e6, floor / 1e6, program / floor);
    PrintMemory("32767 attachments", BigFile());
    PrintMemory("near the size limit", HugeFile());
    benchmark::Shutdown();
    return 0;
}
