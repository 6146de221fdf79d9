#pragma once
// Chart settings files (".gsf"): one record of 2992 bytes, little-endian, at fixed offsets, with
// texts in code page 1250. This unit only turns records into bytes and back and reads and writes
// the files; of the chart it knows only the values a chart can draw.

#include "platform/rtl/SysUtils.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

struct TFontRec
{
    QString Name;
    int32_t Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int32_t Color = 0; // run-time colour value
    bool operator==(const TFontRec &other) const = default;
};

struct TAxisSettingsRec
{
    bool Automatic = true;
    double Minimum = 0;
    double Maximum = 0;
    double Increment = 0;
    QString AxisValuesFormat;
    TFontRec LabelsFont;
    QString TitleCaption;
    TFontRec TitleFont;
    bool GridVisible = true;
    bool operator==(const TAxisSettingsRec &other) const = default;
};

struct TChartSettingsRec
{
    /// The title's lines, each followed by CR LF.
    QString TitleText;
    bool TitleVisible = true;
    TFontRec TitleFont;
    TAxisSettingsRec LeftAxis;
    TAxisSettingsRec BottomAxis;
    bool BorderVisible = false;
    bool LegendVisible = true;
    int32_t LegendColorWidth = 12;
    TFontRec LegendFont;
    int32_t BevelWidth = 0; // 0: no bevel
    int32_t Color = 0;      // run-time colour value
    bool operator==(const TChartSettingsRec &other) const = default;
};

constexpr int kChartSettingsSize = 2992;

/// A record that cannot be written or a file that holds no record a chart can take.
class EChartSettingsError : public rtl::Exception
{
public:
    using Exception::Exception;
};

/// The record's bytes; texts are cut to 255 characters, padding and unused text bytes are 0.
/// \throws EChartSettingsError when a text holds a character code page 1250 has no byte for.
QByteArray EncodeChartSettings(const TChartSettingsRec &rec);
/// The record in bytes, checked: exactly 2992 bytes, font sizes, widths and bounds a chart can
/// draw, no negative increments, finite ranges with the minimum not above the maximum on a fixed
/// axis.
/// \throws EChartSettingsError with the reason.
TChartSettingsRec DecodeChartSettings(const QByteArray &bytes);

/// Writes the record under a temporary name and renames it into place.
/// \throws EChartSettingsError naming the file when it cannot be written.
void WriteChartSettingsFile(const QString &fileName, const TChartSettingsRec &rec);
/// Reads the record at the start of the file; bytes after it are ignored.
/// \throws EChartSettingsError naming the file when it cannot be read, is shorter than a record
/// or holds a record DecodeChartSettings refuses.
TChartSettingsRec ReadChartSettingsFile(const QString &fileName);
