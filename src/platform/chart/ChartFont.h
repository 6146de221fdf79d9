#pragma once
// The fonts a chart's texts are drawn in: family, size in points, the four styles and a colour.

#include <QColor>
#include <QFont>
#include <QFontInfo>
#include <QString>

#include <algorithm>

namespace chart {

struct TChartFont
{
    QString Name;
    int Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    QColor Color = Qt::black;

    QFont ToQFont() const
    {
        QFont font(Name);
        font.setPointSize(Size > 0 ? Size : 1);
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
        const int size = font.pointSize() > 0 ? font.pointSize() : std::max(1, (font.pixelSize() * 72 + 48) / 96);
        // The family that draws, not an alias such as "Sans Serif", so that font dialogs offer its styles.
        return {QFontInfo(font).family(), size, font.bold(), font.italic(), font.underline(), font.strikeOut(), color};
    }

    bool operator==(const TChartFont &other) const = default;
};

} // namespace chart
