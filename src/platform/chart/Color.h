#pragma once
// Colours given as run-time colour values: 0x00BBGGRR.

#include <QColor>

#include <cstdint>

namespace chart {

/// The colour of a run-time colour value; only the low 24 bits (blue, green, red) count.
inline QColor ColorFromTColor(int64_t value)
{
    const auto v = uint32_t(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

/// The run-time colour value of a colour.
inline int32_t TColorFromColor(const QColor &color)
{
    return int32_t(color.red() | (color.green() << 8) | (color.blue() << 16));
}

} // namespace chart
