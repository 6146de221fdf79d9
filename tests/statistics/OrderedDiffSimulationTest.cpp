// The simulation core: the pooled gaps against the one-by-one insertion they replace, the
// readout, the histogram and the sample counts of a request.

#include "statistics/OrderedDiffSimulation.h"
#include "statistics/Ustatistics.h"

#include "platform/rtl/Processors.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Warnings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sched.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// The reference: each sample kept ascending while it is drawn, each gap inserted into the ascending
// list as it is made (new minimum to the front, new maximum to the end, else a binary search that
// rounds the middle half to even and puts a gap equal to a probed one before it).
class InsertedGaps
{
public:
    void AddDifference(double value)
    {
        if (list.empty()) {
            list.push_back(value);
            minimum = maximum = value;
        } else if (value <= minimum) {
            list.insert(list.begin(), value);
            minimum = value;
        } else if (value >= maximum) {
            list.push_back(value);
            maximum = value;
        } else {
            long lo = 0, hi = long(list.size()) - 1;
            while (hi - lo >= 2) {
                const long mid = std::lrint((lo + hi) / 2.0);
                if (list[size_t(mid)] == value) {
                    hi = mid;
                    break;
                }
                (value >= list[size_t(mid)] ? lo : hi) = mid;
            }
            list.insert(list.begin() + hi, value);
        }
    }
    std::vector<double> list;
    double minimum = 0, maximum = 0;
};

std::vector<double> insertedSimulation(uint8_t kind, int32_t n, int32_t cases, int32_t iterations)
{
    InsertedGaps gaps;
    std::vector<double> sample;
    for (int32_t it = 0; it < iterations; ++it) {
        sample.clear();
        for (int32_t i = 0; i < cases; ++i) {
            const double v = DrawnValue(kind, n, rtl::Random());
            auto at = sample.begin();
            while (at != sample.end() && !(*at > v))
                ++at;
            sample.insert(at, v);
        }
        for (size_t i = 1; i < sample.size(); ++i)
            gaps.AddDifference(double(static_cast<long double>(sample[i]) - sample[i - 1]));
    }
    return gaps.list;
}

struct SimulationCase
{
    const char *name;
    uint8_t kind;
    int32_t n, cases, iterations;
};

class PooledGaps : public ::testing::TestWithParam<SimulationCase>
{
};

