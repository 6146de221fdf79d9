// Cost of one NormalQuantile call: the simulation of ordered differences makes one per draw.

#include "statistics/Ustatistics.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Probabilities spread over (0, 1) the way uniform draws are, so no branch is always taken.
std::vector<long double> drawnProbabilities()
{
    std::vector<long double> probabilities;
    uint32_t seed = 12345;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 134775813u + 1u;
        probabilities.push_back((seed + 0.5L) / 4294967296.0L);
    }
    return probabilities;
}

void BM_NormalQuantile(benchmark::State &state)
{
    const std::vector<long double> probabilities = drawnProbabilities();
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NormalQuantile(probabilities[next]));
        next = (next + 1) % probabilities.size();
    }
}
BENCHMARK(BM_NormalQuantile);

} // namespace

BENCHMARK_MAIN();
