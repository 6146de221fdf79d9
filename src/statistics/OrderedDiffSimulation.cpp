#include "OrderedDiffSimulation.h"

#include "Ustatistics.h"

#include "platform/rtl/Parallel.h"
#include "platform/rtl/RadixSort.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Warnings.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Below this many elements a comparison sort is as quick as the radix sort's passes.
constexpr size_t kRadixSortThreshold = 4096;
// Below this many gaps one thread sorts them all.
constexpr size_t kParallelSortThreshold = size_t(1) << 16;
// Fewer values than this are not worth a task of their own.
constexpr size_t kLeastValuesPerTask = 8192;
// Tasks per thread, so that a thread slowed by other work holds up little.
constexpr size_t kTasksPerThread = 4;
// Buckets of the parallel sort per thread, and keys sampled per bucket to find their bounds.
constexpr size_t kBucketsPerThread = 8;
constexpr size_t kSampledKeysPerBucket = 32;
constexpr size_t kMostBuckets = 256;

rtl::Exception tooManyGaps(long double samples, int32_t cases)
{
    return rtl::Exception(QStringLiteral("%1 samples of %2 values are too many: a simulation makes at most %3 differences")
                              .arg(rtl::FloatToStrF(samples, 15)).arg(cases).arg(MaxSimulatedGaps));
}

uint64_t keyOf(double value) { return rtl::OrderableKey(value); }

// Consecutive stretches of `count` units handed to tasks: `tasks` stretches of `size` units, the
// last one possibly shorter.
struct TaskSplit
{
    size_t tasks = 1;
    size_t size = 0;
    size_t begin(size_t task) const { return task * size; }
    size_t end(size_t task, size_t count) const { return std::min(count, (task + 1) * size); }
};

TaskSplit splitWork(size_t count, unsigned threads, size_t leastPerTask)
{
    const size_t worthwhile = std::max<size_t>(1, count / std::max<size_t>(leastPerTask, 1));
    TaskSplit split;
    split.tasks = std::min(worthwhile, size_t(threads) * kTasksPerThread);
    split.size = (count + split.tasks - 1) / split.tasks;
    split.tasks = split.size == 0 ? 1 : (count + split.size - 1) / split.size;
    return split;
}

// Sorts the n values at `values` ascending with `room` for n more; answers where they stand.
double *sortValues(double *values, double *room, size_t n)
{
    if (n < kRadixSortThreshold) {
        std::sort(values, values + n);
        return values;
    }
    return rtl::RadixSortStable(values, room, n, keyOf);
}

// Draws `count` values of the distribution from the program-wide generator's sequence, each
// task from its own copy jumped ahead to its stretch; the generator ends where drawing one value
// after the other would leave it, and the warnings of the draws are shown here, in draw order.
std::vector<double> drawValues(uint8_t Kind, int32_t N, size_t count, unsigned threads)
{
    const uint32_t start = rtl::RandSeed();
    std::vector<double> values(count);
    const TaskSplit split = splitWork(count, threads, kLeastValuesPerTask);
    std::vector<std::vector<rtl::TWarning>> warnings(split.tasks);
    rtl::ParallelFor(split.tasks, threads, [&](size_t task) {
        const rtl::TWarningCapture capture(warnings[task]);
        rtl::TRandomSequence sequence(rtl::SeedAfter(start, split.begin(task)));
        for (size_t i = split.begin(task), end = split.end(task, count); i < end; ++i)
            values[i] = DrawnValue(Kind, N, sequence.Next());
    });
    rtl::SetRandSeed(rtl::SeedAfter(start, count));
    for (const std::vector<rtl::TWarning> &shown : warnings)
        rtl::ShowWarnings(shown);
    return values;
}