TEST_P(PooledGaps, EqualTheOneByOneInsertionForTheSameDraws)
{
    const SimulationCase &c = GetParam();
    rtl::SetRandSeed(20240601);
    const std::vector<double> pooled = SimulateGaps(c.kind, c.n, c.cases, c.iterations);
    const uint32_t seedAfter = rtl::RandSeed();
    rtl::SetRandSeed(20240601);
    const std::vector<double> inserted = insertedSimulation(c.kind, c.n, c.cases, c.iterations);
    EXPECT_EQ(rtl::RandSeed(), seedAfter) << "the same draws";
    ASSERT_EQ(pooled.size(), size_t(c.iterations) * size_t(c.cases - 1));
    EXPECT_EQ(pooled, inserted);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PooledGaps,
    ::testing::Values(SimulationCase{"NormalFives", dkNormal, 0, 5, 1200}, SimulationCase{"RegularPairs", dkRegular, 0, 2, 6000},
                      SimulationCase{"ChiSquareFours", dkChiQuadrat, 3, 4, 1500}, SimulationCase{"StudentLarge", dkT, 10, 300, 20}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PooledGaps, TiesAndZerosSortLikeTheInsertion)
{
    // Few distinct values, so that almost every gap ties with others, -0 among them.
    std::vector<double> values;
    for (int i = 0; i < 20000; ++i)
        values.push_back(double((i * 7919) % 13) / 4.0);
    values[5] = -0.0;
    TGapCollector collector;
    InsertedGaps inserted;
    for (const double v : values) {
        collector.AddDifference(v);
        inserted.AddDifference(v + 0.0);
    }
    const std::vector<double> sorted = collector.Finish();
    EXPECT_EQ(sorted, inserted.list);
    EXPECT_FALSE(std::signbit(sorted.front()));
}

// The definition, one value after the other on the program-wide generator: each sample drawn and
// sorted, its gaps taken, all gaps sorted at the end.
std::vector<double> drawnOneByOne(uint8_t kind, int32_t n, int32_t cases, int32_t iterations)
{
    std::vector<double> gaps;
    std::vector<double> sample(static_cast<size_t>(cases));
    for (int32_t it = 0; it < iterations; ++it) {
        for (double &value : sample)
            value = DrawnValue(kind, n, rtl::Random());
        std::sort(sample.begin(), sample.end());
        for (size_t i = 1; i < sample.size(); ++i)
            gaps.push_back(double(static_cast<long double>(sample[i]) - sample[i - 1]) + 0.0);
    }
    std::sort(gaps.begin(), gaps.end());
    return gaps;
}

// The seed from which draw number `draw` (1-based) comes out as exactly 0: the recurrence run
// backwards from the state 0, x := (x - 1) / 134775813 modulo 2^32.
uint32_t seedWithZeroDraw(uint64_t draw)
{
    const uint32_t a = 134775813u;
    uint32_t inverse = a; // Newton's iteration doubles the correct low bits each time
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - a * inverse;
    uint32_t seed = 0;
    for (uint64_t i = 0; i < draw; ++i)
        seed = (seed - 1u) * inverse;
    return seed;
}

// Records each warning and the thread that showed it.
class WarningsSeen
{
public:
    WarningsSeen()
    {
        m_previous = rtl::SetWarningHandler([this](rtl::WarningKind, const QString &text) {
            texts.push_back(text);
            threads.push_back(std::this_thread::get_id());
        });
    }
    ~WarningsSeen() { rtl::SetWarningHandler(std::move(m_previous)); }
    std::vector<QString> texts;
    std::vector<std::thread::id> threads;

private:
    rtl::WarningHandler m_previous;
};

TEST(ParallelSimulation, GivesTheSerialDrawsGapsAndFinalSeedOnAnyNumberOfThreads)
{
    const struct
    {
        int32_t cases, iterations;
    } sizes[] = {{2, 110000}, {5, 30000}, {101, 1200}, {10000, 12}, {70000, 2}};
    for (const uint8_t kind : {dkRegular, dkNormal, dkChiQuadrat, dkT}) {
        for (const auto &size : sizes) {
            const uint64_t draws = uint64_t(size.cases) * uint64_t(size.iterations);
            for (const uint32_t seed : {20240601u, seedWithZeroDraw(draws * 7 / 10)}) {
                const bool zeroDraw = seed != 20240601u && kind != dkRegular;
                const std::string where = "kind " + std::to_string(kind) + ", " + std::to_string(size.cases)
                                          + " cases, seed " + std::to_string(seed);
                WarningsSeen warnings;
                rtl::SetRandSeed(seed);
                const std::vector<double> expected = drawnOneByOne(kind, 4, size.cases, size.iterations);
                const uint32_t expectedSeed = rtl::RandSeed();
                ASSERT_EQ(warnings.texts.size(), zeroDraw ? 1u : 0u) << where;
                for (const unsigned threads : {1u, 2u, 8u}) {
                    rtl::SetRandSeed(seed);
                    const std::vector<double> gaps = SimulateGaps(kind, 4, size.cases, size.iterations, threads);
                    EXPECT_EQ(rtl::RandSeed(), expectedSeed) << where << ", " << threads << " threads";
                    ASSERT_EQ(gaps.size(), expected.size()) << where << ", " << threads << " threads";
                    EXPECT_TRUE(std::equal(gaps.begin(), gaps.end(), expected.begin(), [](double x, double y) {
                        return std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(y);
                    })) << where << ", " << threads << " threads";
                }
                // The zero draw's box, once per run, shown by the thread that asked for the simulation.
                ASSERT_EQ(warnings.texts.size(), zeroDraw ? 4u : 0u) << where;
                for (size_t i = 0; i < warnings.texts.size(); ++i) {
                    EXPECT_EQ(warnings.texts[i], QStringLiteral("Error of the normal distribution parameter")) << where;
                    EXPECT_EQ(warnings.threads[i], std::this_thread::get_id()) << where;
                }
            }
        }
    }
}

TEST(ParallelSimulation, SortsManyTiedGapsLikeOneThread)
{
    // Few distinct values, so that the buckets' bounds fall on ties; zeros among them.
    std::vector<double> gaps;
    for (int i = 0; i < 300000; ++i)
        gaps.push_back(double((int64_t(i) * 7919) % 29) / 8.0 + (i % 1000 == 0 ? 1e-300 * i : 0.0));
    std::vector<double> expected = gaps;
    std::sort(expected.begin(), expected.end());
    for (const unsigned threads : {1u, 2u, 8u, 64u}) {
        std::vector<double> sorted = gaps, room;
        SortGaps(sorted, room, threads);
        EXPECT_EQ(sorted, expected) << threads << " threads";
    }
}

int threadsOfThisProcess() { return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }

// Keeps the calling thread to the first processor it may run on, simulates and tells on stderr
// how many processors the simulation saw and how many threads it started.
[[noreturn]] void simulateOnOneProcessor()
{
    cpu_set_t allowed, one;
    sched_getaffinity(0, sizeof allowed, &allowed);
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE && CPU_COUNT(&one) == 0; ++cpu)
        if (CPU_ISSET(cpu, &allowed))
            CPU_SET(cpu, &one);
    sched_setaffinity(0, sizeof one, &one);
    const int before = threadsOfThisProcess();
    SimulateGaps(dkNormal, 0, 5, 40000);
    std::fprintf(stderr, "processors: %u, threads started: %d\n", rtl::UsableProcessors(), threadsOfThisProcess() - before);
    std::exit(0);
}

