#pragma once
// A stable least-significant-digit radix sort on 64-bit keys, and the mapping of doubles to keys
// that sort like the numbers. Sorting millions of elements this way takes a few passes over
// memory instead of the 20-odd comparisons per element of a comparison sort.

#include <array>
#include <bit>
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

/// Sorts `items` ascending by keyOf(item), keeping the input order of equal keys. At most
/// 2^32 - 1 items.
template<typename T, typename KeyOf>
void RadixSortStable(std::vector<T> &items, KeyOf keyOf)
{
    constexpr int kDigitBits = 11;
    constexpr uint64_t kDigitMask = (uint64_t(1) << kDigitBits) - 1;
    constexpr int kPasses = (64 + kDigitBits - 1) / kDigitBits;
    if (items.size() < 2)
        return;
    std::vector<std::array<uint32_t, kDigitMask + 1>> counts(kPasses);
    for (auto &count : counts)
        count.fill(0);
    for (const T &item : items) {
        const uint64_t key = keyOf(item);
        for (int pass = 0; pass < kPasses; ++pass)
            ++counts[size_t(pass)][(key >> (pass * kDigitBits)) & kDigitMask];
    }
    std::vector<T> scratch(items.size());
    std::vector<T> *from = &items, *to = &scratch;
    const uint64_t firstKey = keyOf(items.front());
    for (int pass = 0; pass < kPasses; ++pass) {
        auto &count = counts[size_t(pass)];
        const int shift = pass * kDigitBits;
        // A digit that every key shares moves nothing.
        if (count[(firstKey >> shift) & kDigitMask] == items.size())
            continue;
        std::exclusive_scan(count.begin(), count.end(), count.begin(), uint32_t(0));
        for (const T &item : *from)
            (*to)[count[(keyOf(item) >> shift) & kDigitMask]++] = item;
        std::swap(from, to);
    }
    if (from != &items)
        items.swap(*from);
}

} // namespace rtl
