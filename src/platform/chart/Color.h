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

#include <QGuiApplication>
#include <QPalette>

namespace chart {

/// The colour of a run-time colour value that may name a system colour (high byte 0xFF, the
/// low byte its index, such as 15 for the button face); system colours come from the palette.
inline QColor ColorFromSystemTColor(int32_t value)
{
    if ((uint32_t(value) >> 24) != 0xFF)
        return ColorFromTColor(value);
    static const QPalette::ColorRole roles[] = {
        QPalette::Window,     QPalette::Window,     QPalette::Highlight,  QPalette::Window,      QPalette::Window,
        QPalette::Base,       QPalette::Shadow,     QPalette::WindowText, QPalette::Text,        QPalette::WindowText,
        QPalette::Window,     QPalette::Window,     QPalette::Dark,       QPalette::Highlight,   QPalette::HighlightedText,
        QPalette::Button,     QPalette::Dark,       QPalette::PlaceholderText, QPalette::ButtonText, QPalette::WindowText,
        QPalette::Light,      QPalette::Shadow,     QPalette::Midlight,   QPalette::ToolTipText, QPalette::ToolTipBase};
    const unsigned index = uint32_t(value) & 0xFF;
    return QGuiApplication::palette().color(index < std::size(roles) ? roles[index] : QPalette::Window);
}

} // namespace chart
