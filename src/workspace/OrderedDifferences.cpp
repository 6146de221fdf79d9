#include "OrderedDifferences.h"

#include <algorithm>

namespace {

struct SortKey
{
    double value;
    uint32_t sequence;
};

} // namespace

std::vector<TValueRef> OrderValues(const std::vector<TDataItem> &items)
{
    std::vector<SortKey> keys;
    std::vector<TValueRef> taken;
    size_t total = 0;
    for (const TDataItem &item : items)
        total += item.Used ? item.Count : 0;
    keys.reserve(total);
    taken.reserve(total);
    for (size_t i = 0; i < items.size(); ++i) {
        const TDataItem &item = items[i];
        if (!item.Used)
            continue;
        for (int j = 0; j < item.Count; ++j) {
            keys.push_back({item.Values[size_t(j)], uint32_t(taken.size())});
            taken.push_back({int32_t(i), uint8_t(j), -1});
        }
    }
    // Ascending value; among equal values the one taken later first.
    std::sort(keys.begin(), keys.end(), [](const SortKey &a, const SortKey &b) {
        return a.value < b.value || (a.value == b.value && a.sequence > b.sequence);
    });
    std::vector<TValueRef> ordered;
    ordered.reserve(total);
    for (const SortKey &key : keys)
        ordered.push_back(taken[key.sequence]);
    return ordered;
}

std::vector<TDifference> OrderDifferences(const std::vector<TDataItem> &items, std::vector<TValueRef> &ordered)
{
    std::vector<TDifference> differences;
    if (ordered.size() < 2)
        return differences;
    differences.reserve(ordered.size() - 1);
    double previous = ValueOf(items, ordered[0]);
    for (size_t k = 1; k < ordered.size(); ++k) {
        const double value = ValueOf(items, ordered[k]);
        differences.push_back({value - previous, int32_t(k)});
        previous = value;
    }
    // Descending gap; among equal gaps the higher position first.
    std::sort(differences.begin(), differences.end(), [](const TDifference &a, const TDifference &b) {
        return a.Diff > b.Diff || (a.Diff == b.Diff && a.Position > b.Position);
    });
    for (size_t r = 0; r < differences.size(); ++r)
        ordered[size_t(differences[r].Position)].Row = int32_t(r);
    return differences;
}
