#pragma once
// Chart settings records built byte by byte at the offsets of the file layout, apart from the
// program's writer.

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <cstring>

class RecordBytes
{
public:
    QByteArray bytes = QByteArray(2992, '\0');

    // The record's own offsets.
    static constexpr int TitleText = 0, TitleVisible = 256, TitleFont = 260, LeftAxis = 528, BottomAxis = 1616,
                         Border = 2704, Legend = 2705, ColorWidth = 2708, LegendFont = 2712, Bevel = 2980, Color = 2984;
    // Within an axis block.
    static constexpr int Automatic = 0, Minimum = 8, Maximum = 16, Increment = 24, Format = 32, LabelsFont = 288,
                         AxisTitle = 556, AxisTitleFont = 812, Grid = 1080;
    // Within a font.
    static constexpr int FontSize = 256, FontBold = 260, FontItalic = 261, FontUnderline = 262, FontStrikeOut = 263,
                         FontColor = 264;

    RecordBytes &byte(int at, uint8_t value)
    {
        bytes[at] = char(value);
        return *this;
    }
    RecordBytes &int32(int at, int32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((uint32_t(value) >> (8 * i)) & 0xFF);
        return *this;
    }
    RecordBytes &float64(int at, double value)
    {
        uint64_t bits;
        std::memcpy(&bits, &value, 8);
        for (int i = 0; i < 8; ++i)
            bytes[at + i] = char((bits >> (8 * i)) & 0xFF);
        return *this;
    }
    /// A length byte and the characters, given as single bytes.
    RecordBytes &string255(int at, const QByteArray &chars)
    {
        bytes[at] = char(chars.size());
        for (int i = 0; i < chars.size(); ++i)
            bytes[at + 1 + i] = chars[i];
        return *this;
    }
    RecordBytes &font(int at, const QByteArray &name, int32_t size, bool bold, bool italic, bool underline, bool strikeOut,
                      int32_t color)
    {
        string255(at, name);
        int32(at + FontSize, size);
        byte(at + FontBold, bold);
        byte(at + FontItalic, italic);
        byte(at + FontUnderline, underline);
        byte(at + FontStrikeOut, strikeOut);
        return int32(at + FontColor, color);
    }
    /// Every font valid (size 8), so that the record loads.
    RecordBytes &validFonts()
    {
        for (int at : {TitleFont, LegendFont, LeftAxis + LabelsFont, LeftAxis + AxisTitleFont, BottomAxis + LabelsFont,
                       BottomAxis + AxisTitleFont})
            font(at, "Arial", 8, false, false, false, false, 0);
        return *this;
    }
};
