#include "ChartSettingsFile.h"

#include "platform/chart/Chart.h"
#include "platform/db/CodePage.h"
#include "platform/rtl/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

// Offsets within the records.
namespace font {
constexpr int Name = 0, Size = 256, Bold = 260, Italic = 261, Underline = 262, StrikeOut = 263, Color = 264;
}
namespace axis {
constexpr int Automatic = 0, Minimum = 8, Maximum = 16, Increment = 24, Format = 32, LabelsFont = 288, Title = 556,
              TitleFont = 812, Grid = 1080;
}
namespace record {
constexpr int TitleText = 0, TitleVisible = 256, TitleFont = 260, LeftAxis = 528, BottomAxis = 1616, Border = 2704,
              Legend = 2705, ColorWidth = 2708, LegendFont = 2712, Bevel = 2980, Color = 2984;
}

const db::CodePage &codePage() { return db::CodePage::forLanguageDriver(db::CodePage::ProgramLanguageDriver); }

class Writer
{
public:
    QByteArray bytes = QByteArray(kChartSettingsSize, '\0');

    void boolean(int at, bool value) { bytes[at] = value ? 1 : 0; }
    void int32(int at, int32_t value) { qToLittleEndian<int32_t>(value, bytes.data() + at); }
    void float64(int at, double value) { qToLittleEndian<double>(value, bytes.data() + at); }
    void string255(int at, const QString &text, const char *field)
    {
        QByteArray encoded;
        if (!codePage().encode(text, encoded))
            throw EChartSettingsError(
                QStringLiteral("The %1 \"%2\" holds characters that a chart settings file cannot store.")
                    .arg(QLatin1String(field), text));
        encoded.truncate(255);
        bytes[at] = char(encoded.size());
        std::memcpy(bytes.data() + at + 1, encoded.constData(), size_t(encoded.size()));
    }
    void fontRec(int at, const TFontRec &f, const char *field)
    {
        string255(at + font::Name, f.Name, field);
        int32(at + font::Size, f.Size);
        boolean(at + font::Bold, f.Bold);
        boolean(at + font::Italic, f.Italic);
        boolean(at + font::Underline, f.Underline);
        boolean(at + font::StrikeOut, f.StrikeOut);
        int32(at + font::Color, f.Color);
    }
    void axisRec(int at, const TAxisSettingsRec &a)
    {
        boolean(at + axis::Automatic, a.Automatic);
        float64(at + axis::Minimum, a.Minimum);
        float64(at + axis::Maximum, a.Maximum);
        float64(at + axis::Increment, a.Increment);
        string255(at + axis::Format, a.AxisValuesFormat, "axis value format");
        fontRec(at + axis::LabelsFont, a.LabelsFont, "font name");
        string255(at + axis::Title, a.TitleCaption, "axis title");
        fontRec(at + axis::TitleFont, a.TitleFont, "font name");
        boolean(at + axis::Grid, a.GridVisible);
    }
};

class Reader
{
public:
    explicit Reader(const QByteArray &b) : bytes(b) {}
    const QByteArray &bytes;

    bool boolean(int at) const { return bytes[at] != 0; }
    int32_t int32(int at) const { return qFromLittleEndian<int32_t>(bytes.constData() + at); }
    double float64(int at) const { return qFromLittleEndian<double>(bytes.constData() + at); }
    QString string255(int at) const { return codePage().decode(bytes.constData() + at + 1, uint8_t(bytes[at])); }
    TFontRec fontRec(int at) const
    {
        return {string255(at + font::Name), int32(at + font::Size), boolean(at + font::Bold), boolean(at + font::Italic),
                boolean(at + font::Underline), boolean(at + font::StrikeOut), int32(at + font::Color)};
    }
    TAxisSettingsRec axisRec(int at) const
    {
        return {boolean(at + axis::Automatic), float64(at + axis::Minimum),   float64(at + axis::Maximum),
                float64(at + axis::Increment), string255(at + axis::Format), fontRec(at + axis::LabelsFont),
                string255(at + axis::Title),   fontRec(at + axis::TitleFont), boolean(at + axis::Grid)};
    }
};

// Numbers a chart cannot draw are refused, as the chart's own setters refuse them.
void checkWithin(int32_t value, int32_t lowest, int32_t highest, const QString &field)
{
    if (value < lowest || value > highest)
        throw EChartSettingsError(QStringLiteral("The %1 is %2; a chart takes %3 to %4.")
                                      .arg(field)
                                      .arg(value)
                                      .arg(lowest)
                                      .arg(highest));
}

void checkFont(const TFontRec &f, const QString &which)
{
    checkWithin(f.Size, 1, chart::TChartFont::MaxSize, which + QStringLiteral(" font size"));
}

