// The parallel radix sort against a comparison sort that keeps ties in input order.

#include "platform/rtl/RadixSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct Tagged
{
    uint64_t key;
    uint32_t tag; // the input position, to see the order of ties
};

constexpr auto keyOf = [](const Tagged &t) { return t.key; };

std::vector<uint32_t> tagsOf(const Tagged *first, size_t n)
{
    std::vector<uint32_t> tags(n);
    for (size_t i = 0; i < n; ++i)
        tags[i] = first[i].tag;
    return tags;
}

std::vector<uint32_t> stableOrder(std::vector<Tagged> items)
{
    std::stable_sort(items.begin(), items.end(), [](const Tagged &a, const Tagged &b) { return a.key < b.key; });
    return tagsOf(items.data(), items.size());
}

// Keys of a few distinct values, so that most elements tie; `spread` moves the distinct values
// across the bits, from the lowest byte to the sign bit.
std::vector<Tagged> tiedKeys(size_t n, int distinct, uint64_t spread, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, distinct - 1);
    std::vector<Tagged> items(n);
    for (size_t i = 0; i < n; ++i)
        items[i] = {uint64_t(pick(random)) * spread + 0x4000000000000000u, uint32_t(i)};
    return items;
}

TEST(ParallelRadixSort, KeepsTiesInInputOrderOnAnyNumberOfThreads)
{
    struct Case
    {
        size_t n;
        int distinct;
        uint64_t spread;
    };
    const Case cases[] = {
        {300000, 7, 1},                      // one low digit varies
        {300000, 3000, 0x0000100000001001u}, // digits far apart
        {200001, 2, uint64_t(1) << 62},      // only the top bits vary
        {150000, 1, 1},                      // every key equal
        {70000, 50000, 0x9E3779B97F4A7C15u}, // keys all over the range, few ties
    };
    std::vector<std::vector<Tagged>> sets;
    for (const Case &c : cases)
        sets.push_back(tiedKeys(c.n, c.distinct, c.spread, uint32_t(c.n + c.distinct)));
    // Buckets of every size: most keys share their high bits (one bucket that needs all threads
    // again), and some lie in a few dozen buckets of thousands.
    std::vector<Tagged> skewed = tiedKeys(400000, 3000, 7, 11);
    for (size_t i = 0; i < skewed.size(); i += 10)
        skewed[i].key += uint64_t(i % 40 + 1) << 50;
    sets.push_back(skewed);
    for (const std::vector<Tagged> &items : sets) {
        const std::vector<uint32_t> expected = stableOrder(items);
        for (const unsigned threads : {1u, 2u, 3u, 8u, 64u}) {
            std::vector<Tagged> sorted = items, scratch(items.size());
            const Tagged *result = rtl::ParallelRadixSortStable(sorted.data(), scratch.data(), sorted.size(), keyOf, threads);
            EXPECT_EQ(tagsOf(result, sorted.size()), expected) << items.size() << " keys, set " << &items - sets.data() << ", " << threads << " threads";
        }
    }
}

} // namespace
