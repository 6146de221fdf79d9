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
#include <numeric>

namespace {

// Below this many values a comparison sort alone is quickest.
constexpr size_t kComparisonSortThreshold = 4096;
// The slices of a longer list's key range that its values are first spread over.
constexpr int kSliceBits = 12;
constexpr size_t kSlices = size_t(1) << kSliceBits;
// From this many gaps on they are first spread over buckets (and those sorted in parallel).
constexpr size_t kBucketSortThreshold = size_t(1) << 16;
// Fewer values than this are not worth a task of their own.
constexpr size_t kLeastValuesPerTask = 8192;
// Tasks per thread, so that a thread slowed by other work holds up little.
constexpr size_t kTasksPerThread = 4;
// Buckets of the parallel sort per thread, and keys sampled per bucket to find their bounds.
constexpr size_t kBucketsPerThread = 8;
constexpr size_t kSampledKeysPerBucket = 64;
constexpr size_t kLeastBuckets = 64;
constexpr size_t kMostBuckets = 256;

rtl::Exception tooManyGaps(long double samples, int32_t cases)
{
    return rtl::Exception(QStringLiteral("%1 samples of %2 values are too many: a simulation makes at most %3 differences")
                              .arg(rtl::FloatToStrF(samples, 15)).arg(cases).arg(MaxSimulatedGaps));
}

// A function object rather than a function, so that the sorts inline it.
constexpr auto keyOf = [](double value) { return rtl::OrderableKey(value); };

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
// One pass spreads the values over thousands of slices of their key range, each small enough
// for a comparison sort in the cache: fewer passes over memory than a radix sort's.
double *sortValues(double *values, double *room, size_t n)
{
    if (n < kComparisonSortThreshold) {
        std::sort(values, values + n);
        return values;
    }
    uint64_t lowest = UINT64_MAX, highest = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t key = keyOf(values[i]);
        lowest = std::min(lowest, key);
        highest = std::max(highest, key);
    }
    const int shift = std::max(0, int(std::bit_width(highest - lowest)) - kSliceBits);
    std::vector<uint32_t> next(kSlices + 1, 0);
    for (size_t i = 0; i < n; ++i)
        ++next[((keyOf(values[i]) - lowest) >> shift) + 1];
    std::partial_sum(next.begin(), next.end(), next.begin());
    const std::vector<uint32_t> sliceStart = next;
    for (size_t i = 0; i < n; ++i)
        room[next[(keyOf(values[i]) - lowest) >> shift]++] = values[i];
    for (size_t slice = 0; slice < kSlices; ++slice)
        std::sort(room + sliceStart[slice], room + sliceStart[slice + 1]);
    return room;
}

// Draws on the program-wide generator's sequence in `pieces` side by side, piece p with its own
// copy of the generator jumped firstDraw(p) draws ahead. The generator ends `total` draws on,
// where drawing one value after the other would leave it, and the warnings of the draws are
// shown here, in draw order.
template <typename FirstDraw, typename Draw>
void drawInPieces(size_t pieces, unsigned threads, uint64_t total, FirstDraw firstDraw, Draw draw)
{
    const uint32_t start = rtl::RandSeed();
    std::vector<std::vector<rtl::TWarning>> warnings(pieces);
    rtl::ParallelFor(pieces, threads, [&](size_t piece) {
        const rtl::TWarningCapture capture(warnings[piece]);
        rtl::TRandomSequence sequence(rtl::SeedAfter(start, firstDraw(piece)));
        draw(piece, sequence);
    });
    rtl::SetRandSeed(rtl::SeedAfter(start, total));
    for (const std::vector<rtl::TWarning> &shown : warnings)
        rtl::ShowWarnings(shown);
}

// Draws `count` values of the distribution in stretches side by side.
std::vector<double> drawValues(uint8_t Kind, int32_t N, size_t count, unsigned threads)
{
    std::vector<double> values(count);
    const TaskSplit split = splitWork(count, threads, kLeastValuesPerTask);
    drawInPieces(split.tasks, threads, count, [&](size_t task) { return split.begin(task); },
                 [&](size_t task, rtl::TRandomSequence &sequence) {
                     for (size_t i = split.begin(task), end = split.end(task, count); i < end; ++i)
                         values[i] = DrawnValue(Kind, N, sequence.Next());
                 });
    return values;
}

// The gaps between neighbours of a sample in ascending order.
void writeGaps(const double *sample, size_t cases, double *gaps)
{
    for (size_t i = 1; i < cases; ++i)
        gaps[i - 1] = double(static_cast<long double>(sample[i]) - sample[i - 1]) + 0.0;
}

// Puts each sample of `cases` consecutive values in ascending order, samples side by side, and
// answers the gaps between neighbours, sample after sample.
std::vector<double> sampleGaps(std::vector<double> &values, size_t cases, unsigned threads)
{
    const size_t samples = values.size() / cases;
    std::vector<double> gaps(samples * (cases - 1));
    const TaskSplit split = splitWork(samples, threads, kLeastValuesPerTask / cases);
    rtl::ParallelFor(split.tasks, threads, [&](size_t task) {
        std::vector<double> room(cases < kComparisonSortThreshold ? 0 : cases);
        for (size_t s = split.begin(task), end = split.end(task, samples); s < end; ++s)
            writeGaps(sortValues(values.data() + s * cases, room.data(), cases), cases, gaps.data() + s * (cases - 1));
    });
    return gaps;
}

