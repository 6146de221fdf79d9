#include "OrderedDifferences.h"

#include "platform/rtl/Parallel.h"
#include "platform/rtl/RadixSort.h"

#include <bit>
#include <memory>

namespace {

// Fewer elements than this are not worth a thread of their own.
constexpr size_t kLeastPerThread = size_t(1) << 15;
// The ordering uses every core.
constexpr unsigned kAllThreads = 0;

void inStretches(size_t count, const std::function<void(size_t begin, size_t end)> &task)
{
    rtl::ParallelForStretches(count, kLeastPerThread, kAllThreads, task);
}

// A sort key with what the sorted element must tell: 16 bytes, the radix sort's unit of movement.
struct KeyedValue
{
    uint64_t key;
    int32_t item;
    uint8_t valueIndex;
};

// Packed: twelve bytes instead of sixteen to move, and less memory at the analysis' peak.
struct [[gnu::packed]] KeyedPosition
{
    uint64_t key;
    uint32_t position;
};

constexpr auto keyOf = [](const auto &keyed) { return keyed.key; };

// Keys to sort and the sort's room, left uninitialised: the threads that fill them touch their
// memory first, instead of one thread clearing tens of megabytes beforehand.
template<typename T>
class SortRoom
{
public:
    explicit SortRoom(size_t n) : m_n(n), m_keys(new T[n]), m_room(new T[n]) {}
    T &operator[](size_t i) { return m_keys[i]; }
    /// Sorts the keys by keyOf; answers where they stand sorted. The other half is given back at
    /// once, before the results are made.
    const T *sort()
    {
        const T *sorted = rtl::ParallelRadixSortStable(m_keys.get(), m_room.get(), m_n, keyOf, kAllThreads);
        (sorted == m_keys.get() ? m_room : m_keys).reset();
        return sorted;
    }

private:
    size_t m_n;
    std::unique_ptr<T[]> m_keys, m_room;
};

// Gaps are never negative (a - b >= +0 for a >= b), so the key's bits give the gap back.
uint64_t descendingGapKey(double gap) { return ~rtl::OrderableKey(gap); }
double gapOfKey(uint64_t key) { return std::bit_cast<double>(~key & ~(uint64_t(1) << 63)); }

} // namespace

std::vector<TValueRef> OrderValues(const std::vector<TDataItem> &items)
{
    // Where each item's values go: ascending value, the values laid out last taken first, so
    // that the stable sort puts the later of equal values first.
    std::vector<size_t> end(items.size());
    size_t total = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        total += items[i].Used ? items[i].Count : 0;
        end[i] = total;
    }
    SortRoom<KeyedValue> keys(total);
    rtl::ParallelForStretches(items.size(), kLeastPerThread / 64, kAllThreads, [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            if (!items[i].Used)
                continue;
            for (int j = 0; j < items[i].Count; ++j)
                keys[total - end[i] + (items[i].Count - 1 - size_t(j))] = {rtl::OrderableKey(items[i].Values[size_t(j)]), int32_t(i), uint8_t(j)};
        }
    });
    const KeyedValue *sorted = keys.sort();
    std::vector<TValueRef> ordered(total);
    inStretches(total, [&](size_t first, size_t last) {
        for (size_t k = first; k < last; ++k)
            ordered[k] = {sorted[k].item, sorted[k].valueIndex, -1};
    });
    return ordered;
}

std::vector<double> ValuesInOrder(const std::vector<TDataItem> &items, const std::vector<TValueRef> &ordered)
{
    std::vector<double> values(ordered.size());
    inStretches(ordered.size(), [&](size_t first, size_t last) {
        for (size_t k = first; k < last; ++k)
            values[k] = ValueOf(items, ordered[k]);
    });
    return values;
}

std::vector<TDifference> OrderDifferences(const std::vector<TDataItem> &items, std::vector<TValueRef> &ordered)
{
    return OrderDifferences(ValuesInOrder(items, ordered), ordered);
}

std::vector<TDifference> OrderDifferences(const std::vector<double> &orderedValues, std::vector<TValueRef> &ordered)
{
    if (ordered.size() < 2)
        return {};
    const size_t count = ordered.size() - 1;
    // Descending gap; the positions laid out from the top, so that the stable sort puts the
    // higher position first among equal gaps.
    SortRoom<KeyedPosition> keys(count);
    inStretches(count, [&](size_t first, size_t last) {
        for (size_t k = first + 1; k <= last; ++k)
            keys[count - k] = {descendingGapKey(orderedValues[k] - orderedValues[k - 1]), uint32_t(k)};
    });
    const KeyedPosition *sorted = keys.sort();
    std::vector<TDifference> differences(count);
    inStretches(count, [&](size_t first, size_t last) {
        for (size_t r = first; r < last; ++r) {
            const uint32_t position = sorted[r].position;
            differences[r] = {gapOfKey(sorted[r].key), int32_t(position)};
            ordered[position].Row = int32_t(r);
        }
    });
    return differences;
}
