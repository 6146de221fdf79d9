#pragma once
// A stable least-significant-digit radix sort on 64-bit keys, and the mapping of doubles to keys
// that sort like the numbers. Sorting millions of elements this way takes a few passes over
// memory instead of the 20-odd comparisons per element of a comparison sort.

#include "Parallel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

namespace rtl {

/// A key whose unsigned order is the order of the numbers; -0.0 and 0.0 get the same key.
/// NaN is not expected.
inline uint64_t OrderableKey(double value)
{
    if (value == 0.0)
        value = 0.0;
    const auto bits = std::bit_cast<uint64_t>(value);
    return (bits >> 63) != 0 ? ~bits : bits | (uint64_t(1) << 63);
}

/// Sorts the n elements at `items` ascending by keyOf(item), keeping the input order of equal
/// keys; `scratch` holds n elements of room. Answers where the sorted elements stand: `items` or
/// `scratch`. At most 2^32 - 1 elements.
template<typename T, typename KeyOf>
T *RadixSortStable(T *items, T *scratch, size_t n, KeyOf keyOf)
{
    constexpr int kDigitBits = 11;
    constexpr uint64_t kDigitMask = (uint64_t(1) << kDigitBits) - 1;
    constexpr int kPasses = (64 + kDigitBits - 1) / kDigitBits;
    if (n < 2)
        return items;
    std::vector<std::array<uint32_t, kDigitMask + 1>> counts(kPasses);
    for (auto &count : counts)
        count.fill(0);
    for (size_t i = 0; i < n; ++i) {
        const uint64_t key = keyOf(items[i]);
        for (int pass = 0; pass < kPasses; ++pass)
            ++counts[size_t(pass)][(key >> (pass * kDigitBits)) & kDigitMask];
    }
    T *from = items, *to = scratch;
    const uint64_t firstKey = keyOf(items[0]);
    for (int pass = 0; pass < kPasses; ++pass) {
        auto &count = counts[size_t(pass)];
        const int shift = pass * kDigitBits;
        // A digit that every key shares moves nothing.
        if (count[(firstKey >> shift) & kDigitMask] == n)
            continue;
        std::exclusive_scan(count.begin(), count.end(), count.begin(), uint32_t(0));
        for (size_t i = 0; i < n; ++i)
            to[count[(keyOf(from[i]) >> shift) & kDigitMask]++] = from[i];
        std::swap(from, to);
    }
    return from;
}

/// Moves the n elements at `from` to `to` ordered by digitOf(element) (below `digits`), keeping the
/// order of elements with equal digits: every one of `stretches` tasks on at most `threads` threads
/// counts the digits of its own stretch of `from`, then moves its elements, the stretches in order.
/// Answers where each digit's elements begin in `to` (digits + 1 entries, the last n).
template<typename T, typename DigitOf>
std::vector<size_t> StableDigitPass(const T *from, T *to, size_t n, size_t digits, DigitOf digitOf, size_t stretches,
                                    unsigned threads)
{
    const size_t stretchSize = (n + stretches - 1) / stretches;
    const auto stretchBegin = [&](size_t s) { return std::min(n, s * stretchSize); };
    // Per stretch: how many of its elements have each digit, then where the next one goes.
    std::vector<std::vector<uint32_t>> next(stretches, std::vector<uint32_t>(digits, 0));
    ParallelFor(stretches, threads, [&](size_t s) {
        std::vector<uint32_t> &count = next[s];
        for (size_t i = stretchBegin(s), end = stretchBegin(s + 1); i < end; ++i)
            ++count[digitOf(from[i])];
    });
    std::vector<size_t> digitStart(digits + 1, n);
    uint32_t at = 0;
    for (size_t d = 0; d < digits; ++d) {
        digitStart[d] = at;
        for (std::vector<uint32_t> &count : next) {
            const uint32_t here = count[d];
            count[d] = at;
            at += here;
        }
    }
    ParallelFor(stretches, threads, [&](size_t s) {
        std::vector<uint32_t> &position = next[s];
        for (size_t i = stretchBegin(s), end = stretchBegin(s + 1); i < end; ++i)
            to[position[digitOf(from[i])]++] = from[i];
    });
    return digitStart;
}

namespace detail {

// Fewer elements than this per stretch are not worth a thread.
constexpr size_t kLeastPerStretch = size_t(1) << 15;
// Below this many elements a comparison sort in the cache beats a radix sort's counting.
constexpr size_t kComparisonSortBelow = 1024;

// Sorts the n elements at `items` on one thread and leaves them there; `scratch` is room for n.
template<typename T, typename KeyOf>
void SortInPlace(T *items, T *scratch, size_t n, KeyOf keyOf)
{
    if (n < kComparisonSortBelow) {
        std::stable_sort(items, items + n, [&](const T &a, const T &b) { return keyOf(a) < keyOf(b); });
        return;
    }
    const T *sorted = RadixSortStable(items, scratch, n, keyOf);
    if (sorted != items)
        std::copy(sorted, sorted + n, items);
}

} // namespace detail

/// Like RadixSortStable, on `threads` threads (0: every usable processor). One pass on all threads spreads the
/// elements over buckets by the highest bits in which the keys differ, each thread moving its own
/// stretch, the stretches in order; then the buckets are sorted side by side, each in the cache
/// (a bucket too big for one thread is sorted the same way on all of them). The result is the one
/// stable order. Answers where the sorted elements stand: `items` or `scratch`. At most 2^32 - 1
/// elements.
template<typename T, typename KeyOf>
T *ParallelRadixSortStable(T *items, T *scratch, size_t n, KeyOf keyOf, unsigned threads)
{
    constexpr int kMostDigitBits = 11;
    if (threads == 0)
        threads = UsableProcessors();
    const size_t stretches = std::min<size_t>(threads, n / detail::kLeastPerStretch);
    if (stretches < 2)
        return RadixSortStable(items, scratch, n, keyOf);

    std::vector<uint64_t> differing(stretches, 0);
    const uint64_t firstKey = keyOf(items[0]);
    const size_t stretchSize = (n + stretches - 1) / stretches;
    ParallelFor(stretches, threads, [&](size_t s) {
        uint64_t bits = 0;
        for (size_t i = s * stretchSize, end = std::min(n, (s + 1) * stretchSize); i < end; ++i)
            bits |= keyOf(items[i]) ^ firstKey;
        differing[s] = bits;
    });
    uint64_t varying = 0;
    for (const uint64_t bits : differing)
        varying |= bits;
    if (varying == 0)
        return items;
    const int lowBit = std::countr_zero(varying);
    const int highBits = std::min(int(std::bit_width(varying)) - lowBit, kMostDigitBits);
    const int shift = std::bit_width(varying) - highBits;
    const size_t buckets = size_t(1) << highBits;
    const std::vector<size_t> bucketStart = StableDigitPass(
        items, scratch, n, buckets, [&](const T &item) { return size_t((keyOf(item) >> shift) & (buckets - 1)); },
        stretches, threads);
    if (shift == lowBit)
        return scratch;

    const auto sizeOf = [&](size_t b) { return bucketStart[b + 1] - bucketStart[b]; };
    const size_t bigBucket = std::max(2 * detail::kLeastPerStretch, n / threads);
    for (size_t b = 0; b < buckets; ++b) {
        if (sizeOf(b) < bigBucket)
            continue;
        T *bucket = scratch + bucketStart[b];
        const T *sorted = ParallelRadixSortStable(bucket, items + bucketStart[b], sizeOf(b), keyOf, threads);
        if (sorted != bucket)
            ParallelForStretches(sizeOf(b), detail::kLeastPerStretch, threads,
                                 [&](size_t first, size_t last) { std::copy(sorted + first, sorted + last, bucket + first); });
    }
    ParallelFor(buckets, threads, [&](size_t b) {
        if (sizeOf(b) > 1 && sizeOf(b) < bigBucket)
            detail::SortInPlace(scratch + bucketStart[b], items + bucketStart[b], sizeOf(b), keyOf);
    });
    return scratch;
}

/// Sorts `items` ascending by keyOf(item), keeping the input order of equal keys, on `threads`
/// threads (0: every usable processor). At most 2^32 - 1 items.
template<typename T, typename KeyOf>
void RadixSortStable(std::vector<T> &items, KeyOf keyOf, unsigned threads = 1)
{
    if (items.size() < 2)
        return;
    std::vector<T> scratch(items.size());
    if (ParallelRadixSortStable(items.data(), scratch.data(), items.size(), keyOf, threads) != items.data())
        items.swap(scratch);
}

} // namespace rtl
