#pragma once
// Google Benchmark's run of the benchmarks named on the command line, for the mains of bench/.

#include <benchmark/benchmark.h>

inline int RunBenchmarks(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
