#pragma once
// The fonts a chart's texts are drawn in: family, size in points, the four styles and a colour.

#include <QColor>
#include <QFont>
#include <QFontInfo>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace chart {

struct TChartFont
{
    /// The largest size a chart draws text in: 1638 points are 2184 pixels, more than any screen
    /// is high; text larger than that does not show at all.
    static constexpr int MaxSize = 1638;

    QString Name;
    int Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    QColor Color = Qt::black;
    /// The run-time colour value Color was made from (a system colour read from a file), so that
    /// it is written back as it was read; see ValueOfColor in Color.h.
    std::optional<int32_t> ColorValue = std::nullopt;

    QFont ToQFont() const
    {
        QFont font(Name);
        font.setPointSize(std::clamp(Size, 1, MaxSize));
        font.setBold(Bold);
        font.setItalic(Italic);
        font.setUnderline(Underline);
        font.setStrikeOut(StrikeOut);
        return font;
    }

    /// The font's family, size and styles with the given colour.
    static TChartFont FromQFont(const QFont &font, const QColor &color)
    {
        // A font sized in pixels counts 96 pixels to the inch.
        const int size = font.pointSize() > 0 ? font.pointSize()
                                              : int(std::max<int64_t>(1, (font.pixelSize() * int64_t(72) + 48) / 96));
        // The family that draws, not an alias such as "Sans Serif", so that font dialogs offer its styles.
        return {QFontInfo(font).family(), size, font.bold(), font.italic(), font.underline(), font.strikeOut(), color};
    }

    bool operator==(const TChartFont &other) const = default;
};

} // namespace chart