void checkAxis(const TAxisSettingsRec &a, const QString &which)
{
    checkFont(a.LabelsFont, which + QStringLiteral(" axis labels"));
    checkFont(a.TitleFont, which + QStringLiteral(" axis title"));
    // The increment steps the labels of an automatic axis too.
    if (!std::isfinite(a.Increment))
        throw EChartSettingsError(QStringLiteral("The %1 axis has an increment that is no number.").arg(which));
    if (a.Increment < 0)
        throw EChartSettingsError(QStringLiteral("The %1 axis has a negative increment.").arg(which));
    if (a.Automatic)
        return; // a range that is not applied needs no check
    if (!std::isfinite(a.Minimum) || !std::isfinite(a.Maximum))
        throw EChartSettingsError(QStringLiteral("The %1 axis has a range that is no number.").arg(which));
    if (!chart::TChartAxis::DrawableBound(a.Minimum) || !chart::TChartAxis::DrawableBound(a.Maximum))
        throw EChartSettingsError(QStringLiteral("The %1 axis has a bound beyond %2.")
                                      .arg(which, rtl::FloatToStr(chart::TChartAxis::MaxBound)));
    if (a.Minimum > a.Maximum)
        throw EChartSettingsError(QStringLiteral("The %1 axis has its minimum above its maximum.").arg(which));
}

} // namespace

QByteArray EncodeChartSettings(const TChartSettingsRec &rec)
{
    Writer w;
    w.string255(record::TitleText, rec.TitleText, "title");
    w.boolean(record::TitleVisible, rec.TitleVisible);
    w.fontRec(record::TitleFont, rec.TitleFont, "font name");
    w.axisRec(record::LeftAxis, rec.LeftAxis);
    w.axisRec(record::BottomAxis, rec.BottomAxis);
    w.boolean(record::Border, rec.BorderVisible);
    w.boolean(record::Legend, rec.LegendVisible);
    w.int32(record::ColorWidth, rec.LegendColorWidth);
    w.fontRec(record::LegendFont, rec.LegendFont, "font name");
    w.int32(record::Bevel, rec.BevelWidth);
    w.int32(record::Color, rec.Color);
    return w.bytes;
}

TChartSettingsRec DecodeChartSettings(const QByteArray &bytes)
{
    if (bytes.size() != kChartSettingsSize)
        throw EChartSettingsError(
            QStringLiteral("It has %1 bytes; a chart settings record has %2.").arg(bytes.size()).arg(kChartSettingsSize));
    const Reader r(bytes);
    TChartSettingsRec rec;
    rec.TitleText = r.string255(record::TitleText);
    rec.TitleVisible = r.boolean(record::TitleVisible);
    rec.TitleFont = r.fontRec(record::TitleFont);
    rec.LeftAxis = r.axisRec(record::LeftAxis);
    rec.BottomAxis = r.axisRec(record::BottomAxis);
    rec.BorderVisible = r.boolean(record::Border);
    rec.LegendVisible = r.boolean(record::Legend);
    rec.LegendColorWidth = r.int32(record::ColorWidth);
    rec.LegendFont = r.fontRec(record::LegendFont);
    rec.BevelWidth = r.int32(record::Bevel);
    rec.Color = r.int32(record::Color);

    checkFont(rec.TitleFont, QStringLiteral("title"));
    checkFont(rec.LegendFont, QStringLiteral("legend"));
    checkAxis(rec.LeftAxis, QStringLiteral("left"));
    checkAxis(rec.BottomAxis, QStringLiteral("bottom"));
    checkWithin(rec.LegendColorWidth, 0, chart::TChart::MaxLegendColorWidth, QStringLiteral("legend colour width"));
    checkWithin(rec.BevelWidth, 0, chart::TChart::MaxBevelWidth, QStringLiteral("bevel width"));
    return rec;
}

void WriteChartSettingsFile(const QString &fileName, const TChartSettingsRec &rec)
{
    const QByteArray bytes = EncodeChartSettings(rec);
    try {
        rtl::WriteWholeFile(fileName, bytes);
    } catch (const rtl::EInOutError &error) {
        throw EChartSettingsError(error.Message());
    }
}

TChartSettingsRec ReadChartSettingsFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EChartSettingsError(
            QStringLiteral("Cannot read the file %1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString()));
    // Bytes after the record carry nothing and are not read.
    const QByteArray bytes = file.read(kChartSettingsSize);
    try {
        return DecodeChartSettings(bytes);
    } catch (const EChartSettingsError &error) {
        throw EChartSettingsError(QStringLiteral("The file %1 holds no chart settings the chart can take. %2")
                                      .arg(QDir::toNativeSeparators(fileName), error.Message()));
    }
}
