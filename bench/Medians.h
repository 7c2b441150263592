#pragma once
// The medians of repeated benchmarks, for the ratios a benchmark prints.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

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

// Runs the benchmarks that the command line selects; false when it holds an
// argument that is not known.
inline bool RunBenchmarks(int &argc, char *argv[], Keeper &keeper)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    benchmark::RunSpecifiedBenchmarks(&keeper);
    return true;
}
