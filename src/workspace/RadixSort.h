#pragma once
// A stable least-significant-digit radix sort of (key, index) pairs, and the mapping of doubles
// to keys that sort like the numbers. Sorting a million pairs this way takes a few passes over
// memory instead of the 20 comparisons per element of a comparison sort.

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

struct KeyedIndex
{
    uint64_t key;
    uint32_t index;
};

/// A key whose unsigned order is the order of the numbers; -0.0 and 0.0 get the same key.
/// NaN is not expected.
inline uint64_t OrderableKey(double value)
{
    if (value == 0.0)
        value = 0.0;
    const auto bits = std::bit_cast<uint64_t>(value);
    return (bits >> 63) != 0 ? ~bits : bits | (uint64_t(1) << 63);
}

/// Sorts `pairs` ascending by key, keeping the input order of equal keys.
inline void RadixSortStable(std::vector<KeyedIndex> &pairs)
{
    constexpr int kDigitBits = 11;
    constexpr int kBuckets = 1 << kDigitBits;
    constexpr int kPasses = (64 + kDigitBits - 1) / kDigitBits;
    if (pairs.size() < 2)
        return;
    std::vector<std::array<uint32_t, kBuckets>> counts(kPasses);
    for (auto &c : counts)
        c.fill(0);
    for (const KeyedIndex &p : pairs) {
        for (int pass = 0; pass < kPasses; ++pass)
            ++counts[size_t(pass)][(p.key >> (pass * kDigitBits)) & (kBuckets - 1)];
    }
    std::vector<KeyedIndex> scratch(pairs.size());
    std::vector<KeyedIndex> *from = &pairs, *to = &scratch;
    for (int pass = 0; pass < kPasses; ++pass) {
        auto &count = counts[size_t(pass)];
        const int shift = pass * kDigitBits;
        // A digit that every key shares moves nothing.
        if (count[(pairs.front().key >> shift) & (kBuckets - 1)] == pairs.size())
            continue;
        uint32_t offset = 0;
        for (uint32_t &c : count) {
            const uint32_t n = c;
            c = offset;
            offset += n;
        }
        for (const KeyedIndex &p : *from)
            (*to)[count[(p.key >> shift) & (kBuckets - 1)]++] = p;
        std::swap(from, to);
    }
    if (from != &pairs)
        pairs.swap(*from);
}
