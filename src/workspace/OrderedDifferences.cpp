#include "OrderedDifferences.h"

#include "platform/rtl/RadixSort.h"

#include <bit>

namespace {

// A sort key with what the sorted element must tell: 16 bytes, the radix sort's unit of movement.
struct KeyedValue
{
    uint64_t key;
    int32_t item;
    uint8_t valueIndex;
};

struct KeyedPosition
{
    uint64_t key;
    uint32_t position;
};

constexpr auto keyOf = [](const auto &keyed) { return keyed.key; };

// Gaps are never negative (a - b >= +0 for a >= b), so the key's bits give the gap back.
uint64_t descendingGapKey(double gap) { return ~rtl::OrderableKey(gap); }
double gapOfKey(uint64_t key) { return std::bit_cast<double>(~key & ~(uint64_t(1) << 63)); }

} // namespace

std::vector<TValueRef> OrderValues(const std::vector<TDataItem> &items)
{
    size_t total = 0;
    for (const TDataItem &item : items)
        total += item.Used ? item.Count : 0;
    // Ascending value; the values laid out last taken first, so that the stable sort puts the
    // later of equal values first.
    std::vector<KeyedValue> keys(total);
    size_t at = total;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].Used)
            continue;
        for (int j = 0; j < items[i].Count; ++j)
            keys[--at] = {rtl::OrderableKey(items[i].Values[size_t(j)]), int32_t(i), uint8_t(j)};
    }
    rtl::RadixSortStable(keys, keyOf);
    std::vector<TValueRef> ordered(total);
    for (size_t k = 0; k < total; ++k)
        ordered[k] = {keys[k].item, keys[k].valueIndex, -1};
    return ordered;
}

std::vector<TDifference> OrderDifferences(const std::vector<TDataItem> &items, std::vector<TValueRef> &ordered)
{
    if (ordered.size() < 2)
        return {};
    const size_t count = ordered.size() - 1;
    // Descending gap; the positions laid out from the top, so that the stable sort puts the
    // higher position first among equal gaps.
    std::vector<KeyedPosition> keys(count);
    double previous = ValueOf(items, ordered[0]);
    for (size_t k = 1; k <= count; ++k) {
        const double value = ValueOf(items, ordered[k]);
        keys[count - k] = {descendingGapKey(value - previous), uint32_t(k)};
        previous = value;
    }
    rtl::RadixSortStable(keys, keyOf);
    std::vector<TDifference> differences(count);
    for (size_t r = 0; r < count; ++r) {
        const uint32_t position = keys[r].position;
        differences[r] = {gapOfKey(keys[r].key), int32_t(position)};
        ordered[position].Row = int32_t(r);
    }
    return differences;
}
