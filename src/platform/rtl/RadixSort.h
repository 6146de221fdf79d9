#pragma once
// A stable least-significant-digit radix sort on 64-bit keys, and the mapping of doubles to keys
// that sort like the numbers. Sorting millions of elements this way takes a few passes over
// memory instead of the 20-odd comparisons per element of a comparison sort.

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

/// Sorts `items` ascending by keyOf(item), keeping the input order of equal keys. At most
/// 2^32 - 1 items.
template<typename T, typename KeyOf>
void RadixSortStable(std::vector<T> &items, KeyOf keyOf)
{
    if (items.size() < 2)
        return;
    std::vector<T> scratch(items.size());
    if (RadixSortStable(items.data(), scratch.data(), items.size(), keyOf) != items.data())
        items.swap(scratch);
}

} // namespace rtl