// Puts each sample of `cases` consecutive values in ascending order and answers the gaps between
// neighbours, sample after sample.
std::vector<double> sampleGaps(std::vector<double> &values, size_t cases, unsigned threads)
{
    const size_t samples = values.size() / cases;
    std::vector<double> gaps(samples * (cases - 1));
    const TaskSplit split = splitWork(samples, threads, kLeastValuesPerTask / cases);
    rtl::ParallelFor(split.tasks, threads, [&](size_t task) {
        std::vector<double> room(cases < kRadixSortThreshold ? 0 : cases);
        for (size_t s = split.begin(task), end = split.end(task, samples); s < end; ++s) {
            const double *sample = sortValues(values.data() + s * cases, room.data(), cases);
            double *out = gaps.data() + s * (cases - 1);
            for (size_t i = 1; i < cases; ++i)
                out[i - 1] = double(static_cast<long double>(sample[i]) - sample[i - 1]) + 0.0;
        }
    });
    return gaps;
}

// The bucket of a key: how many of the buckets - 1 ascending bounds lie at or below it
// (buckets a power of two).
size_t bucketOf(const std::vector<uint64_t> &bounds, size_t buckets, uint64_t key)
{
    size_t index = 0;
    for (size_t step = buckets / 2; step > 0; step /= 2)
        index += key >= bounds[index + step - 1] ? step : 0;
    return index;
}

// Bounds between buckets of about equal size, read from keys spread evenly over the list.
std::vector<uint64_t> bucketBounds(const std::vector<double> &gaps, size_t buckets)
{
    std::vector<uint64_t> sampled(buckets * kSampledKeysPerBucket);
    for (size_t i = 0; i < sampled.size(); ++i)
        sampled[i] = keyOf(gaps[i * gaps.size() / sampled.size()]);
    std::sort(sampled.begin(), sampled.end());
    std::vector<uint64_t> bounds(buckets - 1);
    for (size_t b = 0; b + 1 < buckets; ++b)
        bounds[b] = sampled[(b + 1) * kSampledKeysPerBucket];
    return bounds;
}

// A sample sort: every task sorts its stretch of the list into buckets of key ranges, and the
// buckets, laid out one after the other in `room`, are sorted each on its own back into `gaps`.
void sortGapsInBuckets(std::vector<double> &gaps, std::vector<double> &room, unsigned threads)
{
    const size_t n = gaps.size();
    const size_t buckets = std::bit_ceil(std::min(kMostBuckets, size_t(threads) * kBucketsPerThread));
    const std::vector<uint64_t> bounds = bucketBounds(gaps, buckets);
    const TaskSplit split = splitWork(n, threads, kLeastValuesPerTask);
    std::vector<uint8_t> bucket(n);
    // Per task: how many of its gaps go to each bucket, then where the next one goes.
    std::vector<std::vector<size_t>> next(split.tasks, std::vector<size_t>(buckets, 0));
    rtl::ParallelFor(split.tasks, threads, [&](size_t task) {
        for (size_t i = split.begin(task), end = split.end(task, n); i < end; ++i) {
            bucket[i] = uint8_t(bucketOf(bounds, buckets, keyOf(gaps[i])));
            ++next[task][bucket[i]];
        }
    });
    std::vector<size_t> bucketStart(buckets + 1, n);
    size_t at = 0;
    for (size_t b = 0; b < buckets; ++b) {
        bucketStart[b] = at;
        for (std::vector<size_t> &taskNext : next) {
            const size_t count = taskNext[b];
            taskNext[b] = at;
            at += count;
        }
    }
    rtl::ParallelFor(split.tasks, threads, [&](size_t task) {
        std::vector<size_t> &taskNext = next[task];
        for (size_t i = split.begin(task), end = split.end(task, n); i < end; ++i)
            room[taskNext[bucket[i]]++] = gaps[i];
    });
    rtl::ParallelFor(buckets, threads, [&](size_t b) {
        const size_t first = bucketStart[b], size = bucketStart[b + 1] - first;
        const double *sorted = sortValues(room.data() + first, gaps.data() + first, size);
        if (sorted != gaps.data() + first)
            std::copy(sorted, sorted + size, gaps.data() + first);
    });
}

} // namespace

