#pragma once
// Colours given as run-time colour values: 0x00BBGGRR; a high byte 0xFF names a system colour by
// its index in the low byte (15 the button face), 0x20000000 is the default colour.

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <cstdint>
#include <iterator>
#include <optional>

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

constexpr int32_t kDefaultColorValue = 0x20000000;

/// The colour a run-time colour value is drawn with on this desktop: a system colour takes the
/// palette role nearest to it, the default colour the role defaultRole, any other value the
/// colour of its low 24 bits.
inline QColor ColorOfValue(int32_t value, QPalette::ColorRole defaultRole)
{
    if (value == kDefaultColorValue)
        return QGuiApplication::palette().color(defaultRole);
    if ((uint32_t(value) >> 24) != 0xFF)
        return ColorFromTColor(value);
    static const QPalette::ColorRole roles[] = {
        QPalette::Button,     QPalette::Window,     QPalette::Highlight,  QPalette::Window,      QPalette::Window,
        QPalette::Base,       QPalette::Shadow,     QPalette::WindowText, QPalette::Text,        QPalette::HighlightedText,
        QPalette::Window,     QPalette::Window,     QPalette::Dark,       QPalette::Highlight,   QPalette::HighlightedText,
        QPalette::Button,     QPalette::Dark,       QPalette::PlaceholderText, QPalette::ButtonText, QPalette::WindowText,
        QPalette::Light,      QPalette::Shadow,     QPalette::Midlight,   QPalette::ToolTipText, QPalette::ToolTipBase,
        QPalette::Window,     QPalette::Link,       QPalette::Highlight,  QPalette::Window,      QPalette::Highlight,
        QPalette::Window};
    const unsigned index = uint32_t(value) & 0xFF;
    return QGuiApplication::palette().color(index < std::size(roles) ? roles[index] : QPalette::Window);
}

/// The run-time colour value to store for color: madeFrom, the value the colour was made from
/// with ColorOfValue, while the colour is still the one it draws (so that system and default
/// colours are written back as they were read), else the colour's own value.
inline int32_t ValueOfColor(const QColor &color, std::optional<int32_t> madeFrom, QPalette::ColorRole defaultRole)
{
    if (madeFrom && ColorOfValue(*madeFrom, defaultRole) == color)
        return *madeFrom;
    return TColorFromColor(color);
}

} // namespace chart
