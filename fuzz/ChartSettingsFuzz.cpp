// Fuzz target for chart settings files (".gsf"): the input is the file; a record it gives is
// applied to a chart, which is then drawn, stored back and written as bytes again.

#include "FuzzSupport.h"

#include "charts/ChartSettings.h"
#include "charts/ChartSettingsFile.h"
#include "platform/chart/Chart.h"

#include <QImage>
#include <QPainter>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    EnsureFuzzApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString fileName = WriteFuzzFile(QStringLiteral("fuzz.gsf"), FuzzBytes(data, size));
    TChartSettingsRec rec;
    try {
        rec = ReadChartSettingsFile(fileName);
    } catch (const EChartSettingsError &) {
        return 0;
    }
    chart::TChart chart;
    chart.resize(320, 240);
    ApplySettings(chart, rec);
    QImage image(chart.size(), QImage::Format_ARGB32);
    chart.render(&image);
    try {
        EncodeChartSettings(StoreSettings(chart));
    } catch (const EChartSettingsError &) {
    }
    return 0;
}
