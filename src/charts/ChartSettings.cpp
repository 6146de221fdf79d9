#include "ChartSettings.h"

#include "platform/chart/Chart.h"
#include "platform/chart/Color.h"

#include <QRegularExpression>

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

TAxisSettingsRec axisToRec(const chart::TChartAxis &axis)
{
    return {axis.Automatic(),        axis.Minimum(),          axis.Maximum(),
            axis.Increment(),        axis.AxisValuesFormat(), FontToRec(axis.LabelsFont()),
            axis.TitleCaption(),     FontToRec(axis.TitleFont()), axis.GridVisible()};
}

chart::TChartFont recToFont(chart::TChartFont font, const TFontRec &rec)
{
    RecToFont(font, rec);
    return font;
}

void applyAxis(chart::TChartAxis &axis, const TAxisSettingsRec &rec)
{
    axis.SetAutomatic(rec.Automatic);
    if (!rec.Automatic) {
        // Each bound is set against the other as it stands, so the order keeps the axis valid.
        if (rec.Minimum < axis.Maximum()) {
            axis.SetMinimum(rec.Minimum);
            axis.SetMaximum(rec.Maximum);
        } else {
            axis.SetMaximum(rec.Maximum);
            axis.SetMinimum(rec.Minimum);
        }
    }
    // An automatic axis steps its labels by the increment too, so it is applied either way.
    axis.SetIncrement(rec.Increment);
    axis.SetAxisValuesFormat(rec.AxisValuesFormat);
    axis.SetLabelsFont(recToFont(axis.LabelsFont(), rec.LabelsFont));
    axis.SetTitleCaption(rec.TitleCaption);
    axis.SetTitleFont(recToFont(axis.TitleFont(), rec.TitleFont));
    axis.SetGridVisible(rec.GridVisible);
}

} // namespace

TFontRec FontToRec(const chart::TChartFont &font)
{
    return {font.Name,      font.Size,      font.Bold, font.Italic,
            font.Underline, font.StrikeOut, chart::ValueOfColor(font.Color, font.ColorValue, QPalette::WindowText)};
}

void RecToFont(chart::TChartFont &font, const TFontRec &rec)
{
    font.Name = rec.Name;
    font.Size = rec.Size;
    font.Bold = rec.Bold;
    font.Italic = rec.Italic;
    font.Underline = rec.Underline;
    font.StrikeOut = rec.StrikeOut;
    font.Color = chart::ColorOfValue(rec.Color, QPalette::WindowText);
    font.ColorValue = rec.Color;
}

TChartSettingsRec StoreSettings(const chart::TChart &chart)
{
    TChartSettingsRec rec;
    for (const QString &line : chart.Title())
        rec.TitleText += line + kLineBreak;
    rec.TitleVisible = chart.TitleVisible();
    rec.TitleFont = FontToRec(chart.TitleFont());
    rec.LeftAxis = axisToRec(chart.LeftAxis());
    rec.BottomAxis = axisToRec(chart.BottomAxis());
    rec.BorderVisible = chart.BorderVisible();
    rec.LegendVisible = chart.LegendVisible();
    rec.LegendColorWidth = chart.LegendColorWidth();
    rec.LegendFont = FontToRec(chart.LegendFont());
    const bool bevel = chart.BevelInner() != chart::TPanelBevel::bvNone || chart.BevelOuter() != chart::TPanelBevel::bvNone;
    rec.BevelWidth = bevel ? chart.BevelWidth() : 0;
    rec.Color = chart.ColorValue();
    return rec;
}

void ApplySettings(chart::TChart &chart, const TChartSettingsRec &rec)
{
    // CR LF, CR and LF each break a line: a text cut to its 255 characters may end in a lone CR.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = rec.TitleText.split(lineBreak);
    if (lines.constLast().isEmpty())
        lines.removeLast(); // the break after the last line ends it and starts none
    chart.SetTitle(lines);
    chart.SetTitleVisible(rec.TitleVisible);
    chart.SetTitleFont(recToFont(chart.TitleFont(), rec.TitleFont));
    applyAxis(chart.LeftAxis(), rec.LeftAxis);
    applyAxis(chart.BottomAxis(), rec.BottomAxis);
    chart.SetBorderVisible(rec.BorderVisible);
    chart.SetLegendVisible(rec.LegendVisible);
    chart.SetLegendColorWidth(rec.LegendColorWidth);
    chart.SetLegendFont(recToFont(chart.LegendFont(), rec.LegendFont));
    chart.SetBevelInner(chart::TPanelBevel::bvNone);
    if (rec.BevelWidth == 0) {
        chart.SetBevelOuter(chart::TPanelBevel::bvNone);
    } else {
        chart.SetBevelOuter(chart::TPanelBevel::bvRaised);
        chart.SetBevelWidth(rec.BevelWidth);
    }
    chart.SetColorValue(rec.Color);
}