// Many samples: each task draws its stretch of samples one by one and sorts each while it is in
// the cache; answers the gaps of each sample, sample after sample.
std::vector<double> drawSampleGaps(uint8_t Kind, int32_t N, size_t cases, size_t samples, unsigned threads)
{
    std::vector<double> gaps(samples * (cases - 1));
    const TaskSplit split = splitWork(samples, threads, kLeastValuesPerTask / cases);
    drawInPieces(split.tasks, threads, uint64_t(samples) * cases, [&](size_t task) { return uint64_t(split.begin(task)) * cases; },
                 [&](size_t task, rtl::TRandomSequence &sequence) {
                     std::vector<double> sample(cases), room(cases < kComparisonSortThreshold ? 0 : cases);
                     for (size_t s = split.begin(task), end = split.end(task, samples); s < end; ++s) {
                         for (double &value : sample)
                             value = DrawnValue(Kind, N, sequence.Next());
                         writeGaps(sortValues(sample.data(), room.data(), cases), cases, gaps.data() + s * (cases - 1));
                     }
                 });
    return gaps;
}

// Buckets of about equal size, each a run of neighbouring slices of the key range: the range
// seen in keys spread evenly over the list is cut into kFineSlices slices, and the sampled keys
// decide where one bucket ends and the next begins. Keys outside the sampled range go to the
// first or the last slice. The bucket of a key never decreases as the key grows.
class BucketTable
{
public:
    BucketTable(const double *values, size_t n, size_t buckets)
    {
        std::vector<uint64_t> sampled(buckets * kSampledKeysPerBucket);
        for (size_t i = 0; i < sampled.size(); ++i)
            sampled[i] = keyOf(values[i * n / sampled.size()]);
        const auto [lowest, highest] = std::minmax_element(sampled.begin(), sampled.end());
        m_lowest = *lowest;
        m_shift = std::max(0, int(std::bit_width(*highest - *lowest)) - kFineSliceBits);
        std::vector<uint32_t> sampledInSlice(kFineSlices, 0);
        for (const uint64_t key : sampled)
            ++sampledInSlice[sliceOf(key)];
        m_bucketOfSlice.resize(kFineSlices);
        size_t before = 0;
        for (size_t slice = 0; slice < kFineSlices; ++slice) {
            m_bucketOfSlice[slice] = uint8_t(std::min(buckets - 1, before * buckets / sampled.size()));
            before += sampledInSlice[slice];
        }
    }
    uint8_t operator()(double gap) const { return m_bucketOfSlice[sliceOf(keyOf(gap))]; }

private:
    static constexpr int kFineSliceBits = 16;
    static constexpr size_t kFineSlices = size_t(1) << kFineSliceBits;
    size_t sliceOf(uint64_t key) const
    {
        const uint64_t offset = key > m_lowest ? key - m_lowest : 0;
        return size_t(std::min<uint64_t>(offset >> m_shift, kFineSlices - 1));
    }

    uint64_t m_lowest = 0;
    int m_shift = 0;
    std::vector<uint8_t> m_bucketOfSlice;
};

// A sample sort: every task sorts its stretch of the list into buckets of key ranges, and the
// buckets, laid out one after the other in `room`, are sorted each on its own back into `values`.
void sortInBuckets(double *values, size_t n, double *room, unsigned threads)
{
    const size_t buckets = std::bit_ceil(std::clamp(size_t(threads) * kBucketsPerThread, kLeastBuckets, kMostBuckets));
    const BucketTable bucketOf(values, n, buckets);
    const TaskSplit split = splitWork(n, threads, kLeastValuesPerTask);
    const std::vector<size_t> bucketStart = rtl::StableDigitPass(values, room, n, buckets, bucketOf, split.tasks, threads);
    rtl::ParallelFor(buckets, threads, [&](size_t b) {
        const size_t first = bucketStart[b], size = bucketStart[b + 1] - first;
        const double *sorted = sortValues(room + first, values + first, size);
        if (sorted != values + first)
            std::copy(sorted, sorted + size, values + first);
    });
}

// Few long samples, drawn already: each is sorted on every core in turn.
std::vector<double> longSampleGaps(std::vector<double> &values, size_t cases, unsigned threads)
{
    const size_t samples = values.size() / cases;
    std::vector<double> gaps(samples * (cases - 1)), room(cases);
    for (size_t s = 0; s < samples; ++s) {
        double *sample = values.data() + s * cases;
        sortInBuckets(sample, cases, room.data(), threads);
        writeGaps(sample, cases, gaps.data() + s * (cases - 1));
    }
    return gaps;
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
        Threads = rtl::UsableProcessors();
    const size_t n = gaps.size();
    if (n >= kComparisonSortThreshold && scratch.size() < n)
        scratch.resize(n);
    if (n >= kBucketSortThreshold) {
        sortInBuckets(gaps.data(), n, scratch.data(), Threads);
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
        Threads = rtl::UsableProcessors();

    const auto cases = size_t(Cases), samples = size_t(Iterations);
    std::vector<double> gaps, room;
    if (samples >= size_t(Threads) * kTasksPerThread) {
        gaps = drawSampleGaps(Kind, N, cases, samples, Threads);
    } else {
        // Too few samples to keep every core busy with one each: the values are drawn first.
        room = drawValues(Kind, N, samples * cases, Threads);
        gaps = cases >= kBucketSortThreshold ? longSampleGaps(room, cases, Threads) : sampleGaps(room, cases, Threads);
    }
    SortGaps(gaps, room, Threads);
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