// As under `taskset -c N`: the simulation keeps to the one processor the process may run on.
TEST(ParallelSimulation, StartsNoThreadWhenTheProcessMayRunOnOneProcessor)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process, whose pool has no thread yet
    EXPECT_EXIT(simulateOnOneProcessor(), ::testing::ExitedWithCode(0), "processors: 1, threads started: 0");
}

// Hand-made /proc and cgroup files: a quota anywhere on the group's path holds, rounded up.
TEST(ParallelSimulation, ProcessorsAreLimitedByTheControlGroupsCpuQuota)
{
    const struct
    {
        const char *name;
        std::vector<std::pair<QString, QByteArray>> files;
        unsigned limit;
    } cases[] = {
        {"v2 quota of the parent group",
         {{"proc/self/cgroup", "0::/box/job\n"},
          {"proc/self/mountinfo", "30 23 0:26 / /sys/fs/cgroup rw,relatime - cgroup2 cgroup2 rw\n"},
          {"sys/fs/cgroup/box/cpu.max", "150000 100000\n"},
          {"sys/fs/cgroup/box/job/cpu.max", "max 100000\n"}},
         2},
        {"v1 quota of a container's group",
         {{"proc/self/cgroup", "5:memory:/docker/c1\n4:cpu,cpuacct:/docker/c1\n0::/\n"},
          {"proc/self/mountinfo", "32 31 0:29 /docker/c1 /sys/fs/cgroup/cpu,cpuacct rw - cgroup cgroup rw,cpu,cpuacct\n"},
          {"sys/fs/cgroup/cpu,cpuacct/cpu.cfs_quota_us", "50000\n"},
          {"sys/fs/cgroup/cpu,cpuacct/cpu.cfs_period_us", "100000\n"}},
         1},
        {"no quota",
         {{"proc/self/cgroup", "4:cpu:/\n0::/\n"},
          {"proc/self/mountinfo", "32 31 0:29 / /sys/fs/cgroup/cpu rw - cgroup cgroup rw,cpu\n"},
          {"sys/fs/cgroup/cpu/cpu.cfs_quota_us", "-1\n"},
          {"sys/fs/cgroup/cpu/cpu.cfs_period_us", "100000\n"}},
         0},
    };
    for (const auto &c : cases) {
        QTemporaryDir root;
        for (const auto &[path, text] : c.files) {
            QDir(root.path()).mkpath(QFileInfo(path).path());
            QFile file(root.filePath(path));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        EXPECT_EQ(rtl::CgroupProcessorLimit(root.path().toStdString()), c.limit) << c.name;
    }
}

TEST(PooledGaps, DegreesOfFreedomBelowOneFailBeforeAnyDraw)
{
    for (const uint8_t kind : {dkChiQuadrat, dkT}) {
        rtl::SetRandSeed(99);
        EXPECT_THROW(SimulateGaps(kind, 0, 5, 10), rtl::EMathError);
        EXPECT_EQ(rtl::RandSeed(), 99u);
    }
}

TEST(PooledGaps, RefusesMoreGapsThanACountCanHold)
{
    EXPECT_THROW(SimulateGaps(dkRegular, 0, 10000, 1000000), rtl::Exception);
    EXPECT_THROW(SamplesForGaps(INT32_MAX, 2), rtl::Exception);
}

TEST(SamplesForGaps, RestOnMoreGapsThanAsked)
{
    const struct
    {
        int32_t gaps, cases, samples;
    } rows[] = {{100000, 5, 25001}, {100000, 2, 100001}, {100000, 10000, 11}, {200000, 5, 50001}, {0, 5, 1}, {-100, 5, 1}};
    for (const auto &r : rows)
        EXPECT_EQ(SamplesForGaps(r.gaps, r.cases), r.samples) << r.gaps << " gaps of " << r.cases;
}

TEST(GapQuantile, InterpolatesBetweenNeighboursAndStopsAtTheEnds)
{
    const std::vector<double> four{1, 2, 3, 4};
    std::vector<double> fifty(50);
    for (int i = 0; i < 50; ++i)
        fifty[size_t(i)] = i + 1;
    const struct
    {
        const std::vector<double> *gaps;
        double alpha;
        long double expected;
    } rows[] = {{&four, 0.5, 3}, {&four, 0.6, 3.4L}, {&four, 0, 1}, {&four, 0.75, 4}, {&four, 1, 4}, {&four, 7, 4},
                {&four, -0.5, 1}, {&fifty, 0.99, 50}, {&fifty, 0.95, 48.5L}};
    for (const auto &r : rows)
        EXPECT_NEAR(double(GapQuantile(*r.gaps, r.alpha)), double(r.expected), 1e-15) << r.gaps->size() << " at " << r.alpha;
    EXPECT_THROW(GapQuantile({}, 0.5), rtl::EInvalidOperation);
}

TEST(GapHistogram, BarsAreDensitiesUpToTheBinOfTheLargestGap)
{
    const std::vector<THistogramBar> bars = GapHistogram({0.05, 0.12, 0.14, 0.35}, 0.1);
    ASSERT_EQ(bars.size(), 4u);
    const double x[] = {0.05, 0.15, 0.25, 0.35}, y[] = {2.5, 5, 0, 2.5};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(bars[i].X, x[i], 1e-12) << i;
        EXPECT_NEAR(bars[i].Y, y[i], 1e-12) << i;
    }
    EXPECT_TRUE(GapHistogram({}, 0.1).empty());
    // Edges that would no longer move (or a million bars) are refused, not looped over.
    EXPECT_THROW(GapHistogram({0.5, 1.0}, 1e-17), rtl::Exception);
}

} // namespace
