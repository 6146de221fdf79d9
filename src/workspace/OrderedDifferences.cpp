#include "OrderedDifferences.h"

#include "platform/rtl/RadixSort.h"

namespace {

struct KeyedIndex
{
    uint64_t key;
    uint32_t index;
};

uint64_t keyOf(const KeyedIndex &k) { return k.key; }

} // namespace

std::vector<TValueRef> OrderValues(const std::vector<TDataItem> &items)
{
    std::vector<TValueRef> taken;
    size_t total = 0;
    for (const TDataItem &item : items)
        total += item.Used ? item.Count : 0;
    taken.reserve(total);
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].Used)
            continue;
        for (int j = 0; j < items[i].Count; ++j)
            taken.push_back({int32_t(i), uint8_t(j), -1});
    }
    // Ascending value; a stable sort of the values taken in reverse puts the later of equal values first.
    std::vector<KeyedIndex> keys(total);
    for (size_t s = 0; s < total; ++s) {
        const uint32_t sequence = uint32_t(total - 1 - s);
        keys[s] = {rtl::OrderableKey(ValueOf(items, taken[sequence])), sequence};
    }
    rtl::RadixSortStable(keys, keyOf);
    std::vector<TValueRef> ordered(total);
    for (size_t k = 0; k < total; ++k)
        ordered[k] = taken[keys[k].index];
    return ordered;
}

std::vector<TDifference> OrderDifferences(const std::vector<TDataItem> &items, std::vector<TValueRef> &ordered)
{
    if (ordered.size() < 2)
        return {};
    const size_t count = ordered.size() - 1;
    std::vector<double> gaps(count + 1);
    double previous = ValueOf(items, ordered[0]);
    for (size_t k = 1; k <= count; ++k) {
        const double value = ValueOf(items, ordered[k]);
        gaps[k] = value - previous;
        previous = value;
    }
    // Descending gap; a stable sort of the positions taken from the top puts the higher position
    // first among equal gaps.
    std::vector<KeyedIndex> keys(count);
    for (size_t s = 0; s < count; ++s) {
        const uint32_t position = uint32_t(count - s);
        keys[s] = {~rtl::OrderableKey(gaps[position]), position};
    }
    rtl::RadixSortStable(keys, keyOf);
    std::vector<TDifference> differences(count);
    for (size_t r = 0; r < count; ++r) {
        const uint32_t position = keys[r].index;
        differences[r] = {gaps[position], int32_t(position)};
        ordered[position].Row = int32_t(r);
    }
    return differences;
}
