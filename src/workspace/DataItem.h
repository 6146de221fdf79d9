#pragma once
// One data item: a line of a text file or a record of a table.

#include <QString>

#include <cstdint>
#include <vector>

/// The values of one data item. Values, Positions and Classes always have Count elements;
/// an item without values is never used by the analysis.
struct TDataItem
{
    uint8_t Count = 0;
    bool Used = false; // beside Count: a million items, 8 bytes each less
    QString Id;
    /// The values after the transformation.
    std::vector<double> Values;
    /// For text data the 1-based ordinal of the value among the accepted values of its line;
    /// for a table the number i of its Rf<i> field.
    std::vector<uint16_t> Positions;
    /// 0-based class index of each value, shown as the letter 'A' + index.
    std::vector<uint8_t> Classes;
};

/// Most values one item can hold.
constexpr int MaxItemValues = 255;