double DrawnValue(uint8_t Kind, int32_t N, double u)
{
    switch (Kind) {
    case dkNormal: return double(NormalQuantile(u));
    case dkChiQuadrat: return double(ChiSquareQuantile(N, u));
    case dkT: return double(StudentQuantile(N, u));
    default: return u;
    }
}

std::vector<double> TGapCollector::Finish()
{
    std::vector<double> gaps = std::move(m_gaps);
    m_gaps.clear();
    SortGaps(gaps);
    return gaps;
}

void SortGaps(std::vector<double> &gaps)
{
    std::vector<double> room;
    SortGaps(gaps, room, 1);
}

void SortGaps(std::vector<double> &gaps, std::vector<double> &scratch, unsigned Threads)
{
    if (Threads == 0)
        Threads = rtl::HardwareThreads();
    const size_t n = gaps.size();
    if (n >= kRadixSortThreshold && scratch.size() < n)
        scratch.resize(n);
    if (Threads > 1 && n >= kParallelSortThreshold) {
        sortGapsInBuckets(gaps, scratch, Threads);
        return;
    }
    const double *sorted = sortValues(gaps.data(), scratch.data(), n);
    if (sorted != gaps.data())
        std::copy(sorted, sorted + n, gaps.data());
}

int32_t SamplesForGaps(int32_t Iterations, int32_t Cases)
{
    const long double samples = std::trunc(static_cast<long double>(Iterations) / (Cases - 1) + 1);
    if (samples * (Cases - 1) > MaxSimulatedGaps)
        throw tooManyGaps(samples, Cases);
    return samples < 1 ? 1 : int32_t(samples);
}

std::vector<double> SimulateGaps(uint8_t Kind, int32_t N, int32_t Cases, int32_t Iterations, unsigned Threads)
{
    if (Iterations <= 0 || Cases < 2)
        return {};
    const int64_t count = int64_t(Iterations) * (Cases - 1);
    if (count > MaxSimulatedGaps)
        throw tooManyGaps(Iterations, Cases);
    // The quantile at 0.5 raises the engine's error for degrees of freedom below 1 before any draw.
    if (Kind == dkChiQuadrat || Kind == dkT)
        DrawnValue(Kind, N, 0.5);
    if (Threads == 0)
        Threads = rtl::HardwareThreads();

    std::vector<double> values = drawValues(Kind, N, size_t(Iterations) * size_t(Cases), Threads);
    std::vector<double> gaps = sampleGaps(values, size_t(Cases), Threads);
    // The drawn values are no longer needed: their room serves the sort.
    SortGaps(gaps, values, Threads);
    return gaps;
}

long double GapQuantile(const std::vector<double> &ascending, double alpha)
{
    if (ascending.empty())
        throw rtl::EInvalidOperation(QStringLiteral("There are no simulated differences to read a critical value from"));
    const long double position = static_cast<long double>(ascending.size()) * alpha;
    if (!(position >= 0))
        return ascending.front();
    if (position >= static_cast<long double>(ascending.size() - 1))
        return ascending.back();
    const auto k = size_t(position);
    const long double below = ascending[k];
    return (position - k) * (ascending[k + 1] - below) + below;
}

std::vector<THistogramBar> GapHistogram(const std::vector<double> &ascending, double w)
{
    std::vector<THistogramBar> bars;
    if (ascending.empty())
        return bars;
    if (!(ascending.back() / w < double(MaxHistogramBars)))
        throw rtl::Exception(QStringLiteral("The frequency interval %1 is too small for differences up to %2: "
                                            "a histogram has at most %3 bars")
                                 .arg(rtl::FloatToStr(w), rtl::FloatToStr(ascending.back()))
                                 .arg(MaxHistogramBars));
    const double total = double(ascending.size());
    size_t next = 0;
    double start = 0;
    while (next < ascending.size()) {
        const double end = start + w;
        size_t count = 0;
        for (; next < ascending.size() && ascending[next] < end; ++next)
            ++count;
        bars.push_back({start + w / 2, double(count) / total / w});
        start = end;
    }
    return bars;
}
