#pragma once
// The ordered list of every used value and the list of gaps between ordered neighbours,
// largest first. Built by sorting; the result equals building both lists by insertion:
// of equal values the one taken last stands first, of equal gaps the higher position first.

#include "DataItem.h"

#include <cstdint>
#include <vector>

/// One used value in ascending order.
struct TValueRef
{
    int32_t Item = 0;
    uint8_t ValueIndex = 0;
    /// The DistGrid row of the difference that ends at this ordered position; -1 for position 0.
    int32_t Row = -1;
};

/// The gap between ordered positions Position - 1 and Position. Packed to 12 bytes: one per
/// value, millions of them.
#pragma pack(push, 4)
struct TDifference
{
    double Diff = 0;
    int32_t Position = 0;
};
#pragma pack(pop)

/// Every value of every used item, items and values taken in array order.
std::vector<TValueRef> OrderValues(const std::vector<TDataItem> &items);

/// The value an ordered reference points at.
inline double ValueOf(const std::vector<TDataItem> &items, const TValueRef &ref)
{
    return items[size_t(ref.Item)].Values[ref.ValueIndex];
}

/// The value of each ordered position, in order.
std::vector<double> ValuesInOrder(const std::vector<TDataItem> &items, const std::vector<TValueRef> &ordered);

/// Gaps between neighbours of `ordered`, descending; fills each reference's Row with the index
/// of the gap that ends at it.
std::vector<TDifference> OrderDifferences(const std::vector<TDataItem> &items, std::vector<TValueRef> &ordered);
/// The same from the values of the ordered positions (ValuesInOrder).
std::vector<TDifference> OrderDifferences(const std::vector<double> &orderedValues, std::vector<TValueRef> &ordered);
